#pragma once

#include <QString>
#include <optional>

// The hexadecimal rule of every address the user types: one or more of 0-9, A-F, a-f and nothing
// else (no blank, sign or prefix), leading zeros unlimited, at most eight significant digits.
std::optional<quint32> parseHexAddress(const QString &text);

// "0" stays "0"; otherwise every leading zero goes ("0300" gives "300", "00" gives "").
QString StripLeadingZeros(const QString &text);
