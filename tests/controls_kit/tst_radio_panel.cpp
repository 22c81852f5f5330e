#include "radio_panel.h"
#include "two_jumper.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

class TMyPanel : public TRadioPanel
{
    Q_OBJECT
public:
    using TRadioPanel::TRadioPanel;
};

// A glyph class of its own: not one of the panel's radio glyphs.
class TMyJumper : public TTwoJumper
{
    Q_OBJECT
public:
    using TTwoJumper::TTwoJumper;
};

} // namespace

class TestRadioPanel : public QObject
{
    Q_OBJECT

private slots:
    void constructorState();
    void finalAnchorsApplyOnlyInPopup();
    void radioDisabledOnlyToggles();
    void radioSelectsClickedGlyph_data();
    void radioSelectsClickedGlyph();
    void onlyDirectExactGlyphsTakePart();
    void subclassPanelNeverSelects();
    void colourIsTheBackground();
    void onEnterWhenFocusComesFromOutside();
    void designModeHidesOnceAtFirstPaint();
};

void TestRadioPanel::constructorState()
{
    TRadioPanel panel;
    QCOMPARE(panel.size(), QSize(194, 100));
    QVERIFY(panel.isHidden());
    QCOMPARE(panel.frameShape(), QFrame::NoFrame);
    QCOMPARE(panel.Anchors(), Anchors::akLeft | Anchors::akTop);
    QCOMPARE(panel.FinalAnchors(), Anchors::akLeft | Anchors::akTop);
    QVERIFY(panel.Lines().isEmpty());
    QCOMPARE(panel.MemoHeight(), 58);
    QCOMPARE(panel.RadioEnabled(), false);
    QCOMPARE(panel.InPopup(), false);
    QCOMPARE(panel.Color(), QApplication::palette().color(QPalette::Button));
    QCOMPARE(panel.metaObject()->className(), "TRadioPanel");

    // Shown in a window it stays hidden until a popup takes it in.
    QWidget window;
    auto *onWindow = new TRadioPanel(&window);
    window.show();
    QVERIFY(!onWindow->isVisible());
}

void TestRadioPanel::finalAnchorsApplyOnlyInPopup()
{
    const TAnchors all = Anchors::akLeft | Anchors::akTop | Anchors::akRight | Anchors::akBottom;
    QWidget window;
    window.resize(300, 200);
    auto *panel = new TRadioPanel(&window);
    panel->setFinalAnchors(all);
    QCOMPARE(panel->FinalAnchors(), all);
    QCOMPARE(panel->Anchors(), Anchors::akLeft | Anchors::akTop);

    // Taken into a popup, then anchored as it finally should be.
    QWidget popup;
    popup.resize(194, 209);
    panel->setParent(&popup);
    panel->move(0, 0);
    panel->show();
    panel->setAnchors(Anchors::akLeft | Anchors::akTop);
    panel->setInPopup(true);
    panel->setFinalAnchors(all);
    QCOMPARE(panel->Anchors(), all);
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup));
    popup.resize(250, 240);
    QCOMPARE(panel->geometry(), QRect(0, 0, 250, 131));
}

void TestRadioPanel::radioDisabledOnlyToggles()
{
    TRadioPanel panel;
    auto *a = new TTwoJumper(&panel);
    auto *b = new TTwoJumper(&panel);
    b->setClosed(true);
    QSignalSpy changes(&panel, &TRadioPanel::OnRadioChange);
    a->click();
    QCOMPARE(a->Closed(), true);
    QCOMPARE(b->Closed(), true);
    QCOMPARE(changes.count(), 0);
}

void TestRadioPanel::radioSelectsClickedGlyph_data()
{
    QTest::addColumn<int>("clicked");
    QTest::addColumn<int>("events");
    // Glyphs open, closed, open.
    QTest::newRow("open one beside the closed") << 0 << 1;
    QTest::newRow("the closed one") << 1 << 1;
    QTest::newRow("last one") << 2 << 1;
}

void TestRadioPanel::radioSelectsClickedGlyph()
{
    QFETCH(int, clicked);
    QFETCH(int, events);
    TRadioPanel panel;
    panel.setRadioEnabled(true);
    QList<TTwoJumper *> glyphs;
    for (int i = 0; i < 3; ++i)
        glyphs.append(new TTwoJumper(&panel));
    glyphs[1]->setClosed(true);

    QSignalSpy changes(&panel, &TRadioPanel::OnRadioChange);
    QList<bool> seenByOnClick;
    const auto check = connect(glyphs[clicked], &TTwoJumper::OnClick, this, [&] {
        // The radio selection has already run.
        QCOMPARE(changes.count(), events);
        for (TTwoJumper *glyph : glyphs)
            seenByOnClick.append(glyph->Closed());
    });
    glyphs[clicked]->click();

    for (int i = 0; i < 3; ++i)
        QCOMPARE(glyphs[i]->Closed(), i == clicked);
    QCOMPARE(changes.count(), events);
    QCOMPARE(changes.first().first().value<QObject *>(), glyphs[clicked]);
    QCOMPARE(seenByOnClick.size(), 3);

    disconnect(check);
    // All open, clicking one closes it and changes nothing else: no event.
    glyphs[clicked]->setClosed(false);
    changes.clear();
    glyphs[0]->click();
    QCOMPARE(glyphs[0]->Closed(), true);
    QCOMPARE(changes.count(), 0);
}

void TestRadioPanel::onlyDirectExactGlyphsTakePart()
{
    TRadioPanel panel;
    panel.setRadioEnabled(true);
    auto *own = new TTwoJumper(&panel);
    auto *derived = new TMyJumper(&panel);
    derived->setClosed(true);
    auto *box = new QWidget(&panel);
    auto *nested = new TTwoJumper(box);
    nested->setClosed(true);
    QSignalSpy changes(&panel, &TRadioPanel::OnRadioChange);

    own->click();
    QCOMPARE(own->Closed(), true);
    QCOMPARE(derived->Closed(), true);
    QCOMPARE(nested->Closed(), true);
    QCOMPARE(changes.count(), 0);

    // The nested glyph just toggles.
    nested->click();
    QCOMPARE(nested->Closed(), false);
    QCOMPARE(own->Closed(), true);
    QCOMPARE(changes.count(), 0);
}

void TestRadioPanel::subclassPanelNeverSelects()
{
    TMyPanel panel;
    panel.setRadioEnabled(true);
    auto *a = new TTwoJumper(&panel);
    auto *b = new TTwoJumper(&panel);
    b->setClosed(true);
    QSignalSpy changes(&panel, &TRadioPanel::OnRadioChange);
    a->click();
    QCOMPARE(a->Closed(), true);
    QCOMPARE(b->Closed(), true);
    QCOMPARE(changes.count(), 0);
}

void TestRadioPanel::colourIsTheBackground()
{
    QWidget window;
    window.resize(220, 120);
    auto *panel = new TRadioPanel(&window);
    panel->setColor(QColor(0, 128, 128));
    auto *glyph = new TTwoJumper(panel);
    glyph->move(100, 50);
    panel->show();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage image = panel->grab().toImage();
    QCOMPARE(QColor(image.pixel(5, 5)), QColor(0, 128, 128));
    // The glyph's one-pixel ring shows the same colour, the base inside it is grey.
    QCOMPARE(QColor(image.pixel(100, 50)), QColor(0, 128, 128));
    QCOMPARE(QColor(image.pixel(100 + 17, 50 + 2)), QColor(128, 128, 128));
}

void TestRadioPanel::onEnterWhenFocusComesFromOutside()
{
    QWidget window;
    auto *outside = new QLineEdit(&window);
    auto *panel = new TRadioPanel(&window);
    panel->move(0, 40);
    auto *first = new QLineEdit(panel);
    auto *second = new QLineEdit(panel);
    second->move(0, 30);
    panel->show();
    QSignalSpy enters(panel, &TRadioPanel::OnEnter);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    outside->setFocus();
    QCOMPARE(enters.count(), 0);
    first->setFocus();
    QCOMPARE(enters.count(), 1);
    QCOMPARE(enters.first().first().value<QObject *>(), panel);
    second->setFocus(); // within the panel: no new entry
    QCOMPARE(enters.count(), 1);
    outside->setFocus();
    panel->setFocus(); // the popup focuses the panel itself
    QCOMPARE(enters.count(), 2);
}

void TestRadioPanel::designModeHidesOnceAtFirstPaint()
{
    QWidget window;
    window.resize(220, 120);
    auto *panel = new TRadioPanel(&window);
    panel->setDesignMode(true);
    panel->show();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(panel->isHidden());
    // Only once: shown again, it stays.
    panel->show();
    QTest::qWait(50);
    QVERIFY(panel->isVisible());

    TRadioPanel running(&window);
    running.show();
    QTest::qWait(50);
    QVERIFY(running.isVisible());
}

QTEST_MAIN(TestRadioPanel)
#include "tst_radio_panel.moc"
