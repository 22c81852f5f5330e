#include "sheet_table.h"

#include "linux_setup.h"

#include <QPainter>

namespace SheetTable {

namespace {

constexpr double RowHeight = 42;

QString terminationText(const CardJumpers::Options &options)
{
    static const QStringList rs422{QStringLiteral("none"), QStringLiteral("transmit"),
                                   QStringLiteral("receive"), QStringLiteral("both")};
    if (options.protocol == CardJumpers::RS485)
        return options.termination == 1 ? QStringLiteral("on") : QStringLiteral("none");
    if (options.protocol == CardJumpers::RS422)
        return rs422.value(options.termination, rs422.first());
    return QStringLiteral("not used with RS-232");
}

QString lettersOf(quint8 mask)
{
    QStringList letters;
    for (int port = 0; port < ResourceRules::PortCount; ++port)
        if (mask & (1u << port))
            letters.append(QString(ResourceRules::portLetter(port)));
    return letters.isEmpty() ? QStringLiteral("none") : letters.join(QStringLiteral(", "));
}

// Rows from the top of a column; the first in bold when heading.
double drawRows(QPainter &p, const QPointF &at, const QList<double> &tabs, const QList<QStringList> &rows,
                const QFont &font, const QFont &bold, bool heading)
{
    double y = at.y();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        p.setFont(heading && r == 0 ? bold : font);
        for (qsizetype c = 0; c < rows.at(r).size() && c < tabs.size(); ++c)
            p.drawText(QPointF(at.x() + tabs.at(c), y + RowHeight * 0.75), rows.at(r).at(c));
        y += RowHeight;
    }
    return y;
}

} // namespace

QList<QStringList> choiceRows(const CardJumpers::Options &options)
{
    const bool rs485 = options.protocol == CardJumpers::RS485;
    return {
        {QStringLiteral("Control base"),
         TCardConfig::addressText(CardJumpers::settableAddress(options.controlBase)) +
             QStringLiteral(" (A4-A9)")},
        {QStringLiteral("Protocol"), TCardConfig::protocolName(options.protocol)},
        {QStringLiteral("Termination"), terminationText(options)},
        {QStringLiteral("Auto RTS"), rs485 ? (options.autoRts ? QStringLiteral("on") : QStringLiteral("off"))
                                           : QStringLiteral("RS-485 only")},
        {QStringLiteral("Clock"), TCardConfig::clockName(options.clock)},
        {QStringLiteral("DF"), CardJumpers::dfJumper(options.df) ? QStringLiteral("fitted (ports disabled)")
                                                                 : QStringLiteral("removed (ports enabled)")},
    };
}

QList<QStringList> resourceRows(const TCardConfig &config)
{
    ResourceRules::Addresses addresses{};
    for (int port = 0; port < ResourceRules::PortCount; ++port) {
        const std::optional<quint16> address = config.ports[std::size_t(port)].value;
        if (!address)
            return {};
        addresses[std::size_t(port)] = *address;
    }
    if (!config.irq.value)
        return {};
    const quint8 rs422 = config.rs422MaskOrDefault();
    const TLinuxSetup setup(addresses, *config.irq.value, config.x8Clock());
    // The line is what a machine with COM1 to COM4 alone gives; the stable name holds on any.
    const quint32 controlBase = config.controlBaseOrDefault();
    QList<QStringList> rows{{QStringLiteral("Port"), QStringLiteral("Address"), QStringLiteral("RS-422"),
                             QStringLiteral("Linux"), QStringLiteral("Stable name")}};
    for (const TLinuxSetup::Device &device : setup.devices())
        rows.append({QString(ResourceRules::portLetter(device.port)),
                     TCardConfig::addressText(device.address),
                     rs422 & (1u << device.port) ? QStringLiteral("yes") : QStringLiteral("no"),
                     QStringLiteral("/dev/ttyS%1").arg(device.ttyNumber),
                     TLinuxSetup::stableName(controlBase, device.port)});
    rows.append({QStringLiteral("IRQ %1").arg(*config.irq.value)});
    rows.append({QStringLiteral("RS-422 ports: ") + lettersOf(rs422)});
    rows.append({QStringLiteral("Kernel parameter: ") + setup.kernelParameter()});
    return rows;
}

void draw(QPainter &p, const QRectF &area, const CardJumpers::Options &options, const TCardConfig &config,
          const QFont &font, const QFont &bold)
{
    p.setPen(Qt::black);
    const double half = area.width() / 2;
    QList<QStringList> choices{{QStringLiteral("Choices")}};
    choices.append(choiceRows(options));
    drawRows(p, area.topLeft(), {0, 240}, choices, font, bold, true);
    QList<QStringList> resources = resourceRows(config);
    if (resources.isEmpty())
        resources = {{QStringLiteral("Port resources")},
                     {QStringLiteral("not given: the ports' addresses and the IRQ")},
                     {QStringLiteral("come from a card file or the options")}};
    else
        resources.prepend({QStringLiteral("Port resources")});
    drawRows(p, QPointF(area.left() + half, area.top()), {0, 110, 280, 420, 600}, resources, font, bold,
             true);
}

} // namespace SheetTable
