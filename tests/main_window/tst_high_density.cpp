#include "main_form.h"

#include "board_highlight.h"
#include "board_image.h"
#include "two_jumper.h"

#include <QTest>

#include <memory>

// The main window on a screen of the device pixel ratio that QT_SCALE_FACTOR gives (this folder's
// CMakeLists runs it at 1.25, 1.5 and 2): everything drawn at device pixels, without seams.
class TestHighDensity : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void ringsMeetThePhotograph();
    void glyphsAtDevicePixels();

private:
    std::unique_ptr<TMainForm> form;
    qreal ratio = 1.0;
};

void TestHighDensity::init()
{
    form = std::make_unique<TMainForm>();
    form->resize(807, 623); // the board picture's corner between device pixels at 1.25 and 1.5
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    ratio = form->devicePixelRatioF();
    QVERIFY2(ratio > 1.0, "run with QT_SCALE_FACTOR above 1");
}

void TestHighDensity::cleanup()
{
    form.reset();
}

void TestHighDensity::ringsMeetThePhotograph()
{
    auto *board = form->findChild<TBoardImage *>(QStringLiteral("BoardImage1"));
    QTRY_VERIFY(board->PositionRecorded());
    // From a ratio of 1.5 on, the photograph of twice the size is drawn; below, the ordinary one.
    QCOMPARE(board->highDensityPicture().size(), QSize(1200, 1110));
    const QSize boardPixels = TBoardImage::devicePixels(board->size(), ratio);
    const QImage fromOrdinary = board->Picture()
                                    .scaled(boardPixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                    .convertToFormat(QImage::Format_RGB32);
    const QImage drawn = board->renderArea(board->rect(), ratio);
    QCOMPARE(drawn.size(), boardPixels);
    QCOMPARE(drawn.convertToFormat(QImage::Format_RGB32) != fromOrdinary, ratio >= 1.5);

    const QImage shown = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto rings = board->findChildren<TBoardHighlight *>();
    for (TBoardHighlight *ring : rings)
        ring->hide();
    const QImage photograph = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (TBoardHighlight *ring : rings)
        ring->show();

    // Each ring's images have its size in device pixels; where a ring is drawn, every pixel outside
    // its ellipse is the photograph's own: no seam, no pixel moved.
    int ringPixels = 0;
    for (const TBoardHighlight *ring : rings) {
        const QSize pixels = TBoardImage::devicePixels(ring->size(), ratio);
        QCOMPARE(ring->idleImage().size(), pixels);
        QCOMPARE(ring->idleImage().devicePixelRatio(), ratio);
        const QPointF at =
            (board->areaOffset(ring->geometry(), ratio) + QPointF(ring->mapTo(form.get(), QPoint()))) * ratio;
        const QRect drawn(QPoint(qRound(at.x()), qRound(at.y())), pixels);
        for (int y = drawn.top(); y <= drawn.bottom(); ++y) {
            for (int x = drawn.left(); x <= drawn.right(); ++x) {
                const float u = float(x - drawn.left()) * (2.0f / float(pixels.width() - 1)) - 1.0f;
                const float v = float(y - drawn.top()) * (2.0f / float(pixels.height() - 1)) - 1.0f;
                // Rings of a column touch; the neighbour's ellipse is its own business.
                const bool inAnyRing =
                    std::any_of(rings.begin(), rings.end(), [&](const TBoardHighlight *other) {
                        const QRectF area =
                            QRectF(QPointF(other->mapTo(form.get(), QPoint())), QSizeF(other->size()));
                        return other != ring && QRectF(area.topLeft() * ratio, area.size() * ratio)
                                                    .adjusted(-1, -1, 1, 1)
                                                    .contains(QPointF(x + 0.5, y + 0.5));
                    });
                if (u * u + v * v < 1.0f) {
                    ringPixels += shown.pixel(x, y) != photograph.pixel(x, y);
                } else if (!inAnyRing && shown.pixel(x, y) != photograph.pixel(x, y)) {
                    QFAIL(qPrintable(QStringLiteral("%1: seam at device pixel %2, %3")
                                         .arg(ring->objectName())
                                         .arg(x)
                                         .arg(y)));
                }
            }
        }
    }
    QVERIFY(ringPixels > 0);
}

void TestHighDensity::glyphsAtDevicePixels()
{
    // Every glyph is drawn at its size in device pixels.
    for (TTwoJumper *glyph : form->findChildren<TTwoJumper *>()) {
        glyph->render();
        QCOMPARE(glyph->outputImage().size(), TBoardImage::devicePixels(glyph->size(), ratio));
        QCOMPARE(glyph->outputImage().devicePixelRatio(), ratio);
    }
    if (ratio != 2.0)
        return;
    // At 2 the shapes are those of 1 with every coordinate doubled: on a 34 x 18 frame the pins are
    // (8, 6, 14, 12) and (20, 6, 26, 12), the open base (1, 1, 33, 17).
    TTwoJumper glyph;
    glyph.setBorderStyle(TTwoJumper::bsNone);
    glyph.render();
    const QImage image = glyph.outputImage();
    const auto box = [&](QRgb colour, const QRect &region) {
        QRect found;
        for (int y = region.top(); y <= region.bottom(); ++y)
            for (int x = region.left(); x <= region.right(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                    found |= QRect(x, y, 1, 1);
        return found;
    };
    QCOMPARE(box(qRgb(255, 255, 0), QRect(0, 0, 34, 36)), QRect(QPoint(16, 12), QPoint(27, 23)));
    QCOMPARE(box(qRgb(255, 255, 0), QRect(34, 0, 34, 36)), QRect(QPoint(40, 12), QPoint(51, 23)));
    QCOMPARE(box(qRgb(128, 128, 128), image.rect()), QRect(QPoint(2, 2), QPoint(65, 33)));
}

QTEST_MAIN(TestHighDensity)
#include "tst_high_density.moc"
