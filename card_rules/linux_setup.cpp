#include "linux_setup.h"

#include "card_jumpers.h"
#include "card_stack.h"

#include <QFileInfo>

#include <QSet>

#include <algorithm>

namespace {
constexpr quint16 StandardAddresses[TLinuxSetup::StandardPortCount] = {0x3F8, 0x2F8, 0x3E8, 0x2E8};

int standardLine(quint16 address)
{
    const auto *found = std::find(std::begin(StandardAddresses), std::end(StandardAddresses), address);
    return found == std::end(StandardAddresses) ? -1 : int(found - std::begin(StandardAddresses));
}

// ttyS<number> when the running kernel has a UART there at another address than this port's.
std::optional<TSystemState::SerialLine> uartElsewhere(const TSystemState &system, int number, quint32 address)
{
    for (const TSystemState::SerialLine &line : system.serialLines) {
        if (line.number == number && line.type != 0 && line.port != address)
            return line;
    }
    return std::nullopt;
}
} // namespace

TLinuxSetup::TLinuxSetup(const ResourceRules::Addresses &addresses, int irq, bool x8Clock)
    : TLinuxSetup(QList<Card>{{QString(), CardJumpers::DefaultControlBase, addresses, irq, x8Clock}},
                  TSystemState())
{
}

TLinuxSetup::TLinuxSetup(const QList<Card> &cards, const TSystemState &system)
    : m_cards(cards)
{
    std::stable_sort(m_cards.begin(), m_cards.end(),
                     [](const Card &a, const Card &b) { return a.controlBase < b.controlBase; });
    assignLines(system);
    if (system.buildLimit && uartCount() > *system.buildLimit) {
        QStringList others;
        for (const Skipped &line : m_skipped)
            others.append(QStringLiteral("ttyS%1").arg(line.ttyNumber));
        m_problems.append(
            QStringLiteral("the set-up needs %1 serial lines (ttyS0 to ttyS%2%3), but this kernel is built "
                           "for at most %4 (CONFIG_SERIAL_8250_NR_UARTS): give ports the standard addresses "
                           "0x3F8, 0x2F8, 0x3E8 and 0x2E8, or use a kernel built for more")
                .arg(uartCount())
                .arg(uartCount() - 1)
                .arg(others.isEmpty()     ? QString()
                     : others.size() == 1 ? QStringLiteral("; %1 is another serial port").arg(others.first())
                                          : QStringLiteral("; %1 are other serial ports")
                                                .arg(others.join(QStringLiteral(", "))))
                .arg(*system.buildLimit));
    }
}

QString TLinuxSetup::stableName(quint32 controlBase, int port)
{
    return QStringLiteral("/dev/tr4410/%1/%2")
        .arg(QString::number(controlBase, 16).toUpper())
        .arg(ResourceRules::portLetter(port));
}

void TLinuxSetup::assignLines(const TSystemState &system)
{
    QSet<quint32> cardAddresses;
    for (const Card &card : std::as_const(m_cards))
        for (const quint16 address : card.addresses)
            cardAddresses.insert(address);
    QSet<int> taken;
    for (int c = 0; c < m_cards.size(); ++c) {
        const Card &card = m_cards.at(c);
        for (int port = 0; port < ResourceRules::PortCount; ++port) {
            const quint16 address = card.addresses[std::size_t(port)];
            int number = standardLine(address);
            for (int n = StandardPortCount; number < 0; ++n) {
                const std::optional<TSystemState::SerialLine> line = uartElsewhere(system, n, address);
                if (line && !cardAddresses.contains(line->port) &&
                    std::none_of(m_skipped.begin(), m_skipped.end(),
                                 [n](const Skipped &s) { return s.ttyNumber == n; }))
                    m_skipped.append({n, line->port});
                if (!line && !taken.contains(n))
                    number = n;
            }
            taken.insert(number);
            m_devices.append({int(c), card.file, card.controlBase, port, number, address, card.irq,
                              card.x8Clock ? X8BaudBase : X1BaudBase});
        }
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
                .arg(device.irq)
                .arg(device.baudBase));
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
    return QStringLiteral("# %1 need %2 lines of the 8250 serial driver. Written by\n"
                          "# tr4410ctl linux; takes effect after update-grub and a restart.\n"
                          "GRUB_CMDLINE_LINUX=\"$GRUB_CMDLINE_LINUX %3\"\n")
        .arg(subject())
        .arg(uartCount())
        .arg(kernelParameter());
}

QString TLinuxSetup::systemdUnit() const
{
    // tr4410ctl apply chooses the lines at each boot, sets them up and has udev make the stable
    // names; so it runs once udev does, and before any getty holds a line open.
    return QStringLiteral("[Unit]\n"
                          "Description=TR-4410 serial ports (lines, addresses, IRQs and stable names)\n"
                          "Documentation=man:tr4410ctl(1)\n"
                          "Wants=systemd-udevd.service getty-pre.target\n"
                          "After=systemd-udevd.service\n"
                          "Before=getty-pre.target\n"
                          "\n"
                          "[Service]\n"
                          "Type=oneshot\n"
                          "RemainAfterExit=yes\n"
                          "ExecStart=" TR4410_BINDIR "/tr4410ctl apply\n"
                          "\n"
                          "[Install]\n"
                          "WantedBy=multi-user.target\n");
}

QString TLinuxSetup::text() const
{
    QString text =
        QStringLiteral("# Linux set-up of %1, to run as root once the DF jumper\n"
                       "# is removed.\n"
                       "#\n"
                       "# 1. The 8250 serial driver must hold %2 ports: the kernel parameter %3 in a\n"
                       "#    GRUB drop-in; it takes effect after update-grub and a restart.\n"
                       "mkdir -p %4\n"
                       "cat >%5 <<'EOF'\n")
            .arg(subject(true))
            .arg(uartCount())
            .arg(kernelParameter(), QFileInfo(QLatin1String(GrubDropIn)).path(), QLatin1String(GrubDropIn));
    text += grubDropIn();
    text += QStringLiteral("EOF\n"
                           "update-grub\n"
                           "#\n"
                           "# 2. Where each port is (package setserial), and udev told of the change:\n");
    const QStringList lines = setserialLines();
    for (int i = 0; i < m_devices.size(); ++i)
        text += lines.at(i) + QStringLiteral("  # ") + portComment(m_devices.at(i)) + QLatin1Char('\n');
    for (const Skipped &line : m_skipped)
        text += QStringLiteral("# ttyS%1 is another serial port, at %2: left as it is.\n")
                    .arg(line.ttyNumber)
                    .arg(CardJumpers::prefixedText(line.port));
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

QString TLinuxSetup::portComment(const Device &device) const
{
    const QString port = QStringLiteral("port ") + ResourceRules::portLetter(device.port);
    if (m_cards.size() == 1)
        return port;
    const QString file = CardStack::shownName(device.cardFile);
    return QStringLiteral("card %1%2, %3: %4")
        .arg(CardJumpers::prefixedText(device.controlBase),
             file.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(file), port,
             stableName(device.controlBase, device.port));
}

// What the set-up is of, as its comments name it.
QString TLinuxSetup::subject(bool of) const
{
    if (m_cards.size() == 1)
        return of ? QStringLiteral("the TR-4410's ports A to H")
                  : QStringLiteral("The TR-4410's ports A to H");
    const QString cards =
        QStringLiteral("the %1 ports of %2 TR-4410 cards").arg(m_devices.size()).arg(m_cards.size());
    return of ? cards : cards.left(1).toUpper() + cards.mid(1);
}

QString TLinuxSetup::stableNameText() const
{
    QString text =
        QStringLiteral("# Name the ports by their stable names in applications and in serial-getty@:\n"
                       "# udev keeps them pointing at whichever line each port has.\n");
    for (const Device &device : m_devices)
        text += QStringLiteral("#   %1  (ttyS%2)\n")
                    .arg(stableName(device.controlBase, device.port))
                    .arg(device.ttyNumber);
    return text;
}
