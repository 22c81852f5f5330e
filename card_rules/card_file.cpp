#include "card_file.h"

#include "card_config.h"
#include "safe_file.h"

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

TCardError wrongType(const QString &key, const QString &wanted, const QJsonValue &value)
{
    return {{},
            QLatin1Char('"') + key + QLatin1Char('"'),
            QStringLiteral("must be %1, not %2").arg(wanted, typeName(value))};
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
    // The range first: converting a double beyond qint64 is undefined.
    const double d = value.toDouble();
    return value.isDouble() && d >= -1e9 && d <= 1e9 && d == double(qint64(d));
}

// The steps of reading the card object into a copy of the configuration; the first problem ends it.
TCardError checkKeys(const QJsonObject &object, TCardConfig &)
{
    static const QStringList known{QStringLiteral("version"),  QStringLiteral("controlBase"),
                                   QStringLiteral("protocol"), QStringLiteral("termination"),
                                   QStringLiteral("autoRts"),  QStringLiteral("clock"),
                                   QStringLiteral("df"),       QStringLiteral("ports"),
                                   QStringLiteral("irq"),      QStringLiteral("rs422Ports")};
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!known.contains(it.key()))
            return {{}, {}, QStringLiteral("unknown key %1").arg(TCardError::quoted(it.key()))};
    }
    return {};
}

TCardError readVersion(const QJsonObject &object, TCardConfig &)
{
    const QJsonValue version = object.value(QLatin1String("version"));
    if (version.isUndefined())
        return {{},
                {},
                QStringLiteral("\"version\" is missing (this program reads version %1)")
                    .arg(TCardConfig::FormatVersion)};
    if (!isWholeNumber(version))
        return wrongType(QStringLiteral("version"), QStringLiteral("a whole number"), version);
    if (version.toInt() != TCardConfig::FormatVersion) {
        return {{},
                QStringLiteral("\"version\""),
                QStringLiteral("%1 is not supported (this program reads version %2)")
                    .arg(version.toInt())
                    .arg(TCardConfig::FormatVersion)};
    }
    return {};
}

// The keys with a string value, each checked by its setter.
TCardError readTexts(const QJsonObject &object, TCardConfig &config)
{
    using Setter = TCardError (TCardConfig::*)(const QString &, const QString &);
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
        if (TCardError error = (config.*set)(value.toString(), QLatin1Char('"') + key + QLatin1Char('"')))
            return error;
    }
    return {};
}

TCardError readAutoRts(const QJsonObject &object, TCardConfig &config)
{
    const QJsonValue autoRts = object.value(QLatin1String("autoRts"));
    if (autoRts.isUndefined())
        return {};
    if (!autoRts.isBool())
        return wrongType(QStringLiteral("autoRts"), QStringLiteral("true or false"), autoRts);
    return config.setAutoRts(autoRts.toBool(), QStringLiteral("\"autoRts\""));
}

TCardError readPorts(const QJsonObject &object, TCardConfig &config)
{
    const QJsonValue ports = object.value(QLatin1String("ports"));
    if (ports.isUndefined())
        return {};
    if (!ports.isObject())
        return wrongType(QStringLiteral("ports"), QStringLiteral("an object with the keys A to H"), ports);
    const QJsonObject portObject = ports.toObject();
    for (auto it = portObject.begin(); it != portObject.end(); ++it) {
        const QString key = QStringLiteral("ports.") + it.key();
        const QString &letter = it.key();
        if (letter.size() != 1 || letter.at(0) < QLatin1Char('A') || letter.at(0) > QLatin1Char('H'))
            return {
                {}, {}, QStringLiteral("unknown key %1 (the ports are A to H)").arg(TCardError::quoted(key))};
        if (!it.value().isString())
            return wrongType(key, QStringLiteral("a string such as \"0x3F8\""), it.value());
        if (TCardError error = config.setPort(letter.at(0).unicode() - 'A', it.value().toString(),
                                              QLatin1Char('"') + key + QLatin1Char('"')))
            return error;
    }
    return {};
}

TCardError readIrq(const QJsonObject &object, TCardConfig &config)
{
    const QJsonValue irq = object.value(QLatin1String("irq"));
    if (irq.isUndefined())
        return {};
    if (!isWholeNumber(irq))
        return wrongType(QStringLiteral("irq"), QStringLiteral("a whole number"), irq);
    return config.setIrq(irq.toInt(), QStringLiteral("\"irq\""));
}

TCardError readRs422(const QJsonObject &object, TCardConfig &config)
{
    const QString key = QStringLiteral("rs422Ports");
    const QString wanted = QStringLiteral("an array of port letters");
    const QJsonValue rs422 = object.value(key);
    if (rs422.isUndefined())
        return {};
    if (!rs422.isArray())
        return wrongType(key, wanted, rs422);
    QStringList letters;
    for (const QJsonValue letter : rs422.toArray()) {
        if (!letter.isString()) {
            TCardError error = wrongType(key, wanted, letter);
            error.reason += QStringLiteral(" in it");
            return error;
        }
        letters.append(letter.toString());
    }
    return config.setRs422(letters, QLatin1Char('"') + key + QLatin1Char('"'));
}

TCardError readObject(const QJsonObject &object, TCardConfig &config)
{
    using Step = TCardError (*)(const QJsonObject &, TCardConfig &);
    for (const Step step : {checkKeys, readVersion, readTexts, readAutoRts, readPorts, readIrq, readRs422}) {
        if (TCardError error = step(object, config))
            return error;
    }
    return {};
}

// The keys of the values the configuration holds, as readObject reads them.
QJsonObject writeObject(const TCardConfig &config)
{
    QJsonObject object{{QStringLiteral("version"), TCardConfig::FormatVersion}};
    if (config.controlBase.value)
        object.insert(QStringLiteral("controlBase"), TCardConfig::addressText(*config.controlBase.value));
    if (config.protocol.value)
        object.insert(QStringLiteral("protocol"), TCardConfig::protocolName(*config.protocol.value));
    if (config.termination.value)
        object.insert(QStringLiteral("termination"), *config.termination.value);
    if (config.autoRts.value)
        object.insert(QStringLiteral("autoRts"), *config.autoRts.value);
    if (config.clock.value)
        object.insert(QStringLiteral("clock"), TCardConfig::clockName(*config.clock.value));
    if (config.df.value)
        object.insert(QStringLiteral("df"),
                      *config.df.value ? QStringLiteral("fitted") : QStringLiteral("removed"));
    QJsonObject ports;
    QJsonArray rs422;
    for (int port = 0; port < ResourceRules::PortCount; ++port) {
        const QString letter = ResourceRules::portLetter(port);
        if (const auto &address = config.ports[std::size_t(port)].value)
            ports.insert(letter, TCardConfig::addressText(*address));
        if (config.rs422Mask.value && (*config.rs422Mask.value & (1u << port)))
            rs422.append(letter);
    }
    if (!ports.isEmpty())
        object.insert(QStringLiteral("ports"), ports);
    if (config.irq.value)
        object.insert(QStringLiteral("irq"), *config.irq.value);
    if (config.rs422Mask.value)
        object.insert(QStringLiteral("rs422Ports"), rs422);
    return object;
}

} // namespace

TCardError CardFile::read(const QString &path, TCardConfig &config)
{
    QByteArray document;
    if (const QString reason = SafeFile::read(path, SafeFile::CardFileLimit, document); !reason.isEmpty())
        return {path, {}, QStringLiteral("cannot be read: ") + reason};
    return parse(document, path, config);
}

TCardError CardFile::parse(const QByteArray &document, const QString &name, TCardConfig &config)
{
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(document, &error);
    if (error.error != QJsonParseError::NoError) {
        return {name,
                {},
                QStringLiteral("not valid JSON at %1: %2")
                    .arg(position(document, error.offset), error.errorString())};
    }
    if (!json.isObject())
        return {name, {}, QStringLiteral("must hold one JSON object")};
    TCardConfig read = config;
    if (TCardError problem = readObject(json.object(), read)) {
        problem.file = name;
        return problem;
    }
    read.file = name;
    config = read;
    return {};
}

QByteArray CardFile::document(const TCardConfig &config)
{
    return QJsonDocument(writeObject(config)).toJson(QJsonDocument::Indented);
}

TCardError CardFile::save(const QString &path, const TCardConfig &config)
{
    if (const QString reason = SafeFile::write(path, document(config), 0644); !reason.isEmpty())
        return {path, {}, QStringLiteral("cannot be written: ") + reason};
    return {};
}
