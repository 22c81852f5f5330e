#pragma once

#include <QString>

// What is wrong with a card configuration, as every message about one names it: the card file (if
// the value came from one), the key or the option (such as "irq" in quotes, or --irq; empty when
// the whole file or configuration is meant) and the reason. An empty reason is no error.
struct TCardError
{
    QString file;
    QString key;
    QString reason;

    explicit operator bool() const { return !reason.isEmpty(); }
    // "file: key: reason", leaving out the parts that are empty.
    QString message() const;
};
