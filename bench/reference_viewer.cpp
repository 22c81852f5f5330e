// The reference of the start-up benchmark: the least a Qt Widgets program must do to show the
// board photograph. It decodes the same JPEG with libjpeg, shows it centred in a maximised white
// window and ends right after that window's first paint. Given the benchmark's spawn time as its
// argument, it prints the moments of its start-up.
#include "startup_phases.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <jpeglib.h>

namespace {

QImage decodeJpeg(const QByteArray &bytes)
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    // The photograph is a file of this build; a broken one ends the reference run outright.
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX; // QImage::Format_RGB32 in memory on little-endian
    jpeg_start_decompress(&info);
    QImage image(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

class PhotoWindow : public QWidget
{
public:
    PhotoWindow(QImage photo, StartupPhases &phases)
        : m_photo(std::move(photo))
        , m_phases(phases)
    {
        setWindowTitle(QStringLiteral("Reference"));
        setAutoFillBackground(true);
        QPalette white = palette();
        white.setColor(QPalette::Window, Qt::white);
        setPalette(white);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage((width() - m_photo.width()) / 2, (height() - m_photo.height()) / 2, m_photo);
        if (!m_quitQueued) {
            m_quitQueued = true;
            m_phases.painted();
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }

private:
    QImage m_photo;
    StartupPhases &m_phases;
    bool m_quitQueued = false;
};

} // namespace

int main(int argc, char *argv[])
{
    StartupPhases phases(argc > 1 ? argv[1] : nullptr);
    QApplication app(argc, argv);
    phases.applicationMade();
    QFile file(QStringLiteral(":/board.jpg"));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "reference_viewer: the board photograph is not built in\n");
        return 1;
    }
    PhotoWindow window(decodeJpeg(file.readAll()), phases);
    phases.windowMade();
    window.showMaximized();
    phases.windowShown();
    const int status = app.exec();
    phases.print();
    return status;
}
