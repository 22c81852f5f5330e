#include "linux_setup.h"

#include <QFileInfo>

namespace {
constexpr quint16 StandardAddresses[TLinuxSetup::StandardPortCount] = {0x3F8, 0x2F8, 0x3E8, 0x2E8};
} // namespace

TLinuxSetup::TLinuxSetup(const ResourceRules::Addresses &addresses, int irq, bool x8Clock)
    : m_irq(irq)
    , m_baudBase(x8Clock ? X8BaudBase : X1BaudBase)
{
    int next = StandardPortCount;
    for (int port = 0; port < ResourceRules::PortCount; ++port) {
        const quint16 address = addresses[std::size_t(port)];
        int number = -1;
        for (int standard = 0; standard < StandardPortCount; ++standard) {
            if (StandardAddresses[standard] == address)
                number = standard;
        }
        if (number < 0)
            number = next++;
        m_devices.append({port, number, address});
    }
}

int TLinuxSetup::uartCount() const
{
    int count = StandardPortCount;
    for (const Device &device : m_devices)
        count = std::max(count, device.ttyNumber + 1);
    return count;
}

QString TLinuxSetup::kernelParameter() const
{
    return QStringLiteral("8250.nr_uarts=%1").arg(uartCount());
}

QStringList TLinuxSetup::setserialLines() const
{
    QStringList lines;
    for (const Device &device : m_devices) {
        lines.append(
            QStringLiteral("setserial /dev/ttyS%1 port 0x%2 irq %3 uart 16550A baud_base %4 autoconfig")
                .arg(device.ttyNumber)
                .arg(device.address, 0, 16)
                .arg(m_irq)
                .arg(m_baudBase));
    }
    return lines;
}

QString TLinuxSetup::setserialScript() const
{
    QString script = QStringLiteral("#!/bin/sh\n"
                                    "# The TR-4410's ports A to H: address, shared IRQ and UART type.\n"
                                    "set -e\n");
    for (const QString &line : setserialLines())
        script += line + QLatin1Char('\n');
    return script + udevTrigger() + QLatin1Char('\n');
}

QString TLinuxSetup::udevTrigger() const
{
    QString command = QStringLiteral("udevadm trigger --action=change --settle");
    for (const Device &device : m_devices)
        command += QStringLiteral(" /sys/class/tty/ttyS%1").arg(device.ttyNumber);
    return command;
}

QString TLinuxSetup::grubDropIn() const
{
    return QStringLiteral("# The TR-4410's ports A to H need %1 lines of the 8250 serial driver. Written by\n"
                          "# tr4410ctl linux; takes effect after update-grub and a restart.\n"
                          "GRUB_CMDLINE_LINUX=\"$GRUB_CMDLINE_LINUX %2\"\n")
        .arg(uartCount())
        .arg(kernelParameter());
}

QString TLinuxSetup::systemdUnit() const
{
    QString unit =
        QStringLiteral("[Unit]\n"
                       "Description=TR-4410 serial ports A to H (addresses and shared IRQ)\n"
                       "Before=getty-pre.target\n"
                       "Wants=getty-pre.target\n"
                       "\n"
                       "[Service]\n"
                       "Type=oneshot\n"
                       "RemainAfterExit=yes\n"
                       "ExecCondition=/bin/sh -c 'test -x /bin/setserial || { echo \"setserial is not "
                       "installed (apt install setserial): the TR-4410 ports A to H are not set "
                       "up\"; exit 1; }'\n");
    for (const QString &line : setserialLines())
        unit += QStringLiteral("ExecStart=/bin/") + line + QLatin1Char('\n');
    unit += QStringLiteral("ExecStartPost=/bin/") + udevTrigger() + QLatin1Char('\n');
    unit += QStringLiteral("\n"
                           "[Install]\n"
                           "WantedBy=multi-user.target\n");
    return unit;
}

QString TLinuxSetup::text() const
{
    QString text =
        QStringLiteral("# Linux set-up of the TR-4410's ports A to H, to run as root once the DF jumper\n"
                       "# is removed.\n"
                       "#\n"
                       "# 1. The 8250 serial driver must hold %1 ports: the kernel parameter %2 in a\n"
                       "#    GRUB drop-in; it takes effect after update-grub and a restart.\n"
                       "mkdir -p %3\n"
                       "cat >%4 <<'EOF'\n")
            .arg(uartCount())
            .arg(kernelParameter(), QFileInfo(QLatin1String(GrubDropIn)).path(), QLatin1String(GrubDropIn));
    text += grubDropIn();
    text += QStringLiteral("EOF\n"
                           "update-grub\n"
                           "#\n"
                           "# 2. Where each port is (package setserial), and udev told of the change:\n");
    const QStringList lines = setserialLines();
    for (const Device &device : m_devices)
        text += lines.at(device.port) + QStringLiteral("  # port ") + ResourceRules::portLetter(device.port) +
                QLatin1Char('\n');
    text += udevTrigger() + QLatin1Char('\n');
    text += QStringLiteral("#\n"
                           "# 3. The same at every boot:\n"
                           "cat >/etc/systemd/system/%1 <<'EOF'\n")
                .arg(QLatin1String(UnitName));
    text += systemdUnit();
    text += QStringLiteral("EOF\n"
                           "systemctl daemon-reload\n"
                           "systemctl enable %1\n")
                .arg(QLatin1String(UnitName));
    return text;
}
