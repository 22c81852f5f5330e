#include "card_config.h"

#include "hex_address.h"

namespace {
QString listOfIrqs()
{
    QStringList numbers;
    for (const int irq : ResourceRules::irqNumbers())
        numbers.append(QString::number(irq));
    return numbers.join(QStringLiteral(", "));
}
} // namespace

std::optional<quint32> TCardConfig::parseAddress(const QString &text)
{
    const bool prefixed = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    return parseHexAddress(prefixed ? text.mid(2) : text);
}

QString TCardConfig::addressText(quint32 address)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(address, 3, 16, QLatin1Char('0')).toUpper();
}

QString TCardConfig::setControlBase(const QString &text, const QString &origin)
{
    const std::optional<quint32> value = parseAddress(text);
    if (!value)
        return QStringLiteral("\"%1\" is not a hexadecimal address such as 0x300").arg(text);
    const quint32 settable = CardJumpers::settableAddress(*value);
    if (*value != settable) {
        return QStringLiteral("%1 cannot be set on the card: its jumpers A4 to A9 set the addresses 0x000 to "
                              "0x3F0 in steps of 0x10 (the nearest they give is %2)")
            .arg(addressText(*value), addressText(settable));
    }
    controlBase = {settable, origin};
    return {};
}

QString TCardConfig::setProtocol(const QString &text, const QString &origin)
{
    static const QStringList names{QStringLiteral("RS-232"), QStringLiteral("RS-485"),
                                   QStringLiteral("RS-422")};
    for (int index = 0; index < names.size(); ++index) {
        if (text.compare(names.at(index), Qt::CaseInsensitive) == 0) {
            protocol = {index, origin};
            return {};
        }
    }
    return QStringLiteral("\"%1\" is not one of RS-232, RS-485, RS-422").arg(text);
}

QString TCardConfig::setTermination(const QString &text, const QString &origin)
{
    static const QStringList names{QStringLiteral("none"), QStringLiteral("on"), QStringLiteral("transmit"),
                                   QStringLiteral("receive"), QStringLiteral("both")};
    if (!names.contains(text))
        return QStringLiteral("\"%1\" is not one of none, on, transmit, receive, both").arg(text);
    termination = {text, origin};
    return {};
}

QString TCardConfig::setAutoRts(bool on, const QString &origin)
{
    autoRts = {on, origin};
    return {};
}

QString TCardConfig::setClock(const QString &text, const QString &origin)
{
    if (text.compare(QLatin1String("X1"), Qt::CaseInsensitive) == 0)
        clock = {0, origin};
    else if (text.compare(QLatin1String("X8"), Qt::CaseInsensitive) == 0)
        clock = {1, origin};
    else
        return QStringLiteral("\"%1\" is not one of X1, X8").arg(text);
    return {};
}

QString TCardConfig::setDf(const QString &text, const QString &origin)
{
    if (text == QLatin1String("fitted"))
        df = {true, origin};
    else if (text == QLatin1String("removed"))
        df = {false, origin};
    else
        return QStringLiteral("\"%1\" is not one of fitted, removed").arg(text);
    return {};
}

QString TCardConfig::setPort(int port, const QString &text, const QString &origin)
{
    const std::optional<quint32> value = parseAddress(text);
    if (!value)
        return QStringLiteral("\"%1\" is not a hexadecimal address such as 0x3F8").arg(text);
    if (*value < ResourceRules::PortAddressMin || *value > ResourceRules::PortAddressMax)
        return QStringLiteral("%1 is outside 0x100 to 0x3F8").arg(addressText(*value));
    if (!ResourceRules::portAddressValid(*value))
        return QStringLiteral("%1 is not a multiple of 8").arg(addressText(*value));
    ports[std::size_t(port)] = {quint16(*value), origin};
    return {};
}

QString TCardConfig::setIrq(int value, const QString &origin)
{
    if (!ResourceRules::irqValid(value))
        return QStringLiteral("%1 is not one of the IRQs %2").arg(value).arg(listOfIrqs());
    irq = {value, origin};
    return {};
}

QString TCardConfig::setRs422(const QStringList &letters, const QString &origin)
{
    quint8 mask = 0;
    for (const QString &letter : letters) {
        const QString upper = letter.toUpper();
        if (upper.size() != 1 || upper.at(0) < QLatin1Char('A') || upper.at(0) > QLatin1Char('H'))
            return QStringLiteral("\"%1\" is not a port letter A to H").arg(letter);
        mask |= quint8(1u << (upper.at(0).unicode() - 'A'));
    }
    rs422Mask = {mask, origin};
    return {};
}

std::optional<CardJumpers::Options> TCardConfig::jumperOptions(QString *error) const
{
    CardJumpers::Options options;
    if (controlBase.value)
        options.controlBase = *controlBase.value;
    if (protocol.value)
        options.protocol = *protocol.value;
    if (clock.value)
        options.clock = *clock.value;
    if (df.value)
        options.df = *df.value ? 1 : 0;

    const bool rs485 = options.protocol == CardJumpers::RS485;
    const bool rs422 = options.protocol == CardJumpers::RS422;
    options.autoRts = rs485 && autoRts.value.value_or(true);
    if (autoRts.value && *autoRts.value && !rs485) {
        *error = QStringLiteral("%1: automatic RTS control is for RS-485 only").arg(autoRts.origin);
        return std::nullopt;
    }
    const QString term = termination.value.value_or(QStringLiteral("none"));
    if (term == QLatin1String("none")) {
        options.termination = 0;
    } else if (rs485 && term == QLatin1String("on")) {
        options.termination = 1;
    } else if (rs422 && term != QLatin1String("on")) {
        options.termination = term == QLatin1String("transmit")  ? 1
                              : term == QLatin1String("receive") ? 2
                                                                 : 3;
    } else {
        *error = QStringLiteral("%1: \"%2\" does not apply to %3 (%4)")
                     .arg(termination.origin, term,
                          rs485   ? QStringLiteral("RS-485")
                          : rs422 ? QStringLiteral("RS-422")
                                  : QStringLiteral("RS-232"),
                          rs485   ? QStringLiteral("RS-485 takes none or on")
                          : rs422 ? QStringLiteral("RS-422 takes none, transmit, receive or both")
                                  : QStringLiteral("RS-232 takes no termination"));
        return std::nullopt;
    }
    return options;
}

quint8 TCardConfig::rs422MaskOrDefault() const
{
    if (rs422Mask.value)
        return *rs422Mask.value;
    return protocol.value.value_or(CardJumpers::RS485) == CardJumpers::RS422 ? 0xFF : 0x00;
}
