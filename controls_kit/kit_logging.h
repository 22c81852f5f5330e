#pragma once

#include <QLoggingCategory>

// Failures inside the kit that it handles quietly: a picture that does not decode, a help text
// that is not rich text. Off unless asked for, as Qt's own categories are:
// QT_LOGGING_RULES="tr4410.kit.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcKit)
