#pragma once

#include "board_palette.h"

class QPainter;

// The silkscreen's lettering in a 5 x 7 pixel font of its own, so that no installed font can
// change the photograph.
namespace BoardDrawing {

// Width of a text in font pixels at scale 1 (one pixel between letters).
double textWidth(const char *text, double px);
// Writes text with its top-left corner at (x, y); px is the size of one font pixel.
void drawText(QPainter &p, double x, double y, const char *text, double px, const QColor &colour = Silk);
// Text read from bottom to top, its baseline on the left at x, ending at y.
void drawTextUp(QPainter &p, double x, double y, const char *text, double px);

} // namespace BoardDrawing
