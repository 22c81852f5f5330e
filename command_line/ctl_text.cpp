#include "ctl_text.h"

#include "card_config.h"
#include "card_conflicts.h"

namespace CtlText {

QString checkLines(const QList<Commissioning::Finding> &findings, bool nameCards)
{
    QString text;
    for (const Commissioning::Finding &finding : findings) {
        // Conflicts between cards name both already.
        const QString name = finding.card
                                 ? CardConflicts::cardName({finding.card->file, finding.card->controlBase})
                                 : QString();
        const QString card = nameCards && !name.isEmpty() && !finding.message.contains(name)
                                 ? name + QStringLiteral(": ")
                                 : QString();
        text += Commissioning::severityName(finding.severity) + QStringLiteral(": ") + card +
                finding.message + QLatin1Char('\n');
    }
    return text;
}

QString testTable(const QList<TLinuxSetup::Device> &devices, const QList<TSerialPortTest::Result> &results,
                  const QList<TSerialPortTest::Interrupts> &counted)
{
    // The port letter first, as scripts look for it.
    QString table = QStringLiteral("Port  Address  Device  UART     IRQ  Card   Stable name        Result\n");
    for (qsizetype i = 0; i < results.size(); ++i) {
        const TSerialPortTest::Result &r = results.at(i);
        const TLinuxSetup::Device &device = devices.at(i);
        table += QStringLiteral("%1     %2    %3 %4 %5  %6  %7 %8\n")
                     .arg(ResourceRules::portLetter(r.port))
                     .arg(TCardConfig::addressText(r.address))
                     .arg((r.device.isEmpty() ? QStringLiteral("-") : r.device).leftJustified(7))
                     .arg((r.uart.isEmpty() ? QStringLiteral("-") : r.uart).leftJustified(8))
                     .arg(r.irq < 0 ? QStringLiteral("-") : QString::number(r.irq), 3)
                     .arg(TCardConfig::addressText(device.controlBase))
                     .arg(TLinuxSetup::stableName(device.controlBase, device.port).leftJustified(18))
                     .arg(r.passed ? QStringLiteral("pass") : QStringLiteral("FAIL: ") + r.reason);
    }
    for (const TSerialPortTest::Interrupts &irq : counted)
        table += QStringLiteral("IRQ %1 counted %2 interrupts during the test (%3 before, %4 after).\n")
                     .arg(irq.irq)
                     .arg(irq.after - irq.before)
                     .arg(irq.before)
                     .arg(irq.after);
    return table;
}

} // namespace CtlText
