#include "write_failure.h"

#include "resource_rules.h"
#include "write_result.h"

bool isAccessFailure(WriteFailure failure)
{
    return failure == WriteFailure::NoAccess || failure == WriteFailure::LockedDown;
}

namespace WriteFailures {

namespace {

// What the card holds after a failure, as the window says it.
QString windowWritten(int lastRegister)
{
    if (lastRegister == 0)
        return QStringLiteral("No resource register was written.");
    const QString name = lastRegister <= ResourceRules::PortCount ? ResourceRules::portLabel(lastRegister - 1)
                         : lastRegister == CARD_REGISTER_IRQ      ? ResourceRules::irqLabel()
                                                                  : QStringLiteral("RS-422 ports");
    return QStringLiteral("The last register written was register %1 (%2). The card may now hold a partial "
                          "set of resources.")
        .arg(lastRegister)
        .arg(name);
}

QString windowReason(WriteFailure failure)
{
    switch (failure) {
    case WriteFailure::Refused:
        return QStringLiteral("a write was refused");
    case WriteFailure::NoAccess:
        return QStringLiteral("this program lost its access to the I/O ports");
    default:
        return QStringLiteral("the port helper stopped");
    }
}

// The same for tr4410ctl, which tells the user to write again.
QString commandLineWritten(int registersWritten)
{
    if (registersWritten == 0)
        return QStringLiteral("nothing has been written");
    return QStringLiteral("%1 of the 10 registers were written, the card may hold part of the new values: "
                          "write again")
        .arg(registersWritten);
}

QString commandLineReason(WriteFailure failure, Commissioning::AccessState access, const QString &holder)
{
    if (isAccessFailure(failure)) {
        return QStringLiteral("no access to the I/O ports (see PORT ACCESS in tr4410ctl(1)): ") +
               Commissioning::accessFinding(access).message;
    }
    switch (failure) {
    case WriteFailure::Busy:
        return QStringLiteral("another program is writing to the card") +
               (holder.isEmpty() ? QString() : QStringLiteral(" (held by %1)").arg(holder)) +
               QStringLiteral("; try again when it has finished");
    case WriteFailure::Refused:
        return QStringLiteral("the port layer refused a write");
    default:
        return QStringLiteral("the port access broke off");
    }
}

QString windowText(WriteFailure failure, int lastRegister, const QString &holder)
{
    const QString text =
        failure == WriteFailure::Busy
            ? QStringLiteral("The port resources could not be written: another program is writing to the "
                             "card.\n\n%1 Wait until the other program has finished, then repeat the write "
                             "with \"Use These Resources\".")
            : QStringLiteral("Writing the port resources to the card broke off: ") + windowReason(failure) +
                  QStringLiteral(".\n\n%1 Repeat the write with \"Use These Resources\".");
    const QString heldBy = failure == WriteFailure::Busy && !holder.isEmpty()
                               ? QStringLiteral("\n\nThe card is held by %1.").arg(holder)
                               : QString();
    return text.arg(windowWritten(lastRegister)) + heldBy;
}

} // namespace

QString windowNoAccessText(Commissioning::AccessState access)
{
    return QStringLiteral("The card could not be reached: %1, so nothing has been written to the card.\n\n%2 "
                          "Your settings are kept.")
        .arg(Commissioning::accessCause(access), Commissioning::accessRemedy(access));
}

WindowBox windowBox(const TWriteResult &result)
{
    // Nothing went through: the card cannot be reached, as before any write.
    if (isAccessFailure(result.failure) && result.lastRegister == 0)
        return {QStringLiteral("No Port Access"), windowNoAccessText(result.access)};
    return {QStringLiteral("Write Failed"),
            windowText(result.failure, result.lastRegister, result.busyHolder)};
}

QString commandLineText(const TWriteResult &result)
{
    return commandLineReason(result.failure, result.access, result.busyHolder) + QStringLiteral("; ") +
           commandLineWritten(result.lastRegister);
}

} // namespace WriteFailures
