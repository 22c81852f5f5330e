#pragma once

#include <QByteArray>

namespace BoardDrawing {

// The photograph at density times its size, as the bytes of a progressive JPEG file: the drawn
// card with lighting and sensor noise from a fixed seed, so that every run gives the same bytes.
QByteArray photograph(int density);

} // namespace BoardDrawing
