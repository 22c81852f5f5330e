#include "card_stack.h"

#include "card_file.h"

#include <QDir>
#include <QFileInfo>

namespace CardStack {

namespace {
QString below(const QString &root, const QString &absolute)
{
    return root == QLatin1String("/") || root.isEmpty() ? absolute : QDir(root).path() + absolute;
}
} // namespace

QString cardsFolder(const QString &root)
{
    return below(root, QStringLiteral("/etc/tr4410/cards.d"));
}

QString legacyCardFile(const QString &root)
{
    return below(root, QStringLiteral("/etc/tr4410/card.json"));
}

QStringList cardFiles(const QString &root)
{
    const QDir folder(cardsFolder(root));
    QStringList files;
    for (const QFileInfo &entry : folder.entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
        files.append(entry.filePath());
    if (files.isEmpty() && QFileInfo(legacyCardFile(root)).isFile())
        files.append(legacyCardFile(root));
    return files;
}

QString shownName(const QString &file)
{
    constexpr qsizetype MaxShown = 64;
    QString name = QFileInfo(file).fileName();
    for (QChar &c : name) {
        if (!c.isPrint())
            c = QLatin1Char('?');
    }
    return name.size() > MaxShown ? name.left(MaxShown - 3) + QStringLiteral("...") : name;
}

TCardError cardOf(const TCardConfig &config, const QString &file, TLinuxSetup::Card &card)
{
    TLinuxSetup::Card result;
    result.file = file;
    result.controlBase = config.controlBaseOrDefault();
    result.x8Clock = config.x8Clock();
    const QString need =
        QStringLiteral(" is missing: a card of the machine needs the addresses of ports A to "
                       "H and its IRQ");
    for (int port = 0; port < ResourceRules::PortCount; ++port) {
        const auto &value = config.ports[std::size_t(port)].value;
        if (!value)
            return {file, {}, QStringLiteral("\"ports.%1\"").arg(ResourceRules::portLetter(port)) + need};
        result.addresses[std::size_t(port)] = *value;
    }
    if (!config.irq.value)
        return {file, {}, QStringLiteral("\"irq\"") + need};
    result.irq = *config.irq.value;
    card = result;
    return {};
}

TCardError read(const QStringList &files, QList<TLinuxSetup::Card> &cards, QList<TCardConfig> *configs)
{
    QList<TLinuxSetup::Card> readCards;
    QList<TCardConfig> readConfigs;
    for (const QString &file : files) {
        TCardConfig config;
        TLinuxSetup::Card card;
        TCardError error = CardFile::read(file, config);
        if (!error)
            error = config.check();
        if (!error)
            error = cardOf(config, file, card);
        if (error) {
            if (error.file.isEmpty())
                error.file = file;
            return error;
        }
        readCards.append(card);
        readConfigs.append(config);
    }
    cards = readCards;
    if (configs)
        *configs = readConfigs;
    return {};
}

} // namespace CardStack
