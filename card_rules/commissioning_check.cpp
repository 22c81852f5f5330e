#include "commissioning_check.h"

#include "card_conflicts.h"
#include "card_jumpers.h"
#include "card_registers.h"

#include <QRegularExpression>

#include <algorithm>

namespace Commissioning {

namespace {

using ResourceRules::dataRegister;
using ResourceRules::indexRegister;
using ResourceRules::PortSize;

constexpr quint32 StandardPorts[] = {0x3F8, 0x2F8, 0x3E8, 0x2E8}; // COM1 to COM4

QString hex(quint32 value)
{
    return CardJumpers::prefixedText(value);
}

bool overlap(quint32 first, quint32 last, quint32 otherFirst, quint32 otherLast)
{
    return first <= otherLast && otherFirst <= last;
}

int comNumber(quint32 address)
{
    for (int i = 0; i < 4; ++i) {
        if (StandardPorts[i] == address)
            return i + 1;
    }
    return 0;
}

// A UART that Linux found (or was told about): a line without one is a free slot.
bool realLine(const TSystemState::SerialLine &line)
{
    return line.port != 0 && line.type != 0;
}

bool cardPort(const Setup &setup, const TSystemState::SerialLine &line)
{
    for (const quint16 address : setup.addresses) {
        if (line.port == address && line.irq == setup.irq)
            return true;
    }
    return false;
}

// What else is in [first, last]: the serial lines, then the other claims of /proc/ioports
// (the serial driver's own claims are the lines already).
QString collision(const Setup &setup, const TSystemState &system, quint32 first, quint32 last)
{
    for (const TSystemState::SerialLine &line : system.serialLines) {
        if (!realLine(line) || cardPort(setup, line) ||
            !overlap(first, last, line.port, line.port + PortSize - 1))
            continue;
        if (const int com = comNumber(line.port))
            return QStringLiteral(
                       "ttyS%1, the board's own serial port, IRQ %2: turn COM%3 off in the firmware "
                       "set-up or choose another address")
                .arg(line.number)
                .arg(line.irq)
                .arg(com);
        return QStringLiteral(
                   "ttyS%1, a serial port at %2, IRQ %3: turn that port off or choose another address")
            .arg(line.number)
            .arg(hex(line.port))
            .arg(line.irq);
    }
    for (const TSystemState::PortClaim &claim : system.portClaims) {
        if (claim.name == QLatin1String("serial") || claim.name.startsWith(QLatin1String("PCI Bus")) ||
            !overlap(first, last, claim.first, claim.last))
            continue;
        return QStringLiteral("%1 to %2, claimed by %3 (/proc/ioports): choose another address")
            .arg(hex(claim.first), hex(claim.last), claim.name);
    }
    return QString();
}

Finding portFinding(const Setup &setup, const TSystemState &system, int port)
{
    const quint32 address = setup.addresses[std::size_t(port)];
    const QString topic = QStringLiteral("port ") + ResourceRules::portLetter(port);
    const QString other = collision(setup, system, address, address + PortSize - 1);
    const QString where = QStringLiteral("%1 at %2").arg(topic, hex(address));
    if (!other.isEmpty())
        return {Severity::Problem, topic, where + QStringLiteral(" overlaps ") + other};
    const quint32 control = CardJumpers::settableAddress(setup.controlBase);
    if (overlap(address, address + PortSize - 1, indexRegister(control), dataRegister(control)))
        return {Severity::Problem, topic,
                where +
                    QStringLiteral(" overlaps the card's own control registers at %1 and %2: choose another "
                                   "address")
                        .arg(hex(indexRegister(control)), hex(dataRegister(control)))};
    if (const auto line = system.lineAt(address); line && realLine(*line))
        return {Severity::Ok, topic,
                where + QStringLiteral(" is ttyS%1, IRQ %2, %3, set up for this card")
                            .arg(line->number)
                            .arg(line->irq)
                            .arg(TSystemState::uartName(line->type))};
    return {Severity::Ok, topic, where + QStringLiteral(": no other device is known there")};
}

Finding controlBlockFinding(const Setup &setup, const TSystemState &system)
{
    const quint32 control = CardJumpers::settableAddress(setup.controlBase);
    const quint32 first = indexRegister(control);
    const quint32 last = dataRegister(control);
    const QString where =
        QStringLiteral("the card's control registers at %1 and %2").arg(hex(first), hex(last));
    const QString other = collision(setup, system, first, last);
    if (!other.isEmpty())
        return {Severity::Problem, QStringLiteral("control registers"),
                where + QStringLiteral(" overlap ") + other};
    return {Severity::Ok, QStringLiteral("control registers"),
            where + QStringLiteral(": no other device is known there")};
}

bool serialDriver(const QString &device)
{
    static const QRegularExpression tty(QStringLiteral("^ttyS\\d+$"));
    return device == QLatin1String("serial") || tty.match(device).hasMatch();
}

Finding irqFinding(const Setup &setup, const TSystemState &system)
{
    const QString topic = QStringLiteral("IRQ");
    for (const TSystemState::InterruptLine &line : system.interrupts) {
        if (line.irq != setup.irq)
            continue;
        for (const QString &device : line.devices) {
            if (!serialDriver(device))
                return {Severity::Problem, topic,
                        QStringLiteral(
                            "IRQ %1 is held by %2 (/proc/interrupts): choose another IRQ, or turn that "
                            "device off in the firmware set-up")
                            .arg(setup.irq)
                            .arg(device)};
        }
    }
    // An ISA interrupt line is driven by one board: another board's UART on it would fight the card.
    for (const TSystemState::SerialLine &line : system.serialLines) {
        if (!realLine(line) || line.irq != setup.irq || cardPort(setup, line) ||
            std::find(setup.addresses.begin(), setup.addresses.end(), line.port) != setup.addresses.end())
            continue;
        const int com = comNumber(line.port);
        return {
            Severity::Problem, topic,
            QStringLiteral("IRQ %1 is that of ttyS%2 at %3%4: an ISA interrupt line serves one board; %5 or "
                           "choose another IRQ")
                .arg(setup.irq)
                .arg(line.number)
                .arg(hex(line.port))
                .arg(com ? QStringLiteral(", the board's own serial port") : QString())
                .arg(com ? QStringLiteral("turn COM%1 off in the firmware set-up").arg(com)
                         : QStringLiteral("turn that port off"))};
    }
    return {Severity::Ok, topic, QStringLiteral("IRQ %1 is held by no other device").arg(setup.irq)};
}

QString serialLineCount(int count)
{
    return count == 1 ? QStringLiteral("1 serial line") : QStringLiteral("%1 serial lines").arg(count);
}

Finding serialLinesFinding(const TLinuxSetup &linuxSetup, const TSystemState &system)
{
    const QString topic = QStringLiteral("serial lines");
    const int needed = linuxSetup.uartCount();
    const int have = system.nrUarts.value_or(int(system.serialLines.size()));
    if (have >= needed)
        return {
            Severity::Ok, topic,
            QStringLiteral("the kernel has %1; the set-up needs %2").arg(serialLineCount(have)).arg(needed)};
    if (system.buildLimit && *system.buildLimit < needed)
        return {
            Severity::Problem, topic,
            QStringLiteral("the set-up needs %1 serial lines, but this kernel is built for at most %2 "
                           "(CONFIG_SERIAL_8250_NR_UARTS): give ports the standard addresses 0x3F8, 0x2F8, "
                           "0x3E8 and 0x2E8, or use a kernel built for more")
                .arg(needed)
                .arg(*system.buildLimit)};
    return {Severity::Warning, topic,
            QStringLiteral("the kernel has %1; the set-up needs %2: the kernel parameter %3 is "
                           "missing (tr4410ctl linux --output writes it into /etc/default/grub.d/tr4410.cfg; "
                           "then run update-grub and restart)")
                .arg(serialLineCount(have))
                .arg(needed)
                .arg(linuxSetup.kernelParameter())};
}

Finding setserialFinding(const TSystemState &system)
{
    if (system.setserial.isEmpty())
        return {
            Severity::Warning, QStringLiteral("setserial"),
            QStringLiteral("setserial is not installed: install it (apt install setserial); the boot-time "
                           "set-up of the ports needs it")};
    return {Severity::Ok, QStringLiteral("setserial"),
            QStringLiteral("setserial is installed (%1)").arg(system.setserial)};
}

Finding controlBaseFinding(const Setup &setup)
{
    const QString topic = QStringLiteral("control base");
    if (CardJumpers::settableAddress(setup.controlBase) == setup.controlBase &&
        CardJumpers::controlBaseUsable(setup.controlBase))
        return {Severity::Ok, topic,
                QStringLiteral("the control base address %1 can be set on the jumpers and written")
                    .arg(hex(setup.controlBase))};
    return {
        Severity::Problem, topic,
        QStringLiteral("the control base address %1 cannot be used: the jumpers set, and the port helper "
                       "writes, %2; the nearest is %3")
            .arg(hex(setup.controlBase),
                 CardJumpers::rangeText(CardJumpers::ControlBaseRange, CardJumpers::RangeStyle::WithSteps),
                 hex(nearestControlBase(setup.controlBase)))};
}

Finding lockdownFinding(const TSystemState &system)
{
    if (!system.lockedDown())
        return {Severity::Ok, QStringLiteral("lockdown"), QStringLiteral("the kernel is not locked down")};
    return {
        Severity::Problem, QStringLiteral("lockdown"),
        QStringLiteral("the kernel is locked down (%1): Linux refuses direct port access and the address and "
                       "IRQ changes of setserial while it is locked down; turn Secure Boot off in the "
                       "firmware set-up (or with mokutil --disable-validation) to write the card and to use "
                       "its ports")
            .arg(system.lockdown)};
}

QList<Finding> cardFindings(const Setup &setup, const TSystemState &system)
{
    QList<Finding> findings{controlBaseFinding(setup)};
    for (int port = 0; port < ResourceRules::PortCount; ++port)
        findings.append(portFinding(setup, system, port));
    findings.append(controlBlockFinding(setup, system));
    findings.append(irqFinding(setup, system));
    return findings;
}

// A line the set-up leaves to another UART, named so that nobody wonders where ttyS4 went.
Finding skippedFinding(const TLinuxSetup::Skipped &skipped, const TSystemState &system)
{
    const std::optional<TSystemState::SerialLine> line = system.lineAt(skipped.port);
    return {Severity::Ok, QStringLiteral("ttyS%1").arg(skipped.ttyNumber),
            QStringLiteral("ttyS%1 is another serial port, at %2, IRQ %3, %4: the card's ports get other "
                           "lines and it is left as it is")
                .arg(skipped.ttyNumber)
                .arg(hex(skipped.port))
                .arg(line ? line->irq : 0)
                .arg(TSystemState::uartName(line ? line->type : 0))};
}

QList<Finding> machineFindings(const TLinuxSetup &linuxSetup, const TSystemState &system)
{
    QList<Finding> findings{serialLinesFinding(linuxSetup, system)};
    for (const TLinuxSetup::Skipped &skipped : linuxSetup.skipped())
        findings.append(skippedFinding(skipped, system));
    findings.append(setserialFinding(system));
    if (!system.portClaimsShown)
        findings.append(
            {Severity::Warning, QStringLiteral("ioports"),
             QStringLiteral("the I/O port claims of other devices (/proc/ioports) are shown to root "
                            "only: run tr4410ctl check as root to compare the addresses with them")});
    return findings;
}

Setup setupOf(const TLinuxSetup::Card &card)
{
    return {card.controlBase, card.addresses, card.irq, card.x8Clock};
}

} // namespace

QList<Finding> writeChecks(const Setup &setup, const TSystemState &system)
{
    const TLinuxSetup linuxSetup({{QString(), setup.controlBase, setup.addresses, setup.irq, setup.x8Clock}},
                                 system);
    return cardFindings(setup, system) + machineFindings(linuxSetup, system);
}

QList<Finding> check(const Setup &setup, const TSystemState &system, AccessState access)
{
    return QList<Finding>{lockdownFinding(system), accessFinding(access)} + writeChecks(setup, system);
}

QList<Finding> checkStack(const QList<TLinuxSetup::Card> &cards, const TSystemState &system,
                          AccessState access)
{
    const TLinuxSetup linuxSetup(cards, system);
    QList<Finding> findings{lockdownFinding(system), accessFinding(access)};
    for (const TLinuxSetup::Card &card : linuxSetup.cards()) {
        for (Finding finding : cardFindings(setupOf(card), system)) {
            finding.card = CardRef{card.file, card.controlBase};
            findings.append(finding);
        }
    }
    findings += CardConflicts::findings(linuxSetup.cards());
    return findings + machineFindings(linuxSetup, system);
}

QString severityName(Severity severity)
{
    switch (severity) {
    case Severity::Ok:
        return QStringLiteral("ok");
    case Severity::Warning:
        return QStringLiteral("warning");
    case Severity::Problem:
        break;
    }
    return QStringLiteral("problem");
}

int count(const QList<Finding> &findings, Severity severity)
{
    return int(std::count_if(findings.begin(), findings.end(),
                             [severity](const Finding &f) { return f.severity == severity; }));
}

QString severityList(const QList<Finding> &findings)
{
    const int problems = count(findings, Severity::Problem);
    const int warnings = count(findings, Severity::Warning);
    return QStringLiteral("%1 problem%2, %3 warning%4")
        .arg(problems)
        .arg(problems == 1 ? "" : "s")
        .arg(warnings)
        .arg(warnings == 1 ? "" : "s");
}

QString findingLines(const QList<Finding> &findings, bool okToo)
{
    QString text;
    for (const Finding &finding : findings) {
        if (okToo || finding.severity != Severity::Ok)
            text +=
                severityName(finding.severity) + QStringLiteral(": ") + finding.message + QLatin1Char('\n');
    }
    return text;
}

QString wrapped(const QString &text, int width, int indent)
{
    QStringList out;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        QString current;
        for (const QString &word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (!current.trimmed().isEmpty() && current.size() + 1 + word.size() > width) {
                out.append(current);
                current = QString(indent, QLatin1Char(' '));
            }
            current += (current.trimmed().isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        out.append(current);
    }
    return out.join(QLatin1Char('\n'));
}

quint32 nearestControlBase(quint32 address)
{
    const quint32 step = CardJumpers::ControlBaseRange.step;
    const quint32 rounded = (std::min<quint32>(address, 0xFFFF) + step / 2) / step * step;
    return std::clamp<quint32>(rounded, CardJumpers::LowestControlBase, CardJumpers::HighestControlBase);
}

QString accessCause(AccessState access)
{
    switch (access) {
    case AccessState::Available:
        return QStringLiteral("this program has access to the I/O ports");
    case AccessState::NoCapability:
        return QStringLiteral("the port helper lacks its capability");
    case AccessState::NoPortIo:
        return QStringLiteral("this Linux kernel has no port I/O");
    case AccessState::NoWriteLock:
        return QStringLiteral("the port helper's write lock " CARD_WRITE_LOCK_PATH " is missing");
    case AccessState::LockedDown:
        return QStringLiteral("Linux is locked down (Secure Boot) and refuses direct port access");
    case AccessState::NotInGroup:
        break;
    }
    return QStringLiteral("this program has no access to the I/O ports");
}

QString accessRemedy(AccessState access)
{
    switch (access) {
    case AccessState::Available:
        return QString();
    case AccessState::NoCapability:
        return QStringLiteral(
            "The port helper tr4410-port-helper lacks the capability cap_sys_rawio that gives it "
            "the ports, so not even root can write through it. Reinstall the package "
            "tr4410-settings, whose set-up gives the helper its capability.");
    case AccessState::NoPortIo:
        return QStringLiteral(
            "No program reaches the card on this kernel, not even one run as root. Run this "
            "program on the PC/104 stack's own Linux, with a kernel that has port I/O "
            "(CONFIG_X86_IOPL_IOPERM).");
    case AccessState::NoWriteLock:
        return QStringLiteral(
            "The port helper writes only while it holds the lock " CARD_WRITE_LOCK_PATH ", which the "
            "package's set-up makes at every start. Run \"sudo systemd-tmpfiles --create\" or restart "
            "(from a build tree: sudo scripts/grant-port-access.sh), then start this program anew.");
    case AccessState::LockedDown:
        return QStringLiteral(
            "While Linux is locked down it refuses direct port access even to root, and the "
            "address and IRQ changes of setserial. Turn Secure Boot off in the firmware set-up "
            "(or with mokutil --disable-validation), restart and start this program anew.");
    case AccessState::NotInGroup:
        break;
    }
    return QStringLiteral("Only root and the members of the group tr4410 may write to the card. Ask your "
                          "administrator to add you to that group, log in again and start this program anew; "
                          "or run it as root.");
}

Finding accessFinding(AccessState access)
{
    const QString topic = QStringLiteral("port access");
    switch (access) {
    case AccessState::Available:
        return {Severity::Ok, topic, QStringLiteral("the port helper starts and holds its capability")};
    case AccessState::NotInGroup:
        return {
            Severity::Problem, topic,
            QStringLiteral("you are not in the group tr4410: ask your administrator to add you to it, then "
                           "log in again; or run as root")};
    case AccessState::NoCapability:
        return {Severity::Problem, topic,
                QStringLiteral("the port helper lacks its capability cap_sys_rawio: reinstall the package "
                               "tr4410-settings, whose set-up gives it back")};
    case AccessState::NoPortIo:
        return {Severity::Problem, topic,
                QStringLiteral("no port I/O in this kernel: write the card from a Linux whose kernel has it "
                               "(CONFIG_X86_IOPL_IOPERM)")};
    case AccessState::NoWriteLock:
        return {Severity::Problem, topic,
                QStringLiteral("the port helper's write lock " CARD_WRITE_LOCK_PATH " is missing: run sudo "
                               "systemd-tmpfiles --create, or restart")};
    case AccessState::LockedDown:
        break;
    }
    return {Severity::Problem, topic,
            QStringLiteral(
                "the kernel is locked down: Linux refuses direct port access even to root; turn Secure "
                "Boot off in the firmware set-up (or with mokutil --disable-validation)")};
}

} // namespace Commissioning
