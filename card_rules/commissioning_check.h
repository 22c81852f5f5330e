#pragma once

#include "card_jumpers.h"
#include "linux_setup.h"
#include "resource_rules.h"
#include "system_state.h"

#include <QList>
#include <QString>

#include <optional>

// The checks before the card is written: the configuration against what the running Linux
// already has (serial lines, I/O port claims, interrupts, kernel lockdown and limits, setserial).
// Each finding is ok, a warning or a problem, and says what to do.
namespace Commissioning {

enum class Severity { Ok, Warning, Problem };

// Whether this user's programs reach the ports, as the port layer and the system tell it.
enum class AccessState { Available, NotInGroup, NoCapability, NoPortIo, LockedDown, NoWriteLock };

// The card a finding is about: its file (empty for one given by options) and control base.
struct CardRef
{
    QString file;
    quint32 controlBase = 0;
};

struct Finding
{
    Severity severity;
    QString topic; // "lockdown", "port access", "control base", "port A", ..., "IRQ", ...
    QString message;
    std::optional<CardRef> card = std::nullopt; // none for a finding about the machine
};

struct Setup
{
    quint32 controlBase = CardJumpers::DefaultControlBase;
    ResourceRules::Addresses addresses{};
    int irq = 0;
    bool x8Clock = false;
};

QList<Finding> check(const Setup &setup, const TSystemState &system, AccessState access);
// The machine's cards checked together: the machine's findings once, each card's own findings
// (carrying the card), and what one card does to another: one IRQ for two cards, ports that
// overlap, control registers inside another card's ports or registers, two cards at one control
// base. The serial lines are those of the whole stack, other UARTs' lines left out.
QList<Finding> checkStack(const QList<TLinuxSetup::Card> &cards, const TSystemState &system,
                          AccessState access);

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
