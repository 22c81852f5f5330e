// The help window on its own: its size on screens of every size, its keys and its Start button.
#include "help_form.h"
#include "supporter_host.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

class TestHelpForm : public QObject
{
    Q_OBJECT
private slots:
    void geometry_data();
    void geometry();
    void keysPressStart();
    void startSendsShowFirstToFirstBoardOnly();
};

void TestHelpForm::geometry_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("client");
    QTest::newRow("640 x 480") << QSize(640, 480) << QSize(305, 138);
    QTest::newRow("800 x 600") << QSize(800, 600) << QSize(305, 138);
    QTest::newRow("1024 x 768") << QSize(1024, 768) << QSize(390, 177);
    QTest::newRow("1280 x 1024") << QSize(1280, 1024) << QSize(488, 221);
    QTest::newRow("1920 x 1080") << QSize(1920, 1080) << QSize(732, 331);
    QTest::newRow("no screen") << QSize() << QSize(305, 138);
}

void TestHelpForm::geometry()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, client);
    QCOMPARE(THelpForm::scaledClientSize(QSize(305, 138), screen), client);

    QWidget owner;
    THelpForm help(&owner, screen);
    help.show();
    QCOMPARE(help.size(), client);
    // The text box takes up the growth; the button stays centred, 8 pixels above the bottom.
    QCOMPARE(help.HelpRich()->geometry(), QRect(0, 24, client.width(), client.height() - 65));
    const QRect start = help.StartButton()->geometry();
    QCOMPARE(start.size(), QSize(173, 25));
    QCOMPARE(start.left(), (client.width() - 173) / 2);
    QCOMPARE(client.height() - (start.bottom() + 1), 8);
    QCOMPARE(help.HelpLabel()->width(), client.width());
    QVERIFY(help.HelpLabel()->geometry().bottom() < 24);
    if (screen == QSize(800, 600))
        QCOMPARE(start.topLeft(), QPoint(66, 105));
    // Fonts are not scaled.
    QCOMPARE(help.HelpLabel()->font().pointSize(), 12);
}

void TestHelpForm::keysPressStart()
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        SupporterHost host;
        THelpForm help(&host, QSize(800, 600));
        host.show();
        help.show();
        help.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&help));
        // Also with the text box focused.
        help.HelpRich()->setFocus();
        QTest::keyClick(&help, key);
        QVERIFY2(!help.isVisible(), qPrintable(QString::number(key)));
        QCOMPARE(host.counter->count, 1);
    }
    // Without a window manager the help window may get the keys without being the active
    // window, where its shortcuts do not answer: Esc must still press Start.
    {
        SupporterHost host;
        THelpForm help(&host, QSize(800, 600));
        host.show();
        help.show();
        host.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&host));
        QTest::keyClick(help.StartButton(), Qt::Key_Escape);
        QVERIFY(!help.isVisible());
        QCOMPARE(host.counter->count, 1);
    }
    // A click too.
    SupporterHost host;
    THelpForm help(&host, QSize(800, 600));
    help.show();
    QTest::mouseClick(help.StartButton(), Qt::LeftButton);
    QVERIFY(!help.isVisible());
    QCOMPARE(host.counter->count, 1);
}

void TestHelpForm::startSendsShowFirstToFirstBoardOnly()
{
    {
        // In a main window's central widget: a plain widget first, then two boards.
        SupporterHost host;
        auto *const other = new QWidget(host.centralWidget());
        other->stackUnder(host.board);
        auto *const second = new TBoardImage(host.centralWidget());
        ShowFirstCounter secondCounter;
        second->installEventFilter(&secondCounter);
        THelpForm help(&host, QSize(800, 600));
        help.StartButtonClick();
        QCOMPARE(host.counter->count, 1);
        QCOMPARE(secondCounter.count, 0);
    }
    {
        // A plain widget as main window, its board a direct child.
        QWidget window;
        new QLabel(&window);
        auto *const board = new TBoardImage(&window);
        ShowFirstCounter counter;
        board->installEventFilter(&counter);
        THelpForm help(&window, QSize(800, 600));
        help.show();
        help.StartButtonClick();
        QVERIFY(!help.isVisible());
        QCOMPARE(counter.count, 1);
    }
    {
        // No board anywhere: the window just hides.
        QWidget window;
        THelpForm help(&window, QSize(800, 600));
        help.show();
        help.StartButtonClick();
        QVERIFY(!help.isVisible());
    }
}

QTEST_MAIN(TestHelpForm)
#include "tst_help_form.moc"
