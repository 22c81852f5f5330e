#pragma once

#include "commissioning_check.h"
#include "system_state.h"
#include "write_failure.h"

#include <optional>

// Why this user's programs do or do not reach the ports. The port layer tells a lockdown apart;
// the other refusals look alike to it, and are told apart here from what the system shows: a
// kernel without port I/O, a user outside the group tr4410, or else a helper without its
// capability.
namespace PortAccessProbe {

// The failure a status code of the port layer (PortStatus) stands for.
WriteFailure failureOf(int portStatus);
// Who holds the card after a Busy failure, as the port helper named them, in plain printable
// text; empty when it could not.
QString busyHolder();

// The driver probe port read once: whether the driver answered, and what stands in the way of
// port access (None when nothing does).
struct Answer
{
    bool driverPresent = false;
    WriteFailure failure = WriteFailure::None;
};
Answer read();

// Reads the driver probe port once through the port-I/O library and tells the outcome.
Commissioning::AccessState probe(const TSystemState &system);
// The cause of a refusal the port layer reported as `failure`.
Commissioning::AccessState cause(WriteFailure failure, const TSystemState &system);
// The cause of an access failure, Available for any other failure: a lockdown the port layer
// reported; else what a start-up test found, where one was made (an ordinary user's lack of the
// group when it found access, since it was lost since); else what the system shows now.
Commissioning::AccessState failureCause(WriteFailure failure,
                                        std::optional<Commissioning::AccessState> known = std::nullopt);
// Whether the kernel offers port I/O at all: its config where it is found, else a call that asks
// for no access (and so needs no privilege).
bool kernelHasPortIo(const TSystemState &system);
// root, or a member of the group that may run the port helper
bool mayRunHelper();

} // namespace PortAccessProbe
