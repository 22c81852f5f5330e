#include "highlight_fixture.h"

#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QtTest>

class TestPopupForm : public QObject
{
    Q_OBJECT

    static QSize screenSize() { return QGuiApplication::primaryScreen()->geometry().size(); }

    // Under a window manager a popup's frame is known only once it has been framed and shown, and
    // may be told in steps: the popup has settled half a second after the first.
    static bool framed(const TPopupForm *popup)
    {
        if (!popup)
            return false;
        if (qEnvironmentVariableIsEmpty("TR4410_WINDOW_MANAGER"))
            return true;
        const bool known = QTest::qWaitFor([popup] { return popup->frameGeometry() != popup->geometry(); });
        QTest::qWait(600);
        return known;
    }

private slots:
    void init() { QCursor::setPos(screenSize().width() - 1, screenSize().height() - 1); }

    void geometryWithAPanel()
    {
        BoardWindow w;
        TRadioPanel *panel = w.addPanel(QStringLiteral("COMBasePanel"), QRect(100, 60, 265, 217), 124);
        panel->setLines({QStringLiteral("First line"), QStringLiteral("Second line")});
        panel->setFinalAnchors(Anchors::akLeft | Anchors::akTop | Anchors::akRight);
        TBoardHighlight *h =
            w.addHighlight(QStringLiteral("COMBaseHighlight"), QStringLiteral("Port &Resources"));
        h->setRadioPanel(panel);
        w.paint();
        h->Enter(false);

        TPopupForm *popup = h->popup();
        QVERIFY(popup);
        QCOMPARE(QString::fromLatin1(popup->metaObject()->className()), QStringLiteral("TPopupForm"));
        QCOMPARE(popup->Highlight(), h);
        QCOMPARE(popup->parent(), h);
        QVERIFY(popup->isWindow());
        QVERIFY(popup->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(popup->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        QCOMPARE(popup->windowTitle(), QStringLiteral("Port Resources"));
        QCOMPARE(popup->Tag(), 1);
        QCOMPARE(popup->size(), QSize(265, 392));
        QCOMPARE(popup->minimumSize(), QSize(265, 392));

        QCOMPARE(panel->parentWidget(), popup);
        QCOMPARE(panel->geometry(), QRect(0, 0, 265, 217));
        QVERIFY(panel->isVisible());
        QVERIFY(panel->InPopup());
        QCOMPARE(panel->Anchors(), Anchors::akLeft | Anchors::akTop | Anchors::akRight);

        auto *memo = popup->findChild<QPlainTextEdit *>(QStringLiteral("StatusMemo"));
        QVERIFY(memo);
        QCOMPARE(memo->geometry(), QRect(6, 218, 253, 124));
        QVERIFY(memo->isReadOnly());
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(memo->toPlainText(), QStringLiteral("First line\nSecond line"));
        QCOMPARE(Anchoring::anchors(memo),
                 Anchors::akLeft | Anchors::akTop | Anchors::akRight | Anchors::akBottom);

        QStatusBar *status = popup->PopupStatus();
        QVERIFY(status);
        QCOMPARE(status->objectName(), QStringLiteral("PopupStatus"));
        QCOMPARE(status->geometry(), QRect(0, 373, 265, 19));
        QCOMPARE(Anchoring::anchors(status), Anchors::akLeft | Anchors::akRight | Anchors::akBottom);

        QPushButton *previous = popupButton(h, "PreviousButton");
        QPushButton *next = popupButton(h, "NextButton");
        QPushButton *done = popupButton(h, "DoneButton");
        QVERIFY(previous && next && done);
        QCOMPARE(previous->text(), QStringLiteral("Previous"));
        QCOMPARE(next->text(), QStringLiteral("Next"));
        QCOMPARE(done->text(), QStringLiteral("Done"));
        QCOMPARE(previous->geometry(), QRect(6, 348, 58, 25));
        QCOMPARE(next->geometry(), QRect(103, 348, 58, 25));
        QCOMPARE(done->geometry(), QRect(201, 348, 58, 25));
        QCOMPARE(Anchoring::anchors(previous), Anchors::akLeft | Anchors::akBottom);
        QCOMPARE(Anchoring::anchors(next), TAnchors(Anchors::akBottom));
        QCOMPARE(Anchoring::anchors(done), Anchors::akRight | Anchors::akBottom);

        // Enlarged, the controls follow their anchors: the memo grows, Next stays centred.
        popup->resize(305, 422);
        QCOMPARE(memo->geometry(), QRect(6, 218, 293, 154));
        QCOMPARE(done->geometry(), QRect(241, 378, 58, 25));
        QCOMPARE(previous->geometry(), QRect(6, 378, 58, 25));
        QVERIFY(qAbs(next->geometry().center().x() - 305 / 2) <= 1);
        QCOMPARE(status->geometry(), QRect(0, 403, 305, 19));
        popup->resize(265, 392);

        // Placed where the panel stood, moved as far as the board moved since its first paint.
        QCOMPARE(w.board->HomeLeft(), 195);
        QCOMPARE(popup->frameGeometry().topLeft(), QPoint(100, 60));
        // Shown again, it stays where it last was.
        popup->close();
        w.board->move(215, 143);
        h->Enter(false);
        QCOMPARE(h->popup(), popup);
        QCOMPARE(popup->frameGeometry().topLeft(), QPoint(100, 60));
    }

    void placementFollowsTheBoard()
    {
        BoardWindow w;
        TRadioPanel *panel = w.addPanel(QStringLiteral("ClockPanel"), QRect(100, 60, 200, 100));
        TBoardHighlight *h =
            w.addHighlight(QStringLiteral("ClockHighlight"), QStringLiteral("Baud Clock Rate"));
        h->setRadioPanel(panel);
        w.paint();
        w.board->move(225, 113); // 30 right, 20 up since the first paint
        h->Enter(false);
        QCOMPARE(h->popup()->pos(), QPoint(130, 40));
    }

    void smallPanelGetsTheLeastSize()
    {
        BoardWindow w;
        TRadioPanel *panel = w.addPanel(QStringLiteral("DFPanel"), QRect(10, 10, 120, 20), 0);
        TBoardHighlight *h = w.addHighlight(QStringLiteral("DFHighlight"), QStringLiteral("Port Disable"));
        h->setRadioPanel(panel);
        w.paint();
        h->Enter(false);
        TPopupForm *popup = h->popup();
        QVERIFY(framed(popup));
        // The least size counts the frame, where the platform draws one.
        const QSize frame = popup->frameGeometry().size() - popup->size();
        QCOMPARE(popup->frameGeometry().size(), QSize(194, 122));
        QCOMPARE(popup->minimumSize(), QSize(194, 122) - frame);
        // Can be enlarged, not shrunk.
        popup->resize(10, 10);
        QCOMPARE(popup->frameGeometry().size(), QSize(194, 122));
        popup->resize(300, 200);
        QCOMPARE(popup->size(), QSize(300, 200));
        popup->close();
    }

    void withoutAPanel()
    {
        BoardWindow w;
        TBoardHighlight *h =
            w.addHighlight(QStringLiteral("SerialHighlight1"), QStringLiteral("Serial Connector #1"),
                           QRect(10, 10, 65, 65), TBoardHighlight::htOptions);
        w.paint();
        w.window->show();
        h->Enter(false);
        TPopupForm *popup = h->popup();
        QVERIFY(framed(popup));
        QVERIFY(popup);
        QCOMPARE(popup->Tag(), 0);
        QCOMPARE(popup->frameGeometry().size(), QSize(194, 141));
        // 38 pixels below the board picture, at its left edge: 133 + 370 + 38.
        QCOMPARE(popup->frameGeometry().topLeft(), QPoint(195, 541));
        auto *memo = popup->findChild<QPlainTextEdit *>(QStringLiteral("StatusMemo"));
        const QSize client = popup->size();
        QCOMPARE(memo->geometry(), QRect(6, client.height() - 44 - 6 - 58, client.width() - 12, 58));
        QVERIFY(memo->toPlainText().isEmpty());
        QPushButton *done = popupButton(h, "DoneButton");
        QTRY_VERIFY(popup->isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), done);
        // The title bar offers closing alone: no minimise or maximise function or button asked for.
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(popup->winId())});
        const QStringList hints =
            xprop.waitForFinished() ? QString::fromLatin1(xprop.readAll()).split(u'\n') : QStringList();
        const QStringList motif =
            hints.filter(QStringLiteral("_MOTIF_WM_HINTS")).value(0).section(u'=', 1).split(u',');
        QVERIFY2(qEnvironmentVariableIsEmpty("TR4410_WINDOW_MANAGER") ||
                     ((motif.value(1).toUInt(nullptr, 16) & 0x39u) == 0x20u &&
                      (motif.value(2).toUInt(nullptr, 16) & 0x69u) == 0x8u),
                 qPrintable(motif.join(u',')));
    }

    void keptOnTheScreen()
    {
        const QSize screen = screenSize();
        BoardWindow w;
        // Left of the screen: -20 becomes 0.
        TRadioPanel *left = w.addPanel(QStringLiteral("LeftPanel"), QRect(-20, 10, 200, 100));
        // Past the right and bottom edges: moved back so that the edges touch.
        TRadioPanel *right = w.addPanel(QStringLiteral("RightPanel"),
                                        QRect(screen.width() - 50, screen.height() - 30, 200, 100));
        // Above the screen.
        TRadioPanel *top = w.addPanel(QStringLiteral("TopPanel"), QRect(40, -5, 200, 100));
        TBoardHighlight *hl = w.addHighlight(QStringLiteral("L"), QStringLiteral("Left"));
        TBoardHighlight *hr = w.addHighlight(QStringLiteral("R"), QStringLiteral("Right"));
        TBoardHighlight *ht = w.addHighlight(QStringLiteral("T"), QStringLiteral("Top"));
        hl->setRadioPanel(left);
        hr->setRadioPanel(right);
        ht->setRadioPanel(top);
        w.paint();
        hl->Enter(false);
        QVERIFY(framed(hl->popup()));
        QTRY_COMPARE(hl->popup()->frameGeometry().topLeft(), QPoint(0, 10));
        hr->Enter(false);
        QVERIFY(framed(hr->popup()));
        QTRY_COMPARE(hr->popup()->frameGeometry().bottomRight(),
                     QPoint(screen.width() - 1, screen.height() - 1));
        ht->Enter(false);
        QVERIFY(framed(ht->popup()));
        QTRY_COMPARE(ht->popup()->frameGeometry().topLeft(), QPoint(40, 0));
    }

    void focusGoesToThePanel()
    {
        BoardWindow w;
        TRadioPanel *panel = w.addPanel(QStringLiteral("BasePanel"), QRect(10, 10, 200, 100));
        auto *edit = new QLineEdit(panel);
        edit->setObjectName(QStringLiteral("BaseEdit"));
        TBoardHighlight *h =
            w.addHighlight(QStringLiteral("BaseHighlight"), QStringLiteral("Control Base Address"));
        h->setRadioPanel(panel);
        w.paint();
        w.window->show();
        h->Enter(false);
        QTRY_VERIFY(h->popup()->isActiveWindow());
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus == panel || panel->isAncestorOf(focus));
    }

    void duplicateCaptionAndTag()
    {
        BoardWindow w;
        // Another window of the application with the caption of an htOptions group and no tag.
        QWidget other;
        other.setWindowTitle(QStringLiteral("Serial Connector #2"));
        TBoardHighlight *options =
            w.addHighlight(QStringLiteral("SerialHighlight2"), QStringLiteral("Serial Connector #&2"),
                           QRect(10, 10, 65, 65), TBoardHighlight::htOptions);
        // The same caption for an htSettings group (tag 1) is no clash.
        TBoardHighlight *settings =
            w.addHighlight(QStringLiteral("SettingsTwin"), QStringLiteral("Serial Connector #2"));
        w.paint();
        options->Enter(false);
        QVERIFY(!options->popup());
        QVERIFY(options->Hovered());
        settings->Enter(false);
        QVERIFY(settings->popup());
        settings->popup()->close();
        options->Leave(false);
        QVERIFY(!options->popup());
    }

    void popupActivationRaisesThePanelsEvents()
    {
        BoardWindow w;
        TRadioPanel *panel = w.addPanel(QStringLiteral("ModePanel"), QRect(10, 10, 200, 100));
        TBoardHighlight *h =
            w.addHighlight(QStringLiteral("ModeHighlight0"), QStringLiteral("Protocol/Mode"));
        h->setRadioPanel(panel);
        QSignalSpy activated(panel, &TRadioPanel::OnActivate);
        QSignalSpy deactivated(panel, &TRadioPanel::OnDeactivate);
        w.paint();
        w.window->show();
        w.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        h->Enter(false);
        QTRY_COMPARE(activated.size(), 1);
        QCOMPARE(activated.first().first().value<QObject *>(), h->popup());
        QVERIFY(h->Active());
        w.window->activateWindow();
        QTRY_COMPARE(deactivated.size(), 1);
        QVERIFY(!h->Active());
    }

    void closeBoxRunsPopupClosedFirst()
    {
        BoardWindow w;
        TBoardHighlight *h = w.addHighlight(QStringLiteral("LoadHighlight0"), QStringLiteral("Load"));
        w.paint();
        h->Enter(false);
        h->click();
        TPopupForm *popup = h->popup();
        popup->setCloseOnLeave(true);
        bool visibleWhenClosed = false;
        bool hoveredWhenHidden = true;
        connect(popup, &TPopupForm::OnClose, this, [&] { visibleWhenClosed = popup->isVisible(); });
        QSignalSpy closes(popup, &TPopupForm::OnClose);
        QCloseEvent closeBox;
        QApplication::sendEvent(popup, &closeBox);
        QVERIFY(closeBox.isAccepted());
        popup->hide(); // what the window system does after an accepted close
        hoveredWhenHidden = h->Hovered();
        QCOMPARE(closes.size(), 1);
        QVERIFY(visibleWhenClosed);
        QVERIFY(!hoveredWhenHidden);
        QVERIFY(!popup->CloseOnLeave());
        // Hidden, not destroyed.
        QVERIFY(h->popup());
        QVERIFY(!popup->testAttribute(Qt::WA_DeleteOnClose));
    }

    void picture()
    {
        const QString dir = qEnvironmentVariable("HIGHLIGHT_PNG_DIR");
        if (dir.isEmpty())
            QSKIP("HIGHLIGHT_PNG_DIR not set");
        BoardWindow w;
        TRadioPanel *panel = w.addPanel(QStringLiteral("COMBasePanel"), QRect(100, 60, 265, 217), 124);
        auto *label = new QLabel(QStringLiteral("Base address of port A:"), panel);
        label->move(10, 10);
        panel->setLines(
            {QStringLiteral("Each port takes eight addresses."), QStringLiteral("Pick an unused range.")});
        TBoardHighlight *h =
            w.addHighlight(QStringLiteral("COMBaseHighlight"), QStringLiteral("Port Resources"));
        h->setRadioPanel(panel);
        w.paint();
        h->Enter(false);
        QVERIFY(h->popup()->grab().save(dir + QStringLiteral("/popup.png")));
        h->popup()->resize(400, 450);
        QVERIFY(h->popup()->grab().save(dir + QStringLiteral("/popup_resized.png")));
        TBoardHighlight *bare = w.addHighlight(QStringLiteral("Bare"), QStringLiteral("Serial Connector #1"),
                                               QRect(80, 80, 60, 60), TBoardHighlight::htOptions);
        w.paint();
        bare->Enter(false);
        QVERIFY(bare->popup()->grab().save(dir + QStringLiteral("/popup_bare.png")));
    }
};

QTEST_MAIN(TestPopupForm)
#include "tst_popup_form.moc"
