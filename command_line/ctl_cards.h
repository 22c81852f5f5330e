#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;

// Which cards a command of tr4410ctl works on: plan and write one card at a time; check, linux
// and test the cards given with --card, else the machine's cards (/etc/tr4410/cards.d).
namespace CtlCards {

// The options given that set a value of one card ("--base", "--irq", ...).
QStringList cardOptionsSet(const QCommandLineParser &parser);
// The card files given with --card; for check, linux and test without --card and without --ports
// or --port, those of the machine below `root`.
QStringList files(const QCommandLineParser &parser, const QString &command, const QString &root);
// Why these card files and options do not go together for the command; empty when they do.
QString refusal(const QStringList &files, const QCommandLineParser &parser, const QString &command);

} // namespace CtlCards
