#pragma once

#include "commissioning_check.h"
#include "write_failure.h"

#include <QString>

// How a write sequence ended: what stopped it, how far it got, and what the failure texts need.
struct TWriteResult
{
    WriteFailure failure = WriteFailure::None;
    // The last register (1..10) whose index and data writes were both carried out; 0 for none.
    int lastRegister = 0;
    // After a Busy failure, who holds the card as the port layer named them; else empty.
    QString busyHolder;
    // The cause of a NoAccess or LockedDown failure; Available after any other end.
    Commissioning::AccessState access = Commissioning::AccessState::Available;
    // Stopped by cancel() before the last write settled.
    bool cancelled = false;

    bool succeeded() const { return failure == WriteFailure::None && !cancelled; }
};
