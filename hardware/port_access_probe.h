#pragma once

#include "commissioning_check.h"
#include "system_state.h"

// Why this user's programs do or do not reach the ports. The port layer tells a lockdown apart;
// the other refusals look alike to it, and are told apart here from what the system shows: a
// kernel without port I/O, a user outside the group tr4410, or else a helper without its
// capability.
namespace PortAccessProbe {

// Reads the driver probe port once through the port-I/O library and tells the outcome.
Commissioning::AccessState probe(const TSystemState &system);
// The cause of a refusal the port layer reported with `status` (a VANTO32_STATUS_* code).
Commissioning::AccessState cause(int status, const TSystemState &system);
// Whether the kernel offers port I/O at all: its config where it is found, else a call that asks
// for no access (and so needs no privilege).
bool kernelHasPortIo(const TSystemState &system);
// root, or a member of the group that may run the port helper
bool mayRunHelper();

} // namespace PortAccessProbe
