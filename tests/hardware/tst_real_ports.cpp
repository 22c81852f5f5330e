// The real port-I/O library in a process that may not touch I/O ports: it must answer "driver
// absent" and write nothing, instead of faulting. The suite often runs as root, so the test takes
// the port capability away from itself and from everything it starts (the bounding set), the
// port helper included.

#include "vanto32.h"

#include <QTest>

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif

namespace {

bool dropRawIo()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    const unsigned bit = 1u << CAP_SYS_RAWIO; // below 32: first word
    data[0].effective &= ~bit;
    data[0].permitted &= ~bit;
    data[0].inheritable &= ~bit;
    if (prctl(PR_CAPBSET_DROP, CAP_SYS_RAWIO, 0, 0, 0) != 0 &&
        prctl(PR_CAPBSET_READ, CAP_SYS_RAWIO, 0, 0, 0) != 0)
        return false;
    return syscall(SYS_capset, &header, data) == 0;
}

bool mayUsePorts()
{
#if defined(__x86_64__) || defined(__i386__)
    if (ioperm(0x80, 1, 1) != 0)
        return false;
    ioperm(0x80, 1, 0);
    return true;
#else
    return false;
#endif
}

} // namespace

class TestRealPorts : public QObject
{
    Q_OBJECT

private slots:
    void portsBeyondTheIoSpaceAreAbsentEvenWithAccess()
    {
        // runs first, while a root test process still holds the capability
        QCOMPARE(InPortB(0x10000), uint16_t(VANTO32_DRIVER_ABSENT));
        QCOMPARE(InPortB(0xFFFFFFFFu), uint16_t(VANTO32_DRIVER_ABSENT));
        OutPortB(0x10000, 0x55);
        OutPortB(0xFFFFFFFFu, 0x55);
    }

    void withoutPortAccess()
    {
        QVERIFY2(dropRawIo(), "could not drop CAP_SYS_RAWIO");
        QVERIFY2(!mayUsePorts(), "the process can still open I/O ports");
        PortStatus(); // a fresh count

        QCOMPARE(InPortB(0x61), uint16_t(VANTO32_DRIVER_ABSENT));
        QCOMPARE(InPortB(0x0000), uint16_t(VANTO32_DRIVER_ABSENT));
        QCOMPARE(InPortB(0xFFFF), uint16_t(VANTO32_DRIVER_ABSENT));
        // An out instruction without permission would end the process with SIGSEGV; getting past
        // these lines shows that nothing was attempted.
        OutPortB(0x80, 0x12);
        OutPortB(0x301, 1);
        OutPortB(0x302, 0x20);
        QCOMPARE(InPortB(0x61), uint16_t(VANTO32_DRIVER_ABSENT));
        QCOMPARE(PortStatus(), VANTO32_STATUS_NO_ACCESS);
        QCOMPARE(PortStatus(), VANTO32_STATUS_OK);
    }
};

QTEST_GUILESS_MAIN(TestRealPorts)
#include "tst_real_ports.moc"
