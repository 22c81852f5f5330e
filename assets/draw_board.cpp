// Draws the photograph of the TR-4410 card seen from above and writes it as a progressive JPEG,
// and, when asked, the same photograph at twice the size for high-density screens (Qt's "@2x"
// name). Everything is drawn from fixed data (no fonts, no clock, no randomness but a seeded
// generator), so running it twice gives the same bytes.
//
// usage: draw_board <out.jpg> [<out@2x.jpg>]

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int PhotoWidth = 600;
constexpr int PhotoHeight = 555;
constexpr int Quality = 88;

const QColor Table(38, 38, 42);
const QColor Mask(22, 98, 50);
const QColor Trace(38, 124, 64);
const QColor Silk(236, 236, 226);
const QColor Gold(214, 176, 72);
const QColor Silver(198, 200, 206);
const QColor Plastic(26, 26, 30);
const QColor Shunt(34, 36, 70);

// A 5 x 7 pixel font for the silkscreen: seven rows, five bits each, high bit on the left.
struct Glyph
{
    char c;
    quint8 rows[7];
};
constexpr Glyph Font[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}}, {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}}, {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}}, {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}}, {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}},
    {'x', {0x00, 0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11}}, {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
};

const Glyph *glyphOf(char c)
{
    for (const Glyph &g : Font) {
        if (g.c == c)
            return &g;
    }
    return nullptr;
}

// Width of a text in font pixels at scale 1 (one pixel between letters).
double textWidth(const char *text, double px)
{
    const int n = int(std::strlen(text));
    return n > 0 ? (n * 6 - 1) * px : 0;
}

// Writes text with its top-left corner at (x, y); px is the size of one font pixel.
void drawText(QPainter &p, double x, double y, const char *text, double px, const QColor &colour = Silk)
{
    for (; *text; ++text, x += 6 * px) {
        const Glyph *const g = glyphOf(*text);
        if (!g)
            continue;
        for (int row = 0; row < 7; ++row) {
            for (int col = 0; col < 5; ++col) {
                if (g->rows[row] & (0x10 >> col))
                    p.fillRect(QRectF(x + col * px, y + row * px, px, px), colour);
            }
        }
    }
}

// Text read from bottom to top, its baseline on the left at x, ending at y.
void drawTextUp(QPainter &p, double x, double y, const char *text, double px)
{
    p.save();
    p.translate(x, y);
    p.rotate(-90);
    drawText(p, 0, 0, text, px);
    p.restore();
}

void pin(QPainter &p, double cx, double cy, double size, const QColor &metal)
{
    const QRectF r(cx - size / 2, cy - size / 2, size, size);
    QLinearGradient shine(r.topLeft(), r.bottomRight());
    shine.setColorAt(0, metal.lighter(135));
    shine.setColorAt(0.5, metal);
    shine.setColorAt(1, metal.darker(150));
    p.fillRect(r, shine);
}

void plasticBody(QPainter &p, const QRectF &r, double radius = 0.8)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, Plastic.lighter(150));
    g.setColorAt(1, Plastic);
    p.setPen(QPen(Plastic.darker(150), 0.5));
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
}

void silkBox(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(Silk, 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

// A two-pin jumper: pins side by side (horizontal) or one above the other, with or without shunt.
void jumper(QPainter &p, double cx, double cy, bool horizontal, bool closed)
{
    const double half = 3.6;
    const QPointF a = horizontal ? QPointF(cx - half, cy) : QPointF(cx, cy - half);
    const QPointF b = horizontal ? QPointF(cx + half, cy) : QPointF(cx, cy + half);
    pin(p, a.x(), a.y(), 2.8, Gold);
    pin(p, b.x(), b.y(), 2.8, Gold);
    if (closed) {
        const QRectF r = horizontal ? QRectF(cx - 7, cy - 2.6, 14, 5.2) : QRectF(cx - 2.6, cy - 7, 5.2, 14);
        QLinearGradient g(r.topLeft(), r.bottomRight());
        g.setColorAt(0, Shunt.lighter(170));
        g.setColorAt(1, Shunt.darker(130));
        p.setPen(QPen(Shunt.darker(200), 0.4));
        p.setBrush(g);
        p.drawRoundedRect(r, 0.8, 0.8);
    }
}

// A chip with gull-wing legs: on two sides (left/right) or on all four.
void chip(QPainter &p, const QRectF &body, int legsPerSide, bool fourSides, const char *marking,
          const char *marking2 = nullptr)
{
    const double leg = 3.0;
    p.setPen(Qt::NoPen);
    const auto legs = [&](bool vertical, double fixed, double from, double to, double dir) {
        const double pitch = (to - from) / legsPerSide;
        for (int i = 0; i < legsPerSide; ++i) {
            const double c = from + pitch * (i + 0.5);
            const double w = pitch * 0.45;
            const QRectF r = vertical ? QRectF(c - w / 2, dir < 0 ? fixed - leg : fixed, w, leg)
                                      : QRectF(dir < 0 ? fixed - leg : fixed, c - w / 2, leg, w);
            p.fillRect(r, Silver);
            p.fillRect(vertical ? QRectF(r.left(), r.top(), w * 0.35, leg)
                                : QRectF(r.left(), r.top(), leg, w * 0.35),
                       Silver.lighter(125));
        }
    };
    legs(false, body.left(), body.top(), body.bottom(), -1);
    legs(false, body.right(), body.top(), body.bottom(), 1);
    if (fourSides) {
        legs(true, body.top(), body.left(), body.right(), -1);
        legs(true, body.bottom(), body.left(), body.right(), 1);
    }
    QLinearGradient g(body.topLeft(), body.bottomRight());
    g.setColorAt(0, QColor(58, 58, 62));
    g.setColorAt(1, QColor(24, 24, 27));
    p.setPen(QPen(QColor(15, 15, 17), 0.4));
    p.setBrush(g);
    p.drawRect(body);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 70, 74));
    p.drawEllipse(QPointF(body.left() + 3.5, body.top() + 3.5), 1.4, 1.4);
    const QColor ink(150, 150, 152);
    const double px = std::min(0.9, (body.width() - 6) / textWidth(marking, 1));
    drawText(p, body.center().x() - textWidth(marking, px) / 2,
             body.center().y() - (marking2 ? 8.5 : 3.5) * px, marking, px, ink);
    if (marking2)
        drawText(p, body.center().x() - textWidth(marking2, px) / 2, body.center().y() + 1.5 * px, marking2,
                 px, ink);
}

// A small ceramic capacitor or resistor: tan or black body, metal ends.
void smd(QPainter &p, double cx, double cy, bool vertical, bool resistor)
{
    const double l = 6.0, w = 3.0;
    const QRectF r = vertical ? QRectF(cx - w / 2, cy - l / 2, w, l) : QRectF(cx - l / 2, cy - w / 2, l, w);
    p.fillRect(r, resistor ? QColor(30, 30, 30) : QColor(176, 140, 96));
    const QRectF e1 = vertical ? QRectF(r.left(), r.top(), w, 1.5) : QRectF(r.left(), r.top(), 1.5, w);
    const QRectF e2 =
        vertical ? QRectF(r.left(), r.bottom() - 1.5, w, 1.5) : QRectF(r.right() - 1.5, r.top(), 1.5, w);
    p.fillRect(e1, Silver);
    p.fillRect(e2, Silver);
}

void electrolytic(QPainter &p, double cx, double cy, double r)
{
    QRadialGradient g(QPointF(cx - r / 3, cy - r / 3), r * 1.4);
    g.setColorAt(0, Silver.lighter(120));
    g.setColorAt(1, Silver.darker(140));
    p.setPen(QPen(QColor(30, 40, 90), 1.6));
    p.setBrush(g);
    p.drawEllipse(QPointF(cx, cy), r, r);
    p.setPen(QPen(Silver.darker(170), 0.6));
    p.drawLine(QPointF(cx - r * 0.6, cy), QPointF(cx + r * 0.6, cy));
    p.drawLine(QPointF(cx, cy - r * 0.6), QPointF(cx, cy + r * 0.6));
}

void via(QPainter &p, double cx, double cy)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Gold.darker(115));
    p.drawEllipse(QPointF(cx, cy), 1.3, 1.3);
    p.setBrush(Table);
    p.drawEllipse(QPointF(cx, cy), 0.5, 0.5);
}

void mountingHole(QPainter &p, double cx, double cy)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Gold);
    p.drawEllipse(QPointF(cx, cy), 6, 6);
    p.setBrush(Table);
    p.drawEllipse(QPointF(cx, cy), 3.6, 3.6);
}

// A two-row box header for one connector of four serial ports, standing along a side edge.
void serialConnector(QPainter &p, const QRectF &ring, bool keyOnLeft, const char *label)
{
    const QRectF body = ring.adjusted(4, 4, -4, -4);
    silkBox(p, ring.adjusted(2, 2, -2, -2));
    plasticBody(p, body, 1.5);
    const QRectF well = body.adjusted(5, 5, -5, -5);
    p.fillRect(well, Plastic.darker(160));
    // The polarising key in the outer wall.
    const double keyX = keyOnLeft ? body.left() : well.right();
    p.fillRect(QRectF(keyX, body.center().y() - 9, 5, 18), Plastic.darker(160));
    const int rows = 20;
    const double pitch = well.height() / rows;
    for (int i = 0; i < rows; ++i) {
        const double y = well.top() + pitch * (i + 0.5);
        pin(p, well.center().x() - 6, y, 3.2, Gold);
        pin(p, well.center().x() + 6, y, 3.2, Gold);
    }
    drawText(p, ring.center().x() - textWidth(label, 1) / 2, ring.top() - 10, label, 1);
    drawText(p, keyOnLeft ? ring.left() + 3 : ring.right() - 7, ring.bottom() + 2, "1", 0.8);
}

// One port's jumper column: five mode positions (32 85 R8 4x 42) under the mode ring and two load
// positions (RL TL) under the load ring.
void portJumpers(QPainter &p, double left, double modeTop, double modeHeight, double loadTop,
                 double loadHeight, bool labelsLeft)
{
    const double cx = left + 9;
    const QRectF body(cx - 7.5, modeTop + 0.5, 15, loadTop + loadHeight - modeTop - 1);
    plasticBody(p, body);
    static const char *const names[7] = {"32", "85", "R8", "4x", "42", "RL", "TL"};
    for (int i = 0; i < 7; ++i) {
        const double cy =
            i < 5 ? modeTop + modeHeight * (i + 0.5) / 5 : loadTop + loadHeight * (i - 5 + 0.5) / 2;
        // Shipped for RS-232: the 32 jumper fitted.
        jumper(p, cx, cy, true, i == 0);
        const double px = 0.62;
        const double tx = labelsLeft ? left - 2 - textWidth(names[i], px) : left + 20;
        drawText(p, tx, cy - 3.5 * px, names[i], px);
    }
}

void drawBoard(QPainter &p, int density)
{
    // Everything is placed in the 400 x 370 frame in which the highlights sit.
    p.scale(density * PhotoWidth / 400.0, density * PhotoHeight / 370.0);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(0, 0, 400, 370), Table);

    QPainterPath board;
    board.addRoundedRect(QRectF(1, 1, 398, 368), 7, 7);
    QLinearGradient sheen(0, 0, 400, 370);
    sheen.setColorAt(0, Mask.lighter(118));
    sheen.setColorAt(0.55, Mask);
    sheen.setColorAt(1, Mask.darker(118));
    p.fillPath(board, sheen);

    // Copper under the solder mask.
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

    mountingHole(p, 12, 12);
    mountingHole(p, 388, 12);
    mountingHole(p, 12, 358);
    mountingHole(p, 388, 358);

    // The PC/104 stack connectors along the top edge.
    const auto stack = [&](double left, int pairs, const char *name) {
        const double pitch = 5.0;
        const QRectF body(left, 19, pairs * pitch + 3, 14);
        silkBox(p, body.adjusted(-1.5, -1.5, 1.5, 1.5));
        plasticBody(p, body, 0.6);
        for (int i = 0; i < pairs; ++i) {
            for (int row = 0; row < 2; ++row) {
                const QPointF c(left + 1.5 + pitch * (i + 0.5), 22.5 + row * 7);
                p.setPen(Qt::NoPen);
                p.setBrush(Gold.darker(120));
                p.drawRect(QRectF(c.x() - 1.6, c.y() - 1.6, 3.2, 3.2));
                p.setBrush(QColor(8, 8, 8));
                p.drawRect(QRectF(c.x() - 0.9, c.y() - 0.9, 1.8, 1.8));
            }
        }
        drawText(p, left, 36, name, 0.8);
    };
    stack(26, 32, "J1");
    stack(206, 20, "J2");

    serialConnector(p, QRectF(5, 64, 44, 217), true, "A-D");
    serialConnector(p, QRectF(349, 64, 44, 217), false, "E-H");

    // The line drivers beside the connectors, two ports each.
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

    // The eight port jumper columns: two columns of four ports.
    portJumpers(p, 138, 219, 40, 260, 18, true);
    portJumpers(p, 138, 159, 39, 197, 18, true);
    portJumpers(p, 138, 98, 38, 136, 18, true);
    portJumpers(p, 138, 43, 32, 75, 18, true);
    portJumpers(p, 243, 43, 32, 75, 18, false);
    portJumpers(p, 243, 98, 38, 136, 18, false);
    portJumpers(p, 243, 159, 39, 197, 18, false);
    portJumpers(p, 243, 219, 40, 260, 18, false);

    // The interface chip with its clock and glue logic above it.
    chip(p, QRectF(164, 167, 70, 70), 16, true, "VANTO", "VT4410");
    drawText(p, 164, 153, "U1", 0.8);
    {
        const QRectF can(170, 56, 28, 17);
        QLinearGradient g(can.topLeft(), can.bottomRight());
        g.setColorAt(0, Silver.lighter(120));
        g.setColorAt(1, Silver.darker(135));
        p.setPen(QPen(Silver.darker(160), 0.6));
        p.setBrush(g);
        p.drawRoundedRect(can, 3, 3);
        drawText(p, 173, 62, "14.7", 0.7, QColor(60, 60, 64));
        drawText(p, 170, 76, "Y1", 0.7);
    }
    chip(p, QRectF(208, 96, 26, 26), 6, true, "PLD");
    drawText(p, 208, 128, "U2", 0.7);
    electrolytic(p, 183, 112, 9);
    drawText(p, 173, 123, "C1", 0.7);
    for (int i = 0; i < 5; ++i)
        smd(p, 172 + i * 13, 250, false, i % 2);

    // The jumper row: address lines, port disable and clock.
    plasticBody(p, QRectF(52.5, 283, 39, 19));
    plasticBody(p, QRectF(94, 283, 24, 19));
    static const char *const rowNames[8] = {"A4", "A5", "A6", "A7", "A8", "A9", "DF", "X8"};
    for (int i = 0; i < 8; ++i) {
        const double cx = i < 6 ? 52 + 40 * (i + 0.5) / 6 : (i == 6 ? 99.5 : 112.5);
        // Shipped at control base address 300.
        jumper(p, cx, 292.5, false, i < 4);
        drawTextUp(p, cx - 3.5 * 0.7, 316, rowNames[i], 0.7);
    }
    silkBox(p, QRectF(50, 280, 71, 38));

    // Markings and the rest of the parts.
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

// Lighting and sensor noise, from a fixed seed, to take the flat look off the drawing.
void photographLook(QImage &image)
{
    quint32 seed = 0x4410u;
    for (int y = 0; y < image.height(); ++y) {
        auto *const line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int((seed >> 24) % 9) - 4;
            const double light = 1.06 - 0.12 * (double(x) / image.width() + double(y) / image.height()) / 2;
            const auto channel = [&](int v) { return std::clamp(int(v * light) + noise, 0, 255); };
            line[x] = qRgb(channel(qRed(line[x])), channel(qGreen(line[x])), channel(qBlue(line[x])));
        }
    }
}

QByteArray encodeProgressiveJpeg(const QImage &image)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors); // the default handler reports and exits the tool
    jpeg_create_compress(&info);

    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, Quality, TRUE);
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);

    std::vector<unsigned char> row(size_t(image.width()) * 3);
    while (info.next_scanline < info.image_height) {
        const auto *const in = reinterpret_cast<const QRgb *>(image.constScanLine(int(info.next_scanline)));
        for (int x = 0; x < image.width(); ++x) {
            row[size_t(x) * 3] = uchar(qRed(in[x]));
            row[size_t(x) * 3 + 1] = uchar(qGreen(in[x]));
            row[size_t(x) * 3 + 2] = uchar(qBlue(in[x]));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

// The photograph at density times its size, as JPEG file bytes.
QByteArray photograph(int density)
{
    QImage image(density * PhotoWidth, density * PhotoHeight, QImage::Format_RGB32);
    image.fill(Table);
    {
        QPainter painter(&image);
        drawBoard(painter, density);
    }
    photographLook(image);
    return encodeProgressiveJpeg(image);
}

bool write(const char *path, const QByteArray &bytes)
{
    QFile out(QString::fromLocal8Bit(path));
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s <out.jpg> [<out@2x.jpg>]\n", argv[0]);
        return 2;
    }
    for (int density = 1; density < argc; ++density) {
        if (!write(argv[density], photograph(density))) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[density]);
            return 1;
        }
    }
    return 0;
}
