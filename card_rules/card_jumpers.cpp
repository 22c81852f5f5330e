#include "card_jumpers.h"

#include "hex_address.h"

namespace CardJumpers {

namespace {
// Removes leading and trailing blanks and control characters, as the address text is compared.
QString trimmedText(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= ' ')
        ++first;
    while (last > first && text.at(last - 1).unicode() <= ' ')
        --last;
    return text.mid(first, last - first);
}
} // namespace

std::array<bool, AddressLineCount> addressJumpers(quint32 settable)
{
    std::array<bool, AddressLineCount> fitted{};
    quint32 bit = LowestAddressBit;
    for (bool &line : fitted) {
        line = (settable & bit) == 0;
        bit <<= 1;
    }
    return fitted;
}

quint32 addressFromJumpers(const std::array<bool, AddressLineCount> &fitted)
{
    quint32 address = 0;
    quint32 bit = LowestAddressBit;
    for (const bool line : fitted) {
        if (!line)
            address += bit;
        bit <<= 1;
    }
    return address;
}

QString addressText(quint32 address)
{
    return QString::number(address, 16).toUpper();
}

QString prefixedText(quint32 value, int digits)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString rangeText(const AddressRange &range, RangeStyle style)
{
    const QString to = QStringLiteral(" to ");
    if (style == RangeStyle::Digits)
        return addressText(range.lowest) + to + addressText(range.highest);
    QString text = prefixedText(range.lowest) + to + prefixedText(range.highest);
    if (style == RangeStyle::WithSteps)
        text += QStringLiteral(" in steps of ") + prefixedText(range.step, 1);
    return text;
}

QString addressFeedback(const QString &text, quint32 value)
{
    const QString expected = addressText(settableAddress(value));
    QString canonical = StripLeadingZeros(trimmedText(text)).toUpper();
    if (canonical.isEmpty())
        canonical = QStringLiteral("0"); // "00" is the address 0 as it is written
    return canonical != expected ? QStringLiteral("Actual: ") + expected : QString();
}

ProtocolJumpers protocolJumpers(int protocolIndex)
{
    const Protocol protocol = protocolIndex == RS485 ? RS485 : protocolIndex == RS422 ? RS422 : RS232;
    const bool rs232 = protocol == RS232;
    return {protocol, rs232, !rs232, protocol == RS485, protocol == RS422, protocol == RS485, !rs232};
}

LoadJumpers loadJumpers(int terminationIndex)
{
    return {(terminationIndex & TL) != 0, (terminationIndex & RL) != 0};
}

QList<Jumper> jumperRow(const Options &options)
{
    const quint32 settable = settableAddress(options.controlBase);
    const auto address = addressJumpers(settable);
    QList<Jumper> row;
    for (int line = 0; line < AddressLineCount; ++line) {
        const QString label = QStringLiteral("A%1").arg(line + 4);
        const bool fitted = address[std::size_t(line)];
        row.append(
            {label, fitted,
             QStringLiteral("address bit 0x%1 is %2")
                 .arg(QStringLiteral("%1").arg(LowestAddressBit << line, 3, 16, QLatin1Char('0')).toUpper())
                 .arg(fitted ? 0 : 1)});
    }
    const bool df = dfJumper(options.df);
    row.append({QStringLiteral("DF"), df,
                df ? QStringLiteral("ports disabled: only the control registers answer")
                   : QStringLiteral("ports enabled")});
    const bool x8 = clockJumper(options.clock);
    row.append({QStringLiteral("X8"), x8,
                x8 ? QStringLiteral("X8 clock (up to 921,600 baud)")
                   : QStringLiteral("X1 clock (up to 115,200 baud)")});
    return row;
}

QList<Jumper> portColumn(const Options &options)
{
    const ProtocolJumpers p = protocolJumpers(options.protocol);
    static const char *const names[] = {"RS-232", "RS-485", "RS-422"};
    const QString protocol = QString::fromLatin1(names[p.protocol]);
    const auto why = [&protocol](bool fitted) { return fitted ? protocol : QString(); };
    const bool autoRts = p.autoRts && options.autoRts;
    // RS-232 takes no termination; RS-485 uses TL alone.
    const LoadJumpers load = !p.loadUsed           ? LoadJumpers{false, false}
                             : p.protocol == RS485 ? loadJumpers(options.termination & TL)
                                                   : loadJumpers(options.termination);
    return {
        {QStringLiteral("32"), p.rs232, why(p.rs232)},
        {QStringLiteral("85"), p.rs485, why(p.rs485)},
        {QStringLiteral("R8"), autoRts, autoRts ? QStringLiteral("automatic RTS control") : QString()},
        {QStringLiteral("4x"), p.rs4xx, why(p.rs4xx)},
        {QStringLiteral("42"), p.rs422, why(p.rs422)},
        {QStringLiteral("RL"), load.rl, load.rl ? QStringLiteral("receive line termination") : QString()},
        {QStringLiteral("TL"), load.tl,
         !load.tl              ? QString()
         : p.protocol == RS485 ? QStringLiteral("line termination")
                               : QStringLiteral("transmit line termination")},
    };
}

} // namespace CardJumpers
