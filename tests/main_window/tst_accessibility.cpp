#include "main_form.h"

#include "board_highlight.h"
#include "board_image.h"
#include "popup_form.h"
#include "two_jumper.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#ifdef TR4410_PLATFORM_ACCESSIBILITY
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif

namespace {
// Every glyph of the window, the name a screen reader gives it, and whether it is a master.
struct GlyphRow
{
    const char *object;
    const char *name;
    bool master;
};
const GlyphRow Glyphs[] = {
    {"BaseJumper4A", "A4", true},    {"BaseJumper5A", "A5", true},  {"BaseJumper6A", "A6", true},
    {"BaseJumper7A", "A7", true},    {"BaseJumper8A", "A8", true},  {"BaseJumper9A", "A9", true},
    {"DFJumperB", "DF", false},      {"ClockJumperC", "X8", false}, {"BaseJumper8B", "A8", false},
    {"BaseJumper9B", "A9", false},   {"DFJumperA", "DF", true},     {"ClockJumperB", "X8", false},
    {"BaseJumper9C", "A9", false},   {"DFJumperC", "DF", false},    {"ClockJumperA", "X8", true},
    {"RS232JumperA", "32", true},    {"RS485JumperA", "85", true},  {"AutoRTSJumperA", "R8", true},
    {"RS4xxJumperA", "4x", true},    {"RS422JumperA", "42", true},  {"RLJumperB", "RL", false},
    {"TLJumperB", "TL", false},      {"RS232JumperB", "32", false}, {"RS485JumperB", "85", false},
    {"AutoRTSJumperB", "R8", false}, {"RS4xxJumperB", "4x", false}, {"RS422JumperB", "42", false},
    {"RLJumperA", "RL", true},       {"TLJumperA", "TL", true},
};

// What Tab visits in each popup from its panel on, up to the popup's own buttons: the listed
// controls first, then the master glyphs in reading order.
struct TabRow
{
    const char *highlight;
    QStringList order;
};
const TabRow TabOrders[] = {
    {"BaseHighlight",
     {"BaseEdit", "BaseJumper4A", "BaseJumper5A", "BaseJumper6A", "BaseJumper7A", "BaseJumper8A",
      "BaseJumper9A"}},
    {"ModeHighlight0",
     {"ModeCombo", "AutoRTSCheck", "RS232JumperA", "RS485JumperA", "AutoRTSJumperA", "RS4xxJumperA",
      "RS422JumperA"}},
    {"LoadHighlight0", {"LoadCombo", "RLJumperA", "TLJumperA"}},
    {"ClockHighlight", {"ClockCombo", "ClockJumperA"}},
    {"DFHighlight", {"DFCombo", "DFJumperA"}},
    {"COMBaseHighlight",
     {"ConfigButton", "LockRTSCheckA", "LockRTSCheckB", "LockRTSCheckC", "LockRTSCheckD", "LockRTSCheckE",
      "LockRTSCheckF", "LockRTSCheckG", "LockRTSCheckH"}},
};

// Qt hands accessibility events on only while an assistive technology listens.
bool listenLikeScreenReader()
{
#ifdef TR4410_PLATFORM_ACCESSIBILITY
    if (QPlatformAccessibility *platform = QGuiApplicationPrivate::platformIntegration()->accessibility()) {
        platform->setActive(true);
        return QAccessible::isActive();
    }
#endif
    return false;
}

QList<QPair<QObject *, bool>> checkedChanges; // object, checked state at the change

void recordChange(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::StateChanged &&
        static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().checked) {
        auto *glyph = qobject_cast<TTwoJumper *>(event->object());
        checkedChanges.append({event->object(), glyph && glyph->Closed()});
    }
}
} // namespace

// What a screen reader and a keyboard user meet in the main window and its popups.
class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void glyphsAreNamedCheckBoxes();
    void pressActionsAndStateChanges();
    void tabReachesEveryMasterGlyph();

private:
    template<typename T = QWidget>
    T *get(const char *name) const
    {
        return form->findChild<T *>(QLatin1String(name));
    }
    static QAccessibleInterface *face(QObject *object)
    {
        return QAccessible::queryAccessibleInterface(object);
    }
    // The press of a screen reader's "activate".
    static void press(QObject *object)
    {
        QAccessibleInterface *iface = face(object);
        QVERIFY(iface && iface->actionInterface());
        QVERIFY(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }

    std::unique_ptr<TMainForm> form;
};

void TestAccessibility::init()
{
    form = std::make_unique<TMainForm>();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
}

void TestAccessibility::cleanup()
{
    QAccessible::installUpdateHandler(nullptr);
    form.reset();
}

void TestAccessibility::glyphsAreNamedCheckBoxes()
{
    QCOMPARE(form->findChildren<TTwoJumper *>().size(), qsizetype(std::size(Glyphs)));
    for (const GlyphRow &row : Glyphs) {
        auto *glyph = get<TTwoJumper>(row.object);
        QVERIFY2(glyph, row.object);
        QAccessibleInterface *iface = face(glyph);
        QVERIFY2(iface, row.object);
        QCOMPARE(iface->role(), QAccessible::CheckBox);
        QCOMPARE(iface->text(QAccessible::Name), QLatin1String(row.name));
        const QAccessible::State state = iface->state();
        QVERIFY(state.checkable);
        QVERIFY2(state.checked == glyph->Closed(), row.object);
        QVERIFY2(state.disabled == !row.master, row.object);
        QCOMPARE(iface->text(QAccessible::Description),
                 glyph->Closed() ? QStringLiteral("fitted") : QStringLiteral("not fitted"));
        // A mirror offers nothing to press.
        QCOMPARE(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()),
                 row.master);
    }
}

void TestAccessibility::pressActionsAndStateChanges()
{
    // The board picture is a group of buttons, one for each highlight, named by its title.
    QAccessibleInterface *board = face(get<TBoardImage>("BoardImage1"));
    QCOMPARE(board->role(), QAccessible::Grouping);
    QCOMPARE(board->childCount(), 22);
    for (int i = 0; i < board->childCount(); ++i) {
        const auto *ring = qobject_cast<TBoardHighlight *>(board->child(i)->object());
        QVERIFY(ring);
        QCOMPARE(board->child(i)->role(), QAccessible::Button);
        QCOMPARE(board->child(i)->text(QAccessible::Name), ring->Title());
    }

    // Pressing a highlight opens its popup pinned; the popup is a window named by its caption.
    auto *ring = get<TBoardHighlight>("BaseHighlight");
    press(ring);
    QVERIFY(ring->popup() && ring->popup()->isVisible());
    QVERIFY(ring->Pinned());
    QAccessibleInterface *popup = face(ring->popup());
    QCOMPARE(popup->role(), QAccessible::Window);
    QCOMPARE(popup->text(QAccessible::Name), QStringLiteral("Control Base Address"));

    // Pressing a glyph is a click: the handler sets the address, and each glyph whose state changed
    // tells its new state, A4 opening first.
    const bool listening = listenLikeScreenReader();
    checkedChanges.clear();
    QAccessible::installUpdateHandler(recordChange);
    auto *a4 = get<TTwoJumper>("BaseJumper4A");
    press(a4);
    QCOMPARE(a4->Closed(), false);
    QCOMPARE(get<QLineEdit>("BaseEdit")->text(), QStringLiteral("310"));
    QCOMPARE(face(a4)->text(QAccessible::Description), QStringLiteral("not fitted"));
    if (!listening)
        QSKIP("Qt's platform layer cannot be told that a screen reader listens");
    QVERIFY(!checkedChanges.isEmpty());
    QCOMPARE(checkedChanges.first(), qMakePair(static_cast<QObject *>(a4), false));

    // Set from code, a glyph tells its change too; an unchanged value tells nothing.
    checkedChanges.clear();
    auto *x8 = get<TTwoJumper>("ClockJumperC");
    x8->setClosed(x8->Closed());
    QVERIFY(checkedChanges.isEmpty());
    x8->setClosed(!x8->Closed());
    QCOMPARE(checkedChanges, (QList<QPair<QObject *, bool>>{{x8, x8->Closed()}}));
}

void TestAccessibility::tabReachesEveryMasterGlyph()
{
    for (const TabRow &row : TabOrders) {
        auto *ring = get<TBoardHighlight>(row.highlight);
        press(ring);
        TPopupForm *popup = ring->popup();
        QVERIFY2(popup && popup->isVisible(), row.highlight);
        QStringList visited;
        for (int i = 0; i < 20; ++i) {
            QWidget *now = popup->focusWidget();
            QTest::keyClick(now ? now : popup, Qt::Key_Tab);
            now = popup->focusWidget();
            if (!now || now->objectName() == QLatin1String("PreviousButton"))
                break;
            visited << now->objectName();
            // Space works each master glyph as a click does.
            if (auto *glyph = qobject_cast<TTwoJumper *>(now)) {
                QSignalSpy clicks(glyph, &TTwoJumper::OnClick);
                QTest::keyClick(glyph, Qt::Key_Space);
                QCOMPARE(clicks.count(), 1);
            }
        }
        QVERIFY2(visited == row.order, qPrintable(visited.join(QLatin1Char(' '))));
        popup->close();
    }
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
