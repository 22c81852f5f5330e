#pragma once

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
class TCardFile
{
public:
    // Reads the file into the configuration. On failure returns a message that names the file,
    // the key and the reason, and the configuration is left as it was.
    static QString read(const QString &path, TCardConfig &config);
    // The same for a document already in memory; `name` is the file name for the messages.
    static QString parse(const QByteArray &document, const QString &name, TCardConfig &config);
};
