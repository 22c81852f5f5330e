#include "board_layout.h"

#include "board_palette.h"
#include "board_parts.h"
#include "jumper_places.h"
#include "silkscreen_text.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace BoardDrawing {

namespace {

// The table and the bare board with its solder mask.
void bareBoard(QPainter &p)
{
    p.fillRect(QRectF(0, 0, 400, 370), Table);

    QPainterPath board;
    board.addRoundedRect(QRectF(1, 1, 398, 368), 7, 7);
    QLinearGradient sheen(0, 0, 400, 370);
    sheen.setColorAt(0, Mask.lighter(118));
    sheen.setColorAt(0.55, Mask);
    sheen.setColorAt(1, Mask.darker(118));
    p.fillPath(board, sheen);
}

// Copper under the solder mask, and its vias.
void copper(QPainter &p)
{
    p.setPen(QPen(Trace, 1.1));
    for (int i = 0; i < 10; ++i) {
        const double y = 78 + i * 20;
        p.drawLine(QPointF(46, y), QPointF(60, y));
        p.drawLine(QPointF(90, y + 4), QPointF(112, y + 4));
        p.drawLine(QPointF(112, y + 4), QPointF(118, y + 10));
        p.drawLine(QPointF(340, y), QPointF(352, y));
        p.drawLine(QPointF(286, y + 4), QPointF(262, y + 4));
    }
    for (int i = 0; i < 6; ++i) {
        // The address lines from the interface chip to the jumper row.
        const double bus = 266 + i * 2.2;
        p.drawLine(QPointF(170 + i * 12, 244), QPointF(170 + i * 12, bus));
        p.drawLine(QPointF(170 + i * 12, bus), QPointF(122, bus));
    }
    p.setPen(QPen(Trace, 2.2));
    p.drawLine(QPointF(20, 50), QPointF(380, 50));
    p.drawLine(QPointF(20, 300), QPointF(20, 345));
    p.drawLine(QPointF(20, 345), QPointF(140, 345));
    for (int i = 0; i < 14; ++i)
        via(p, 100 + (i % 7) * 26, i < 7 ? 258 : 150 + (i % 3) * 30);
}

// Along the edges: the mounting holes, the PC/104 stack connectors along the top edge and the
// two serial connectors.
void edgeParts(QPainter &p)
{
    mountingHole(p, 12, 12);
    mountingHole(p, 388, 12);
    mountingHole(p, 12, 358);
    mountingHole(p, 388, 358);
    stackConnector(p, 26, 32, "J1");
    stackConnector(p, 206, 20, "J2");
    serialConnector(p, QRectF(5, 64, 44, 217), true, "A-D");
    serialConnector(p, QRectF(349, 64, 44, 217), false, "E-H");
}

// The line drivers beside the connectors, two ports each.
void lineDrivers(QPainter &p)
{
    for (int i = 0; i < 4; ++i) {
        const double y = 70 + i * 52;
        static const char *const left[4] = {"U3", "U4", "U5", "U6"};
        static const char *const right[4] = {"U7", "U8", "U9", "U10"};
        chip(p, QRectF(64, y, 22, 36), 8, false, "485");
        drawText(p, 64, y + 38, left[i], 0.7);
        smd(p, 98, y + 8, true, false);
        smd(p, 106, y + 8, true, true);
        smd(p, 98, y + 26, true, false);
        chip(p, QRectF(298, y, 22, 36), 8, false, "485");
        drawText(p, 298, y + 38, right[i], 0.7);
        smd(p, 287, y + 8, true, false);
        smd(p, 333, y + 26, true, true);
    }
}

// The eight port jumper columns: two columns of four ports.
void portJumperColumns(QPainter &p)
{
    for (const JumperPlaces::Column &column : JumperPlaces::Columns)
        portJumpers(p, column);
}

// The interface chip with its clock and glue logic above it.
void interfaceLogic(QPainter &p)
{
    chip(p, QRectF(164, 167, 70, 70), 16, true, "VANTO", "VT4410");
    drawText(p, 164, 153, "U1", 0.8);
    {
        const QRectF can(170, 56, 28, 17);
        litBody(p, can, Silver.lighter(120), Silver.darker(135), QPen(Silver.darker(160), 0.6), 3);
        drawText(p, 173, 62, "14.7", 0.7, QColor(60, 60, 64));
        drawText(p, 170, 76, "Y1", 0.7);
    }
    chip(p, QRectF(208, 96, 26, 26), 6, true, "PLD");
    drawText(p, 208, 128, "U2", 0.7);
    electrolytic(p, 183, 112, 9);
    drawText(p, 173, 123, "C1", 0.7);
    for (int i = 0; i < 5; ++i)
        smd(p, 172 + i * 13, 250, false, i % 2);
}

// The jumper row: address lines, port disable and clock.
void jumperRow(QPainter &p)
{
    plasticBody(p, QRectF(52.5, 283, 39, 19));
    plasticBody(p, QRectF(94, 283, 24, 19));
    static const char *const rowNames[8] = {"A4", "A5", "A6", "A7", "A8", "A9", "DF", "X8"};
    for (int i = 0; i < 8; ++i) {
        const double cx = JumperPlaces::rowX(i);
        // Shipped at control base address 300.
        jumper(p, cx, JumperPlaces::RowY, false, i < 4);
        drawTextUp(p, cx - 3.5 * 0.7, 316, rowNames[i], 0.7);
    }
    silkBox(p, QRectF(50, 280, 71, 38));
}

// Markings and the rest of the parts.
void markings(QPainter &p)
{
    drawText(p, 150, 312, "TR-4410", 2.4);
    drawText(p, 150, 336, "VANTO", 1.6);
    drawText(p, 202, 338, "8 PORT SERIAL", 0.9);
    drawText(p, 202, 348, "REV B", 0.9);
    electrolytic(p, 318, 322, 11);
    drawText(p, 306, 336, "C2", 0.7);
    electrolytic(p, 350, 322, 8);
    drawText(p, 342, 333, "C3", 0.7);
    for (int i = 0; i < 6; ++i) {
        smd(p, 134 + i * 9, 355, true, i % 3 == 1);
        smd(p, 262 + i * 7, 352, true, i % 2 == 0);
    }
    chip(p, QRectF(26, 318, 22, 30), 4, false, "ID");
    drawText(p, 52, 330, "U11", 0.7);
    drawText(p, 126, 288, "+", 1);
}

} // namespace

void drawBoard(QPainter &p, int density)
{
    // Everything is placed in the 400 x 370 frame in which the highlights sit.
    p.scale(density * PhotoWidth / 400.0, density * PhotoHeight / 370.0);
    p.setRenderHint(QPainter::Antialiasing);
    bareBoard(p);
    copper(p);
    edgeParts(p);
    lineDrivers(p);
    portJumperColumns(p);
    interfaceLogic(p);
    jumperRow(p);
    markings(p);
}

} // namespace BoardDrawing
