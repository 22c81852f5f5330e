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

struct TWriteResult;

// No port access at all, for this user or for anyone (a lockdown): the failures whose cause the
// system tells.
bool isAccessFailure(WriteFailure failure);

// The texts that explain a failure to the user, the window's and tr4410ctl's, and the state of
// the card they report: the registers (1 to 10, in order) whose index and data were both written.
namespace WriteFailures {

// A box of the window: its caption and text.
struct WindowBox
{
    QString caption;
    QString text;
};

// The window's box when the card cannot be reached at all: nothing has been written.
QString windowNoAccessText(Commissioning::AccessState access);
// The window's box after a failed sequence: "No Port Access" when the first write found no
// access, else "Write Failed" with how far the sequence got.
WindowBox windowBox(const TWriteResult &result);

// tr4410ctl's message after a failed sequence, or a failed access test before it.
QString commandLineText(const TWriteResult &result);

} // namespace WriteFailures
