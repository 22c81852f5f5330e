#include "serial_port_test.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

// The modem-control bit of the UART's internal loopback: Linux's value, which glibc's headers
// leave out (<asm/termios.h>, which has it, clashes with <termios.h>).
#ifndef TIOCM_LOOP
#define TIOCM_LOOP 0x8000
#endif

namespace {

using Clock = std::chrono::steady_clock;
constexpr qsizetype FifoBytes = 16; // a 16550's receive FIFO

QString hex(quint32 value)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(value, 3, 16, QLatin1Char('0')).toUpper();
}

speed_t speedCode(int baud)
{
    switch (baud) {
    case 921600:
        return B921600;
    case 460800:
        return B460800;
    case 230400:
        return B230400;
    default:
        return B115200;
    }
}

// The port's descriptor, its settings and modem lines given back as they were, whatever happens.
class OpenPort
{
public:
    explicit OpenPort(int fd)
        : m_fd(fd)
    {
        m_saved = tcgetattr(m_fd, &m_termios) == 0;
        m_savedLines = ioctl(m_fd, TIOCMGET, &m_lines) == 0;
    }
    ~OpenPort()
    {
        int loop = TIOCM_LOOP;
        ioctl(m_fd, TIOCMBIC, &loop);
        if (m_savedLines) {
            int lines = m_lines & (TIOCM_RTS | TIOCM_DTR);
            ioctl(m_fd, TIOCMSET, &lines);
        }
        if (m_saved)
            tcsetattr(m_fd, TCSANOW, &m_termios);
        ioctl(m_fd, TIOCNXCL);
        close(m_fd);
    }
    OpenPort(const OpenPort &) = delete;
    OpenPort &operator=(const OpenPort &) = delete;
    int fd() const { return m_fd; }
    bool saved() const { return m_saved; }
    const termios &settings() const { return m_termios; }

private:
    int m_fd;
    termios m_termios{};
    int m_lines = 0;
    bool m_saved = false;
    bool m_savedLines = false;
};

// Sends the pattern and reads it back within the deadline; the number of bytes that came back.
int passPattern(int fd, const QByteArray &pattern, QByteArray &received)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(TSerialPortTest::DeadlineMs);
    qsizetype sent = 0;
    received.clear();
    char buffer[512];
    while (received.size() < pattern.size() && Clock::now() < deadline) {
        // A FIFO's worth at a time, once the last has come back: the loopback has no flow control,
        // and a receive FIFO that overflows loses bytes.
        if (sent < pattern.size() && received.size() == sent) {
            const ssize_t n = write(fd, pattern.constData() + sent,
                                    size_t(std::min<qsizetype>(FifoBytes, pattern.size() - sent)));
            if (n > 0)
                sent += n;
        }
        pollfd in{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (poll(&in, 1, int(std::max<qint64>(1, std::min<qint64>(left.count(), 20)))) > 0) {
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n > 0)
                received.append(buffer, n);
        }
    }
    return int(received.size());
}

// PC serial cards pass the UART's interrupt to the bus through OUT2, which the internal loopback
// holds off; the driver then never hears that it may send.
QString silentLoopbackHint()
{
    return QStringLiteral(": where the card passes no interrupt in the internal loopback, the driver "
                          "sends nothing; test with a loopback plug (--external)");
}

bool lineSet(int fd, int line)
{
    int lines = 0;
    return ioctl(fd, TIOCMGET, &lines) == 0 && (lines & line) != 0;
}

// Sets `on` and clears `off` among RTS and DTR, then tells whether each loops back as it should.
QString modemLines(int fd, bool external)
{
    const struct
    {
        int out, in;
        const char *name;
    } pairs[] = {{TIOCM_RTS, TIOCM_CTS, "RTS does not come back on CTS"},
                 {TIOCM_DTR, TIOCM_DSR, "DTR does not come back on DSR"}};
    for (const auto &pair : pairs) {
        if (external && pair.out == TIOCM_DTR)
            break; // the plug joins RTS to CTS only
        for (const bool on : {true, false}) {
            int bit = pair.out;
            ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bit);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (lineSet(fd, pair.in) != on)
                return QLatin1String(pair.name);
        }
    }
    return QString();
}

QString unknownUart(quint32 address)
{
    return QStringLiteral("the driver knows no UART at %1 (type unknown): apply the Linux set-up")
        .arg(hex(address));
}

// Why a port's device cannot be opened, from open()'s error.
QString openFailure(int error, const QString &device, quint32 address)
{
    switch (error) {
    case EBUSY:
        return QStringLiteral("busy: in exclusive use by another program; not touched");
    case ENODEV:
    case EIO:
        return QStringLiteral("%1 cannot be opened: no UART answers at %2").arg(device, hex(address));
    case EACCES:
        return QStringLiteral(
                   "%1 cannot be opened: permission denied (join the group dialout, or run as root)")
            .arg(device);
    default:
        return QStringLiteral("%1 cannot be opened: %2").arg(device, QString::fromLocal8Bit(strerror(error)));
    }
}

} // namespace

TSerialPortTest::TSerialPortTest(const TSystemState &system)
    : m_system(system)
{
}

QList<TSerialPortTest::Result> TSerialPortTest::run(const QList<Port> &ports,
                                                    QList<Interrupts> *counted) const
{
    QList<int> irqs;
    for (const Port &port : ports) {
        if (port.irq > 0 && !irqs.contains(port.irq))
            irqs.append(port.irq);
    }
    const QList<TSystemState::InterruptLine> before = TSystemState::readInterrupts(m_system.root);
    // One port after the other: ports that share an ISA interrupt line and raise it at once can
    // lose each other's edges where the line is not wired-OR (as in QEMU), and a test takes a few
    // tens of milliseconds.
    QList<Result> results;
    for (const Port &port : ports)
        results.append(run(port));
    const QList<TSystemState::InterruptLine> after = TSystemState::readInterrupts(m_system.root);
    for (const int irq : irqs) {
        if (counted)
            counted->append({irq, TSystemState::interruptCount(before, irq).value_or(0),
                             TSystemState::interruptCount(after, irq).value_or(0)});
    }

    // The loopback raises the UART's interrupt; a count that did not move means it never arrived.
    for (Result &result : results) {
        const auto from = TSystemState::interruptCount(before, result.irq);
        const auto to = TSystemState::interruptCount(after, result.irq);
        if (!result.passed || result.irq <= 0 || (from && to && *to > *from))
            continue;
        result.passed = false;
        result.reason =
            QStringLiteral("IRQ %1 did not count during the test: the IRQ is not reaching the CPU "
                           "(another device holds it, or the firmware does not route it); confirm "
                           "with setserial /dev/%2 irq 0, which makes the driver poll, and test again")
                .arg(result.irq)
                .arg(result.device);
    }
    return results;
}

TSerialPortTest::Result TSerialPortTest::run(const Port &port) const
{
    Result result;
    result.port = port.port;
    result.address = port.address;
    result.reason = deviceReason(port, result);
    if (!result.reason.isEmpty())
        return result;
    const QString path = m_system.path(QStringLiteral("/dev/") + result.device);
    result.reason = busyReason(path);
    if (!result.reason.isEmpty()) {
        result.busy = true;
        return result;
    }
    const int fd = open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        result.busy = error == EBUSY;
        result.reason = openFailure(error, result.device, port.address);
        return result;
    }
    const OpenPort guard(fd);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        result.busy = true;
        result.reason = QStringLiteral("busy: locked by another program; not touched");
        return result;
    }
    ioctl(fd, TIOCEXCL); // no other program opens it during the test
    result.reason = openedReason(fd, port, result);
    result.passed = result.reason.isEmpty();
    return result;
}

QString TSerialPortTest::deviceReason(const Port &port, Result &result) const
{
    const auto line = m_system.lineAt(port.address);
    if (!line) {
        return QStringLiteral("Linux has no serial line at %1: apply the Linux set-up (tr4410ctl linux) "
                              "and restart")
            .arg(hex(port.address));
    }
    result.device = QStringLiteral("ttyS%1").arg(line->number);
    if (line->type == PORT_UNKNOWN)
        return unknownUart(port.address);
    return {};
}

QString TSerialPortTest::openedReason(int fd, const Port &port, Result &result) const
{
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        result.uart = TSystemState::uartName(serial.type);
        result.irq = serial.irq;
    }
    if (serial.type == PORT_UNKNOWN)
        return unknownUart(port.address);
    if (result.irq != port.irq) {
        return QStringLiteral("%1 at %2 has IRQ %3, the card IRQ %4: apply the Linux set-up (setserial)")
            .arg(result.device, hex(port.address))
            .arg(result.irq)
            .arg(port.irq);
    }
    return exercise(fd, port);
}

QString TSerialPortTest::exercise(int fd, const Port &port)
{
    termios raw{};
    if (tcgetattr(fd, &raw) != 0) {
        // Root may open a port whose start-up failed, for setserial's sake; it then answers EIO.
        if (errno == EIO)
            return QStringLiteral("no UART answers at %1 (the driver reports an I/O error)")
                .arg(hex(port.address));
        return QStringLiteral("its settings cannot be read: %1").arg(QString::fromLocal8Bit(strerror(errno)));
    }
    cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    raw.c_cflag &= ~CRTSCTS;
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    int loop = TIOCM_LOOP;
    if (!port.external && ioctl(fd, TIOCMBIS, &loop) != 0)
        return QStringLiteral("the driver refuses the internal loopback (TIOCM_LOOP)");
    QByteArray pattern(PatternBytes, Qt::Uninitialized);
    for (int i = 0; i < PatternBytes; ++i)
        pattern[i] = char((i * 37 + port.port) & 0xFF); // every byte value once
    const QString how = port.external ? QStringLiteral("loopback plug") : QStringLiteral("internal loopback");
    for (const int speed : port.speeds) {
        cfsetispeed(&raw, speedCode(speed));
        cfsetospeed(&raw, speedCode(speed));
        if (tcsetattr(fd, TCSANOW, &raw) != 0)
            return QStringLiteral("%1 baud cannot be set").arg(speed);
        tcflush(fd, TCIOFLUSH);
        QByteArray received;
        const int got = passPattern(fd, pattern, received);
        if (got < pattern.size())
            return QStringLiteral("the %1 at %2 baud returned %3 of %4 bytes within %5 ms (UART at %6)%7")
                .arg(how)
                .arg(speed)
                .arg(got)
                .arg(pattern.size())
                .arg(DeadlineMs)
                .arg(hex(port.address))
                .arg(got == 0 && !port.external ? silentLoopbackHint() : QString());
        if (received.left(pattern.size()) != pattern)
            return QStringLiteral("the %1 at %2 baud brought the pattern back changed").arg(how).arg(speed);
    }
    return modemLines(fd, port.external);
}

QString TSerialPortTest::busyReason(const QString &device) const
{
    struct stat target
    {
    };
    if (stat(QFile::encodeName(device).constData(), &target) != 0 || !S_ISCHR(target.st_mode))
        return QString();
    // The lock files of the UUCP convention, kept by terminal programs.
    const QString name = QFileInfo(device).fileName();
    for (const char *dir : {"/run/lock", "/var/lock"}) {
        QFile lock(m_system.path(QLatin1String(dir) + QStringLiteral("/LCK..") + name));
        if (!lock.open(QIODevice::ReadOnly))
            continue;
        const int pid = lock.readAll().trimmed().toInt();
        if (pid > 0 && (kill(pid, 0) == 0 || errno == EPERM))
            return QStringLiteral("busy: locked by process %1 (%2); not touched")
                .arg(pid)
                .arg(lock.fileName());
    }
    // Another process holding it open, where this user may look.
    const QString proc = m_system.path(QStringLiteral("/proc"));
    const QStringList pids = QDir(proc).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        if (pid.toInt() <= 0 || pid.toInt() == getpid())
            continue;
        const QDir fds(proc + QLatin1Char('/') + pid + QStringLiteral("/fd"));
        for (const QString &fd : fds.entryList(QDir::Files | QDir::System)) {
            struct stat open
            {
            };
            if (stat(QFile::encodeName(fds.filePath(fd)).constData(), &open) == 0 && S_ISCHR(open.st_mode) &&
                open.st_rdev == target.st_rdev) {
                QFile comm(proc + QLatin1Char('/') + pid + QStringLiteral("/comm"));
                comm.open(QIODevice::ReadOnly);
                return QStringLiteral("busy: open in %1 (process %2); not touched")
                    .arg(QString::fromLocal8Bit(comm.readAll().trimmed()), pid);
            }
        }
    }
    return QString();
}
