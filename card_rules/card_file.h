#pragma once

#include "card_error.h"

#include <QByteArray>
#include <QString>

class TCardConfig;

// A card file: the whole configuration of a card as a small JSON document (see the README).
//
//     {
//         "version": 1,
//         "controlBase": "0x300",
//         "protocol": "RS-422", "termination": "none", "clock": "X1", "df": "removed",
//         "ports": { "A": "0x3F8", "B": "0x2F8", ..., "H": "0x118" },
//         "irq": 10,
//         "rs422Ports": ["A", "B"]
//     }
//
// Every key but "version" may be left out.
namespace CardFile {

// Reads the file into the configuration. On failure returns the error, which names the file, the
// key and the reason, and the configuration is left as it was.
TCardError read(const QString &path, TCardConfig &config);
// The same for a document already in memory; `name` is the file name for the messages.
TCardError parse(const QByteArray &document, const QString &name, TCardConfig &config);

// The card file of the configuration: version 1, with a key for every value it holds.
QByteArray document(const TCardConfig &config);
// Writes the document to the file whole or not at all: a failure leaves the file as it was and
// returns the error naming the file and the reason.
TCardError save(const QString &path, const TCardConfig &config);

} // namespace CardFile
