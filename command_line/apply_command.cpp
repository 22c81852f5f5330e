#include "apply_command.h"

#include "card_config.h"
#include "ctl_exit.h"
#include "safe_file.h"
#include "serial_line_setup.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTextStream>

using namespace CtlExit;

namespace {

// As the kernel prints a line's port in sysfs ("0x%lX"), which the rules match.
QString sysfsPort(quint32 address)
{
    return QStringLiteral("0x") + QString::number(address, 16).toUpper();
}

QString lineName(int ttyNumber)
{
    return QStringLiteral("ttyS%1").arg(ttyNumber);
}

// udevadm with its arguments; empty when it succeeded, else what it said.
QString udevadm(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QLatin1String(TApplyCommand::Udevadm), arguments);
    const QString command = QStringLiteral("udevadm ") + arguments.join(QLatin1Char(' '));
    if (!process.waitForFinished(180000))
        return QStringLiteral("%1 did not finish: %2").arg(command, process.errorString());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("%1 failed (exit %2): %3")
            .arg(command)
            .arg(process.exitCode())
            .arg(QString::fromLocal8Bit(process.readAll()).simplified().left(300));
    return {};
}

} // namespace

TApplyCommand::TApplyCommand(QTextStream &out, QTextStream &err)
    : m_out(out)
    , m_err(err)
{
}

int TApplyCommand::run(const QList<TLinuxSetup::Card> &cards, const TSystemState &system)
{
    const TLinuxSetup setup(cards, system);
    if (!setup.problems().isEmpty()) {
        for (const QString &problem : setup.problems())
            fail(m_err, CheckFailed, problem + QStringLiteral("; no line has been changed"));
        return CheckFailed;
    }
    for (const TLinuxSetup::Skipped &skipped : setup.skipped())
        m_out << QStringLiteral("%1 is a UART at %2 already (not a TR-4410 port): left as it is\n")
                     .arg(lineName(skipped.ttyNumber), sysfsPort(skipped.port));

    const QList<Outcome> outcomes = setUpLines(setup, system);
    bool failed = false;
    for (const Outcome &outcome : outcomes)
        failed |= !outcome.reason.isEmpty();
    const QString rulesError = SafeFile::writeInFolder(system.path(QLatin1String(RulesFolder)),
                                                       QLatin1String(RulesName), udevRules(setup.devices()));
    if (!rulesError.isEmpty()) {
        fail(m_err, CheckFailed, rulesError + QStringLiteral("; the stable names are not made"));
        failed = true;
    }
    if (const QString udevError = rulesError.isEmpty() ? runUdev(outcomes) : QString();
        !udevError.isEmpty()) {
        fail(m_err, CheckFailed, udevError);
        failed = true;
    }
    logPorts(outcomes);
    const QString logError = SafeFile::writeInFolder(
        system.path(QLatin1String(LogFolder)), QLatin1String(LogName), portsJson(outcomes, setup.skipped()));
    if (!logError.isEmpty())
        fail(m_err, InvalidInput, logError);
    return failed ? CheckFailed : logError.isEmpty() ? Success : InvalidInput;
}

QList<TApplyCommand::Outcome> TApplyCommand::setUpLines(const TLinuxSetup &setup, const TSystemState &system)
{
    QList<Outcome> outcomes;
    for (const TLinuxSetup::Device &device : setup.devices()) {
        const SerialLineSetup::Line line{system.path(QStringLiteral("/dev/") + lineName(device.ttyNumber)),
                                         device.address, device.irq, device.baudBase};
        outcomes.append({device, SerialLineSetup::apply(line)});
        if (!outcomes.last().reason.isEmpty())
            fail(m_err, CheckFailed,
                 QStringLiteral("port %1 of %2 is not set up: %3")
                     .arg(ResourceRules::portLetter(device.port))
                     .arg(device.cardFile, outcomes.last().reason));
    }
    return outcomes;
}

// The rules read again, then a change event for each line that was set up, so udev makes the
// links and systemd takes the lines for ready; nothing when no line was set up.
QString TApplyCommand::runUdev(const QList<Outcome> &outcomes)
{
    QStringList lines;
    for (const Outcome &outcome : outcomes) {
        if (outcome.reason.isEmpty())
            lines.append(QStringLiteral("/sys/class/tty/") + lineName(outcome.device.ttyNumber));
    }
    if (lines.isEmpty())
        return {};
    QString error = udevadm({QStringLiteral("control"), QStringLiteral("--reload")});
    if (error.isEmpty())
        error = udevadm(QStringList{QStringLiteral("trigger"), QStringLiteral("--action=change"),
                                    QStringLiteral("--settle")} +
                        lines);
    if (error.isEmpty())
        error = udevadm({QStringLiteral("settle")});
    return error.isEmpty() ? QString() : error + QStringLiteral("; the stable names may be missing");
}

void TApplyCommand::logPorts(const QList<Outcome> &outcomes)
{
    for (const Outcome &outcome : outcomes) {
        const TLinuxSetup::Device &device = outcome.device;
        m_out << QStringLiteral("%1 port %2 at %3, IRQ %4: %5 %6%7\n")
                     .arg(device.cardFile)
                     .arg(ResourceRules::portLetter(device.port))
                     .arg(TCardConfig::addressText(device.address))
                     .arg(device.irq)
                     .arg(lineName(device.ttyNumber),
                          TLinuxSetup::stableName(device.controlBase, device.port),
                          outcome.reason.isEmpty() ? QString() : QStringLiteral(" (not set up)"));
    }
    m_out << Qt::flush;
}

QByteArray TApplyCommand::udevRules(const QList<TLinuxSetup::Device> &devices)
{
    QByteArray rules = "# The TR-4410 ports' stable names, matched by each line's address: written by\n"
                       "# tr4410ctl apply at every boot.\n";
    for (const TLinuxSetup::Device &device : devices)
        rules +=
            QStringLiteral("SUBSYSTEM==\"tty\", KERNEL==\"ttyS*\", ATTR{port}==\"%1\", SYMLINK+=\"%2\"\n")
                .arg(sysfsPort(device.address),
                     TLinuxSetup::stableName(device.controlBase, device.port).mid(5))
                .toUtf8();
    return rules;
}

QByteArray TApplyCommand::portsJson(const QList<Outcome> &outcomes,
                                    const QList<TLinuxSetup::Skipped> &skipped)
{
    QJsonArray ports;
    for (const Outcome &outcome : outcomes) {
        const TLinuxSetup::Device &device = outcome.device;
        ports.append(
            QJsonObject{{QStringLiteral("card"), device.cardFile},
                        {QStringLiteral("controlBase"), TCardConfig::addressText(device.controlBase)},
                        {QStringLiteral("port"), QString(ResourceRules::portLetter(device.port))},
                        {QStringLiteral("address"), TCardConfig::addressText(device.address)},
                        {QStringLiteral("irq"), device.irq},
                        {QStringLiteral("line"), lineName(device.ttyNumber)},
                        {QStringLiteral("name"), TLinuxSetup::stableName(device.controlBase, device.port)},
                        {QStringLiteral("setUp"), outcome.reason.isEmpty()},
                        {QStringLiteral("reason"), outcome.reason}});
    }
    QJsonArray left;
    for (const TLinuxSetup::Skipped &line : skipped)
        left.append(QJsonObject{{QStringLiteral("line"), lineName(line.ttyNumber)},
                                {QStringLiteral("address"), sysfsPort(line.port)}});
    return QJsonDocument(QJsonObject{{QStringLiteral("ports"), ports}, {QStringLiteral("skipped"), left}})
        .toJson(QJsonDocument::Indented);
}
