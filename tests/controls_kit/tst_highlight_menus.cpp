#include "highlight_fixture.h"
#include "menu_item.h"

#include <QCursor>
#include <QScreen>
#include <QtTest>

// A class derived from the menu item, with a class name of its own.
class TDerivedMenuItem : public TMenuItem
{
    Q_OBJECT
public:
    using TMenuItem::TMenuItem;
};

class TestHighlightMenus : public QObject
{
    Q_OBJECT

    static QStringList itemTexts(const QMenu *menu)
    {
        QStringList texts;
        for (const QAction *action : menu->actions())
            texts << action->text();
        return texts;
    }

    static QStringList itemNames(const QMenu *menu)
    {
        QStringList names;
        for (const QAction *action : menu->actions())
            names << action->objectName();
        return names;
    }

    // The program's layout: six settings groups, two option groups.
    struct ProgramBoard : BoardWindow
    {
        QList<TBoardHighlight *> highlights;
        ProgramBoard()
        {
            const QStringList settings = {QStringLiteral("Control Base Address"),
                                          QStringLiteral("Protocol/Mode"),
                                          QStringLiteral("Load"),
                                          QStringLiteral("Baud Clock Rate"),
                                          QStringLiteral("Port Disable"),
                                          QStringLiteral("Port Resources")};
            int i = 0;
            for (const QString &title : settings) {
                const int members =
                    title == QLatin1String("Protocol/Mode") || title == QLatin1String("Load") ? 8 : 1;
                for (int m = 0; m < members; ++m) {
                    highlights << addHighlight(QStringLiteral("H%1").arg(i), title,
                                               QRect(5 * i, 5 * i, 20, 20));
                    ++i;
                }
            }
            highlights << addHighlight(QStringLiteral("SerialHighlight1"),
                                       QStringLiteral("Serial Connector #1"), QRect(300, 10, 40, 40),
                                       TBoardHighlight::htOptions);
            highlights << addHighlight(QStringLiteral("SerialHighlight2"),
                                       QStringLiteral("Serial Connector #2"), QRect(300, 60, 40, 40),
                                       TBoardHighlight::htOptions);
        }
        TBoardHighlight *byTitle(const QString &title, int member = 0) const
        {
            for (TBoardHighlight *h : highlights) {
                if (h->Title() == title && member-- == 0)
                    return h;
            }
            return nullptr;
        }
        // The highlight that owns the group's popup, if any.
        TBoardHighlight *creator(const QString &title) const
        {
            for (TBoardHighlight *h : highlights) {
                if (h->Title() == title && h->popup())
                    return h;
            }
            return nullptr;
        }
        bool popupOpen(const QString &title) const
        {
            const TBoardHighlight *h = creator(title);
            return h && h->popup()->isVisible();
        }
    };

private slots:
    void init()
    {
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QCursor::setPos(screen.width() - 1, screen.height() - 1);
    }

    void programMenus()
    {
        ProgramBoard w;
        w.paint();
        QCOMPARE(w.topCaptions(), (QStringList{QStringLiteral("&File"), QStringLiteral("&Settings"),
                                               QStringLiteral("&Options"), QStringLiteral("&Help")}));
        QMenu *settings = w.typeMenu(QStringLiteral("&Settings"));
        QMenu *options = w.typeMenu(QStringLiteral("&Options"));
        QCOMPARE(settings->objectName(), QStringLiteral("Settings1"));
        QCOMPARE(options->objectName(), QStringLiteral("Options1"));
        QCOMPARE(settings->parent(), w.window.get());
        QCOMPARE(itemTexts(settings),
                 (QStringList{QStringLiteral("Control Base Address"), QStringLiteral("Protocol/Mode"),
                              QStringLiteral("Load"), QStringLiteral("Baud Clock Rate"),
                              QStringLiteral("Port Disable"), QStringLiteral("Port Resources")}));
        QCOMPARE(itemNames(settings),
                 (QStringList{QStringLiteral("ControlBaseAddress1"), QStringLiteral("ProtocolMode1"),
                              QStringLiteral("Load1"), QStringLiteral("BaudClockRate1"),
                              QStringLiteral("PortDisable1"), QStringLiteral("PortResources1")}));
        QCOMPARE(itemNames(options),
                 (QStringList{QStringLiteral("SerialConnector11"), QStringLiteral("SerialConnector21")}));
        for (QAction *item : settings->actions()) {
            QCOMPARE(QString::fromLatin1(item->metaObject()->className()), QStringLiteral("TMenuItem"));
            QCOMPARE(item->parent(), w.window.get());
            QVERIFY(item->isCheckable());
            QVERIFY(!item->isChecked());
        }
        // A second paint adds nothing.
        w.paint();
        QCOMPARE(settings->actions().size(), 6);
        QCOMPARE(w.bar->actions().size(), 4);
    }

    void typeMenuPlaces()
    {
        BoardWindow w;
        auto *settings = w.addHighlight(QStringLiteral("S"), QStringLiteral("Load"));
        auto *options = w.addHighlight(QStringLiteral("O"), QStringLiteral("Info"), QRect(0, 0, 9, 9),
                                       TBoardHighlight::htOptions);
        auto *calibration = w.addHighlight(QStringLiteral("C"), QStringLiteral("&Run"), QRect(0, 0, 9, 9),
                                           TBoardHighlight::htCalibration);
        const auto paintOne = [](TBoardHighlight *h) { (void)h->grab(); };
        paintOne(settings);
        QCOMPARE(w.topCaptions(), (QStringList{QStringLiteral("&File"), QStringLiteral("&Settings"),
                                               QStringLiteral("&Help")}));
        paintOne(options);
        QCOMPARE(w.topCaptions(), (QStringList{QStringLiteral("&File"), QStringLiteral("&Settings"),
                                               QStringLiteral("&Options"), QStringLiteral("&Help")}));
        paintOne(calibration);
        QCOMPARE(w.topCaptions(), (QStringList{QStringLiteral("&File"), QStringLiteral("&Settings"),
                                               QStringLiteral("&Calibration"), QStringLiteral("&Options"),
                                               QStringLiteral("&Help")}));
        QCOMPARE(itemTexts(w.typeMenu(QStringLiteral("&Calibration"))), QStringList{QStringLiteral("&Run")});
        QCOMPARE(w.typeMenu(QStringLiteral("&Calibration"))->actions().first()->objectName(),
                 QStringLiteral("Run1"));
    }

    void typeMenuAtTheEndWithoutHelp()
    {
        BoardWindow w;
        w.bar->clear();
        w.bar->addMenu(QStringLiteral("&File"));
        w.bar->addMenu(QStringLiteral("&Tools"));
        auto *options = w.addHighlight(QStringLiteral("O"), QStringLiteral("Info"), QRect(0, 0, 9, 9),
                                       TBoardHighlight::htOptions);
        auto *settings = w.addHighlight(QStringLiteral("S"), QStringLiteral("Load"));
        (void)options->grab();
        (void)settings->grab();
        // Options is appended; Settings then goes before it.
        QCOMPARE(w.topCaptions(), (QStringList{QStringLiteral("&File"), QStringLiteral("&Tools"),
                                               QStringLiteral("&Settings"), QStringLiteral("&Options")}));
    }

    void namesTakenAlready()
    {
        BoardWindow w;
        auto *taken = new QObject(w.window.get());
        taken->setObjectName(QStringLiteral("Settings1"));
        auto *takenDeep = new QWidget(w.board);
        takenDeep->setObjectName(QStringLiteral("Load1"));
        auto *load = w.addHighlight(QStringLiteral("L"), QStringLiteral("Load"));
        auto *noLetters = w.addHighlight(QStringLiteral("N"), QStringLiteral("#1 / 2"));
        auto *noLetters2 = w.addHighlight(QStringLiteral("N2"), QStringLiteral("#3"));
        auto *empty = w.addHighlight(QStringLiteral("E"), QString());
        w.paint();
        QMenu *settings = w.typeMenu(QStringLiteral("&Settings"));
        QCOMPARE(settings->objectName(), QStringLiteral("Settings2"));
        // An empty title gets no item; a title without letters gets a usable name.
        QCOMPARE(itemNames(settings), (QStringList{QStringLiteral("Load2"), QStringLiteral("MenuItem1"),
                                                   QStringLiteral("MenuItem2")}));
        QVERIFY(!empty->menuItem());
        QCOMPARE(load->menuItem()->objectName(), QStringLiteral("Load2"));
        QCOMPARE(noLetters->menuItem()->text(), QStringLiteral("#1 / 2"));
        QCOMPARE(noLetters2->menuItem()->objectName(), QStringLiteral("MenuItem2"));
        // Previous and Next without an item do nothing but leave the popup as it is.
        empty->Enter(false);
        empty->click();
        popupButton(empty, "NextButton")->click();
        QVERIFY(empty->popup()->isVisible());
        popupButton(empty, "DoneButton")->click();
        QVERIFY(empty->popup()->isHidden());
    }

    void itemOpensPinsAndCloses()
    {
        ProgramBoard w;
        w.paint();
        QAction *item = w.byTitle(QStringLiteral("Protocol/Mode"))->menuItem();
        QVERIFY(item);
        item->trigger();
        QVERIFY(w.popupOpen(QStringLiteral("Protocol/Mode")));
        QVERIFY(item->isChecked());
        for (int m = 0; m < 8; ++m)
            QVERIFY(w.byTitle(QStringLiteral("Protocol/Mode"), m)->Hovered());
        QVERIFY(w.creator(QStringLiteral("Protocol/Mode"))->Pinned());
        QVERIFY(!w.byTitle(QStringLiteral("Load"))->Hovered());
        // Again: closed, unchecked, group idle.
        item->trigger();
        QVERIFY(!w.popupOpen(QStringLiteral("Protocol/Mode")));
        QVERIFY(!item->isChecked());
        for (int m = 0; m < 8; ++m)
            QVERIFY(!w.byTitle(QStringLiteral("Protocol/Mode"), m)->Hovered());
        // Done also clears the mark.
        item->trigger();
        QVERIFY(item->isChecked());
        popupButton(w.creator(QStringLiteral("Protocol/Mode")), "DoneButton")->click();
        QVERIFY(!item->isChecked());
    }

    void itemPinsAHoveredPopup()
    {
        ProgramBoard w;
        w.paint();
        // Hovered through a later member, which then creates the popup; the item is bound to the first.
        TBoardHighlight *later = w.byTitle(QStringLiteral("Load"), 5);
        later->Enter(false);
        QCOMPARE(w.creator(QStringLiteral("Load")), later);
        QAction *item = w.byTitle(QStringLiteral("Load"))->menuItem();
        QVERIFY(!item->isChecked());
        item->trigger();
        QVERIFY(later->Pinned());
        QVERIFY(item->isChecked());
        QVERIFY(w.popupOpen(QStringLiteral("Load")));
        // Leaving the highlight keeps it.
        later->Leave(false);
        QVERIFY(w.popupOpen(QStringLiteral("Load")));
        // Checked: the item closes the popup that another member made.
        item->trigger();
        QVERIFY(!w.popupOpen(QStringLiteral("Load")));
        QVERIFY(!item->isChecked());
    }

    void pinningByPointerChecksTheItem()
    {
        ProgramBoard w;
        w.paint();
        TBoardHighlight *h = w.byTitle(QStringLiteral("Baud Clock Rate"));
        h->Enter(false);
        QCursor::setPos(h->popup()->frameGeometry().center());
        h->Leave(false);
        QVERIFY(h->menuItem()->isChecked());
        QVERIFY(h->popup()->CloseOnLeave());
    }

    void nextAndPreviousWrap()
    {
        ProgramBoard w;
        w.paint();
        const QString last = QStringLiteral("Port Resources");
        const QString first = QStringLiteral("Control Base Address");
        w.byTitle(last)->menuItem()->trigger();
        QVERIFY(w.popupOpen(last));
        popupButton(w.creator(last), "NextButton")->click();
        QVERIFY(!w.popupOpen(last));
        QVERIFY(!w.byTitle(last)->menuItem()->isChecked());
        QVERIFY(w.popupOpen(first));
        QVERIFY(w.creator(first)->Pinned());
        QVERIFY(w.byTitle(first)->menuItem()->isChecked());
        popupButton(w.creator(first), "PreviousButton")->click();
        QVERIFY(!w.popupOpen(first));
        QVERIFY(w.popupOpen(last));
        popupButton(w.creator(last), "PreviousButton")->click();
        QVERIFY(w.popupOpen(QStringLiteral("Port Disable")));
        // Through a group of eight whose popup a later member made.
        popupButton(w.creator(QStringLiteral("Port Disable")), "PreviousButton")->click();
        popupButton(w.creator(QStringLiteral("Baud Clock Rate")), "PreviousButton")->click();
        QVERIFY(w.popupOpen(QStringLiteral("Load")));
        popupButton(w.creator(QStringLiteral("Load")), "NextButton")->click();
        QVERIFY(w.popupOpen(QStringLiteral("Baud Clock Rate")));
        QVERIFY(!w.popupOpen(QStringLiteral("Load")));

        // The options chain is separate.
        const QString serial2 = QStringLiteral("Serial Connector #2");
        w.byTitle(serial2)->menuItem()->trigger();
        popupButton(w.creator(serial2), "NextButton")->click();
        QVERIFY(w.popupOpen(QStringLiteral("Serial Connector #1")));
        QVERIFY(!w.popupOpen(serial2));
        QVERIFY(w.popupOpen(QStringLiteral("Baud Clock Rate")));
        popupButton(w.creator(QStringLiteral("Serial Connector #1")), "PreviousButton")->click();
        QVERIFY(w.popupOpen(serial2));
    }

    void singleItemReopensItself()
    {
        BoardWindow w;
        TBoardHighlight *h = w.addHighlight(QStringLiteral("O"), QStringLiteral("Info"), QRect(0, 0, 30, 30),
                                            TBoardHighlight::htOptions);
        w.paint();
        h->menuItem()->trigger();
        popupButton(h, "NextButton")->click();
        QVERIFY(h->popup()->isVisible());
        QVERIFY(h->Pinned());
        QVERIFY(h->menuItem()->isChecked());
        popupButton(h, "PreviousButton")->click();
        QVERIFY(h->popup()->isVisible());
        QVERIFY(h->menuItem()->isChecked());
    }

    void menuItemClickFromAnotherHighlight()
    {
        ProgramBoard w;
        w.paint();
        TBoardHighlight *h = w.byTitle(QStringLiteral("Port Disable"));
        // A plain object (not a menu item) opens and pins, whatever the check mark says.
        h->menuItemClick(w.byTitle(QStringLiteral("Load")));
        QVERIFY(h->Pinned());
        QVERIFY(h->menuItem()->isChecked());
        h->menuItemClick(w.byTitle(QStringLiteral("Load")));
        QVERIFY(w.popupOpen(QStringLiteral("Port Disable")));
        // A derived class of a menu item does not count as one.
        TDerivedMenuItem derived;
        derived.setCheckable(true);
        derived.setChecked(true);
        h->menuItemClick(&derived);
        QVERIFY(w.popupOpen(QStringLiteral("Port Disable")));
        h->menuItemClick(h->menuItem());
        QVERIFY(!w.popupOpen(QStringLiteral("Port Disable")));
    }

    void withoutAMenu()
    {
        BoardWindow w;
        w.board->setMenu(nullptr);
        TBoardHighlight *a = w.addHighlight(QStringLiteral("A"), QStringLiteral("Load"));
        w.addHighlight(QStringLiteral("B"), QStringLiteral("Port Disable"));
        w.paint();
        QCOMPARE(w.bar->actions().size(), 2);
        QVERIFY(!a->menu());
        a->Enter(false);
        a->click();
        QVERIFY(a->Pinned());
        popupButton(a, "NextButton")->click();
        popupButton(a, "PreviousButton")->click();
        QVERIFY(a->popup()->isVisible());
        popupButton(a, "DoneButton")->click();
        QVERIFY(a->popup()->isHidden());
    }

    void menuPicture()
    {
        const QString dir = qEnvironmentVariable("HIGHLIGHT_PNG_DIR");
        if (dir.isEmpty())
            QSKIP("HIGHLIGHT_PNG_DIR not set");
        ProgramBoard w;
        w.paint();
        w.bar->resize(400, w.bar->sizeHint().height());
        w.byTitle(QStringLiteral("Load"))->menuItem()->trigger();
        QMenu *settings = w.typeMenu(QStringLiteral("&Settings"));
        settings->popup(QPoint(0, 0));
        QVERIFY(w.bar->grab().save(dir + QStringLiteral("/menubar.png")));
        QVERIFY(settings->grab().save(dir + QStringLiteral("/settings_menu.png")));
        settings->hide();
    }
};

QTEST_MAIN(TestHighlightMenus)
#include "tst_highlight_menus.moc"
