#include "ctl_json.h"

#include "card_config.h"
#include "resource_rules.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

QJsonValue textOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QByteArray document(const QString &command, QJsonObject keys)
{
    keys.insert(QStringLiteral("version"), CtlJson::Version);
    keys.insert(QStringLiteral("command"), textOrNull(command));
    return QJsonDocument(keys).toJson(QJsonDocument::Indented);
}

QJsonValue cardOrNull(const std::optional<Commissioning::CardRef> &card)
{
    return card ? QJsonValue(CtlJson::card(card->file, card->controlBase)) : QJsonValue(QJsonValue::Null);
}

QJsonObject portEntry(const TLinuxSetup::Device &device, const TSerialPortTest::Result &r)
{
    return {{QStringLiteral("port"), QString(ResourceRules::portLetter(r.port))},
            {QStringLiteral("address"), TCardConfig::addressText(r.address)},
            {QStringLiteral("device"), textOrNull(r.device)},
            {QStringLiteral("uart"), textOrNull(r.uart)},
            {QStringLiteral("irq"), r.irq < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(r.irq)},
            {QStringLiteral("busy"), r.busy},
            {QStringLiteral("passed"), r.passed},
            {QStringLiteral("reason"), r.passed ? QJsonValue(QJsonValue::Null) : textOrNull(r.reason)},
            {QStringLiteral("card"), CtlJson::card(device.cardFile, device.controlBase)},
            {QStringLiteral("stableName"), TLinuxSetup::stableName(device.controlBase, device.port)}};
}

} // namespace

namespace CtlJson {

QJsonObject card(const QString &file, quint32 controlBase)
{
    return {{QStringLiteral("file"), file},
            {QStringLiteral("controlBase"), TCardConfig::addressText(controlBase)}};
}

QByteArray checkDocument(const QList<Commissioning::Finding> &findings, bool passed)
{
    QJsonArray list;
    for (const Commissioning::Finding &finding : findings)
        list.append(QJsonObject{{QStringLiteral("severity"), Commissioning::severityName(finding.severity)},
                                {QStringLiteral("topic"), finding.topic},
                                {QStringLiteral("message"), finding.message},
                                {QStringLiteral("card"), cardOrNull(finding.card)}});
    return document(QStringLiteral("check"),
                    {{QStringLiteral("findings"), list}, {QStringLiteral("passed"), passed}});
}

QByteArray testDocument(const QList<TLinuxSetup::Device> &devices,
                        const QList<TSerialPortTest::Result> &results,
                        const QList<TSerialPortTest::Interrupts> &counted, bool passed)
{
    QJsonArray ports;
    for (qsizetype i = 0; i < results.size(); ++i)
        ports.append(portEntry(devices.at(i), results.at(i)));
    QJsonArray interrupts;
    for (const TSerialPortTest::Interrupts &irq : counted)
        interrupts.append(QJsonObject{{QStringLiteral("irq"), irq.irq},
                                      {QStringLiteral("before"), qint64(irq.before)},
                                      {QStringLiteral("after"), qint64(irq.after)}});
    return document(QStringLiteral("test"), {{QStringLiteral("ports"), ports},
                                             {QStringLiteral("interrupts"), interrupts},
                                             {QStringLiteral("passed"), passed}});
}

QByteArray errorDocument(const QString &command, int exitCode, const QString &message)
{
    const QJsonObject error{{QStringLiteral("message"), message}, {QStringLiteral("exitCode"), exitCode}};
    return document(command, {{QStringLiteral("error"), error}});
}

} // namespace CtlJson
