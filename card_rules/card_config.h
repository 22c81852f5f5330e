#pragma once

#include "card_error.h"
#include "card_jumpers.h"
#include "resource_rules.h"

#include <QString>

#include <array>
#include <optional>

// The whole configuration of a card, as a card file holds it and as the window and the command line
// take it. Each value remembers where it came from ("ports.C" in the card file, --irq, ...) so that
// a message can name it. Every setter checks its value; a failed check gives the error.
class TCardConfig
{
public:
    // The card file format this program reads and writes.
    static constexpr int FormatVersion = 1;

    template<typename T>
    struct Value
    {
        std::optional<T> value;
        QString origin;
    };

    Value<quint32> controlBase;
    Value<int> protocol;        // CardJumpers::Protocol
    Value<QString> termination; // none, on (RS-485), transmit, receive, both (RS-422)
    Value<bool> autoRts;
    Value<int> clock; // 0 X1, 1 X8
    Value<bool> df;   // fitted: ports disabled
    std::array<Value<quint16>, ResourceRules::PortCount> ports;
    Value<int> irq;
    Value<quint8> rs422Mask;

    // The card file the values with a quoted origin ("irq") came from, for the messages.
    QString file;

    // Each parses a text the user gave (in the card file or an option) and keeps it with its
    // origin; on failure it returns the error, with the origin as its key, and keeps nothing.
    TCardError setControlBase(const QString &text, const QString &origin);
    TCardError setProtocol(const QString &text, const QString &origin);
    TCardError setTermination(const QString &text, const QString &origin);
    TCardError setAutoRts(bool on, const QString &origin);
    TCardError setClock(const QString &text, const QString &origin);
    TCardError setDf(const QString &text, const QString &origin);
    TCardError setPort(int port, const QString &text, const QString &origin);
    TCardError setIrq(int irq, const QString &origin);
    TCardError setRs422(const QStringList &letters, const QString &origin);

    // The options for the jumper plan, with the window's defaults where nothing was given, or the
    // error naming the value that does not fit the others.
    std::optional<CardJumpers::Options> jumperOptions(TCardError *error) const;
    // Whether the values fit together: the choices (as jumperOptions), and no two ports given at
    // one address, where both would stop working.
    TCardError check() const;
    // The RS-422 mask to write: as given, else every port when RS-422 is chosen (as the window
    // presets its boxes), else none.
    quint8 rs422MaskOrDefault() const;
    // The control base address as given, else the card's default.
    quint32 controlBaseOrDefault() const;
    // Whether the X8 jumper is fitted: the high-speed clock was chosen.
    bool x8Clock() const;

    // "0x3F8" or "3F8": the address rule, with or without a 0x prefix. False for anything else.
    static std::optional<quint32> parseAddress(const QString &text);
    // "0x3F8" (upper-case digits, at least three)
    static QString addressText(quint32 address);
    // The card file's names: "RS-232", "RS-485", "RS-422"; "X1", "X8".
    static QString protocolName(int protocol);
    static QString clockName(int clock);

    // The error at a value's origin; a quoted origin is a key of the card file.
    TCardError errorAt(const QString &origin, const QString &reason) const;

private:
    TCardError sharedPort() const;
};
