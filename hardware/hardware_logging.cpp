#include "hardware_logging.h"

Q_LOGGING_CATEGORY(lcHardware, "tr4410.hardware", QtInfoMsg)
