#include "card_file.h"

#include "card_config.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString typeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("undefined");
}

QString wrongType(const QString &key, const QString &wanted, const QJsonValue &value)
{
    return QStringLiteral("\"%1\": must be %2, not %3").arg(key, wanted, typeName(value));
}

// Line and column of a byte offset, for a JSON syntax error.
QString position(const QByteArray &document, int offset)
{
    const QByteArray before = document.left(offset);
    const int line = int(before.count('\n')) + 1;
    const int column = offset - int(before.lastIndexOf('\n'));
    return QStringLiteral("line %1, column %2").arg(line).arg(column);
}

bool isWholeNumber(const QJsonValue &value)
{
    const double d = value.toDouble();
    return value.isDouble() && d == double(qint64(d)) && d >= -1e9 && d <= 1e9;
}

// Reads the keys of the card object into a copy of the configuration; the first problem ends it.
QString readObject(const QJsonObject &object, TCardConfig &config)
{
    static const QStringList known{QStringLiteral("version"),  QStringLiteral("controlBase"),
                                   QStringLiteral("protocol"), QStringLiteral("termination"),
                                   QStringLiteral("autoRts"),  QStringLiteral("clock"),
                                   QStringLiteral("df"),       QStringLiteral("ports"),
                                   QStringLiteral("irq"),      QStringLiteral("rs422Ports")};
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!known.contains(it.key()))
            return QStringLiteral("unknown key \"%1\"").arg(it.key());
    }

    const QJsonValue version = object.value(QLatin1String("version"));
    if (version.isUndefined())
        return QStringLiteral("\"version\" is missing (this program reads version %1)")
            .arg(TCardConfig::FormatVersion);
    if (!isWholeNumber(version))
        return wrongType(QStringLiteral("version"), QStringLiteral("a whole number"), version);
    if (version.toInt() != TCardConfig::FormatVersion) {
        return QStringLiteral("\"version\": %1 is not supported (this program reads version %2)")
            .arg(version.toInt())
            .arg(TCardConfig::FormatVersion);
    }

    // The keys with a string value, each checked by its setter.
    using Setter = QString (TCardConfig::*)(const QString &, const QString &);
    static const std::pair<const char *, Setter> texts[] = {
        {"controlBase", &TCardConfig::setControlBase},
        {"protocol", &TCardConfig::setProtocol},
        {"termination", &TCardConfig::setTermination},
        {"clock", &TCardConfig::setClock},
        {"df", &TCardConfig::setDf},
    };
    for (const auto &[name, set] : texts) {
        const QString key = QString::fromLatin1(name);
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            continue;
        if (!value.isString())
            return wrongType(key, QStringLiteral("a string"), value);
        const QString why = (config.*set)(value.toString(), QLatin1Char('"') + key + QLatin1Char('"'));
        if (!why.isEmpty())
            return QStringLiteral("\"%1\": %2").arg(key, why);
    }

    const QJsonValue autoRts = object.value(QLatin1String("autoRts"));
    if (!autoRts.isUndefined()) {
        if (!autoRts.isBool())
            return wrongType(QStringLiteral("autoRts"), QStringLiteral("true or false"), autoRts);
        config.setAutoRts(autoRts.toBool(), QStringLiteral("\"autoRts\""));
    }

    const QJsonValue ports = object.value(QLatin1String("ports"));
    if (!ports.isUndefined()) {
        if (!ports.isObject())
            return wrongType(QStringLiteral("ports"), QStringLiteral("an object with the keys A to H"),
                             ports);
        const QJsonObject portObject = ports.toObject();
        for (auto it = portObject.begin(); it != portObject.end(); ++it) {
            const QString key = QStringLiteral("ports.") + it.key();
            const QString &letter = it.key();
            if (letter.size() != 1 || letter.at(0) < QLatin1Char('A') || letter.at(0) > QLatin1Char('H'))
                return QStringLiteral("unknown key \"%1\" (the ports are A to H)").arg(key);
            if (!it.value().isString())
                return wrongType(key, QStringLiteral("a string such as \"0x3F8\""), it.value());
            const QString why = config.setPort(letter.at(0).unicode() - 'A', it.value().toString(),
                                               QLatin1Char('"') + key + QLatin1Char('"'));
            if (!why.isEmpty())
                return QStringLiteral("\"%1\": %2").arg(key, why);
        }
    }

    const QJsonValue irq = object.value(QLatin1String("irq"));
    if (!irq.isUndefined()) {
        if (!isWholeNumber(irq))
            return wrongType(QStringLiteral("irq"), QStringLiteral("a whole number"), irq);
        const QString why = config.setIrq(irq.toInt(), QStringLiteral("\"irq\""));
        if (!why.isEmpty())
            return QStringLiteral("\"irq\": %1").arg(why);
    }

    const QJsonValue rs422 = object.value(QLatin1String("rs422Ports"));
    if (!rs422.isUndefined()) {
        if (!rs422.isArray())
            return wrongType(QStringLiteral("rs422Ports"), QStringLiteral("an array of port letters"), rs422);
        QStringList letters;
        for (const QJsonValue letter : rs422.toArray()) {
            if (!letter.isString())
                return wrongType(QStringLiteral("rs422Ports"), QStringLiteral("an array of port letters"),
                                 letter) +
                       QStringLiteral(" in it");
            letters.append(letter.toString());
        }
        const QString why = config.setRs422(letters, QStringLiteral("\"rs422Ports\""));
        if (!why.isEmpty())
            return QStringLiteral("\"rs422Ports\": %1").arg(why);
    }
    return {};
}

} // namespace

QString TCardFile::read(const QString &path, TCardConfig &config)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString());
    return parse(file.readAll(), path, config);
}

QString TCardFile::parse(const QByteArray &document, const QString &name, TCardConfig &config)
{
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(document, &error);
    if (error.error != QJsonParseError::NoError) {
        return QStringLiteral("%1: not valid JSON at %2: %3")
            .arg(name, position(document, error.offset), error.errorString());
    }
    if (!json.isObject())
        return QStringLiteral("%1: must hold one JSON object").arg(name);
    TCardConfig read = config;
    const QString reason = readObject(json.object(), read);
    if (!reason.isEmpty())
        return name + QStringLiteral(": ") + reason;
    config = read;
    return {};
}
