// Fuzz target of the hexadecimal address rule: every answer of parseHexAddress (and of
// StripLeadingZeros) is checked against a plain reference, for the input read as UTF-8, as Latin-1
// and as raw UTF-16, so that characters beyond ASCII (full-width digits, surrogates) come along.

#include "hex_address.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

// Valid exactly when the text is one or more ASCII hex digits with at most eight significant ones.
std::optional<quint32> referenceValue(const QString &text)
{
    std::string digits;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0 || u > 0x7F || !std::strchr("0123456789abcdefABCDEF", int(u)))
            return std::nullopt;
        digits += char(u);
    }
    if (digits.empty())
        return std::nullopt;
    const std::size_t first = digits.find_first_not_of('0');
    const std::string significant = first == std::string::npos ? std::string() : digits.substr(first);
    if (significant.size() > 8)
        return std::nullopt;
    return significant.empty() ? 0u : quint32(std::stoull(significant, nullptr, 16));
}

QString referenceStrip(const QString &text)
{
    if (text == QLatin1String("0"))
        return text;
    QString rest = text;
    while (rest.startsWith(QLatin1Char('0')))
        rest.remove(0, 1);
    return rest;
}

[[noreturn]] void fail(const char *what, const QString &text)
{
    std::fprintf(stderr, "%s for \"%s\" (UTF-16 length %lld)\n", what, text.toUtf8().constData(),
                 static_cast<long long>(text.size()));
    std::abort();
}

void check(const QString &text)
{
    const std::optional<quint32> expected = referenceValue(text);
    const std::optional<quint32> actual = parseHexAddress(text);
    if (expected.has_value() != actual.has_value())
        fail(expected ? "valid text refused" : "invalid text accepted", text);
    if (expected && *expected != *actual)
        fail("wrong value", text);
    if (StripLeadingZeros(text) != referenceStrip(text))
        fail("StripLeadingZeros differs", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const auto length = static_cast<qsizetype>(size);
    check(QString::fromUtf8(bytes, length));
    check(QString::fromLatin1(bytes, length));
    QString utf16(length / 2, Qt::Uninitialized);
    std::memcpy(utf16.data(), data, std::size_t(length / 2) * sizeof(char16_t));
    check(utf16);
    return 0;
}
