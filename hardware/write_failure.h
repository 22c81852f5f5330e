#pragma once

#include "commissioning_check.h"

#include <QString>

// Why a write sequence, or the port access before it, stopped: the port layer's status as this
// program tells it apart.
enum class WriteFailure {
    None,
    NoAccess,   // no port access for this user or process, or it was lost
    LockedDown, // the kernel is locked down (Secure Boot): not even root
    Refused,    // the port layer refused a port or value
    Busy,       // another program is writing to the card
    BrokeOff,   // the access broke off (the port helper went away)
};

// The texts that explain a failure to the user, the window's and tr4410ctl's, and the state of
// the card they report: the registers (1 to 10, in order) whose index and data were both written.
namespace WriteFailures {

// The window's box when the card cannot be reached at all: nothing has been written.
QString windowNoAccessText(Commissioning::AccessState access);
// The window's "Write Failed" box after `lastRegister` registers went through; `holder` names who
// holds the card after a Busy failure, where known.
QString windowText(WriteFailure failure, int lastRegister, const QString &holder = QString());

// tr4410ctl's message; `access` is the cause of a NoAccess or LockedDown failure.
QString commandLineText(WriteFailure failure, int registersWritten, Commissioning::AccessState access,
                        const QString &holder = QString());

} // namespace WriteFailures
