#include "board_photograph.h"

#include "board_layout.h"
#include "board_palette.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace BoardDrawing {

namespace {

constexpr int Quality = 88;

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

} // namespace

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

} // namespace BoardDrawing
