#include "board_parts.h"

#include "silkscreen_text.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace BoardDrawing {

namespace {

void pin(QPainter &p, double cx, double cy, double size, const QColor &metal)
{
    const QRectF r(cx - size / 2, cy - size / 2, size, size);
    QLinearGradient shine(r.topLeft(), r.bottomRight());
    shine.setColorAt(0, metal.lighter(135));
    shine.setColorAt(0.5, metal);
    shine.setColorAt(1, metal.darker(150));
    p.fillRect(r, shine);
}

} // namespace

void plasticBody(QPainter &p, const QRectF &r, double radius)
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

void litBody(QPainter &p, const QRectF &r, const QColor &light, const QColor &dark, const QPen &edge,
             double radius)
{
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setPen(edge);
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
}

void jumper(QPainter &p, double cx, double cy, bool horizontal, bool closed)
{
    const double half = 3.6;
    const QPointF a = horizontal ? QPointF(cx - half, cy) : QPointF(cx, cy - half);
    const QPointF b = horizontal ? QPointF(cx + half, cy) : QPointF(cx, cy + half);
    pin(p, a.x(), a.y(), 2.8, Gold);
    pin(p, b.x(), b.y(), 2.8, Gold);
    if (closed) {
        const QRectF r = horizontal ? QRectF(cx - 7, cy - 2.6, 14, 5.2) : QRectF(cx - 2.6, cy - 7, 5.2, 14);
        litBody(p, r, Shunt.lighter(170), Shunt.darker(130), QPen(Shunt.darker(200), 0.4), 0.8);
    }
}

void chip(QPainter &p, const QRectF &body, int legsPerSide, bool fourSides, const char *marking,
          const char *marking2)
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

void stackConnector(QPainter &p, double left, int pairs, const char *name)
{
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
}

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

void portJumpers(QPainter &p, const JumperPlaces::Column &column)
{
    const double cx = JumperPlaces::columnX(column);
    const QRectF body(cx - 7.5, column.modeTop + 0.5, 15,
                      column.loadTop + column.loadHeight - column.modeTop - 1);
    plasticBody(p, body);
    static const char *const names[JumperPlaces::ColumnPositions] = {"32", "85", "R8", "4x",
                                                                     "42", "RL", "TL"};
    for (int i = 0; i < JumperPlaces::ColumnPositions; ++i) {
        const double cy = JumperPlaces::columnY(column, i);
        // Shipped for RS-232: the 32 jumper fitted.
        jumper(p, cx, cy, true, i == 0);
        const double px = 0.62;
        const double tx = column.labelsLeft ? column.left - 2 - textWidth(names[i], px) : column.left + 20;
        drawText(p, tx, cy - 3.5 * px, names[i], px);
    }
}

} // namespace BoardDrawing
