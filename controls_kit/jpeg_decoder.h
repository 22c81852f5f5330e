#pragma once

#include <QByteArray>
#include <QImage>

// Decodes the bytes of a JPEG file with libjpeg into a 32-bit RGB image. Corrupt or truncated
// data, and images too large to be the photograph of a card, give a null image: a damaged
// picture is refused as a whole rather than shown half grey.
QImage decodeJpeg(const QByteArray &jpegFile);
