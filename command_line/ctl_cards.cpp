#include "ctl_cards.h"

#include "card_stack.h"

#include <QCommandLineParser>

namespace CtlCards {

namespace {
bool takesStack(const QString &command)
{
    return command == QLatin1String("check") || command == QLatin1String("linux") ||
           command == QLatin1String("test");
}
} // namespace

QStringList cardOptionsSet(const QCommandLineParser &parser)
{
    QStringList set;
    for (const char *name :
         {"base", "protocol", "termination", "auto-rts", "clock", "df", "ports", "port", "irq", "rs422"}) {
        if (parser.isSet(QLatin1String(name)))
            set.append(QStringLiteral("--") + QLatin1String(name));
    }
    return set;
}

QStringList files(const QCommandLineParser &parser, const QString &command, const QString &root)
{
    const QStringList given = parser.values(QStringLiteral("card"));
    if (!given.isEmpty() || !takesStack(command) || parser.isSet(QStringLiteral("ports")) ||
        parser.isSet(QStringLiteral("port")))
        return given;
    return CardStack::cardFiles(root);
}

QString refusal(const QStringList &files, const QCommandLineParser &parser, const QString &command)
{
    if (files.size() < 2)
        return {};
    if (!takesStack(command))
        return QStringLiteral("'%1' works on one card at a time (the card at the bench): give --card once, "
                              "not %2 times")
            .arg(command)
            .arg(files.size());
    const QStringList options = cardOptionsSet(parser);
    if (options.isEmpty())
        return {};
    QStringList names;
    for (const QString &file : files)
        names.append(CardStack::shownName(file));
    return QStringLiteral("%1 applies to one card, but '%2' works on %3 cards (%4): give one --card with it, "
                          "or change the card files")
        .arg(options.join(QStringLiteral(", ")), command)
        .arg(files.size())
        .arg(names.join(QStringLiteral(", ")));
}

} // namespace CtlCards
