#include "highlight_fixture.h"

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <functional>

class TestBoardHighlight : public QObject
{
    Q_OBJECT

    // Moves the real pointer to a place and lets it come to rest there the way a hand does, over a
    // few pixels, rather than in one jump: a single notification may go to the window manager while
    // it still holds the pointer after closing a window.
    static void movePointer(const QPoint &to)
    {
        for (int dx = 4; dx >= 0; --dx) {
            QCursor::setPos(to + QPoint(dx, 0));
            QTest::qWait(30);
        }
    }

private slots:
    void defaultsAndColourTable()
    {
        TBoardHighlight h;
        QCOMPARE(h.size(), QSize(65, 65));
        QCOMPARE(h.HighlightType(), TBoardHighlight::htSettings);
        QCOMPARE(h.ringColor(), QColor(255, 255, 0));
        QCOMPARE(h.idleIntensity(), 0.5f);
        QCOMPARE(h.litIntensity(), 0.75f);
        QCOMPARE(h.glowIntensity(), 1.0f);
        QVERIFY(h.CreatePopup());
        QVERIFY(!h.Hovered() && !h.Pinned() && !h.Active() && !h.Initialized());
        QVERIFY(!h.popup() && !h.menu() && !h.RadioPanel());
        QCOMPARE(h.idleImage().size(), QSize(0, 0));
        QCOMPARE(QString::fromLatin1(h.metaObject()->className()), QStringLiteral("TBoardHighlight"));
        QCOMPARE(int(sizeof(TBoardHighlight::THighlightType)), 1);

        h.setHighlightType(TBoardHighlight::htOptions);
        QCOMPARE(h.ringColor(), QColor(0, 0, 255));
        QCOMPARE(h.idleIntensity(), 0.25f);
        QCOMPARE(h.litIntensity(), 0.5f);
        QCOMPARE(h.glowIntensity(), 1.0f);
        h.setHighlightType(TBoardHighlight::htCalibration);
        QCOMPARE(h.ringColor(), QColor(255, 0, 0));
        QCOMPARE(h.idleIntensity(), 0.5f);
        QCOMPARE(h.litIntensity(), 0.75f);
        h.setHighlightType(TBoardHighlight::htSettings);
        QCOMPARE(h.ringColor(), QColor(255, 255, 0));
    }

    void derivedStrings_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("stem");
        QTest::newRow("slash") << "Protocol/Mode"
                               << "Protocol/Mode"
                               << "ProtocolMode";
        QTest::newRow("hash") << "Serial Connector #1"
                              << "Serial Connector #1"
                              << "SerialConnector1";
        QTest::newRow("blanks") << "Control Base Address"
                                << "Control Base Address"
                                << "ControlBaseAddress";
        QTest::newRow("identifier") << "Load"
                                    << "Load"
                                    << "Load";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("ampersands") << "&Baud && Clock"
                                    << "Baud  Clock"
                                    << "BaudClock";
        QTest::newRow("leading digits") << "42 Ports_x"
                                        << "42 Ports_x"
                                        << "Ports_x";
        QTest::newRow("no letter") << "#1 2"
                                   << "#1 2"
                                   << "";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Über Tür") << QString::fromUtf8("Über Tür")
                                   << "berTr";
    }
    void derivedStrings()
    {
        QFETCH(QString, title);
        QFETCH(QString, caption);
        QFETCH(QString, stem);
        TBoardHighlight h;
        h.setTitle(title);
        QCOMPARE(h.Title(), title);
        QCOMPARE(h.PopupCaption(), caption);
        QCOMPARE(h.NameStem(), stem);
    }

    void firstPaintBuildsImagesFromTheBoard()
    {
        BoardWindow w;
        TBoardHighlight *h = w.addHighlight(QStringLiteral("BaseHighlight"),
                                            QStringLiteral("Control Base Address"), QRect(20, 30, 65, 65));
        TBoardHighlight *thin =
            w.addHighlight(QStringLiteral("ThinHighlight"), QStringLiteral("Thin"), QRect(100, 30, 1, 65));
        w.paint();
        QVERIFY(h->Initialized());
        QCOMPARE(h->idleImage().size(), QSize(65, 65));
        QCOMPARE(QColor(h->idleImage().pixel(32, 32)), QColor(138, 138, 118));
        QCOMPARE(QColor(h->idleImage().pixel(0, 0)), QColor(128, 128, 128));
        QCOMPARE(QColor(h->glowImage().pixel(60, 32)), QColor(255, 255, 255));
        QCOMPARE(h->menu(), w.bar);
        // A strip one pixel wide paints the photograph beneath it without a ring.
        QVERIFY(thin->Initialized());
        QCOMPARE(thin->idleImage().size(), QSize(1, 65));
        QCOMPARE(QColor(thin->litImage().pixel(0, 32)), QColor(128, 128, 128));

        // Later paints never rebuild, even after a change of type.
        h->setHighlightType(TBoardHighlight::htOptions);
        w.paint();
        QCOMPARE(QColor(h->idleImage().pixel(32, 32)), QColor(138, 138, 118));
    }

    void highlightOffTheBoard()
    {
        // Parent is not a board picture: the parent's background, no menu, a group of one.
        QWidget plain;
        plain.resize(200, 200);
        QPalette palette = plain.palette();
        palette.setColor(QPalette::Window, QColor(10, 20, 30));
        plain.setPalette(palette);
        auto *h = new TBoardHighlight(&plain);
        auto *twin = new TBoardHighlight(&plain);
        h->setTitle(QStringLiteral("Alone"));
        twin->setTitle(QStringLiteral("Alone"));
        (void)plain.grab();
        QVERIFY(h->Initialized());
        QVERIFY(!h->menu());
        QCOMPARE(QColor(h->idleImage().pixel(0, 0)), QColor(10, 20, 30));
        QCOMPARE(h->group(), QList<TBoardHighlight *>{h});
        h->Enter(false);
        QVERIFY(h->popup());
        QVERIFY(!twin->Hovered());
        h->popup()->close();
    }

    void groupLightsTogetherAndSharesOnePopup()
    {
        BoardWindow w;
        QList<TBoardHighlight *> modes;
        for (int i = 0; i < 8; ++i)
            modes << w.addHighlight(QStringLiteral("ModeHighlight%1").arg(i), QStringLiteral("Protocol/Mode"),
                                    QRect(10 + 40 * i, 300, 30, 30));
        TBoardHighlight *load = w.addHighlight(QStringLiteral("LoadHighlight0"), QStringLiteral("Load"));
        TBoardHighlight *other =
            w.addHighlight(QStringLiteral("ModeOptions"), QStringLiteral("Protocol/Mode"),
                           QRect(0, 0, 65, 65), TBoardHighlight::htOptions);
        w.paint();
        QCOMPARE(modes.first()->group(), modes);

        QCursor::setPos(0, 0);
        modes[3]->Enter(false);
        for (TBoardHighlight *m : modes)
            QVERIFY(m->Hovered());
        QVERIFY(!load->Hovered());
        QVERIFY(!other->Hovered());
        QVERIFY(modes[3]->popup());
        QVERIFY(modes[3]->popup()->isVisible());
        for (TBoardHighlight *m : modes) {
            if (m != modes[3])
                QVERIFY(!m->popup());
        }
        // Hovering another member opens no second popup, even after the first one closed.
        modes[3]->popup()->close();
        for (TBoardHighlight *m : modes)
            QVERIFY(!m->Hovered());
        // The group's popup comes back through its creator, which the walk over the group reaches.
        modes[5]->Enter(false);
        QVERIFY(!modes[5]->popup());
        QVERIFY(modes[3]->popup()->isVisible());
        for (TBoardHighlight *m : modes)
            QVERIFY(m->Hovered());
        // Leaving a member closes the creator's unpinned popup and the group returns to idle.
        modes[5]->Leave(false);
        for (TBoardHighlight *m : modes)
            QVERIFY(!m->Hovered());
        // Entering the creator again shows the same popup.
        TPopupForm *popup = modes[3]->popup();
        modes[0]->Enter(false);
        QVERIFY(popup->isVisible());
        QCOMPARE(modes[3]->popup(), popup);
    }

    void pinningAndClosing()
    {
        BoardWindow w;
        TBoardHighlight *a =
            w.addHighlight(QStringLiteral("A0"), QStringLiteral("Load"), QRect(10, 10, 30, 30));
        TBoardHighlight *b =
            w.addHighlight(QStringLiteral("A1"), QStringLiteral("Load"), QRect(50, 10, 30, 30));
        w.paint();
        QCursor::setPos(799, 599);
        QCOMPARE(QCursor::pos(), QPoint(799, 599));

        // By click: stays open and lit after the pointer leaves.
        QSignalSpy clicks(a, &TBoardHighlight::OnClick);
        a->Enter(false);
        a->click();
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks.first().first().value<QObject *>(), a);
        QVERIFY(a->Pinned());
        a->Leave(false);
        QVERIFY(a->popup()->isVisible());
        QVERIFY(a->Hovered() && b->Hovered());
        // Done closes it; the group is idle, Pinned stays as it was until the next show.
        popupButton(a, "DoneButton")->click();
        QVERIFY(a->popup()->isHidden());
        QVERIFY(!a->Hovered() && !b->Hovered());
        QVERIFY(!a->popup()->CloseOnLeave());
        // Shown again: no longer pinned.
        b->Enter(false);
        QVERIFY(a->popup()->isVisible());
        QVERIFY(!a->Pinned());

        // By moving into the popup: pinned with CloseOnLeave; leaving the popup then closes it.
        TPopupForm *popup = a->popup();
        const QRect outer = popup->frameGeometry();
        QCursor::setPos(outer.topLeft());
        b->Leave(false);
        QVERIFY(a->Pinned());
        QVERIFY(popup->CloseOnLeave());
        QVERIFY(popup->isVisible());
        QEvent leaveInside(QEvent::Leave);
        QApplication::sendEvent(popup, &leaveInside);
        QVERIFY(popup->isVisible());
        // The right edge lies outside.
        QCursor::setPos(outer.right() + 1, outer.top());
        QEvent leaveOutside(QEvent::Leave);
        QApplication::sendEvent(popup, &leaveOutside);
        QVERIFY(popup->isHidden());
        QVERIFY(!popup->CloseOnLeave());
        QVERIFY(!a->Hovered());

        // Without CloseOnLeave leaving the popup changes nothing.
        a->Enter(false);
        a->click();
        QApplication::sendEvent(popup, &leaveOutside);
        QVERIFY(popup->isVisible());
        popup->close();
    }

    void clickByPointer()
    {
        BoardWindow w;
        TBoardHighlight *h =
            w.addHighlight(QStringLiteral("H"), QStringLiteral("Port Disable"), QRect(10, 10, 40, 40));
        w.paint();
        QCursor::setPos(799, 599);
        h->Enter(false);
        QTest::mouseClick(h, Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(h->Pinned());
        // A press inside that is released outside is no click.
        h->popup()->close();
        h->Enter(false);
        QTest::mousePress(h, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseRelease(h, Qt::LeftButton, {}, QPoint(60, 20));
        QVERIFY(!h->Pinned());
        h->popup()->close();
    }

    void activationLightsTheGroup()
    {
        BoardWindow w;
        TBoardHighlight *a =
            w.addHighlight(QStringLiteral("A0"), QStringLiteral("Load"), QRect(10, 10, 30, 30));
        TBoardHighlight *x =
            w.addHighlight(QStringLiteral("X"), QStringLiteral("Other"), QRect(30, 10, 30, 30));
        TBoardHighlight *b =
            w.addHighlight(QStringLiteral("A1"), QStringLiteral("Load"), QRect(50, 10, 30, 30));
        w.paint();
        a->SetActive(true, true);
        QVERIFY(a->Active() && b->Active());
        QVERIFY(!x->Active());
        // Both members were raised above the other highlight, each once.
        const QObjectList children = w.board->children();
        QVERIFY(children.indexOf(x) < children.indexOf(a));
        QVERIFY(children.indexOf(x) < children.indexOf(b));
        a->SetActive(false, true);
        QVERIFY(!a->Active() && !b->Active());

        // The popup becoming the active window lights the group with the glow image.
        w.window->show();
        a->Enter(false);
        a->popup()->activateWindow();
        QTRY_VERIFY(a->popup()->isActiveWindow());
        QVERIFY(a->Active() && b->Active());
        w.window->activateWindow();
        QTRY_VERIFY(!a->Active());
        QVERIFY(!b->Active());
        a->popup()->close();
    }

    void radioPanelLinkRules()
    {
        BoardWindow w;
        TRadioPanel *loadPanel = w.addPanel(QStringLiteral("LoadPanel"), QRect(10, 10, 200, 100));
        TRadioPanel *dfPanel = w.addPanel(QStringLiteral("DFPanel"), QRect(10, 10, 200, 100));
        TBoardHighlight *load0 = w.addHighlight(QStringLiteral("LoadHighlight0"), QStringLiteral("Load"));
        TBoardHighlight *load1 = w.addHighlight(QStringLiteral("LoadHighlight1"), QStringLiteral("Load"));
        TBoardHighlight *df = w.addHighlight(QStringLiteral("DFHighlight"), QStringLiteral("Port Disable"));
        TBoardHighlight *loadOptions = w.addHighlight(QStringLiteral("LoadOptions"), QStringLiteral("Load"),
                                                      QRect(0, 0, 9, 9), TBoardHighlight::htOptions);
        load0->setRadioPanel(loadPanel);
        QCOMPARE(load0->RadioPanel(), loadPanel);
        load1->setRadioPanel(loadPanel); // same group: allowed
        QCOMPARE(load1->RadioPanel(), loadPanel);
        df->setRadioPanel(dfPanel);
        df->setRadioPanel(loadPanel); // another title: refused, old link kept
        QCOMPARE(df->RadioPanel(), dfPanel);
        loadOptions->setRadioPanel(loadPanel); // same title, other type: refused
        QVERIFY(!loadOptions->RadioPanel());
        df->setRadioPanel(nullptr);
        QVERIFY(!df->RadioPanel());
    }

    void showFirstOpensAndPins()
    {
        BoardWindow w;
        TRadioPanel *panel = w.addPanel(QStringLiteral("BasePanel"), QRect(20, 80, 250, 150));
        TBoardHighlight *first =
            w.addHighlight(QStringLiteral("BaseHighlight"), QStringLiteral("Control Base Address"));
        first->setRadioPanel(panel);
        w.board->setFirst(first);
        w.paint();
        QCursor::setPos(799, 599);
        QCoreApplication::sendEvent(w.board, std::make_unique<QEvent>(TBoardImage::showFirstEvent()).get());
        QVERIFY(first->popup());
        QVERIFY(first->popup()->isVisible());
        QVERIFY(first->Pinned());
        QVERIFY(first->Hovered());
        QCOMPARE(panel->parentWidget(), first->popup());
        QVERIFY(panel->InPopup());
        QVERIFY(panel->isVisible());
        // Closing hides the panel with the popup; it stays in the popup.
        first->popup()->close();
        QVERIFY(!panel->isVisible());
        QCOMPARE(panel->parentWidget(), first->popup());
    }

    void createPopupOff()
    {
        BoardWindow w;
        TBoardHighlight *h = w.addHighlight(QStringLiteral("H"), QStringLiteral("Quiet"));
        h->setCreatePopup(false);
        w.paint();
        h->Enter(false);
        QVERIFY(h->Hovered());
        QVERIFY(!h->popup());
        h->click();
        h->Leave(false);
        QVERIFY(!h->Pinned());
    }

    void deletingAnOpenPopupsOwner()
    {
        BoardWindow w;
        TBoardHighlight *a = w.addHighlight(QStringLiteral("A0"), QStringLiteral("Load"));
        w.addHighlight(QStringLiteral("A1"), QStringLiteral("Load"));
        w.paint();
        a->Enter(false);
        a->click();
        QPointer<TPopupForm> popup = a->popup();
        delete a;
        QVERIFY(popup.isNull());
    }

    void paintedImageFollowsTheState()
    {
        BoardWindow w;
        TBoardHighlight *h =
            w.addHighlight(QStringLiteral("H"), QStringLiteral("Load"), QRect(40, 40, 65, 65));
        h->setRadioPanel(w.addPanel(QStringLiteral("LoadPanel"), QRect(400, 300, 120, 60)));
        w.window->show();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        const auto painted = [&w, h] {
            return w.window->grab(QRect(h->mapTo(w.window.get(), QPoint()), h->size()))
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        };
        const auto activate = [](QWidget *window) {
            window->activateWindow();
            QTRY_VERIFY(window->isActiveWindow());
        };
        struct Step
        {
            const char *state;
            std::function<void()> act;
            QImage (TBoardHighlight::*image)() const;
        };
        const Step steps[] = {
            {"idle", [] {}, &TBoardHighlight::idleImage},
            {"hovered, its popup not the active window",
             [&] {
                 h->Enter(false);
                 activate(w.window.get());
             },
             &TBoardHighlight::litImage},
            {"pinned, its popup active",
             [&] {
                 h->click();
                 activate(h->popup());
             },
             &TBoardHighlight::glowImage},
            {"pinned, the main window active", [&] { activate(w.window.get()); }, &TBoardHighlight::litImage},
            {"closed", [&] { h->popup()->close(); }, &TBoardHighlight::idleImage},
        };
        for (const Step &step : steps) {
            step.act();
            QVERIFY2(painted() == (h->*step.image)().convertToFormat(QImage::Format_RGB32), step.state);
        }
    }

    void realPointer()
    {
        // The window system's own enter and leave notifications; run under an X server
        // (QT_QPA_PLATFORM=xcb) where QCursor::setPos moves the real pointer.
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs a window system with a real pointer");
        BoardWindow w;
        w.window->move(0, 0);
        TBoardHighlight *h =
            w.addHighlight(QStringLiteral("H"), QStringLiteral("Load"), QRect(20, 20, 60, 60));
        TRadioPanel *panel = w.addPanel(QStringLiteral("LoadPanel"), QRect(240, 170, 200, 100));
        h->setRadioPanel(panel);
        const QPoint away(650, 20);
        QCursor::setPos(away);
        w.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        // On the highlight's left part, which the popup does not cover.
        const QPoint onHighlight = h->mapToGlobal(QPoint(10, 30));
        movePointer(onHighlight);
        QTRY_VERIFY(h->popup() && h->popup()->isVisible());
        // Away, not into the popup: closed.
        movePointer(away);
        QTRY_VERIFY(h->popup()->isHidden());
        QVERIFY(!h->Hovered());
        // Back, then straight into the popup: pinned; out of it again: closed.
        movePointer(onHighlight);
        QTRY_VERIFY(h->popup()->isVisible());
        // Shown again, the window may tell its old size for a moment: into it once it has its own.
        QTRY_COMPARE(h->popup()->size(), h->popup()->minimumSize());
        movePointer(h->popup()->geometry().center());
        QTRY_VERIFY(h->Pinned());
        QVERIFY(h->popup()->CloseOnLeave());
        QTest::qWait(100);
        movePointer(away);
        QTRY_VERIFY(h->popup()->isHidden());
    }

    void pictures()
    {
        // Pictures to look at: set HIGHLIGHT_PNG_DIR to keep them.
        const QString dir = qEnvironmentVariable("HIGHLIGHT_PNG_DIR");
        if (dir.isEmpty())
            QSKIP("HIGHLIGHT_PNG_DIR not set");
        QDir().mkpath(dir);
        BoardWindow w;
        QFile jpeg(QStringLiteral(TR4410_SOURCE_DIR "/assets/board.jpg"));
        QVERIFY(jpeg.open(QIODevice::ReadOnly));
        QVERIFY(w.board->loadJpeg(jpeg.readAll()));
        TBoardHighlight *yellow =
            w.addHighlight(QStringLiteral("Y"), QStringLiteral("Load"), QRect(40, 40, 90, 70));
        TBoardHighlight *blue = w.addHighlight(QStringLiteral("B"), QStringLiteral("Serial Connector #1"),
                                               QRect(160, 40, 90, 70), TBoardHighlight::htOptions);
        TBoardHighlight *red = w.addHighlight(QStringLiteral("R"), QStringLiteral("Cal"),
                                              QRect(280, 40, 90, 70), TBoardHighlight::htCalibration);
        w.paint();
        QImage sheet(3 * 100, 3 * 80, QImage::Format_RGB32);
        sheet.fill(Qt::black);
        QPainter painter(&sheet);
        int row = 0;
        for (TBoardHighlight *h : {yellow, blue, red}) {
            painter.drawImage(0, row * 80, h->idleImage());
            painter.drawImage(100, row * 80, h->litImage());
            painter.drawImage(200, row * 80, h->glowImage());
            ++row;
        }
        painter.end();
        QVERIFY(sheet.scaled(900, 720).save(dir + QStringLiteral("/rings.png")));
        yellow->Enter(false);
        blue->SetActive(true, false);
        blue->Enter(false);
        QVERIFY(w.window->grab().save(dir + QStringLiteral("/board.png")));
    }
};

QTEST_MAIN(TestBoardHighlight)
#include "tst_board_highlight.moc"
