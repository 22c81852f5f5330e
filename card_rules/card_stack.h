#pragma once

#include "card_config.h"
#include "card_error.h"
#include "linux_setup.h"

#include <QList>
#include <QString>
#include <QStringList>

// The cards installed in a machine: one card file per card in /etc/tr4410/cards.d, a card named by
// its file, or the single card file where the Ansible role put one so far.
namespace CardStack {

// "<root>/etc/tr4410/cards.d"; root is TSystemState's root ("/" on a real machine).
QString cardsFolder(const QString &root);
// "<root>/etc/tr4410/card.json"
QString legacyCardFile(const QString &root);
// The *.json files of the cards folder sorted by name, else the legacy file where it exists, else
// none.
QStringList cardFiles(const QString &root);

// The file's name as messages and the printed set-up show it: plain text, control characters
// (a line break would start a shell command in the set-up) as "?", cut to 64 characters.
QString shownName(const QString &file);

// The card of a configuration read from `file`: its control base, the eight addresses, the IRQ
// and the clock; an error naming the file and what is missing where a value is not given.
TCardError cardOf(const TCardConfig &config, const QString &file, TLinuxSetup::Card &card);

// Each file read and checked as a card file, in the order given; the first error, which names its
// file, ends it and leaves `cards` and `configs` as they were.
TCardError read(const QStringList &files, QList<TLinuxSetup::Card> &cards,
                QList<TCardConfig> *configs = nullptr);

} // namespace CardStack
