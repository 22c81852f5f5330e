#include "radio_panel.h"
#include "two_jumper.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kGrey = qRgb(128, 128, 128);
const QRgb kYellow = qRgb(255, 255, 0);
const QRgb kMaroon = qRgb(128, 0, 0);

QRgb pixel(const QImage &image, int x, int y)
{
    return (image.pixel(x, y) & 0xFFFFFF) | 0xFF000000;
}

// The bounding box (right and bottom exclusive) of the pixels of one colour within a region.
QRect boxOf(const QImage &image, QRgb colour, const QRect &region)
{
    int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (pixel(image, x, y) == colour) {
                l = std::min(l, x), t = std::min(t, y);
                r = std::max(r, x + 1), b = std::max(b, y + 1);
            }
    return l == INT_MAX ? QRect() : QRect(QPoint(l, t), QPoint(r, b)); // QPoint(r, b): exclusive corner
}

QRect box(int l, int t, int r, int b)
{
    return QRect(QPoint(l, t), QPoint(r, b));
}

bool contains(const QImage &image, QRgb colour)
{
    return boxOf(image, colour, image.rect()).isValid();
}

QImage rendered(TTwoJumper &glyph)
{
    glyph.render();
    return glyph.outputImage();
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// A panel of its own kind: the kit must not take it for an option panel.
class TMyPanel : public TRadioPanel
{
    Q_OBJECT
public:
    using TRadioPanel::TRadioPanel;
};

} // namespace

class TestTwoJumper : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void pixelBoxes_data();
    void pixelBoxes();
    void closedShuntFillsTheFrame();
    void borderNoneHasNoBlack();
    void turnsAreExactQuarterAndHalfTurns();
    void backgroundFollowsDirectPanelOnly();
    void sizeSwapRules();
    void equalValueRequestsNoRepaint();
    void clickTogglesBeforeOnClick();
    void mouseClickInsideOnly();
    void disabledLooksTheSameAndIgnoresClicks();
    void degenerateSizesDoNotCrash();
};

void TestTwoJumper::defaults()
{
    TTwoJumper glyph;
    QCOMPARE(glyph.size(), QSize(34, 18));
    QCOMPARE(glyph.Closed(), false);
    QCOMPARE(glyph.BaseColor(), QColor(128, 128, 128));
    QCOMPARE(glyph.PinColor(), QColor(255, 255, 0));
    QCOMPARE(glyph.JumperColor(), QColor(128, 0, 0));
    QCOMPARE(glyph.Orientation(), TTwoJumper::otUp);
    QCOMPARE(glyph.BorderStyle(), TTwoJumper::bsSingle);
    QCOMPARE(glyph.Anchors(), Anchors::akLeft | Anchors::akTop);
    QCOMPARE(glyph.metaObject()->className(), "TTwoJumper");
}

void TestTwoJumper::pixelBoxes_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("leftPin");
    QTest::addColumn<QRect>("rightPin");
    QTest::addColumn<QRect>("base");
    QTest::newRow("34 x 18") << QSize(34, 18) << box(8, 6, 14, 12) << box(20, 6, 26, 12) << box(1, 1, 33, 17);
    QTest::newRow("32 x 16") << QSize(32, 16) << box(7, 5, 13, 11) << box(19, 5, 25, 11) << box(1, 1, 31, 15);
}

void TestTwoJumper::pixelBoxes()
{
    QFETCH(QSize, size);
    QFETCH(QRect, leftPin);
    QFETCH(QRect, rightPin);
    QFETCH(QRect, base);
    TTwoJumper glyph;
    glyph.resize(size);
    const QImage open = rendered(glyph);
    QCOMPARE(open.size(), size);
    const int w = size.width(), h = size.height();
    const QRect leftHalf(0, 0, w / 2, h), rightHalf(w / 2, 0, w - w / 2, h);
    QCOMPARE(boxOf(open, kYellow, leftHalf), leftPin);
    QCOMPARE(boxOf(open, kYellow, rightHalf), rightPin);
    // Pins are round: the corners of their boxes stay base-coloured.
    QCOMPARE(pixel(open, leftPin.left(), leftPin.top()), kGrey);
    QCOMPARE(pixel(open, rightPin.right() - 1, rightPin.bottom() - 1), kGrey);
    // The outlined base, with one pixel of background all round and rounded corners.
    QCOMPARE(boxOf(open, kBlack, open.rect()), base);
    const QRgb background = QApplication::palette().color(QPalette::Button).rgb();
    for (int x = 0; x < w; ++x) {
        QCOMPARE(pixel(open, x, 0), background);
        QCOMPARE(pixel(open, x, h - 1), background);
    }
    QCOMPARE(pixel(open, 1, 1), background);
    QCOMPARE(pixel(open, w - 2, h - 2), background);
    QCOMPARE(pixel(open, w / 2, 1), kBlack);
    QCOMPARE(pixel(open, 1, h / 2), kBlack);
    QCOMPARE(pixel(open, w / 2, h / 2), kGrey);

    glyph.setClosed(true);
    const QImage closed = rendered(glyph);
    QCOMPARE(boxOf(closed, kYellow, leftHalf), leftPin);
    QCOMPARE(boxOf(closed, kYellow, rightHalf), rightPin);
    QCOMPARE(pixel(closed, leftPin.left(), leftPin.top()), kMaroon);
}

void TestTwoJumper::closedShuntFillsTheFrame()
{
    TTwoJumper glyph;
    glyph.setClosed(true);
    const QImage image = rendered(glyph);
    for (int x = 0; x < 34; ++x) {
        QCOMPARE(pixel(image, x, 0), kBlack);
        QCOMPARE(pixel(image, x, 17), kBlack);
    }
    for (int y = 0; y < 18; ++y) {
        QCOMPARE(pixel(image, 0, y), kBlack);
        QCOMPARE(pixel(image, 33, y), kBlack);
    }
    QCOMPARE(pixel(image, 1, 1), kMaroon);
    QCOMPARE(pixel(image, 17, 9), kMaroon);
    QVERIFY(!contains(image, kGrey));
}

void TestTwoJumper::borderNoneHasNoBlack()
{
    TTwoJumper glyph;
    glyph.setBorderStyle(TTwoJumper::bsNone);
    const QImage open = rendered(glyph);
    QVERIFY(!contains(open, kBlack));
    QCOMPARE(boxOf(open, kGrey, open.rect()), box(1, 1, 33, 17));
    glyph.setClosed(true);
    const QImage closed = rendered(glyph);
    QVERIFY(!contains(closed, kBlack));
    QCOMPARE(boxOf(closed, kMaroon, closed.rect()), box(0, 0, 34, 18));
}

void TestTwoJumper::turnsAreExactQuarterAndHalfTurns()
{
    for (const bool closed : {false, true}) {
        TTwoJumper up;
        up.setClosed(closed);
        const QImage reference = rendered(up);

        TTwoJumper down;
        down.setClosed(closed);
        down.setOrientation(TTwoJumper::otDown);
        QCOMPARE(rendered(down), reference.transformed(QTransform().rotate(180)));

        // Vertical glyphs are stored with their long side vertical.
        TTwoJumper left;
        left.setClosed(closed);
        left.setOrientation(TTwoJumper::otLeft);
        left.resize(18, 34);
        const QImage leftImage = rendered(left);
        QCOMPARE(leftImage.size(), QSize(18, 34));
        QCOMPARE(leftImage, reference.transformed(QTransform().rotate(-90)));
        // The frame's right end ends at the top.
        QCOMPARE(pixel(leftImage, 9, 33 - 11), kYellow);

        TTwoJumper right;
        right.setClosed(closed);
        right.setOrientation(TTwoJumper::otRight);
        right.resize(18, 34);
        QCOMPARE(rendered(right), reference.transformed(QTransform().rotate(90)));
    }
}

void TestTwoJumper::backgroundFollowsDirectPanelOnly()
{
    const QColor panelColour(10, 200, 30);
    const QRgb button = QApplication::palette().color(QPalette::Button).rgb();

    TRadioPanel panel;
    panel.setColor(panelColour);
    auto *onPanel = new TTwoJumper(&panel);
    QCOMPARE(pixel(rendered(*onPanel), 0, 0), panelColour.rgb());

    auto *nested = new TTwoJumper(new QWidget(&panel));
    QCOMPARE(pixel(rendered(*nested), 0, 0), button);

    TMyPanel derived;
    derived.setColor(panelColour);
    auto *onDerived = new TTwoJumper(&derived);
    QCOMPARE(pixel(rendered(*onDerived), 0, 0), button);

    TTwoJumper alone;
    QCOMPARE(pixel(rendered(alone), 0, 0), button);
}

void TestTwoJumper::sizeSwapRules()
{
    // Set before the first paint (as a layout does): the stored size is kept.
    TTwoJumper loaded;
    loaded.resize(18, 34);
    loaded.setOrientation(TTwoJumper::otLeft);
    loaded.render();
    QCOMPARE(loaded.size(), QSize(18, 34));
    loaded.render();
    QCOMPARE(loaded.size(), QSize(18, 34));

    // Within a pair: no swap.
    TTwoJumper glyph;
    glyph.render();
    glyph.setOrientation(TTwoJumper::otDown);
    glyph.render();
    QCOMPARE(glyph.size(), QSize(34, 18));

    // Across the pairs after the first paint: swapped once.
    glyph.setOrientation(TTwoJumper::otRight);
    QCOMPARE(glyph.size(), QSize(34, 18));
    glyph.render();
    QCOMPARE(glyph.size(), QSize(18, 34));
    glyph.render();
    QCOMPARE(glyph.size(), QSize(18, 34));
    QCOMPARE(rendered(glyph).size(), QSize(18, 34));

    // There and back before the next paint: the size still fits.
    glyph.setOrientation(TTwoJumper::otUp);
    glyph.setOrientation(TTwoJumper::otLeft);
    glyph.render();
    QCOMPARE(glyph.size(), QSize(18, 34));

    // On screen the swap happens in the paint and the glyph is painted again at its new size.
    TTwoJumper shown;
    shown.show();
    QVERIFY(QTest::qWaitForWindowExposed(&shown));
    shown.setOrientation(TTwoJumper::otLeft);
    QTRY_COMPARE(shown.size(), QSize(18, 34));
    QTRY_COMPARE(shown.outputImage().size(), QSize(18, 34));
}

void TestTwoJumper::equalValueRequestsNoRepaint()
{
    QWidget host;
    host.resize(100, 100);
    auto *glyph = new TTwoJumper(&host);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    PaintCounter counter(glyph);
    QCoreApplication::processEvents();
    counter.count = 0;

    glyph->setClosed(false);
    glyph->setBaseColor(QColor(128, 128, 128));
    glyph->setPinColor(QColor(255, 255, 0));
    glyph->setJumperColor(QColor(128, 0, 0));
    glyph->setOrientation(TTwoJumper::otUp);
    glyph->setBorderStyle(TTwoJumper::bsSingle);
    QTest::qWait(50);
    QCOMPARE(counter.count, 0);

    glyph->setClosed(true);
    QTRY_VERIFY(counter.count > 0);
    QCOMPARE(pixel(glyph->outputImage(), 17, 9), kMaroon);
}

void TestTwoJumper::clickTogglesBeforeOnClick()
{
    TTwoJumper glyph;
    QList<bool> seen;
    connect(&glyph, &TTwoJumper::OnClick, this, [&](QObject *sender) {
        QCOMPARE(sender, &glyph);
        seen.append(glyph.Closed());
    });
    glyph.click();
    glyph.click();
    QCOMPARE(seen, QList<bool>({true, false}));
}

void TestTwoJumper::mouseClickInsideOnly()
{
    QWidget host;
    host.resize(100, 60);
    auto *glyph = new TTwoJumper(&host);
    glyph->move(10, 10);
    QSignalSpy clicks(glyph, &TTwoJumper::OnClick);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    QTest::mouseClick(glyph, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(glyph->Closed(), true);
    QCOMPARE(clicks.count(), 1);

    QTest::mouseClick(glyph, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(glyph->Closed(), true);

    // Pressed inside, released outside: no click.
    QTest::mousePress(glyph, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(glyph, Qt::LeftButton, {}, QPoint(60, 40));
    QCOMPARE(glyph->Closed(), true);
    QCOMPARE(clicks.count(), 1);
}

void TestTwoJumper::disabledLooksTheSameAndIgnoresClicks()
{
    QWidget host;
    host.resize(100, 60);
    auto *enabled = new TTwoJumper(&host);
    auto *disabled = new TTwoJumper(&host);
    disabled->move(40, 0);
    enabled->setClosed(true);
    disabled->setClosed(true);
    disabled->setEnabled(false);
    QSignalSpy clicks(disabled, &TTwoJumper::OnClick);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QCOMPARE(rendered(*disabled), rendered(*enabled));

    QTest::mouseClick(disabled, Qt::LeftButton, {}, QPoint(5, 5));
    disabled->click();
    QCOMPARE(disabled->Closed(), true);
    QCOMPARE(clicks.count(), 0);
    // Only code changes it.
    disabled->setClosed(false);
    QCOMPARE(disabled->Closed(), false);
}

void TestTwoJumper::degenerateSizesDoNotCrash()
{
    for (const QSize size : {QSize(0, 0), QSize(1, 1), QSize(2, 9), QSize(5, 2), QSize(300, 3)}) {
        TTwoJumper glyph;
        glyph.resize(size);
        glyph.setClosed(true);
        glyph.render();
        glyph.setClosed(false);
        glyph.setOrientation(TTwoJumper::otRight);
        glyph.render();
        // Drawn turned at the old size, then swapped.
        QCOMPARE(glyph.outputImage().size(), size.isEmpty() ? QSize(0, 0) : size);
        QCOMPARE(glyph.size(), size.transposed());
    }
}

QTEST_MAIN(TestTwoJumper)
#include "tst_two_jumper.moc"
