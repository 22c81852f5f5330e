#include "hex_address.h"

std::optional<quint32> parseHexAddress(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    quint32 value = 0;
    int significant = 0;
    for (const QChar c : text) {
        int digit;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digit = c.unicode() - '0';
        else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
            digit = c.unicode() - 'a' + 10;
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
            digit = c.unicode() - 'A' + 10;
        else
            return std::nullopt;
        if (significant > 0 || digit != 0)
            ++significant;
        if (significant > 8)
            return std::nullopt;
        value = (value << 4) | quint32(digit);
    }
    return value;
}

QString StripLeadingZeros(const QString &text)
{
    if (text == QLatin1String("0"))
        return text;
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char('0'))
        ++i;
    return text.mid(i);
}
