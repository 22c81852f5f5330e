#include "board_highlight.h"
#include "board_image.h"

#include <QFile>
#include <QtTest>

namespace {

QByteArray photographBytes()
{
    QFile file(QStringLiteral(TR4410_SOURCE_DIR "/assets/board.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QImage testPicture(int w, int h)
{
    // A picture whose every pixel differs from its neighbours, so misplaced drawing shows.
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 7) & 0xFF, (y * 5) & 0xFF, ((x + y) * 3) & 0xFF));
    return image;
}

// Counts the paints a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TestBoardImage : public QObject
{
    Q_OBJECT
private slots:
    void construction()
    {
        const TBoardImage board;
        QCOMPARE(board.size(), QSize(105, 105));
        QVERIFY(board.AutoSize());
        QVERIFY(board.CenterOnForm());
        QVERIFY(board.Scale());
        QVERIFY(!board.Stretch());
        QVERIFY(!board.Center());
        QCOMPARE(board.AspectRatio(), 1.0);
        QVERIFY(board.Picture().isNull());
        QCOMPARE(board.metaObject()->className(), "TBoardImage");
    }

    void destRect_data()
    {
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<bool>("center");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("dest");
        QTest::newRow("stretch") << true << false << QSize(600, 555) << QRect(0, 0, 400, 370);
        QTest::newRow("stretch wins over centre") << true << true << QSize(600, 555) << QRect(0, 0, 400, 370);
        // Larger than the control: negative corner, cropped on all sides; -92.5 truncates to -92.
        QTest::newRow("centre, larger") << false << true << QSize(600, 555) << QRect(-100, -92, 600, 555);
        QTest::newRow("centre, smaller") << false << true << QSize(101, 51) << QRect(149, 159, 101, 51);
        QTest::newRow("own size") << false << false << QSize(600, 555) << QRect(0, 0, 600, 555);
    }
    void destRect()
    {
        QFETCH(bool, stretch);
        QFETCH(bool, center);
        QFETCH(QSize, picture);
        QFETCH(QRect, dest);
        TBoardImage board;
        board.setAutoSize(false);
        board.resize(400, 370);
        board.setStretch(stretch);
        board.setCenter(center);
        board.setPicture(testPicture(picture.width(), picture.height()));
        QCOMPARE(board.size(), QSize(400, 370));
        QCOMPARE(board.destRect(), dest);
        if (dest == QRect(-100, -92, 600, 555))
            QCOMPARE(board.destRect().bottomRight() + QPoint(1, 1), QPoint(500, 463));
    }

    void autoSize()
    {
        TBoardImage board;
        board.move(7, 9);
        board.setPicture(testPicture(600, 555));
        QCOMPARE(board.geometry(), QRect(7, 9, 600, 555));
        QCOMPARE(board.AspectRatio(), 555.0 / 600.0);

        TBoardImage fixed;
        fixed.setAutoSize(false);
        fixed.resize(400, 370);
        fixed.setPicture(testPicture(600, 555));
        QCOMPARE(fixed.size(), QSize(400, 370));
        // Switching it back on takes the picture's size.
        fixed.setAutoSize(true);
        QCOMPARE(fixed.size(), QSize(600, 555));

        // Without a picture there is no size to take: the control must not collapse.
        TBoardImage empty;
        empty.setAutoSize(false);
        empty.setAutoSize(true);
        QCOMPARE(empty.size(), QSize(105, 105));
        int w = 1, h = 2;
        QVERIFY(board.CanAutoSize(w, h));
        QCOMPARE(QSize(w, h), QSize(600, 555));
    }

    void centersInWindow()
    {
        QWidget window;
        window.resize(1024, 700);
        auto *const board = new TBoardImage(&window);
        board->setAutoSize(false);
        board->setGeometry(195, 133, 400, 370);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(board->PositionRecorded());
        QCOMPARE(board->HomeLeft(), 195);
        QCOMPARE(board->HomeTop(), 133);
        QTRY_COMPARE(board->x(), (window.frameGeometry().width() - 400) / 2);
        QCOMPARE(board->y(), (window.frameGeometry().height() - 370) / 2);

        // The window's overall size counts, frame included: 1024 wide overall gives 312. Resizing
        // the window re-centres without taking the home position again.
        board->move(3, 4);
        const int frame = window.frameGeometry().width() - window.width();
        window.resize(1024 - frame, 600);
        QTRY_COMPARE(window.frameGeometry().width(), 1024);
        QTRY_COMPARE(board->x(), 312);
        QCOMPARE(board->HomeLeft(), 195);
        QCOMPARE(board->HomeTop(), 133);
    }

    void opaqueMark()
    {
        TBoardImage board;
        board.setAutoSize(false);
        board.resize(400, 370);
        QVERIFY(!board.testAttribute(Qt::WA_OpaquePaintEvent));
        board.setPicture(testPicture(300, 300));
        QVERIFY(!board.testAttribute(Qt::WA_OpaquePaintEvent));
        board.setStretch(true);
        QVERIFY(board.testAttribute(Qt::WA_OpaquePaintEvent));
        board.setTransparent(true);
        QVERIFY(!board.testAttribute(Qt::WA_OpaquePaintEvent));
        board.setTransparent(false);
        board.setStretch(false);
        board.setPicture(testPicture(400, 370));
        QVERIFY(board.testAttribute(Qt::WA_OpaquePaintEvent));
        board.setPicture(QImage());
        QVERIFY(!board.testAttribute(Qt::WA_OpaquePaintEvent));
    }

    void transparentLeavesOutCornerColour()
    {
        TBoardImage board;
        board.setAutoSize(false);
        board.resize(20, 20);
        QImage picture(20, 20, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        picture.setPixel(5, 5, qRgb(200, 0, 0));
        board.setPicture(picture);
        board.setTransparent(true);
        const QImage drawn = board.renderArea(board.rect());
        QCOMPARE(drawn.pixelColor(0, 19), board.palette().color(QPalette::Button));
        QCOMPARE(drawn.pixelColor(5, 5), QColor(200, 0, 0));
        board.setTransparent(false);
        QCOMPARE(board.renderArea(board.rect()).pixelColor(0, 19), QColor(Qt::blue));
    }

    void centersInChildParent()
    {
        QWidget window;
        window.resize(900, 900);
        auto *const container = new QWidget(&window);
        container->setGeometry(10, 10, 501, 300);
        auto *const board = new TBoardImage(container);
        board->setAutoSize(false);
        board->setGeometry(0, 0, 100, 51);
        auto *const still = new TBoardImage(&window);
        still->setAutoSize(false);
        still->setCenterOnForm(false);
        still->setGeometry(20, 30, 50, 50);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(board->pos(), QPoint(200, 124));
        QTRY_VERIFY(still->PositionRecorded());
        QCOMPARE(still->pos(), QPoint(20, 30));
    }

    void unchangedSettersDoNotRepaint()
    {
        QWidget window;
        window.resize(500, 500);
        auto *const board = new TBoardImage(&window);
        board->setAutoSize(false);
        board->setCenterOnForm(false);
        board->setGeometry(0, 0, 400, 370);
        board->setPicture(testPicture(60, 55));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(board->PositionRecorded());
        QTest::qWait(50);

        const PaintCounter counter(board);
        board->setStretch(false);
        board->setCenter(false);
        board->setScale(true);
        board->setTransparent(false);
        QTest::qWait(100);
        QCOMPARE(counter.paints, 0);

        board->setStretch(true);
        QTRY_VERIFY(counter.paints > 0);
        QCOMPARE(board->destRect(), QRect(0, 0, 400, 370));
    }

    void designModeScale()
    {
        QWidget window;
        window.resize(600, 600);
        auto *const board = new TBoardImage(&window);
        board->setAutoSize(false);
        board->setDesignMode(true);
        board->setStretch(true);
        board->setPicture(testPicture(600, 555));
        board->setGeometry(10, 20, 400, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(board->height(), 370);
        // Not re-centred while being designed.
        QCOMPARE(board->pos(), QPoint(10, 20));

        // Halves go to the even neighbour: 1 x 0.5 gives 0, 3 x 0.5 gives 2.
        board->setPicture(testPicture(2, 1));
        board->resize(3, 50);
        QTRY_COMPARE(board->height(), 2);
        board->setScale(false);
        board->resize(3, 50);
        QTest::qWait(50);
        QCOMPARE(board->height(), 50);
    }

    void photograph()
    {
        const QByteArray bytes = photographBytes();
        QVERIFY2(!bytes.isEmpty(), "assets/board.jpg is missing");
        // Walk the markers to the frame header: it must be progressive (SOF2), 600 x 555, 3
        // components.
        QVERIFY(bytes.startsWith("\xFF\xD8"));
        int pos = 2;
        int frameMarker = 0;
        while (pos + 4 <= bytes.size()) {
            QCOMPARE(quint8(bytes[pos]), quint8(0xFF));
            const int marker = quint8(bytes[pos + 1]);
            const int length = (quint8(bytes[pos + 2]) << 8) | quint8(bytes[pos + 3]);
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
                frameMarker = marker;
                QVERIFY(pos + 10 <= bytes.size());
                const int height = (quint8(bytes[pos + 5]) << 8) | quint8(bytes[pos + 6]);
                const int width = (quint8(bytes[pos + 7]) << 8) | quint8(bytes[pos + 8]);
                QCOMPARE(width, 600);
                QCOMPARE(height, 555);
                QCOMPARE(int(quint8(bytes[pos + 9])), 3);
                break;
            }
            pos += 2 + length;
        }
        QCOMPARE(frameMarker, 0xC2);
        QVERIFY(bytes.endsWith("\xFF\xD9"));

        TBoardImage board;
        QVERIFY(board.loadJpeg(bytes));
        QCOMPARE(board.Picture().size(), QSize(600, 555));
        QCOMPARE(board.size(), QSize(600, 555));
        QCOMPARE(board.AspectRatio(), 0.925);
        // A green card, not a grey fill.
        const QColor middle = board.Picture().pixelColor(300, 130);
        QVERIFY(middle.green() > middle.red() && middle.green() > middle.blue());
    }

    void badJpegKeepsPicture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = photographBytes();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("start marker only") << QByteArray("\xFF\xD8", 2);
        QTest::newRow("not a jpeg") << QByteArray("\x89PNG\r\n\x1A\n0000000000000000");
        QTest::newRow("headers only") << good.left(600);
        QTest::newRow("truncated") << good.left(good.size() / 2);
        QTest::newRow("last byte missing") << good.left(good.size() - 1);
        QByteArray forged = good;
        // A frame header that claims a picture of 65535 x 65535.
        const int sof = int(forged.indexOf("\xFF\xC2"));
        QVERIFY(sof > 0);
        forged[sof + 5] = forged[sof + 6] = forged[sof + 7] = forged[sof + 8] = char(0xFF);
        QTest::newRow("huge frame") << forged;
        QByteArray scrambled = good;
        for (int i = good.size() / 3; i < good.size() - 2; i += 97)
            scrambled[i] = char(0xFF);
        QTest::newRow("scrambled scan") << scrambled;
    }
    void badJpegKeepsPicture()
    {
        QFETCH(QByteArray, bytes);
        TBoardImage board;
        board.setAutoSize(false);
        const QImage before = testPicture(30, 20);
        board.setPicture(before);
        QVERIFY(!board.loadJpeg(bytes));
        QCOMPARE(board.Picture(), before);
        QCOMPARE(board.size(), QSize(105, 105));
    }

    void showFirstWithoutFirst()
    {
        TBoardImage board;
        QVERIFY(!board.First());
        QEvent request(TBoardImage::showFirstEvent());
        QVERIFY(QCoreApplication::sendEvent(&board, &request));
        QCOMPARE(int(TBoardImage::showFirstEvent()), 0x4A2);
        QVERIFY(board.isHidden());
    }

    void showFirstPinsFirst()
    {
        QWidget window;
        window.resize(800, 600);
        auto *const board = new TBoardImage(&window);
        board->setAutoSize(false);
        board->setGeometry(195, 133, 400, 370);
        auto *const first = new TBoardHighlight(board);
        first->setObjectName(QStringLiteral("BaseHighlight"));
        first->setTitle(QStringLiteral("Control Base Address"));
        first->setGeometry(52, 282, 40, 21);
        board->setFirst(first);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // The help window posts the request; the popup opens and stays pinned.
        QCoreApplication::postEvent(board, new QEvent(TBoardImage::showFirstEvent()));
        QTRY_VERIFY(first->Pinned());

        // First is not owned: once it is gone the request must not reach it.
        delete first;
        QVERIFY(!board->First());
        QEvent request(TBoardImage::showFirstEvent());
        QVERIFY(QCoreApplication::sendEvent(board, &request));
    }

    void renderAreaMatchesPaint_data()
    {
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<bool>("center");
        QTest::addColumn<QSize>("picture");
        QTest::newRow("photograph stretched") << true << false << QSize();
        QTest::newRow("centred, smaller") << false << true << QSize(151, 99);
        QTest::newRow("own size, larger") << false << false << QSize(700, 90);
        QTest::newRow("no picture") << false << false << QSize(0, 0);
    }
    void renderAreaMatchesPaint()
    {
        QFETCH(bool, stretch);
        QFETCH(bool, center);
        QFETCH(QSize, picture);
        TBoardImage board;
        board.setAutoSize(false);
        board.resize(400, 370);
        board.setStretch(stretch);
        board.setCenter(center);
        if (!picture.isValid())
            QVERIFY(board.loadJpeg(photographBytes()));
        else if (!picture.isEmpty())
            board.setPicture(testPicture(picture.width(), picture.height()));

        const QImage painted = board.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(painted.size(), QSize(400, 370));
        QCOMPARE(board.renderArea(board.rect()).convertToFormat(QImage::Format_RGB32), painted);
        // The places of a few highlights, one reaching past the edge.
        for (const QRect r : {QRect(138, 219, 18, 40), QRect(157, 160, 84, 84), QRect(5, 64, 44, 217),
                              QRect(380, 350, 40, 40)}) {
            const QImage area = board.renderArea(r);
            QCOMPARE(area.size(), r.size());
            const QRect inside = r.intersected(board.rect());
            QCOMPARE(area.copy(inside.translated(-r.topLeft())).convertToFormat(QImage::Format_RGB32),
                     painted.copy(inside));
        }
        if (picture.isEmpty() && picture.isValid())
            QCOMPARE(painted.pixelColor(200, 200), board.palette().color(QPalette::Button));
    }
};

QTEST_MAIN(TestBoardImage)
#include "tst_board_image.moc"
