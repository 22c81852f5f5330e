#include "resource_rules.h"

#include "hex_address.h"

namespace ResourceRules {

QChar portLetter(int port)
{
    return QChar(QLatin1Char('A').unicode() + port);
}

QString portLabel(int port)
{
    return QStringLiteral("base address for port ") + portLetter(port);
}

QString irqLabel()
{
    return QStringLiteral("IRQ for all ports");
}

bool resourceTextValid(const QString &text)
{
    const std::optional<quint32> value = parseHexAddress(text);
    return value && (*value & ~PortAddressMask) == 0;
}

QString invalidSettingText(const QString &label)
{
    return QStringLiteral("Error: ") + label + QStringLiteral(" is invalid.");
}

const QStringList &irqItems()
{
    // Each IRQ as one upper-case hexadecimal digit: "2" ... "7", "A", "B", "C", "F".
    static const QStringList items = [] {
        QStringList list;
        for (const int irq : irqNumbers())
            list.append(QString::number(irq, 16).toUpper());
        return list;
    }();
    return items;
}

const QList<int> &irqNumbers()
{
    static const QList<int> numbers = [] {
        QList<int> list;
        for (int irq = 0; irq < 16; ++irq) {
            if (irqValid(irq))
                list.append(irq);
        }
        return list;
    }();
    return numbers;
}

std::optional<int> irqOfItem(const QString &item)
{
    if (!irqItems().contains(item))
        return std::nullopt;
    return int(parseHexAddress(item).value_or(0));
}

std::optional<std::pair<int, int>> sharedAddress(const Addresses &addresses)
{
    for (int first = 0; first < PortCount; ++first) {
        for (int second = first + 1; second < PortCount; ++second) {
            if (addresses[std::size_t(first)] == addresses[std::size_t(second)])
                return std::make_pair(first, second);
        }
    }
    return std::nullopt;
}

QString sharedAddressText(int first, int second)
{
    return QStringLiteral("Error: ports %1 and %2 have the same base address.")
        .arg(portLetter(first))
        .arg(portLetter(second));
}

Values registerValues(const Addresses &addresses, int irq, quint8 rs422Mask)
{
    Values values{};
    for (int port = 0; port < PortCount; ++port)
        values[registerSlot(CARD_REGISTER_PORT_A + port)] = quint8(addresses[std::size_t(port)] / PortSize);
    values[IrqSlot] = quint8(irq);
    values[Rs422MaskSlot] = rs422Mask;
    return values;
}

QList<PortWrite> portWrites(quint16 controlBase, const Values &values)
{
    QList<PortWrite> writes;
    for (int k = CARD_REGISTER_PORT_A; k <= RegisterCount; ++k) {
        writes.append({indexRegister(controlBase), quint8(k)});
        writes.append({dataRegister(controlBase), values[registerSlot(k)]});
    }
    return writes;
}

} // namespace ResourceRules
