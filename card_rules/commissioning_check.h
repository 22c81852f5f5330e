#pragma once

#include "resource_rules.h"
#include "system_state.h"

#include <QList>
#include <QString>

// The checks before the card is written: the configuration against what the running Linux
// already has (serial lines, I/O port claims, interrupts, kernel lockdown and limits, setserial).
// Each finding is ok, a warning or a problem, and says what to do.
namespace Commissioning {

enum class Severity { Ok, Warning, Problem };

// Whether this user's programs reach the ports, as the port layer and the system tell it.
enum class AccessState { Available, NotInGroup, NoCapability, NoPortIo, LockedDown, NoWriteLock };

struct Finding
{
    Severity severity;
    QString topic; // "lockdown", "port access", "control base", "port A", ..., "IRQ", ...
    QString message;
};

struct Setup
{
    quint32 controlBase = 0x300;
    ResourceRules::Addresses addresses{};
    int irq = 0;
    bool x8Clock = false;
};

QList<Finding> check(const Setup &setup, const TSystemState &system, AccessState access);

// The findings that stop a write ("lockdown" and "port access" are the port layer's to report).
QList<Finding> writeChecks(const Setup &setup, const TSystemState &system);

QString severityName(Severity severity);
int count(const QList<Finding> &findings, Severity severity);
// "1 problem, 2 warnings"
QString severityList(const QList<Finding> &findings);
// "warning: ...", one line a finding; with problems, a closing sentence for before a question.
QString findingLines(const QList<Finding> &findings, bool okToo);

// The text broken into lines of at most `width` characters at spaces, for a box that shows its
// details line for line; a line's continuations are indented by `indent` spaces.
QString wrapped(const QString &text, int width = 56, int indent = 0);

// The nearest control base address that the jumpers set and the port helper writes.
quint32 nearestControlBase(quint32 address);

// What a refused port access means, in a clause ("Linux is locked down (Secure Boot) and refuses
// direct port access") and as the remedy for a message box.
QString accessCause(AccessState access);
QString accessRemedy(AccessState access);
// The finding of the port access, its message as `check` prints it.
Finding accessFinding(AccessState access);

} // namespace Commissioning
