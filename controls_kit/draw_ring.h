#pragma once

class QColor;
class QImage;

// The soft elliptical ring of a highlight, blended into a picture of the photograph beneath it.

// One image that the ring is blended into, and how.
struct TRingLayer
{
    QImage *image;
    bool glow;
    float intensity;
};

// Blends the ring into the images of the layers, which are all of the same size and format (32
// bits a pixel) and start with the same pixels. Each pixel's place in the ring and its alpha are
// worked out once for all layers; the positions, the radius and the alphas are 32-bit floats, and
// each channel's sum Base x (1 - Alpha) + Colour x Alpha is formed in double. At most three layers.
void drawRings(const QColor &colour, const TRingLayer *layers, int count);

// Blends the ring into image alone, converting it to 32 bits a pixel first where needed.
void DrawRing(QImage &image, bool glow, const QColor &colour, float intensity);
