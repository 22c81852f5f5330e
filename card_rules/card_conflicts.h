#pragma once

#include "commissioning_check.h"
#include "linux_setup.h"

#include <QList>

// What one card of a stack does to another: the problems that only show with several cards, each
// carried by the later card (by control base) and saying what to do.
namespace CardConflicts {

// Two cards on one IRQ, two ports (of any cards) that overlap, a card's control registers (control
// base to control base + 2) inside another card's ports or registers, two cards at one control base.
QList<Commissioning::Finding> findings(const QList<TLinuxSetup::Card> &cards);

// "the card at 0x300 (a.json)", or "the card at 0x300" for one given by options.
QString cardName(const TLinuxSetup::Card &card);

} // namespace CardConflicts
