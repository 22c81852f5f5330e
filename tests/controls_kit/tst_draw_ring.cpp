// The ring of a highlight, blended into a picture, checked pixel by pixel.
#include "draw_ring.h"

#include <QColor>
#include <QImage>
#include <QtTest>

#include <cmath>

class TestDrawRing : public QObject
{
    Q_OBJECT

    static QImage grey(int w, int h)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(QColor(128, 128, 128));
        return image;
    }

    // The pixel at the given radius along the horizontal middle of a square image of side n.
    static QPoint pixelAtRadius(int n, double radius)
    {
        return QPoint(int(std::lround((radius + 1) * (n - 1) / 2)), (n - 1) / 2);
    }

private slots:
    void pixels()
    {
        // Centre of an idle yellow ring over mid-grey: Alpha = 0.16 * 0.5.
        QImage idle = grey(65, 65);
        DrawRing(idle, false, QColor(255, 255, 0), 0.5f);
        QCOMPARE(QColor(idle.pixel(32, 32)), QColor(138, 138, 118));
        // Corners lie outside the ellipse and keep the photograph.
        QCOMPARE(QColor(idle.pixel(0, 0)), QColor(128, 128, 128));
        QCOMPARE(QColor(idle.pixel(64, 64)), QColor(128, 128, 128));
        // At radius 1 (the middle of the left edge) Alpha is 0.
        QCOMPARE(QColor(idle.pixel(0, 32)), QColor(128, 128, 128));

        // Radius 0.875 in the glow image: the white middle band, fourth byte cleared.
        const int n = 65;
        QImage glow = grey(n, n);
        DrawRing(glow, true, QColor(255, 255, 0), 1.0f);
        const QPoint ring = pixelAtRadius(n, 0.875);
        QCOMPARE(ring, QPoint(60, 32));
        QCOMPARE(QColor(glow.pixel(ring)).rgb(), qRgb(255, 255, 255));
        QCOMPARE(qAlpha(reinterpret_cast<const QRgb *>(glow.constScanLine(ring.y()))[ring.x()]), 0);
        // The inner fill keeps its byte.
        QCOMPARE(qAlpha(reinterpret_cast<const QRgb *>(glow.constScanLine(32))[32]), 255);
        // Nearer the outer edge the colour shows: radius 0.96875 (x = 63).
        const QColor edge(glow.pixel(63, 32));
        QVERIFY(edge.blue() < edge.red());

        // A lit blue ring on a 201-pixel square (steps of 0.01): the inner fill and radius 0.77
        // both blend with Alpha = 0.16 * 0.5; at 0.87 Alpha = (1 - 8 * 0.005) * 0.5 = 0.48.
        QImage lit = grey(201, 201);
        DrawRing(lit, false, QColor(0, 0, 255), 0.5f);
        QCOMPARE(QColor(lit.pixel(100, 100)), QColor(118, 118, 138));
        QCOMPARE(QColor(lit.pixel(176, 100)), QColor(118, 118, 138));
        QCOMPARE(QColor(lit.pixel(177, 100)), QColor(118, 118, 138));
        QCOMPARE(QColor(lit.pixel(187, 100)), QColor(67, 67, 189));
        QCOMPARE(QColor(lit.pixel(100, 187)), QColor(67, 67, 189));
        QCOMPARE(QColor(lit.pixel(13, 100)), QColor(67, 67, 189));
    }

    void roundsHalfToEven()
    {
        // Glow at full intensity over black with a white band: a pixel whose sum lands on .5 must go
        // to the even neighbour. Alpha 0.5 over (1, 3, 5) with colour (0, 0, 0): 0.5, 1.5, 2.5.
        QImage image(3, 3, QImage::Format_RGB32);
        image.fill(qRgb(1, 3, 5));
        // The centre of a 3 x 3 image has R2 = 0: Alpha = 0.16 * intensity; pick the intensity that
        // makes Alpha exactly 0.5 in float.
        DrawRing(image, false, QColor(0, 0, 0), 3.125f);
        QCOMPARE(QColor(image.pixel(1, 1)), QColor(0, 2, 2));
    }

    void thinImages()
    {
        QImage one = grey(1, 40);
        DrawRing(one, false, QColor(255, 255, 0), 1.0f);
        QCOMPARE(one, grey(1, 40));
        QImage flat = grey(40, 1);
        DrawRing(flat, true, QColor(255, 255, 0), 1.0f);
        QCOMPARE(flat, grey(40, 1));
        QImage empty;
        DrawRing(empty, true, QColor(255, 255, 0), 1.0f);
        QVERIFY(empty.isNull());
    }
};

QTEST_MAIN(TestDrawRing)
#include "tst_draw_ring.moc"
