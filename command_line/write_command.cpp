#include "write_command.h"

#include "card_config.h"
#include "ctl_exit.h"
#include "port_access_probe.h"
#include "resource_writer.h"
#include "write_texts.h"

#include <QEventLoop>
#include <QTextStream>

namespace {

QString hexByte(quint8 value)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

TWriteCommand::TWriteCommand(FILE *in, QTextStream &out, QTextStream &err)
    : m_in(in)
    , m_out(out)
    , m_err(err)
{
}

int TWriteCommand::run(const Commissioning::Setup &setup, quint8 rs422Mask, bool dryRun, bool yes, bool force)
{
    const quint16 controlBase = quint16(setup.controlBase);
    const ResourceRules::Values values = ResourceRules::registerValues(setup.addresses, setup.irq, rs422Mask);
    showValues(setup, rs422Mask, values);
    if (dryRun)
        return showDryRun(controlBase, values);
    m_out << Qt::flush;

    if (!checksPass(setup, force))
        return CtlExit::CheckFailed;
    // Whether the ports can be reached at all, before anyone is asked.
    const PortAccessProbe::Answer probe = PortAccessProbe::read();
    if (probe.failure != WriteFailure::None)
        return failed(refusedAccess(probe.failure));
    if (!yes && !confirmed())
        return CtlExit::fail(m_err, CtlExit::NotConfirmed,
                             QStringLiteral("not confirmed; nothing has been written"));
    return writeCard(controlBase, values);
}

// The ten register values with what each one sets.
void TWriteCommand::showValues(const Commissioning::Setup &setup, quint8 rs422Mask,
                               const ResourceRules::Values &values)
{
    const quint32 controlBase = setup.controlBase;
    m_out << "Port resources for the card at control base address " << TCardConfig::addressText(controlBase)
          << " (index register " << TCardConfig::addressText(ResourceRules::indexRegister(controlBase))
          << ", data register " << TCardConfig::addressText(ResourceRules::dataRegister(controlBase))
          << "):\n";
    for (int port = 0; port < ResourceRules::PortCount; ++port) {
        m_out << QStringLiteral("  register %1  %2  port %3 at %4\n")
                     .arg(port + 1, 2)
                     .arg(hexByte(values[std::size_t(port)]))
                     .arg(ResourceRules::portLetter(port))
                     .arg(TCardConfig::addressText(setup.addresses[std::size_t(port)]));
    }
    m_out << QStringLiteral("  register  9  %1  IRQ %2 for all ports\n")
                 .arg(hexByte(values[ResourceRules::IrqSlot]))
                 .arg(setup.irq);
    QStringList rs422;
    for (int port = 0; port < ResourceRules::PortCount; ++port) {
        if (rs422Mask & (1u << port))
            rs422.append(ResourceRules::portLetter(port));
    }
    m_out << QStringLiteral("  register 10  %1  RS-422 on %2\n")
                 .arg(hexByte(values[ResourceRules::Rs422MaskSlot]))
                 .arg(rs422.isEmpty() ? QStringLiteral("no port")
                                      : QStringLiteral("ports ") + rs422.join(QLatin1Char(' ')));
}

int TWriteCommand::showDryRun(quint16 controlBase, const ResourceRules::Values &values)
{
    m_out << "\nDry run: the twenty port writes, in order (port <- value); nothing is written:\n";
    for (const ResourceRules::PortWrite &w : ResourceRules::portWrites(controlBase, values))
        m_out << TCardConfig::addressText(w.port) << " <- " << hexByte(w.value) << '\n';
    m_out << Qt::flush;
    return CtlExit::Success;
}

bool TWriteCommand::checksPass(const Commissioning::Setup &setup, bool force)
{
    // Lockdown and port access are the port layer's to report, with their own exit code.
    const QList<Commissioning::Finding> findings = Commissioning::writeChecks(setup, TSystemState::read());
    m_err << Commissioning::findingLines(findings, false) << Qt::flush;
    if (Commissioning::count(findings, Commissioning::Severity::Problem) == 0)
        return true;
    if (force) {
        m_err << "Writing all the same (--force)." << Qt::endl;
        return true;
    }
    CtlExit::fail(m_err, CtlExit::CheckFailed,
                  QStringLiteral("the checks found %1 (tr4410ctl check tells more); nothing has been "
                                 "written; --force writes all the same")
                      .arg(Commissioning::severityList(findings)));
    return false;
}

// The question before the write; only "y" or "yes" writes.
bool TWriteCommand::confirmed()
{
    m_err << WriteTexts::commandLineQuestion() << Qt::flush;
    QTextStream in(m_in);
    const QString answer = in.readLine().trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

int TWriteCommand::writeCard(quint16 controlBase, const ResourceRules::Values &values)
{
    // The writer asks the port layer's status after every write and stops at the first failure;
    // each register whose index and data went through is told as it is done.
    TResourceWriter writer;
    QObject::connect(&writer, &TResourceWriter::registerWritten, [this](int reg) {
        m_err << "Register " << reg << " of " << ResourceRules::RegisterCount << " written." << Qt::endl;
    });
    TWriteResult result;
    QEventLoop wait;
    QObject::connect(&writer, &TResourceWriter::finished, &wait, [&](const TWriteResult &end) {
        result = end;
        wait.quit();
    });
    // The command has nothing else to do meanwhile: it waits here for the sequence to end.
    writer.start(controlBase, values);
    wait.exec();
    if (!result.succeeded())
        return failed(result);
    m_out << WriteTexts::commandLineWritten() << Qt::flush;
    return CtlExit::Success;
}

// No access found before the first write: nothing has been written.
TWriteResult TWriteCommand::refusedAccess(WriteFailure failure)
{
    TWriteResult result;
    result.failure = failure;
    result.access = PortAccessProbe::failureCause(failure);
    if (failure == WriteFailure::Busy)
        result.busyHolder = PortAccessProbe::busyHolder();
    return result;
}

int TWriteCommand::failed(const TWriteResult &result)
{
    const CtlExit::Code code = isAccessFailure(result.failure)        ? CtlExit::NoPortAccess
                               : result.failure == WriteFailure::Busy ? CtlExit::CardBusy
                                                                      : CtlExit::WriteFailed;
    return CtlExit::fail(m_err, code, WriteFailures::commandLineText(result));
}
