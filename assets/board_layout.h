#pragma once

class QPainter;

namespace BoardDrawing {

// Draws the whole card, as the photograph shows it, at density times the photograph's size.
void drawBoard(QPainter &p, int density);

} // namespace BoardDrawing
