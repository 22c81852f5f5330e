#pragma once

#include <QColor>

// The photograph's size at density 1 and the colours of the card and the table it lies on.
namespace BoardDrawing {

constexpr int PhotoWidth = 600;
constexpr int PhotoHeight = 555;

inline const QColor Table(38, 38, 42);
inline const QColor Mask(22, 98, 50);
inline const QColor Trace(38, 124, 64);
inline const QColor Silk(236, 236, 226);
inline const QColor Gold(214, 176, 72);
inline const QColor Silver(198, 200, 206);
inline const QColor Plastic(26, 26, 30);
inline const QColor Shunt(34, 36, 70);

} // namespace BoardDrawing
