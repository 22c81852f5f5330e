#include "card_error.h"

#include <QStringList>

namespace {

QString hexDigits(char16_t code, int width)
{
    return QString::number(code, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

// The escape of a character that a terminal or a message box would act on, else empty.
QString controlEscape(QChar c)
{
    static const std::pair<char16_t, const char *> named[] = {{0x1B, "\\e"}, {0x07, "\\a"}, {'\b', "\\b"},
                                                              {'\f', "\\f"}, {'\n', "\\n"}, {'\r', "\\r"},
                                                              {'\t', "\\t"}, {'\v', "\\v"}};
    for (const auto &[code, text] : named) {
        if (c.unicode() == code)
            return QLatin1String(text);
    }
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
        return QStringLiteral("\\x") + hexDigits(c.unicode(), 2);
    // C1 controls, direction overrides and other invisible formatting.
    const QChar::Category category = c.category();
    if (category == QChar::Other_Control || category == QChar::Other_Format ||
        category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
        return QStringLiteral("\\u") + hexDigits(c.unicode(), 4);
    return {};
}

QString escapedText(const QString &text, bool quotes)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (quotes && (c == QLatin1Char('"') || c == QLatin1Char('\\')))
            out += QLatin1Char('\\') + QString(c);
        else if (const QString escape = controlEscape(c); !escape.isEmpty())
            out += escape;
        else
            out += c;
    }
    return out;
}

} // namespace

QString TCardError::message() const
{
    QStringList parts;
    for (const QString &part : {escaped(file), key, reason}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(QStringLiteral(": "));
}

QString TCardError::quoted(const QString &text)
{
    if (text.size() <= ShownLength)
        return QLatin1Char('"') + escapedText(text, true) + QLatin1Char('"');
    // Never half of a character made of two.
    const int cut = text.at(ShownLength - 1).isHighSurrogate() ? ShownLength - 1 : ShownLength;
    return QLatin1Char('"') + escapedText(text.left(cut), true) + QStringLiteral("\"\u2026");
}

QString TCardError::escaped(const QString &text)
{
    return escapedText(text, false);
}
