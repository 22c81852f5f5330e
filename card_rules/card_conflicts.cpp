#include "card_conflicts.h"

#include "card_jumpers.h"
#include "card_registers.h"
#include "card_stack.h"
#include "resource_rules.h"

namespace CardConflicts {

namespace {

using Commissioning::Finding;
using Commissioning::Severity;

using ResourceRules::PortSize;
// The card's control registers, from its base to the data register.
constexpr quint32 ControlSize = CARD_DATA_OFFSET + 1;

bool overlap(quint32 first, quint32 size, quint32 otherFirst, quint32 otherSize)
{
    return first < otherFirst + otherSize && otherFirst < first + size;
}

QString hex(quint32 value)
{
    return CardJumpers::prefixedText(value);
}

Finding problem(const TLinuxSetup::Card &card, const QString &topic, const QString &message)
{
    return {Severity::Problem, topic, message, Commissioning::CardRef{card.file, card.controlBase}};
}

QString portName(const TLinuxSetup::Card &card, int port)
{
    return QStringLiteral("port %1 of %2 at %3")
        .arg(ResourceRules::portLetter(port))
        .arg(cardName(card), hex(card.addresses[std::size_t(port)]));
}

// What `card` does to an `earlier` card of the stack.
QList<Finding> pairFindings(const TLinuxSetup::Card &earlier, const TLinuxSetup::Card &card)
{
    QList<Finding> found;
    if (earlier.controlBase == card.controlBase)
        found.append(problem(card, QStringLiteral("control base"),
                             QStringLiteral("%1 and %2 are both at the control base %3: both would answer "
                                            "there; set another control base on one card's jumpers and in "
                                            "its card file")
                                 .arg(cardName(earlier), cardName(card), hex(card.controlBase))));
    else if (overlap(earlier.controlBase, ControlSize, card.controlBase, ControlSize))
        found.append(
            problem(card, QStringLiteral("control registers"),
                    QStringLiteral("the control registers of %1 overlap those of %2: set the "
                                   "control bases on the jumpers' steps of %3, one for each card")
                        .arg(cardName(card), cardName(earlier), hex(CardJumpers::ControlBaseRange.step))));
    if (earlier.irq == card.irq)
        found.append(problem(card, QStringLiteral("IRQ"),
                             QStringLiteral("%1 and %2 are both on IRQ %3: an ISA interrupt line serves one "
                                            "board; give each card an IRQ of its own")
                                 .arg(cardName(earlier), cardName(card))
                                 .arg(card.irq)));
    for (int port = 0; port < ResourceRules::PortCount; ++port) {
        for (int other = 0; other < ResourceRules::PortCount; ++other) {
            if (overlap(card.addresses[std::size_t(port)], PortSize, earlier.addresses[std::size_t(other)],
                        PortSize))
                found.append(problem(card, QStringLiteral("port ") + ResourceRules::portLetter(port),
                                     QStringLiteral("%1 overlaps %2: give each port an address of its own")
                                         .arg(portName(card, port), portName(earlier, other))));
        }
    }
    return found;
}

// The control registers of `card` inside a port of `other`.
QList<Finding> registerFindings(const TLinuxSetup::Card &card, const TLinuxSetup::Card &other)
{
    QList<Finding> found;
    for (int port = 0; port < ResourceRules::PortCount; ++port) {
        if (overlap(card.controlBase, ControlSize, other.addresses[std::size_t(port)], PortSize))
            found.append(problem(card, QStringLiteral("control registers"),
                                 QStringLiteral("the control registers of %1, %2 to %3, are inside %4: "
                                                "choose another control base or another port address")
                                     .arg(cardName(card), hex(card.controlBase),
                                          hex(card.controlBase + ControlSize - 1), portName(other, port))));
    }
    return found;
}

} // namespace

QString cardName(const TLinuxSetup::Card &card)
{
    const QString file = CardStack::shownName(card.file);
    return QStringLiteral("the card at %1").arg(hex(card.controlBase)) +
           (file.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(file));
}

QList<Finding> findings(const QList<TLinuxSetup::Card> &cards)
{
    QList<Finding> found;
    for (qsizetype i = 0; i < cards.size(); ++i) {
        for (qsizetype j = 0; j < cards.size(); ++j) {
            if (j < i)
                found += pairFindings(cards.at(j), cards.at(i));
            if (j != i)
                found += registerFindings(cards.at(i), cards.at(j));
        }
    }
    return found;
}

} // namespace CardConflicts
