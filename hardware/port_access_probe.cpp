#include "port_access_probe.h"

#include "hardware_logging.h"
#include "port_access.h"
#include "vanto32.h"

#include <cerrno>
#include <grp.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif

#include <algorithm>
#include <vector>

namespace PortAccessProbe {

using Commissioning::AccessState;

WriteFailure failureOf(int portStatus)
{
    switch (portStatus) {
    case VANTO32_STATUS_OK:
        return WriteFailure::None;
    case VANTO32_STATUS_NO_ACCESS:
        return WriteFailure::NoAccess;
    case VANTO32_STATUS_REFUSED:
        return WriteFailure::Refused;
    case VANTO32_STATUS_BUSY:
        return WriteFailure::Busy;
    case VANTO32_STATUS_LOCKED_DOWN:
        return WriteFailure::LockedDown;
    default: // VANTO32_STATUS_FAILED, or a code this program does not know
        return WriteFailure::BrokeOff;
    }
}

QString busyHolder()
{
    // Another user's program name is in it: printable ASCII only, and cut.
    QString holder = QString::fromLatin1(PortBusyHolder()).left(80);
    for (QChar &c : holder) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            c = QLatin1Char('?');
    }
    return holder;
}

Answer read()
{
    const bool present = PortAccess::probeDriver();
    const int status = PortStatus();
    const WriteFailure failure = failureOf(status);
    if (failure != WriteFailure::None || !present) {
        qCDebug(lcHardware).noquote().nospace() << "no port access at the start-up test: port layer status "
                                                << status << (present ? "" : ", driver absent");
    }
    // The driver-absent answer without a failure reported is a lack of access all the same.
    return {present, failure == WriteFailure::None && !present ? WriteFailure::NoAccess : failure};
}

AccessState probe(const TSystemState &system)
{
    const Answer answer = read();
    if (answer.failure == WriteFailure::None)
        return AccessState::Available;
    return cause(answer.failure, system);
}

AccessState cause(WriteFailure failure, const TSystemState &system)
{
    if (failure == WriteFailure::LockedDown || system.lockedDown())
        return AccessState::LockedDown;
    if (!kernelHasPortIo(system))
        return AccessState::NoPortIo;
    if (!mayRunHelper())
        return AccessState::NotInGroup;
    if (!system.writeLock)
        return AccessState::NoWriteLock;
    return AccessState::NoCapability;
}

AccessState failureCause(WriteFailure failure, std::optional<AccessState> known)
{
    if (!isAccessFailure(failure))
        return AccessState::Available;
    if (failure == WriteFailure::LockedDown)
        return AccessState::LockedDown;
    if (known)
        return *known == AccessState::Available ? AccessState::NotInGroup : *known;
    return cause(failure, TSystemState::read());
}

bool kernelHasPortIo(const TSystemState &system)
{
    if (system.kernelPortIo)
        return *system.kernelPortIo;
#if defined(__x86_64__) || defined(__i386__)
    // Giving up access one has not got is allowed to everyone; a kernel without the call says ENOSYS.
    return ioperm(PortAccess::DriverProbePort, 1, 0) == 0 || errno != ENOSYS;
#else
    return false;
#endif
}

bool mayRunHelper()
{
    if (geteuid() == 0)
        return true;
    const group *helperGroup = getgrnam("tr4410");
    if (!helperGroup)
        return false;
    if (getegid() == helperGroup->gr_gid)
        return true;
    const int n = getgroups(0, nullptr);
    std::vector<gid_t> groups(std::size_t(std::max(n, 0)));
    if (n <= 0 || getgroups(n, groups.data()) < 0)
        return false;
    return std::find(groups.begin(), groups.end(), helperGroup->gr_gid) != groups.end();
}

} // namespace PortAccessProbe
