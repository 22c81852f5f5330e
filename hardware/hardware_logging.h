#pragma once

#include <QLoggingCategory>

// Failures of the hardware layer that no window or message shows: a driver library that does not
// bind, a start-up test without port access. Off unless asked for, as Qt's own categories are:
// QT_LOGGING_RULES="tr4410.hardware.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcHardware)
