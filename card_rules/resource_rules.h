#pragma once

#include "card_registers.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>
#include <utility>

// The port resources of the card's eight serial ports: the checks of what the user chose and the
// ten register values written through the index register (control base + 1) and the data
// register (control base + 2).
namespace ResourceRules {

constexpr int PortCount = CARD_PORT_COUNT;
constexpr int RegisterCount = CARD_REGISTER_COUNT;
constexpr quint32 PortAddressMin = CARD_PORT_ADDRESS_MIN;
constexpr quint32 PortAddressMax = CARD_PORT_ADDRESS_MAX;
// A port base address is a multiple of 8 up to 0x3F8: address bits 3 to 9, all set in the highest.
constexpr quint32 PortAddressMask = CARD_PORT_ADDRESS_MAX;
// The addresses a port takes from its base on.
constexpr quint32 PortSize = CARD_PORT_ADDRESS_STEP;

// The two ports through which the registers of a card at this control base are written.
constexpr quint32 indexRegister(quint32 controlBase)
{
    return controlBase + CARD_INDEX_OFFSET;
}
constexpr quint32 dataRegister(quint32 controlBase)
{
    return controlBase + CARD_DATA_OFFSET;
}

using Addresses = std::array<quint16, PortCount>;
using Values = std::array<quint8, RegisterCount>;
// Where register k's value stands in Values, and the slots of the IRQ and RS-422 registers.
constexpr std::size_t registerSlot(int reg)
{
    return std::size_t(reg - CARD_REGISTER_PORT_A);
}
constexpr std::size_t IrqSlot = registerSlot(CARD_REGISTER_IRQ);
constexpr std::size_t Rs422MaskSlot = registerSlot(CARD_REGISTER_RS422_MASK);

QChar portLetter(int port);
// "base address for port A" ... "base address for port H", and "IRQ for all ports".
QString portLabel(int port);
QString irqLabel();

// The resource check of a text: a hexadecimal address (the address rule) that is a multiple of
// 8 from 0 to 0x3F8. "***" and "*" never pass.
bool resourceTextValid(const QString &text);
// Its message: "Error: " + label + " is invalid."
QString invalidSettingText(const QString &label);

// An address a port can take: 0x100 to 0x3F8 in steps of 8.
constexpr bool portAddressValid(quint32 address)
{
    return address >= PortAddressMin && address <= PortAddressMax && (address & ~PortAddressMask) == 0;
}

// The IRQ list as the window offers it ("2" ... "F", read as hexadecimal digits), and the numbers.
const QStringList &irqItems();
const QList<int> &irqNumbers();
inline bool irqValid(int irq)
{
    return irq >= 0 && card_irq_valid(unsigned(irq));
}
std::optional<int> irqOfItem(const QString &item);

// The first two ports (in the order A to H) that share one base address; both would stop working.
std::optional<std::pair<int, int>> sharedAddress(const Addresses &addresses);
QString sharedAddressText(int first, int second);

// Register k (1 to 10) holds values[registerSlot(k)]: the port address codes (address / 8) of
// ports A to H, the IRQ number, and the RS-422 mask (bit 0 port A ... bit 7 port H).
Values registerValues(const Addresses &addresses, int irq, quint8 rs422Mask);

// The twenty port writes of a write sequence, in order: index k, then value k, for k = 1 to 10.
struct PortWrite
{
    quint32 port;
    quint8 value;
    bool operator==(const PortWrite &other) const { return port == other.port && value == other.value; }
};
QList<PortWrite> portWrites(quint16 controlBase, const Values &values);

} // namespace ResourceRules
