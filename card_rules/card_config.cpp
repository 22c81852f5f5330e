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

const QStringList &protocolNames()
{
    static const QStringList names{QStringLiteral("RS-232"), QStringLiteral("RS-485"),
                                   QStringLiteral("RS-422")};
    return names;
}

const QStringList &clockNames()
{
    static const QStringList names{QStringLiteral("X1"), QStringLiteral("X8")};
    return names;
}

// The index of text in names, letter case aside.
std::optional<int> indexOf(const QStringList &names, const QString &text)
{
    for (int index = 0; index < names.size(); ++index) {
        if (text.compare(names.at(index), Qt::CaseInsensitive) == 0)
            return index;
    }
    return std::nullopt;
}

// Keeps the index of text among names in value, or tells that text is none of them.
TCardError setChoice(TCardConfig::Value<int> &value, const QStringList &names, const QString &text,
                     const QString &origin)
{
    const std::optional<int> index = indexOf(names, text);
    if (!index)
        return {{},
                origin,
                QStringLiteral("%1 is not one of %2")
                    .arg(TCardError::quoted(text), names.join(QStringLiteral(", ")))};
    value = {*index, origin};
    return {};
}

// Why a termination does not apply to a protocol.
QString terminationMismatch(const QString &term, int protocol)
{
    static const QStringList takes{QStringLiteral("RS-232 takes no termination"),
                                   QStringLiteral("RS-485 takes none or on"),
                                   QStringLiteral("RS-422 takes none, transmit, receive or both")};
    return QStringLiteral("%1 does not apply to %2 (%3)")
        .arg(TCardError::quoted(term), protocolNames().at(protocol), takes.at(protocol));
}
} // namespace

std::optional<quint32> TCardConfig::parseAddress(const QString &text)
{
    const bool prefixed = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    return parseHexAddress(prefixed ? text.mid(2) : text);
}

QString TCardConfig::addressText(quint32 address)
{
    return CardJumpers::prefixedText(address);
}

QString TCardConfig::protocolName(int protocol)
{
    return protocolNames().value(protocol);
}

QString TCardConfig::clockName(int clock)
{
    return clockNames().value(clock);
}

TCardError TCardConfig::errorAt(const QString &origin, const QString &reason) const
{
    return {origin.startsWith(QLatin1Char('"')) ? file : QString(), origin, reason};
}

TCardError TCardConfig::setControlBase(const QString &text, const QString &origin)
{
    const std::optional<quint32> value = parseAddress(text);
    if (!value)
        return {
            {},
            origin,
            QStringLiteral("%1 is not a hexadecimal address such as 0x300").arg(TCardError::quoted(text))};
    const quint32 settable = CardJumpers::settableAddress(*value);
    if (*value != settable) {
        return {
            {},
            origin,
            QStringLiteral("%1 cannot be set on the card: its jumpers A4 to A9 set the addresses %2 (the "
                           "nearest they give is %3)")
                .arg(addressText(*value),
                     CardJumpers::rangeText(CardJumpers::SettableRange, CardJumpers::RangeStyle::WithSteps),
                     // Above the range the jumpers' highest is nearest, not the masked value.
                     addressText(*value > CardJumpers::SettableRange.highest
                                     ? CardJumpers::SettableRange.highest
                                     : settable))};
    }
    controlBase = {settable, origin};
    return {};
}

TCardError TCardConfig::setProtocol(const QString &text, const QString &origin)
{
    return setChoice(protocol, protocolNames(), text, origin);
}

TCardError TCardConfig::setTermination(const QString &text, const QString &origin)
{
    static const QStringList names{QStringLiteral("none"), QStringLiteral("on"), QStringLiteral("transmit"),
                                   QStringLiteral("receive"), QStringLiteral("both")};
    if (!names.contains(text))
        return {{},
                origin,
                QStringLiteral("%1 is not one of none, on, transmit, receive, both")
                    .arg(TCardError::quoted(text))};
    termination = {text, origin};
    return {};
}

TCardError TCardConfig::setAutoRts(bool on, const QString &origin)
{
    autoRts = {on, origin};
    return {};
}

TCardError TCardConfig::setClock(const QString &text, const QString &origin)
{
    return setChoice(clock, clockNames(), text, origin);
}

TCardError TCardConfig::setDf(const QString &text, const QString &origin)
{
    if (text == QLatin1String("fitted"))
        df = {true, origin};
    else if (text == QLatin1String("removed"))
        df = {false, origin};
    else
        return {{}, origin, QStringLiteral("%1 is not one of fitted, removed").arg(TCardError::quoted(text))};
    return {};
}

TCardError TCardConfig::setPort(int port, const QString &text, const QString &origin)
{
    const std::optional<quint32> value = parseAddress(text);
    if (!value)
        return {
            {},
            origin,
            QStringLiteral("%1 is not a hexadecimal address such as 0x3F8").arg(TCardError::quoted(text))};
    if (*value < ResourceRules::PortAddressMin || *value > ResourceRules::PortAddressMax)
        return {{}, origin, QStringLiteral("%1 is outside 0x100 to 0x3F8").arg(addressText(*value))};
    if (!ResourceRules::portAddressValid(*value))
        return {{}, origin, QStringLiteral("%1 is not a multiple of 8").arg(addressText(*value))};
    ports[std::size_t(port)] = {quint16(*value), origin};
    return {};
}

TCardError TCardConfig::setIrq(int value, const QString &origin)
{
    if (!ResourceRules::irqValid(value))
        return {{}, origin, QStringLiteral("%1 is not one of the IRQs %2").arg(value).arg(listOfIrqs())};
    irq = {value, origin};
    return {};
}

TCardError TCardConfig::setRs422(const QStringList &letters, const QString &origin)
{
    quint8 mask = 0;
    for (const QString &letter : letters) {
        const QString upper = letter.toUpper();
        if (upper.size() != 1 || upper.at(0) < QLatin1Char('A') || upper.at(0) > QLatin1Char('H'))
            return {
                {}, origin, QStringLiteral("%1 is not a port letter A to H").arg(TCardError::quoted(letter))};
        mask |= quint8(1u << (upper.at(0).unicode() - 'A'));
    }
    rs422Mask = {mask, origin};
    return {};
}

std::optional<CardJumpers::Options> TCardConfig::jumperOptions(TCardError *error) const
{
    CardJumpers::Options options;
    options.controlBase = controlBaseOrDefault();
    options.protocol = protocol.value.value_or(options.protocol);
    options.clock = clock.value.value_or(options.clock);
    if (df.value)
        options.df = CardJumpers::portSwitchOfJumper(*df.value);

    const bool rs485 = options.protocol == CardJumpers::RS485;
    const bool rs422 = options.protocol == CardJumpers::RS422;
    options.autoRts = rs485 && autoRts.value.value_or(true);
    if (autoRts.value && *autoRts.value && !rs485) {
        *error = errorAt(autoRts.origin, QStringLiteral("automatic RTS control is for RS-485 only"));
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
        *error = errorAt(termination.origin, terminationMismatch(term, options.protocol));
        return std::nullopt;
    }
    return options;
}

TCardError TCardConfig::sharedPort() const
{
    for (std::size_t first = 0; first < ports.size(); ++first) {
        for (std::size_t second = first + 1; second < ports.size(); ++second) {
            const Value<quint16> &a = ports[first];
            const Value<quint16> &b = ports[second];
            if (!a.value || a.value != b.value)
                continue;
            // A card file names the port and the address; options keep the window's message.
            if (b.origin.startsWith(QLatin1Char('"')) && a.origin.startsWith(QLatin1Char('"')))
                return errorAt(b.origin, QStringLiteral("%1 is the address of port %2 as well")
                                             .arg(addressText(*b.value))
                                             .arg(ResourceRules::portLetter(int(first))));
            return {{}, {}, ResourceRules::sharedAddressText(int(first), int(second))};
        }
    }
    return {};
}

TCardError TCardConfig::check() const
{
    TCardError error;
    if (!jumperOptions(&error))
        return error;
    return sharedPort();
}

quint8 TCardConfig::rs422MaskOrDefault() const
{
    if (rs422Mask.value)
        return *rs422Mask.value;
    return protocol.value.value_or(CardJumpers::RS485) == CardJumpers::RS422 ? 0xFF : 0x00;
}

quint32 TCardConfig::controlBaseOrDefault() const
{
    return controlBase.value.value_or(CardJumpers::DefaultControlBase);
}

bool TCardConfig::x8Clock() const
{
    return CardJumpers::clockJumper(clock.value.value_or(0));
}
