#pragma once

#include "card_registers.h"
#include "vanto32.h"

#include <cstdint>

// The driver presence test: one read of a fixed port at start-up. The port-I/O library answers
// VANTO32_DRIVER_ABSENT instead of port data when it has no access to the ports; any other
// 16-bit answer, even one that looks like its byte-swapped halves, means access works.
namespace PortAccess {

constexpr std::uint16_t DriverProbePort = CARD_DRIVER_PROBE_PORT;
constexpr std::uint16_t DriverAbsent = VANTO32_DRIVER_ABSENT;

constexpr bool driverPresent(std::uint16_t answer)
{
    return answer != DriverAbsent;
}

// Reads the probe port once through the port-I/O library and classifies the answer.
inline bool probeDriver()
{
    return driverPresent(InPortB(DriverProbePort));
}

} // namespace PortAccess
