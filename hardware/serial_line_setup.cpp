#include "serial_line_setup.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString hex(quint32 value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

// The descriptor closed whatever happens.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Why the line cannot be changed: it is open elsewhere, or the driver refuses the values.
QString setFailure(int error, const SerialLineSetup::Line &line)
{
    switch (error) {
    case EBUSY:
        return QStringLiteral("%1 is open in another program: close it (or stop its getty) and apply "
                              "again")
            .arg(line.device);
    case EPERM:
    case EACCES:
        return QStringLiteral("%1 cannot be changed: run as root").arg(line.device);
    case EINVAL:
        return QStringLiteral("%1 refuses port %2, IRQ %3, baud base %4 (%5)")
            .arg(line.device, hex(line.address))
            .arg(line.irq)
            .arg(line.baudBase)
            .arg(errorText(error));
    default:
        return QStringLiteral("%1 cannot be set up: %2").arg(line.device, errorText(error));
    }
}

} // namespace

namespace SerialLineSetup {

QString apply(const Line &line)
{
    // A link or any other kind of file in place of the device is never written through.
    const Descriptor port(open(QFile::encodeName(line.device).constData(),
                               O_RDWR | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    if (port.fd() < 0)
        return QStringLiteral("%1 cannot be opened: %2").arg(line.device, errorText(errno));
    struct stat status
    {
    };
    if (fstat(port.fd(), &status) != 0 || !S_ISCHR(status.st_mode))
        return QStringLiteral("%1 is not a character device: not touched").arg(line.device);
    serial_struct serial{};
    if (ioctl(port.fd(), TIOCGSERIAL, &serial) != 0)
        return QStringLiteral("%1 is not a serial line (%2)").arg(line.device, errorText(errno));
    // Another UART's line (the board's, a PCI card's) is left alone, whatever the caller thought.
    if (serial.type != PORT_UNKNOWN && quint32(serial.port) != line.address)
        return QStringLiteral("%1 is a UART at %2 already: not changed").arg(line.device, hex(serial.port));
    // No type yet: the driver's probe then finds out whether a UART answers at the address at all
    // (a probe that fails leaves a type that was given standing).
    serial.port = line.address;
    serial.irq = line.irq;
    serial.type = PORT_UNKNOWN;
    serial.baud_base = line.baudBase;
    if (ioctl(port.fd(), TIOCSSERIAL, &serial) != 0 || ioctl(port.fd(), TIOCSERCONFIG) != 0)
        return setFailure(errno, line);
    serial_struct found{};
    if (ioctl(port.fd(), TIOCGSERIAL, &found) != 0)
        return QStringLiteral("%1 cannot be read back (%2)").arg(line.device, errorText(errno));
    if (found.type == PORT_UNKNOWN)
        return QStringLiteral("no UART answers at %1 (%2): check the card's jumpers and its port "
                              "addresses (tr4410ctl write)")
            .arg(hex(line.address), line.device);
    // The card's UARTs are 16550As, whatever the probe took them for: their FIFOs in use.
    found.type = PORT_16550A;
    if (ioctl(port.fd(), TIOCSSERIAL, &found) != 0)
        return setFailure(errno, line);
    return {};
}

} // namespace SerialLineSetup
