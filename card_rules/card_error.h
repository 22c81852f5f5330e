#pragma once

#include <QString>

// What is wrong with a card configuration, as every message about one names it: the card file (if
// the value came from one), the key or the option (such as "irq" in quotes, or --irq; empty when
// the whole file or configuration is meant) and the reason. An empty reason is no error.
struct TCardError
{
    // The most characters of a value a message shows.
    static constexpr int ShownLength = 60;

    QString file;
    QString key;
    QString reason;

    explicit operator bool() const { return !reason.isEmpty(); }
    // "file: key: reason", leaving out the parts that are empty; control characters in the file's
    // name escaped.
    QString message() const;

    // A text from a card file or an option as a message shows it: in double quotes, with control
    // characters (ESC as \e, BEL as \a, others as \xNN), quotes and backslashes escaped, and cut at
    // ShownLength characters with an ellipsis. A card file cannot retitle the terminal or fill it.
    static QString quoted(const QString &text);
    // Control characters escaped, nothing cut: for a file's name.
    static QString escaped(const QString &text);
};
