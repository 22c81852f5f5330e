#include "kit_logging.h"

Q_LOGGING_CATEGORY(lcKit, "tr4410.kit", QtInfoMsg)
