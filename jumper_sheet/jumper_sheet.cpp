#include "jumper_sheet.h"

#include "jumper_places.h"
#include "linux_setup.h"
#include "sheet_table.h"

#include <QPainter>

namespace JumperSheet {

namespace {

// The drawing is made in tenths of a millimetre.
constexpr double Unit = 10;
constexpr double Margin = 120;
constexpr double HeaderHeight = 110;
constexpr double BoardWidth = 1860;
constexpr double BelowBoard = 650;
constexpr double PinOffset = 3.6; // from a jumper's centre, in the photograph's frame

QFont sheetFont(int tenthsOfMm, bool bold = false)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(tenthsOfMm);
    font.setBold(bold);
    return font;
}

// One jumper in the photograph's frame: the photograph's own shunt wiped out, then fitted as a
// black bar over both pins, or open as two hollow pins.
void drawShunt(QPainter &p, const QPointF &centre, bool horizontal, bool fitted)
{
    const QSizeF along = horizontal ? QSizeF(16, 6.4) : QSizeF(6.4, 16);
    p.fillRect(QRectF(centre - QPointF(along.width() / 2, along.height() / 2), along), Qt::white);
    const QPointF offset = horizontal ? QPointF(PinOffset, 0) : QPointF(0, PinOffset);
    if (fitted) {
        const QSizeF bar = horizontal ? QSizeF(14, 4.6) : QSizeF(4.6, 14);
        p.fillRect(QRectF(centre - QPointF(bar.width() / 2, bar.height() / 2), bar), Qt::black);
        return;
    }
    p.setPen(QPen(Qt::black, 0.7));
    p.setBrush(Qt::white);
    p.drawEllipse(centre - offset, 1.7, 1.7);
    p.drawEllipse(centre + offset, 1.7, 1.7);
}

// A group's name in a white box on the photograph, in its frame.
void groupLabel(QPainter &p, const QRectF &box, const QString &text)
{
    p.setPen(QPen(Qt::black, 0.4));
    p.setBrush(Qt::white);
    p.drawRect(box);
    p.setFont(sheetFont(6));
    p.drawText(box, Qt::AlignCenter, text);
}

void drawShunts(QPainter &p, const CardJumpers::Options &options)
{
    const QList<CardJumpers::Jumper> row = CardJumpers::jumperRow(options);
    for (int i = 0; i < JumperPlaces::RowCount && i < row.size(); ++i)
        drawShunt(p, QPointF(JumperPlaces::rowX(i), JumperPlaces::RowY), false, row.at(i).fitted);
    const QList<CardJumpers::Jumper> column = CardJumpers::portColumn(options);
    for (const JumperPlaces::Column &c : JumperPlaces::Columns)
        for (int i = 0; i < JumperPlaces::ColumnPositions && i < column.size(); ++i)
            drawShunt(p, QPointF(JumperPlaces::columnX(c), JumperPlaces::columnY(c, i)), true,
                      column.at(i).fitted);
    groupLabel(p, QRectF(50, 320, 71, 12), QStringLiteral("A4-A9  DF  X8"));
    groupLabel(p, QRectF(122, 30, 50, 11), QStringLiteral("Ports A-D"));
    groupLabel(p, QRectF(228, 30, 50, 11), QStringLiteral("Ports E-H"));
}

void drawBoard(QPainter &p, const QRectF &board, const CardJumpers::Options &options,
               const QImage &photograph)
{
    if (!photograph.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(board, photograph);
    }
    p.save();
    p.translate(board.topLeft());
    p.scale(board.width() / JumperPlaces::FrameWidth, board.height() / JumperPlaces::FrameHeight);
    drawShunts(p, options);
    p.restore();
    p.setPen(QPen(Qt::black, 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(board);
}

void drawHeader(QPainter &p, const QRectF &area, const Content &content)
{
    p.setPen(Qt::black);
    p.setFont(sheetFont(60, true));
    p.drawText(area, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("TR-4410 jumper sheet"));
    p.setFont(sheetFont(32));
    const QString file = content.cardFile.isEmpty() ? QStringLiteral("no card file") : content.cardFile;
    p.drawText(area, Qt::AlignRight | Qt::AlignTop,
               file + QLatin1Char('\n') + content.date.toString(Qt::ISODate));
}

// What the two kinds of shunt drawing mean.
double drawLegend(QPainter &p, const QPointF &at)
{
    p.save();
    p.translate(at);
    p.fillRect(QRectF(0, 5, 60, 22), Qt::black);
    p.setPen(QPen(Qt::black, 3));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(760, 16), 8, 8);
    p.drawEllipse(QPointF(790, 16), 8, 8);
    p.setFont(sheetFont(32));
    p.drawText(QRectF(80, 0, 640, 40), Qt::AlignVCenter, QStringLiteral("fitted: a shunt over both pins"));
    p.drawText(QRectF(820, 0, 800, 40), Qt::AlignVCenter, QStringLiteral("open: no shunt"));
    p.drawText(
        QRectF(0, 45, 1800, 40), Qt::AlignVCenter,
        QStringLiteral("Every port's column 32 85 R8 4x 42 RL TL is set the same on all eight ports."));
    p.restore();
    return 110;
}

} // namespace

QRectF boardRect(const QSizeF &pageMm)
{
    // Room below for the legend and the tables, also on a page turned to landscape.
    const double fitsHeight = (pageMm.height() * Unit - 2 * Margin - HeaderHeight - BelowBoard) *
                              JumperPlaces::FrameWidth / JumperPlaces::FrameHeight;
    const double width = std::min({BoardWidth, pageMm.width() * Unit - 2 * Margin, fitsHeight});
    const double height = width * JumperPlaces::FrameHeight / JumperPlaces::FrameWidth;
    const QRectF inUnits((pageMm.width() * Unit - width) / 2, Margin + HeaderHeight, width, height);
    return QRectF(inUnits.topLeft() / Unit, inUnits.size() / Unit);
}

void paint(QPainter &p, const QSizeF &pageMm, const Content &content, const QImage &photograph)
{
    TCardError error;
    const CardJumpers::Options options =
        content.config.jumperOptions(&error).value_or(CardJumpers::Options{});
    p.save();
    const double scale = p.viewport().width() / (pageMm.width() * Unit);
    p.setWindow(p.viewport());
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    const double width = pageMm.width() * Unit;
    drawHeader(p, QRectF(Margin, Margin, width - 2 * Margin, HeaderHeight), content);
    const QRectF mm = boardRect(pageMm);
    const QRectF board(mm.topLeft() * Unit, mm.size() * Unit);
    drawBoard(p, board, options, photograph);
    double y = board.bottom() + 30;
    y += drawLegend(p, QPointF(board.left(), y));
    SheetTable::draw(p, QRectF(board.left(), y, board.width(), pageMm.height() * Unit - Margin - y), options,
                     content.config, sheetFont(30), sheetFont(30, true));
    p.restore();
}

} // namespace JumperSheet
