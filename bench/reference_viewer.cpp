// The references of the start-up benchmark: the least a Qt Widgets program must do to show the
// board photograph. It decodes the same JPEG with libjpeg, shows it in a white window that fills
// the screen's work area, as the settings program's window does, and ends right after that
// window's first paint.
//
//   reference_viewer [--fair] [SPAWN-TIME]
//
// Bare (the default): the photograph alone, centred at its own size, and no text at all.
// Fair (--fair): as the settings program shows it: scaled smoothly to the board picture's
// 400 x 370 pixels, below a menu bar with the four menus in MS Sans Serif 8 point and the header
// text in Tahoma 18 point bold, from the same font files; fonts and text then cost the same on
// both sides. Given the benchmark's spawn time, it prints the moments of its start-up.
#include "startup_phases.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
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

// As the settings program does: the work area even where no window manager maximises windows.
void fillScreen(QWidget &window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
}

// Shows the made window over the whole screen, runs the program and prints its phases.
int showAndRun(QWidget &window, StartupPhases &phases)
{
    phases.windowMade();
    fillScreen(window);
    window.showMaximized();
    phases.windowShown();
    const int status = QApplication::exec();
    phases.print();
    return status;
}

void paintWhite(QWidget *widget)
{
    widget->setAutoFillBackground(true);
    QPalette white = widget->palette();
    white.setColor(QPalette::Window, Qt::white);
    widget->setPalette(white);
}

// Draws the photograph centred, at the given size (its own when empty), and ends the program
// right after the first paint.
class PhotoView : public QWidget
{
public:
    PhotoView(QImage photo, QSize size, StartupPhases &phases)
        : m_photo(std::move(photo))
        , m_size(size.isEmpty() ? m_photo.size() : size)
        , m_phases(phases)
    {
        paintWhite(this);
    }

    // The header text across the top, in the program's header font.
    void addHeader(const QString &text)
    {
        m_header = new QLabel(text, this);
        m_header->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        m_header->setFont(QFont(QStringLiteral("Tahoma"), 18, QFont::Bold));
        m_header->setGeometry(0, 0, width(), m_header->fontMetrics().height());
    }

protected:
    void resizeEvent(QResizeEvent *) override
    {
        if (m_header)
            m_header->resize(width(), m_header->height());
    }

    void paintEvent(QPaintEvent *) override
    {
        // Scaled once, as a picture control keeps its scaled copy.
        if (m_photo.size() != m_size)
            m_photo = m_photo.scaled(m_size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
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
    QSize m_size;
    StartupPhases &m_phases;
    QLabel *m_header = nullptr;
    bool m_quitQueued = false;
};

} // namespace

int main(int argc, char *argv[])
{
    bool fair = false;
    const char *spawnedAt = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fair") == 0)
            fair = true;
        else
            spawnedAt = argv[i];
    }
    StartupPhases phases(spawnedAt);
    QApplication app(argc, argv);
    phases.applicationMade();
    QFile file(QStringLiteral(":/board.jpg"));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "reference_viewer: the board photograph is not built in\n");
        return 1;
    }
    const QImage photo = decodeJpeg(file.readAll());

    if (!fair) {
        PhotoView window(photo, QSize(), phases);
        window.setWindowTitle(QStringLiteral("Reference"));
        return showAndRun(window, phases);
    }

    const QString wineFonts = QStringLiteral("/usr/share/wine/fonts/");
    QFontDatabase::addApplicationFont(wineFonts + QStringLiteral("ms_sans_serif.ttf"));
    QFontDatabase::addApplicationFont(wineFonts + QStringLiteral("tahoma.ttf"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Reference"));
    window.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    for (const char *title : {"&File", "&Settings", "&Options", "&Help"})
        window.menuBar()->addMenu(QString::fromLatin1(title));
    auto *const view = new PhotoView(photo, QSize(400, 370), phases);
    view->addHeader(QStringLiteral("TR-4410 Series Settings Program"));
    window.setCentralWidget(view);
    return showAndRun(window, phases);
}
