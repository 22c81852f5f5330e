#include "draw_ring.h"

#include <QColor>
#include <QImage>
#include <QVarLengthArray>

#include <array>
#include <cmath>

namespace {

// The nearest integer, halves to the even neighbour, as the processor's default rounding gives it:
// adding 1.5 x 2^52 leaves a double no bits below the units. Exact for |x| < 2^51.
inline int roundHalfEven(double x)
{
    constexpr double Shift = 6755399441055744.0;
    return int((x + Shift) - Shift);
}

} // namespace

void drawRings(const QColor &colour, const TRingLayer *layers, int count)
{
    constexpr int MaxLayers = 3;
    Q_ASSERT(count >= 1 && count <= MaxLayers);
    const int w = layers[0].image->width();
    const int h = layers[0].image->height();
    // The steps divide by W - 1 and H - 1: a strip this thin keeps the plain photograph.
    if (w < 2 || h < 2)
        return;

    const float stepX = 2.0f / float(w - 1);
    const float stepY = 2.0f / float(h - 1);
    QVarLengthArray<float, 256> uu(w);
    for (int x = 0; x < w; ++x) {
        const float u = float(x) * stepX - 1.0f;
        uu[x] = u * u;
    }
    const double ringRed = colour.red();
    const double ringGreen = colour.green();
    const double ringBlue = colour.blue();
    std::array<QRgb *, MaxLayers> lines{};

    for (int y = 0; y < h; ++y) {
        const float v = float(y) * stepY - 1.0f;
        const float vv = v * v;
        for (int i = 0; i < count; ++i)
            lines[std::size_t(i)] = reinterpret_cast<QRgb *>(layers[i].image->scanLine(y));
        for (int x = 0; x < w; ++x) {
            const float r2 = uu[x] + vv;
            if (r2 >= 1.0f)
                continue;
            // Faint inside radius 0.77; a ring peaking at radius 0.875 and gone at radius 1.
            const float shape =
                double(r2) < 0.5929 ? 0.16f : float(1.0 - 8.0 * std::fabs(double(std::sqrt(r2)) - 0.875));
            const QRgb photo = lines[0][x];
            const double photoRed = qRed(photo);
            const double photoGreen = qGreen(photo);
            const double photoBlue = qBlue(photo);
            for (int i = 0; i < count; ++i) {
                double red = photoRed;
                double green = photoGreen;
                double blue = photoBlue;
                int fourth = qAlpha(photo);
                float alpha = shape;
                if (layers[i].glow) {
                    // The ring's middle band turns white; its edges carry the colour.
                    alpha = 2.0f * alpha;
                    if (alpha > 1.0f) {
                        red = green = blue = 255.0;
                        fourth = 0;
                        alpha = 2.0f - alpha;
                    }
                }
                alpha = alpha * layers[i].intensity;
                const double a = alpha;
                const double rest = 1.0f - alpha;
                lines[std::size_t(i)][x] = qRgba(roundHalfEven(red * rest + ringRed * a),
                                                 roundHalfEven(green * rest + ringGreen * a),
                                                 roundHalfEven(blue * rest + ringBlue * a), fourth);
            }
        }
    }
}

void DrawRing(QImage &image, bool glow, const QColor &colour, float intensity)
{
    if (image.width() < 2 || image.height() < 2)
        return;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(QImage::Format_RGB32);
    const TRingLayer layer{&image, glow, intensity};
    drawRings(colour, &layer, 1);
}
