#include "jpeg_decoder.h"

#include "kit_logging.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// No side of a picture this program shows comes near this; it keeps a forged header from
// asking for gigabytes.
constexpr JDIMENSION MaxSide = 16384;

// libjpeg reports errors through a callback that must not return; it jumps back to the
// decoder instead, so nothing is printed and nothing aborts.
struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX]; // libjpeg's text of the error, for the log
};

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    auto *const err = reinterpret_cast<ErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are libjpeg's word for corrupt or truncated data that it would paper over; the
// picture is refused instead.
void emitMessage(j_common_ptr cinfo, int msgLevel)
{
    if (msgLevel < 0)
        errorExit(cinfo);
}

void outputMessage(j_common_ptr) {}

// Owns the decompressor: destroyed on every way out, the error jump included.
class Decompressor
{
public:
    Decompressor()
    {
        info.err = jpeg_std_error(&errors.pub);
        errors.pub.error_exit = errorExit;
        errors.pub.emit_message = emitMessage;
        errors.pub.output_message = outputMessage;
        jpeg_create_decompress(&info);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor &) = delete;
    Decompressor &operator=(const Decompressor &) = delete;

    jpeg_decompress_struct info{};
    ErrorManager errors{};
};

// Runs libjpeg on data into image. Every C++ object with a destructor lives in the caller, so
// the error jump skips no destructor. Returns false on any libjpeg error.
bool decodeInto(Decompressor &d, const QByteArray &data, QImage &image)
{
    jpeg_decompress_struct &info = d.info;
    if (setjmp(d.errors.jump))
        return false;

    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    // Colour pictures come out of libjpeg already in the layout of QImage::Format_RGB32, with the
    // fourth byte 0xFF, straight into the image's rows.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
#else
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_XRGB;
#endif
    jpeg_calc_output_dimensions(&info);
    if (info.output_width == 0 || info.output_height == 0 || info.output_width > MaxSide ||
        info.output_height > MaxSide)
        return false;

    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB32);
    if (image.isNull())
        return false;

    jpeg_start_decompress(&info);
    if (info.output_components != 4)
        return false;
    if (!cmyk) {
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
            if (jpeg_read_scanlines(&info, &row, 1) != 1)
                return false;
        }
        jpeg_finish_decompress(&info);
        return true;
    }
    // The row buffer comes from libjpeg's own pool, freed with the decompressor.
    JSAMPARRAY rows = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * info.output_components, 1);
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            return false;
        auto *const out = reinterpret_cast<QRgb *>(image.scanLine(y));
        const unsigned char *const in = rows[0];
        for (JDIMENSION x = 0; x < info.output_width; ++x) {
            // Adobe writes CMYK inverted; that is what these files almost always are.
            const unsigned char *const p = in + 4 * x;
            const int k = p[3];
            out[x] = qRgb(p[0] * k / 255, p[1] * k / 255, p[2] * k / 255);
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray &jpegFile)
{
    if (jpegFile.isEmpty()) {
        qCDebug(lcKit) << "an empty JPEG picture is not decoded";
        return {};
    }
    // Owned out here, so that an error jump inside decodeInto leaves nothing behind.
    QImage image;
    Decompressor decompressor;
    if (!decodeInto(decompressor, jpegFile, image)) {
        const char *const reason = decompressor.errors.message;
        qCDebug(lcKit).noquote() << "a JPEG picture of" << jpegFile.size() << "bytes is not decoded:"
                                 << (*reason ? reason
                                             : "its size or colour layout is not one this program takes");
        return {};
    }
    return image;
}
