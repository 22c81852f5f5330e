#pragma once

#include "card_registers.h"

#include <QList>
#include <QString>

#include <array>

// Which shunts the TR-4410 needs for a choice. A state is true when the jumper is fitted, as a
// jumper glyph's Closed state is.
namespace CardJumpers {

// The card takes its control base address from the address lines A4 to A9 alone: the highest
// address has all six set.
constexpr quint32 SettableAddressMask = CARD_CONTROL_BASE_MAX;
constexpr int AddressLineCount = 6;
constexpr quint32 LowestAddressBit = CARD_CONTROL_BASE_STEP;
// Below this lie the PC's own devices (interrupt and DMA controllers, timer, keyboard): a write
// there goes to them, not to the card.
constexpr quint32 LowestControlBase = CARD_CONTROL_BASE_MIN;
constexpr quint32 HighestControlBase = CARD_CONTROL_BASE_MAX;
// Where the card ships, and what is taken wherever no control base is given.
constexpr quint32 DefaultControlBase = CARD_CONTROL_BASE_DEFAULT;

// A range of addresses in steps, as messages name it.
struct AddressRange
{
    quint32 lowest;
    quint32 highest;
    quint32 step;
};
// Every address the jumpers set, and the control bases at which the registers may be written.
constexpr AddressRange SettableRange{0, SettableAddressMask, LowestAddressBit};
constexpr AddressRange ControlBaseRange{LowestControlBase, HighestControlBase, CARD_CONTROL_BASE_STEP};

// How a message writes a range: "0x100 to 0x3F0 in steps of 0x10", the same without the steps,
// or in the window's bare digits, "100 to 3F0".
enum class RangeStyle { WithSteps, Prefixed, Digits };
QString rangeText(const AddressRange &range, RangeStyle style);

// The address the jumpers give for a typed value.
constexpr quint32 settableAddress(quint32 value)
{
    return value & SettableAddressMask;
}

// Whether the card's registers may be written at this control base address (ControlBaseRange).
constexpr bool controlBaseUsable(quint32 address)
{
    return address >= LowestControlBase && address <= HighestControlBase;
}

// The address lines A4 to A9 for a settable address, lowest first: fitted where the bit is 0.
std::array<bool, AddressLineCount> addressJumpers(quint32 settable);
// The address the six jumpers A4 to A9 (lowest first) give.
quint32 addressFromJumpers(const std::array<bool, AddressLineCount> &fitted);

// Upper-case hexadecimal with the fewest digits ("0" for zero), as the address is shown.
QString addressText(quint32 address);
// "0x" and upper-case hexadecimal of at least `digits` digits, as messages write an address.
QString prefixedText(quint32 value, int digits = 3);

// The feedback beside the address text: empty when the text already names the settable address
// (leading zeros, letter case and surrounding blanks aside), else "Actual: " and that address.
QString addressFeedback(const QString &text, quint32 value);

// The protocol, by its index in the protocol list.
enum Protocol { RS232 = 0, RS485 = 1, RS422 = 2 };

// The port jumper column for a protocol. Any index but RS485 and RS422 counts as RS-232.
struct ProtocolJumpers
{
    Protocol protocol;
    bool rs232;    // 32
    bool rs4xx;    // 4x
    bool rs485;    // 85
    bool rs422;    // 42
    bool autoRts;  // R8, fitted (and the "Auto RTS" box ticked) whenever RS-485 is chosen
    bool loadUsed; // the termination list and its TL and RL jumpers take part
};
ProtocolJumpers protocolJumpers(int protocolIndex);

// Termination: the index in the termination list is a bit set of the terminated lines.
enum LoadLine { TL = 1, RL = 2 };
struct LoadJumpers
{
    bool tl;
    bool rl;
};
LoadJumpers loadJumpers(int terminationIndex);
// The termination index with one line's terminator fitted or not, the other line as it was.
constexpr int withLoadLine(int terminationIndex, LoadLine line, bool fitted)
{
    return fitted ? (terminationIndex | line) : (terminationIndex & ~line);
}

// The baud clock and the port-disable switch, by their indexes in their lists.
enum Clock { X1 = 0, X8 = 1 };
enum PortSwitch { PortsEnabled = 0, PortsDisabled = 1 };

// X8 is fitted for the high-speed clock, DF to disable the ports.
constexpr bool clockJumper(int clockIndex)
{
    return clockIndex != X1;
}
constexpr bool dfJumper(int dfIndex)
{
    return dfIndex != PortsEnabled;
}
// The list index that a fitted or open X8 or DF jumper chooses.
constexpr Clock clockOfJumper(bool x8Fitted)
{
    return x8Fitted ? X8 : X1;
}
constexpr PortSwitch portSwitchOfJumper(bool dfFitted)
{
    return dfFitted ? PortsDisabled : PortsEnabled;
}

// A whole choice of the card's options, as the window holds it.
struct Options
{
    quint32 controlBase = DefaultControlBase;
    int protocol = RS485;
    int termination = 0; // index in the protocol's termination list
    bool autoRts = true; // RS-485 only
    int clock = X1;
    int df = PortsEnabled;
};

struct Jumper
{
    QString label; // as printed on the card: A4 ... A9, DF, X8, 32, 85, R8, 4x, 42, RL, TL
    bool fitted;
    QString meaning;
};

// Every jumper of the card for a choice: the jumper row A4 to X8, then the port jumper column
// that each of the eight ports carries.
QList<Jumper> jumperRow(const Options &options);
QList<Jumper> portColumn(const Options &options);

} // namespace CardJumpers
