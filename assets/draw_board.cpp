// Draws the photograph of the TR-4410 card seen from above and writes it as a progressive JPEG,
// and, when asked, the same photograph at twice the size for high-density screens (Qt's "@2x"
// name). Everything is drawn from fixed data (no fonts, no clock, no randomness but a seeded
// generator), so running it twice gives the same bytes.
//
// usage: draw_board <out.jpg> [<out@2x.jpg>]

#include "board_photograph.h"

#include <QByteArray>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s <out.jpg> [<out@2x.jpg>]\n", argv[0]);
        return 2;
    }
    for (int density = 1; density < argc; ++density) {
        const QByteArray bytes = BoardDrawing::photograph(density);
        QFile out(QString::fromLocal8Bit(argv[density]));
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[density]);
            return 1;
        }
    }
    return 0;
}
