#pragma once

#include "jumper_places.h"

class QColor;
class QPainter;
class QPen;
class QRectF;

// The parts on the card, each drawn where it is asked, in the 400 x 370 frame of the highlights.
namespace BoardDrawing {

// A black plastic body, lit from above.
void plasticBody(QPainter &p, const QRectF &r, double radius = 0.8);
// A silkscreen outline.
void silkBox(QPainter &p, const QRectF &r);
// A rounded body shaded from light at its top-left corner to dark at its bottom-right one.
void litBody(QPainter &p, const QRectF &r, const QColor &light, const QColor &dark, const QPen &edge,
             double radius);
// A two-pin jumper: pins side by side (horizontal) or one above the other, with or without shunt.
void jumper(QPainter &p, double cx, double cy, bool horizontal, bool closed);
// A chip with gull-wing legs: on two sides (left/right) or on all four.
void chip(QPainter &p, const QRectF &body, int legsPerSide, bool fourSides, const char *marking,
          const char *marking2 = nullptr);
// A small ceramic capacitor or resistor: tan or black body, metal ends.
void smd(QPainter &p, double cx, double cy, bool vertical, bool resistor);
void electrolytic(QPainter &p, double cx, double cy, double r);
void via(QPainter &p, double cx, double cy);
void mountingHole(QPainter &p, double cx, double cy);
// A PC/104 stack connector along the top edge: pairs of pins in two rows, named below.
void stackConnector(QPainter &p, double left, int pairs, const char *name);
// A two-row box header for one connector of four serial ports, standing along a side edge.
void serialConnector(QPainter &p, const QRectF &ring, bool keyOnLeft, const char *label);
// One port's jumper column: five mode positions (32 85 R8 4x 42) under the mode ring and two load
// positions (RL TL) under the load ring.
void portJumpers(QPainter &p, const JumperPlaces::Column &column);

} // namespace BoardDrawing
