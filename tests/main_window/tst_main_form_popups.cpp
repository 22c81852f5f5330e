#include "list_pick.h"
#include "main_form.h"

#include "board_highlight.h"
#include "board_image.h"
#include "popup_form.h"
#include "radio_panel.h"

#include <QComboBox>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

#include <memory>

// Runs on a 1280 x 1024 offscreen screen (see this folder's CMakeLists), so that popups placed
// from the layout fit without being pushed back onto the screen.
class TestMainFormPopups : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void protocolRingsShareOnePanel();
    void popupPlacesFollowTheBoard();

private:
    void showWithClient(const QSize &client);
    TBoardHighlight *highlight(const char *name) const
    {
        return form->findChild<TBoardHighlight *>(QLatin1String(name));
    }
    void hover(TBoardHighlight *target) const
    {
        QTest::mouseMove(form.get(), target->mapTo(form.get(), target->rect().center()));
    }
    void leaveBoard() const { QTest::mouseMove(form.get(), QPoint(2, form->height() - 2)); }

    std::unique_ptr<TMainForm> form;
};

void TestMainFormPopups::init()
{
    QVERIFY(QGuiApplication::primaryScreen()->geometry().width() >= 1280);
    form = std::make_unique<TMainForm>();
}

void TestMainFormPopups::cleanup()
{
    form.reset();
}

void TestMainFormPopups::showWithClient(const QSize &client)
{
    form->resize(client.width(), client.height() + form->menuBar()->sizeHint().height());
    form->move(0, 0);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTRY_COMPARE(form->centralWidget()->size(), client);
    auto *board = form->findChild<TBoardImage *>(QStringLiteral("BoardImage1"));
    QTRY_VERIFY(board->PositionRecorded());
}

void TestMainFormPopups::protocolRingsShareOnePanel()
{
    showWithClient(QSize(804, 589));
    auto *modePanel = form->findChild<TRadioPanel *>(QStringLiteral("ModePanel"));
    auto *modeCombo = form->findChild<QComboBox *>(QStringLiteral("ModeCombo"));
    QPointer<QWidget> popup;
    for (int i = 0; i < 8; ++i) {
        const QByteArray name = "ModeHighlight" + QByteArray::number(i);
        TBoardHighlight *ring = highlight(name.constData());
        QVERIFY(ring);
        hover(ring);
        QTRY_VERIFY2(modePanel->isVisible(), name.constData());
        QVERIFY(qobject_cast<TPopupForm *>(modePanel->window()));
        if (!popup)
            popup = modePanel->window();
        QCOMPARE(modePanel->window(), popup.data());        // one popup for the group
        QCOMPARE(modeCombo->currentIndex(), i % 2 ? 2 : 1); // what any member set last
        // Choose through this member's popup for the next one to show.
        const int next = (i + 1) % 2 ? 2 : 1;
        QVERIFY(pickInList(modeCombo, next));
        popup->close();
        leaveBoard();
        QTRY_VERIFY(!popup->isVisible());
    }
}

void TestMainFormPopups::popupPlacesFollowTheBoard()
{
    // A client of 1030 x 736 centres the 400 x 370 picture at (315, 183): moved 120 right and 50
    // down from its layout place (195, 133).
    showWithClient(QSize(1030, 736));
    auto *board = form->findChild<TBoardImage *>(QStringLiteral("BoardImage1"));
    QCOMPARE(QPoint(board->HomeLeft(), board->HomeTop()), QPoint(195, 133));
    QTRY_COMPARE(board->pos(), QPoint(315, 183));

    hover(highlight("COMBaseHighlight"));
    auto *resources = form->findChild<TRadioPanel *>(QStringLiteral("COMBasePanel"));
    QTRY_VERIFY(resources->isVisible());
    QCOMPARE(resources->window()->pos(), QPoint(656, 58));
    resources->window()->close();
    leaveBoard();

    hover(highlight("ModeHighlight3"));
    auto *mode = form->findChild<TRadioPanel *>(QStringLiteral("ModePanel"));
    QTRY_VERIFY(mode->isVisible());
    QCOMPARE(mode->window()->pos(), QPoint(392, 26));
}

QTEST_MAIN(TestMainFormPopups)
#include "tst_main_form_popups.moc"
