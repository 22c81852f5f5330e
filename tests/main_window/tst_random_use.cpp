// A careless user at the real main window: from a fixed seed, thousands of actions chosen at random
// (hovering and clicking rings, clicking glyphs, buttons and menu items, choosing list entries,
// typing into the address field and the port edits, answering every message box with a random
// button), while the port-resource writes go to the card model of the fake port-I/O library.
// After every step the window must still be consistent: mirrors equal their masters, the address
// glyphs show the last valid address, the protocol glyphs the protocol list, and the card sees only
// whole index/data pairs, one sequence at a time, each write followed by its settle wait.
//
//   TR4410_RANDOM_SEED   the seed (printed at the start; set it to replay a failure)
//   TR4410_RANDOM_STEPS  the number of actions (default 10000)
//   TR4410_RANDOM_WRITES how many write sequences may run (default 12; each takes 200 ms or more)
//
// The steps run from timers, so that they also come while a message box waits for its answer and
// during the settle waits of a write, as a user's clicks do. A replay gives the same choices up to
// the first settle wait; from there the number of steps that fit into a wait depends on timing.

#include "list_pick.h"
#include "main_form.h"

#include "board_highlight.h"
#include "fakes/fake_ports.h"
#include "hex_address.h"
#include "popup_form.h"
#include "port_resources_panel.h"
#include "radio_panel.h"
#include "two_jumper.h"
#include "up_down.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <time.h>

#include <memory>
#include <optional>
#include <random>

namespace {

quint32 envNumber(const char *name, quint32 fallback)
{
    bool ok = false;
    const quint32 value = qEnvironmentVariable(name).toUInt(&ok, 0);
    return ok ? value : fallback;
}

// Key presses that carry text, beyond what QTest::keyClicks takes (it wants Latin-1).
void typeText(QWidget *widget, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
            continue;
        }
        QString unit(c);
        if (c.isHighSurrogate() && i + 1 < text.size())
            unit += text.at(++i);
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, unit, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, unit, Qt::NoModifier);
    }
}

qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

constexpr qint64 SettleNs = 10 * 1000 * 1000;

// Every mirror glyph and the master it repeats.
const QList<QPair<const char *, const char *>> MirrorPairs = {
    {"BaseJumper8B", "BaseJumper8A"}, {"BaseJumper9B", "BaseJumper9A"}, {"BaseJumper9C", "BaseJumper9A"},
    {"RS232JumperB", "RS232JumperA"}, {"RS485JumperB", "RS485JumperA"}, {"AutoRTSJumperB", "AutoRTSJumperA"},
    {"RS4xxJumperB", "RS4xxJumperA"}, {"RS422JumperB", "RS422JumperA"}, {"RLJumperB", "RLJumperA"},
    {"TLJumperB", "TLJumperA"},       {"ClockJumperB", "ClockJumperA"}, {"ClockJumperC", "ClockJumperA"},
    {"DFJumperB", "DFJumperA"},       {"DFJumperC", "DFJumperA"},
};

const char *const AddressMasters[] = {"BaseJumper4A", "BaseJumper5A", "BaseJumper6A",
                                      "BaseJumper7A", "BaseJumper8A", "BaseJumper9A"};

// What a user might type into an address field: mostly hex digits, now and then something else.
const QString Typeable = QStringLiteral("0123456789abcdefABCDEF0000300");
const QStringList Oddities = {QStringLiteral(" "),      QStringLiteral("x"),      QStringLiteral("$"),
                              QStringLiteral("-"),      QStringLiteral("+"),      QStringLiteral("G"),
                              QStringLiteral("\t"),     QStringLiteral("0x"),     QStringLiteral("\u0663"),
                              QStringLiteral("\uFF13"), QStringLiteral("\u00E9"), QStringLiteral("😀")};

} // namespace

class TestRandomUse : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void randomUse();
    // What the random walk found: a click that comes in while a message box is being answered.
    void secondConfigClickWhileAnswering();
    void secondUseClickWhileAnswering();

private:
    template<typename T = QWidget>
    T *get(const char *name) const
    {
        T *const object = form->findChild<T *>(QLatin1String(name));
        if (!object)
            qFatal("the main window has no %s", name);
        return object;
    }
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(rng); }
    bool chance(int percent) { return pick(100) < percent; }
    template<typename T>
    QList<T *> reachable() const;

    void step();
    void answerBox();
    void act();
    void answer(QWidget *modal);
    void checkBoxText(const QMessageBox *box);
    void hoverRing();
    void leaveBoard();
    void clickRing();
    void clickGlyph();
    void clickButton();
    void clickConfig(const QString &address);
    void triggerMenuItem();
    void chooseListEntry();
    void typeAddress();
    void keyInPortEdit();
    void workPortPanel();
    void closeWindow();
    void exitProgram();

    void check();
    void checkAddress();
    void checkProtocol();
    void checkPortPanel();
    void checkWrites();
    void sequenceFinished();
    void fail(const QString &what);
    void maybeFinish();

    std::unique_ptr<TMainForm> form;
    std::mt19937 rng;
    quint32 seed = 0;
    int target = 0;
    int maxSequences = 0;
    int steps = 0;
    int depth = 0;
    int deepest = 0;
    std::optional<QString> failure;
    QEventLoop loop;

    QString lastValidText = QStringLiteral("300");
    quint16 expectedBase = 0;
    bool accessGranted = false;
    QStringList textsSinceAccess;
    int addressErrors = 0;
    bool configured = false;
    // The write log as far as it was checked, and where the sequence under way stands.
    int checkedCalls = 0;
    int nextRegister = 1; // 1 to 10, then 11 once the twenty writes are done
    bool expectIndex = true;
    qint64 lastWriteNs = 0;
    QList<int> sequenceValues;
    int sequencesStarted = 0;
    int sequencesWritten = 0;
    QMap<QString, int> boxes;
    QMap<QString, int> actions;
    // The last actions, shown with a failure.
    QStringList recent;
    void trace(const QString &what)
    {
        recent.append(QStringLiteral("%1: %2").arg(steps).arg(what));
        if (recent.size() > 40)
            recent.removeFirst();
    }
};

namespace {
QtMessageHandler previousHandler = nullptr;

// The offscreen platform cannot raise windows and says so at every popup; nothing else is dropped.
void dropRaiseWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    previousHandler(type, context, message);
}
} // namespace

void TestRandomUse::initTestCase()
{
    previousHandler = qInstallMessageHandler(dropRaiseWarnings);
    QVERIFY2(FakePorts::available(), FakePorts::unavailableReason());
    // Closing a window must not end the run.
    QApplication::setQuitOnLastWindowClosed(false);
}

template<typename T>
QList<T *> TestRandomUse::reachable() const
{
    // What is on screen: the main window and every window it owns (popups, help, support).
    QList<T *> list;
    const QList<T *> all = form->findChildren<T *>();
    for (T *widget : all) {
        if (widget->isVisible() && !qobject_cast<QMessageBox *>(widget->window()))
            list.append(widget);
    }
    return list;
}

void TestRandomUse::fail(const QString &what)
{
    if (failure)
        return;
    failure = QStringLiteral("step %1 (seed %2): %3").arg(steps).arg(seed).arg(what);
    qInfo("the last actions before the failure:");
    for (const QString &line : std::as_const(recent))
        qInfo("  %s", qPrintable(line));
    loop.quit();
}

void TestRandomUse::maybeFinish()
{
    if (steps >= target && depth == 0 && !QApplication::activeModalWidget() && !form->PortResources()->Busy())
        loop.quit();
}

void TestRandomUse::step()
{
    // A user cannot reach the windows while a message box waits; the answering timer sees to it.
    if (failure || QApplication::activeModalWidget())
        return;
    ++depth;
    deepest = qMax(deepest, depth);
    if (steps < target && form->isHidden()) {
        // After File > Exit: the same window again, as if the program had been started anew.
        ++steps;
        trace(QStringLiteral("show the main window again"));
        form->show();
    } else if (steps < target) {
        ++steps;
        act();
    }
    if (!failure)
        check();
    --depth;
    maybeFinish();
}

void TestRandomUse::answerBox()
{
    if (failure) {
        // Let every waiting frame unwind, so that the failure gets reported.
        if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            box->reject();
        return;
    }
    if (QWidget *modal = QApplication::activeModalWidget()) {
        answer(modal);
        if (!failure)
            check();
    }
    maybeFinish();
}

void TestRandomUse::act()
{
    struct Action
    {
        const char *name;
        int weight;
        void (TestRandomUse::*run)();
    };
    static const Action Actions[] = {
        {"hover ring", 12, &TestRandomUse::hoverRing},
        {"leave board", 4, &TestRandomUse::leaveBoard},
        {"click ring", 6, &TestRandomUse::clickRing},
        {"click glyph", 16, &TestRandomUse::clickGlyph},
        {"click button", 16, &TestRandomUse::clickButton},
        {"menu item", 3, &TestRandomUse::triggerMenuItem},
        {"choose entry", 14, &TestRandomUse::chooseListEntry},
        {"type address", 14, &TestRandomUse::typeAddress},
        {"port edit key", 12, &TestRandomUse::keyInPortEdit},
        {"port resources", 8, &TestRandomUse::workPortPanel},
        {"close window", 3, &TestRandomUse::closeWindow},
        {"exit", 1, &TestRandomUse::exitProgram},
    };
    int total = 0;
    for (const Action &a : Actions)
        total += a.weight;
    int roll = pick(total);
    for (const Action &a : Actions) {
        if (roll < a.weight) {
            ++actions[QLatin1String(a.name)];
            (this->*a.run)();
            return;
        }
        roll -= a.weight;
    }
}

void TestRandomUse::answer(QWidget *modal)
{
    checkWrites();
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (!box) {
        fail(QStringLiteral("a modal window that is not a message box: %1").arg(modal->windowTitle()));
        modal->close();
        return;
    }
    const QString caption = box->windowTitle();
    if (caption.isEmpty() || box->text().isEmpty())
        fail(QStringLiteral("a message box without caption or text"));
    ++boxes[caption];

    if (caption == QLatin1String("Confirmation") && box->icon() == QMessageBox::Information) {
        // The closing message of a write: after all twenty writes and the last settle wait.
        if (nextRegister != 11)
            fail(
                QStringLiteral("the write was reported done after %1 of 10 registers").arg(nextRegister - 1));
        if (monotonicNs() - lastWriteNs < SettleNs)
            fail(QStringLiteral("no settle wait after the last write"));
        // The card holds what was written, and the boxes, back in view, show the mask that went out.
        if (FakePorts::resourceRegisters() != sequenceValues)
            fail(QStringLiteral("the card's registers differ from the values written"));
        int mask = 0;
        for (char port = 'H'; port >= 'A'; --port) {
            const QByteArray name = QByteArray("LockRTSCheck") + port;
            mask = (mask << 1) | (get<QCheckBox>(name.constData())->isChecked() ? 1 : 0);
        }
        if (!sequenceValues.isEmpty() && mask != sequenceValues.last())
            fail(QStringLiteral("the RS-422 boxes show 0x%1 after writing 0x%2")
                     .arg(mask, 0, 16)
                     .arg(sequenceValues.last(), 0, 16));
    }

    checkBoxText(box);

    QList<QAbstractButton *> buttons = box->buttons();
    QAbstractButton *choice = buttons.isEmpty() ? nullptr : buttons.at(pick(int(buttons.size())));
    const bool asksToWrite = caption == QLatin1String("Confirmation") && box->icon() == QMessageBox::Question;
    if (asksToWrite) {
        // Writes take their settle waits: keep their number within what a quick run affords.
        if (sequencesStarted >= maxSequences)
            choice = box->button(QMessageBox::Cancel);
        else if (box->button(QMessageBox::Ok) && chance(70))
            choice = box->button(QMessageBox::Ok);
        if (choice == box->button(QMessageBox::Ok))
            ++sequencesStarted;
    }
    if (!asksToWrite && chance(15)) {
        trace(QStringLiteral("Esc to \"%1\"").arg(caption));
        QTest::keyClick(box, Qt::Key_Escape);
    } else if (choice) {
        trace(QStringLiteral("%1 to \"%2\"").arg(choice->text(), caption));
        if (caption == QLatin1String("Access Warning") && choice == box->button(QMessageBox::Ok)) {
            accessGranted = true;
            textsSinceAccess = {get<QLineEdit>("BaseEdit")->text()};
        }
        choice->click();
    } else {
        box->reject();
    }
}

// Bad input must be answered with the message that names it.
void TestRandomUse::checkBoxText(const QMessageBox *box)
{
    const QString address = get<QLineEdit>("BaseEdit")->text();
    const QString notHex = QStringLiteral(" is not a valid hexadecimal value.");
    if (box->text().endsWith(notHex)) {
        ++addressErrors;
        // The text the handler read: the field's text at the answer to "Access Warning" or since.
        const QString quoted = box->text().chopped(notHex.size());
        const QString read = quoted.mid(1, quoted.size() - 2);
        if (box->icon() != QMessageBox::Critical || quoted.size() < 2 ||
            !quoted.startsWith(QLatin1Char('"')) || !quoted.endsWith(QLatin1Char('"')) ||
            !textsSinceAccess.contains(read))
            return fail(QStringLiteral("\"%1\" reported for the address \"%2\"").arg(box->text(), address));
        if (parseHexAddress(read))
            return fail(QStringLiteral("the valid address \"%1\" reported as invalid").arg(read));
    }
    if (box->windowTitle() == QLatin1String("Invalid Setting")) {
        // The first port whose text does not pass, else the IRQ, else the first port that shares its
        // address with a later one, and the first such later one.
        QString label = QStringLiteral("IRQ for all ports");
        QStringList texts;
        bool portsPass = true;
        for (char port = 'A'; port <= 'H'; ++port) {
            const QByteArray name = QByteArray("BaseEdit") + port;
            texts.append(get<QLineEdit>(name.constData())->text());
            const std::optional<quint32> value = parseHexAddress(texts.last());
            if (!value || (*value & ~0x3F8u) != 0) {
                label = QStringLiteral("base address for port %1").arg(port);
                portsPass = false;
                break;
            }
        }
        QString shared;
        for (int first = 0; portsPass && shared.isEmpty() && first < 8; ++first) {
            const int second = texts.indexOf(texts.at(first), first + 1);
            if (second > 0)
                shared = QStringLiteral("Error: ports %1 and %2 have the same base address.")
                             .arg(QChar('A' + first))
                             .arg(QChar('A' + second));
        }
        QString expected = QStringLiteral("Error: %1 is invalid.").arg(label);
        if (portsPass && get<QComboBox>("IRQCombo")->currentIndex() >= 0 && !shared.isEmpty())
            expected = shared;
        if (box->icon() != QMessageBox::Warning || box->text() != expected)
            return fail(QStringLiteral("\"%1\" instead of \"%2\"").arg(box->text(), expected));
    }
}

void TestRandomUse::hoverRing()
{
    const QList<TBoardHighlight *> rings = reachable<TBoardHighlight>();
    if (rings.isEmpty())
        return;
    TBoardHighlight *ring = rings.at(pick(int(rings.size())));
    const QPoint inside(pick(ring->width()), pick(ring->height()));
    trace(QStringLiteral("hover %1").arg(ring->objectName()));
    QTest::mouseMove(form.get(), ring->mapTo(form.get(), inside));
}

void TestRandomUse::leaveBoard()
{
    trace(QStringLiteral("leave the board"));
    QTest::mouseMove(form.get(), QPoint(1 + pick(20), form->height() - 1 - pick(20)));
}

void TestRandomUse::clickRing()
{
    const QList<TBoardHighlight *> rings = reachable<TBoardHighlight>();
    if (rings.isEmpty())
        return;
    TBoardHighlight *ring = rings.at(pick(int(rings.size())));
    trace(QStringLiteral("click %1").arg(ring->objectName()));
    QTest::mouseClick(ring, Qt::LeftButton, {}, ring->rect().center());
}

void TestRandomUse::clickGlyph()
{
    // Disabled glyphs (the mirrors) are clicked too: they must not react.
    const QList<TTwoJumper *> glyphs = reachable<TTwoJumper>();
    if (glyphs.isEmpty())
        return;
    TTwoJumper *glyph = glyphs.at(pick(int(glyphs.size())));
    trace(QStringLiteral("click %1%2")
              .arg(glyph->objectName(), glyph->isEnabled() ? QString() : QStringLiteral(" (disabled)")));
    QTest::mouseClick(glyph, Qt::LeftButton, {}, QPoint(pick(glyph->width()), pick(glyph->height())));
}

void TestRandomUse::clickButton()
{
    // Push buttons (Start, Close, Previous, Next, Done, Configure, Use), the check boxes and the
    // spinners' arrows.
    const QList<QAbstractButton *> buttons = reachable<QAbstractButton>();
    if (buttons.isEmpty())
        return;
    QAbstractButton *button = buttons.at(pick(int(buttons.size())));
    if (button == get<QPushButton>("ConfigButton"))
        return clickConfig(get<QLineEdit>("BaseEdit")->text());
    trace(QStringLiteral("click %1 \"%2\"").arg(button->objectName(), button->text()));
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestRandomUse::clickConfig(const QString &address)
{
    trace(QStringLiteral("click ConfigButton with the address \"%1\"").arg(address));
    accessGranted = false;
    const int errorsBefore = addressErrors;
    QTest::mouseClick(get<QPushButton>("ConfigButton"), Qt::LeftButton);
    // Steps that came between the answer and the handler going on may have changed the text;
    // the strict checks hold where they did not.
    const bool sameText = get<QLineEdit>("BaseEdit")->text() == address;
    const std::optional<quint32> value = parseHexAddress(address);
    if (accessGranted && sameText && !value && addressErrors == errorsBefore)
        return fail(QStringLiteral("no message for the bad address \"%1\"").arg(address));
    if (!get<QPushButton>("UseButton")->isHidden()) {
        // The configuration state was entered. The card answers at the address its jumpers set.
        const quint16 base = form->PortResources()->ControlBase();
        if (sameText && (!value || base != (*value & 0x3F0)))
            return fail(QStringLiteral("the address \"%1\" entered the configuration at 0x%2")
                            .arg(address)
                            .arg(base, 0, 16));
        if ((base & ~0x3F0) != 0)
            return fail(QStringLiteral("no card can answer at 0x%1").arg(base, 0, 16));
        expectedBase = base;
        configured = true;
        FakePorts::setCardBase(expectedBase);
        for (char port = 'A'; port <= 'H'; ++port) {
            const QByteArray edit = QByteArray("BaseEdit") + port;
            const QByteArray spinner = QByteArray("BaseUD") + port;
            if (get<QLineEdit>(edit.constData())->text() != QLatin1String("***") ||
                get<TUpDown>(spinner.constData())->Position() != 1016)
                return fail(QStringLiteral("port %1 not fresh after entering the configuration").arg(port));
        }
        if (get<QComboBox>("IRQCombo")->currentIndex() != -1)
            return fail(QStringLiteral("an IRQ is chosen after entering the configuration"));
        const bool rs422 = get<TTwoJumper>("RS422JumperA")->Closed();
        for (char port = 'A'; port <= 'H'; ++port) {
            const QByteArray name = QByteArray("LockRTSCheck") + port;
            if (get<QCheckBox>(name.constData())->isChecked() != rs422)
                return fail(QStringLiteral("RS-422 box %1 does not follow the protocol").arg(port));
        }
    }
}

void TestRandomUse::triggerMenuItem()
{
    QList<QAction *> items;
    QList<QAction *> pending = form->menuBar()->actions();
    while (!pending.isEmpty()) {
        QAction *action = pending.takeFirst();
        if (QMenu *menu = action->menu()) {
            pending.append(menu->actions());
            continue;
        }
        // File > Exit has its own action, which shows the window again afterwards.
        if (!action->isSeparator() && action->isEnabled() && action->objectName() != QLatin1String("Exit2"))
            items.append(action);
    }
    if (!items.isEmpty()) {
        QAction *item = items.at(pick(int(items.size())));
        trace(QStringLiteral("menu %1").arg(item->text()));
        item->trigger();
    }
}

void TestRandomUse::chooseListEntry()
{
    const QList<QComboBox *> lists = reachable<QComboBox>();
    if (lists.isEmpty())
        return;
    QComboBox *list = lists.at(pick(int(lists.size())));
    if (list->count() == 0)
        return;
    if (chance(40)) {
        static const Qt::Key Keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_PageDown};
        const Qt::Key key = Keys[pick(5)];
        trace(QStringLiteral("key %1 in %2").arg(QKeySequence(key).toString(), list->objectName()));
        QTest::keyClick(list, key);
        return;
    }
    // A choice in the drop-down list, the one already chosen included.
    const int index = pick(list->count());
    trace(QStringLiteral("choose %1 \"%2\"").arg(list->objectName(), list->itemText(index)));
    QVERIFY(pickInList(list, index));
}

void TestRandomUse::typeAddress()
{
    auto *edit = get<QLineEdit>("BaseEdit");
    if (!edit->isVisible())
        return;
    auto randomText = [this] {
        QString text;
        const int length = pick(11);
        for (int i = 0; i < length; ++i)
            text += chance(90) ? QString(Typeable.at(pick(int(Typeable.size()))))
                               : Oddities.at(pick(int(Oddities.size())));
        return text;
    };
    const QString before = edit->text();
    switch (pick(6)) {
    case 0: // select everything and type over it
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        typeText(edit, randomText());
        break;
    case 1: // type at a random place
        edit->setCursorPosition(pick(int(edit->text().size()) + 1));
        typeText(edit, randomText().left(2));
        break;
    case 2:
        QTest::keyClick(edit, chance(50) ? Qt::Key_Backspace : Qt::Key_Delete);
        break;
    case 3: {
        static const Qt::Key Keys[] = {Qt::Key_Home, Qt::Key_End, Qt::Key_Left, Qt::Key_Right,
                                       Qt::Key_Return};
        QTest::keyClick(edit, Keys[pick(5)], chance(30) ? Qt::ShiftModifier : Qt::NoModifier);
        break;
    }
    case 4: // clear it
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        break;
    default: // a whole valid address, as most users type
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        typeText(edit, QString::number(pick(0x400) & ~0xF, 16));
        break;
    }
    trace(QStringLiteral("address \"%1\" -> \"%2\"").arg(before, edit->text()));
}

void TestRandomUse::keyInPortEdit()
{
    QList<QLineEdit *> edits;
    for (QLineEdit *edit : reachable<QLineEdit>()) {
        if (edit->objectName().startsWith(QLatin1String("BaseEdit")) && edit->objectName().size() == 9)
            edits.append(edit);
    }
    if (edits.isEmpty())
        return;
    QLineEdit *edit = edits.at(pick(int(edits.size())));
    if (chance(10))
        QTest::mouseClick(edit, Qt::LeftButton);
    static const Qt::Key Keys[] = {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Up,     Qt::Key_Down,
                                   Qt::Key_Up,     Qt::Key_Down,     Qt::Key_Left,   Qt::Key_Delete,
                                   Qt::Key_A,      Qt::Key_3,        Qt::Key_Return, Qt::Key_Escape};
    static const Qt::KeyboardModifiers Modifiers[] = {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier,
                                                      Qt::ControlModifier, Qt::AltModifier};
    const Qt::Key key = Keys[pick(12)];
    const Qt::KeyboardModifiers modifiers = Modifiers[pick(5)];
    trace(QStringLiteral("key %1 in %2")
              .arg(QKeySequence(int(key) | int(modifiers)).toString(), edit->objectName()));
    QTest::keyClick(edit, key, modifiers);
}

void TestRandomUse::workPortPanel()
{
    // A user who came to set the port resources: open the panel, enter, set ports, choose the IRQ,
    // write.
    auto *panel = get<TRadioPanel>("COMBasePanel");
    if (!panel->isVisible()) {
        trace(QStringLiteral("click COMBaseHighlight"));
        auto *ring = get<TBoardHighlight>("COMBaseHighlight");
        QTest::mouseClick(ring, Qt::LeftButton, {}, ring->rect().center());
        return;
    }
    auto *config = get<QPushButton>("ConfigButton");
    if (config->isVisible() && chance(60)) {
        const QString address = get<QLineEdit>("BaseEdit")->text();
        clickConfig(address);
        return;
    }
    if (config->isVisible()) {
        const QByteArray name = QByteArray("LockRTSCheck") + char('A' + pick(8));
        trace(QStringLiteral("click %1").arg(QLatin1String(name)));
        QTest::mouseClick(get<QCheckBox>(name.constData()), Qt::LeftButton);
        return;
    }
    switch (pick(4)) {
    case 0:
        trace(QStringLiteral("click UseButton"));
        QTest::mouseClick(get<QPushButton>("UseButton"), Qt::LeftButton);
        break;
    case 1: {
        auto *irq = get<QComboBox>("IRQCombo");
        const int index = pick(irq->count());
        trace(QStringLiteral("choose IRQ \"%1\"").arg(irq->itemText(index)));
        QVERIFY(pickInList(irq, index));
        break;
    }
    default: {
        static const Qt::Key Keys[] = {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Up, Qt::Key_Down};
        const int ports = 1 + pick(8);
        trace(QStringLiteral("keys in %1 port edits").arg(ports));
        for (int i = 0; i < ports; ++i) {
            const QByteArray name = QByteArray("BaseEdit") + char('A' + pick(8));
            QTest::keyClick(get<QLineEdit>(name.constData()), Keys[pick(4)]);
        }
        break;
    }
    }
}

void TestRandomUse::exitProgram()
{
    const bool busy = form->PortResources()->Busy();
    trace(QStringLiteral("File > Exit%1").arg(busy ? QStringLiteral(" while writing") : QString()));
    get<QAction>("Exit2")->trigger();
    // A write cut short would leave the card half configured: the window waits for its end.
    if (busy != form->isVisible())
        fail(busy ? QStringLiteral("the window closed during a write")
                  : QStringLiteral("File > Exit did not close"));
}

void TestRandomUse::closeWindow()
{
    // The close box of a popup, the help window or the support window.
    QList<QWidget *> windows;
    for (QWidget *widget : reachable<QWidget>()) {
        if (widget->isWindow() && widget != form.get())
            windows.append(widget);
    }
    if (!windows.isEmpty()) {
        QWidget *window = windows.at(pick(int(windows.size())));
        trace(QStringLiteral("close \"%1\"").arg(window->windowTitle()));
        window->close();
    }
}

void TestRandomUse::check()
{
    for (const auto &[mirror, master] : MirrorPairs) {
        if (get<TTwoJumper>(mirror)->Closed() != get<TTwoJumper>(master)->Closed())
            return fail(
                QStringLiteral("%1 differs from %2").arg(QLatin1String(mirror), QLatin1String(master)));
    }
    checkAddress();
    checkProtocol();
    checkPortPanel();
    checkWrites();
}

void TestRandomUse::checkAddress()
{
    auto *edit = get<QLineEdit>("BaseEdit");
    const QString text = edit->text();
    const bool valid = parseHexAddress(text).has_value();
    if (valid)
        lastValidText = text;

    const QColor normal = QApplication::palette(edit).color(QPalette::Base);
    if ((edit->palette().color(QPalette::Base) == normal) != valid)
        return fail(QStringLiteral("the colour of the address field does not tell %1 text \"%2\"")
                        .arg(valid ? QStringLiteral("valid") : QStringLiteral("invalid"), text));

    // The glyphs, mirrors and feedback of the last valid text: its digits, without leading zeros.
    const quint32 settable = *parseHexAddress(lastValidText) & 0x3F0;
    quint32 bit = 0x010;
    for (const char *name : AddressMasters) {
        if (get<TTwoJumper>(name)->Closed() != ((settable & bit) == 0))
            return fail(QStringLiteral("%1 does not show the address \"%2\"")
                            .arg(QLatin1String(name), lastValidText));
        bit <<= 1;
    }
    QString digits = lastValidText.toUpper();
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0'))) // zeros only: "0"
        digits.remove(0, 1);
    const QString expected = QString::number(settable, 16).toUpper();
    const QString feedback = digits == expected ? QString() : QStringLiteral("Actual: ") + expected;
    if (get<QLabel>("BaseLabelFeedback")->text() != feedback)
        return fail(QStringLiteral("feedback \"%1\" for the address \"%2\"")
                        .arg(get<QLabel>("BaseLabelFeedback")->text(), lastValidText));
}

void TestRandomUse::checkProtocol()
{
    const int mode = get<QComboBox>("ModeCombo")->currentIndex();
    if (mode < 0 || mode > 2)
        return fail(QStringLiteral("protocol list at %1").arg(mode));
    const bool rs232 = mode == 0, rs485 = mode == 1, rs422 = mode == 2;
    const struct
    {
        const char *glyph;
        bool closed;
    } table[] = {
        {"RS232JumperA", rs232}, {"RS4xxJumperA", !rs232}, {"RS485JumperA", rs485}, {"RS422JumperA", rs422}};
    for (const auto &row : table) {
        if (get<TTwoJumper>(row.glyph)->Closed() != row.closed)
            return fail(
                QStringLiteral("%1 does not show protocol %2").arg(QLatin1String(row.glyph)).arg(mode));
    }

    auto *autoRts = get<QCheckBox>("AutoRTSCheck");
    auto *r8 = get<TTwoJumper>("AutoRTSJumperA");
    if (autoRts->isHidden() == rs485 || r8->isEnabled() != rs485 || (!rs485 && autoRts->isChecked()))
        return fail(QStringLiteral("Auto RTS does not fit protocol %1").arg(mode));
    if (r8->Closed() != autoRts->isChecked())
        return fail(QStringLiteral("R8 differs from \"Auto RTS\""));

    auto *load = get<QComboBox>("LoadCombo");
    const int index = load->currentIndex();
    if (load->isHidden() != rs232 || (rs485 && load->count() != 2) || (rs422 && load->count() != 4) ||
        index < 0 || index >= load->count())
        return fail(QStringLiteral("termination list (%1 entries, at %2) does not fit protocol %3")
                        .arg(load->count())
                        .arg(index)
                        .arg(mode));
    if (get<TTwoJumper>("TLJumperA")->Closed() != ((index & 1) != 0) ||
        get<TTwoJumper>("RLJumperA")->Closed() != ((index & 2) != 0))
        return fail(QStringLiteral("TL or RL does not show termination %1").arg(index));
    for (const char *name : {"TLJumperA", "RLJumperA", "TLLabelB", "RLLabelB"}) {
        if (get<QWidget>(name)->isEnabled() == rs232)
            return fail(QStringLiteral("%1 enabled in protocol %2").arg(QLatin1String(name)).arg(mode));
    }

    if (get<TTwoJumper>("ClockJumperA")->Closed() != (get<QComboBox>("ClockCombo")->currentIndex() != 0))
        return fail(QStringLiteral("X8 does not show the clock list"));
    if (get<TTwoJumper>("DFJumperA")->Closed() != (get<QComboBox>("DFCombo")->currentIndex() != 0))
        return fail(QStringLiteral("DF does not show the port-disable list"));
}

void TestRandomUse::checkPortPanel()
{
    if (get<QPushButton>("ConfigButton")->isHidden() == get<QPushButton>("UseButton")->isHidden())
        return fail(QStringLiteral("the port-resources panel is in both states or in none"));
    for (char port = 'A'; port <= 'H'; ++port) {
        const QByteArray editName = QByteArray("BaseEdit") + port;
        const QByteArray spinnerName = QByteArray("BaseUD") + port;
        const QString text = get<QLineEdit>(editName.constData())->text();
        const int position = get<TUpDown>(spinnerName.constData())->Position();
        if (configured && (position < 256 || position > 1016 || position % 8 != 0))
            return fail(QStringLiteral("spinner %1 at %2").arg(port).arg(position));
        if (text.isEmpty() || text == QLatin1String("***"))
            continue;
        // The edit shows what its spinner holds, in three upper-case digits.
        if (text != QStringLiteral("%1").arg(position, 3, 16, QLatin1Char('0')).toUpper())
            return fail(QStringLiteral("port edit %1 shows \"%2\" with its spinner at %3")
                            .arg(port)
                            .arg(text)
                            .arg(position));
    }
}

void TestRandomUse::checkWrites()
{
    if (FakePorts::strayWrites() != 0) {
        QStringList last;
        const QList<PortCall> calls = FakePorts::writes();
        for (qsizetype i = qMax<qsizetype>(0, calls.size() - 4); i < calls.size(); ++i)
            last << QStringLiteral("(0x%1, %2)").arg(calls.at(i).port, 0, 16).arg(calls.at(i).value);
        return fail(QStringLiteral("%1 writes missed the card at 0x%2: %3")
                        .arg(FakePorts::strayWrites())
                        .arg(expectedBase, 0, 16)
                        .arg(last.join(QStringLiteral(", "))));
    }
    const int count = FakePorts::callCount();
    if (count == checkedCalls)
        return;
    const QList<PortCall> calls = FakePorts::calls();
    for (int i = checkedCalls; i < count; ++i) {
        const PortCall &call = calls.at(i);
        if (!call.write)
            return fail(QStringLiteral("port 0x%1 was read").arg(call.port, 0, 16));
        if (nextRegister > 10)
            return fail(QStringLiteral("a write after the ten registers, before the sequence ended"));
        if (nextRegister > 1 || !expectIndex) {
            if (call.ns - lastWriteNs < SettleNs)
                return fail(
                    QStringLiteral("only %1 us between two writes").arg((call.ns - lastWriteNs) / 1000));
        }
        lastWriteNs = call.ns;
        if (expectIndex) {
            if (call.port != quint32(expectedBase) + 1 || call.value != quint32(nextRegister))
                return fail(QStringLiteral("expected index %1 at 0x%2, got (0x%3, %4)")
                                .arg(nextRegister)
                                .arg(expectedBase + 1, 0, 16)
                                .arg(call.port, 0, 16)
                                .arg(call.value));
        } else {
            if (call.port != quint32(expectedBase) + 2)
                return fail(QStringLiteral("expected the data of register %1 at 0x%2, got a write to 0x%3")
                                .arg(nextRegister)
                                .arg(expectedBase + 2, 0, 16)
                                .arg(call.port, 0, 16));
            const quint32 value = call.value;
            const bool fits = nextRegister <= 8 ? value >= 0x20 && value <= 0x7F
                              : nextRegister == 9
                                  ? QList<quint32>{2, 3, 4, 5, 6, 7, 10, 11, 12, 15}.contains(value)
                                  : value <= 0xFF;
            if (!fits)
                return fail(QStringLiteral("register %1 written with %2").arg(nextRegister).arg(value));
            sequenceValues.append(int(value));
            ++nextRegister;
        }
        expectIndex = !expectIndex;
    }
    checkedCalls = count;
}

void TestRandomUse::sequenceFinished()
{
    checkWrites();
    if (nextRegister == 11) {
        ++sequencesWritten;
    } else if (nextRegister != 1 || !expectIndex) {
        return fail(QStringLiteral("a write sequence ended after %1 registers").arg(nextRegister - 1));
    }
    nextRegister = 1;
    expectIndex = true;
    sequenceValues.clear();
}

void TestRandomUse::randomUse()
{
    seed = envNumber("TR4410_RANDOM_SEED", 4410);
    target = int(envNumber("TR4410_RANDOM_STEPS", 10000));
    maxSequences = int(envNumber("TR4410_RANDOM_WRITES", 12));
    rng.seed(seed);
    qInfo("random use: seed %u, %d steps, at most %d writes (replay with TR4410_RANDOM_SEED=%u)", seed,
          target, maxSequences, seed);

    FakePorts::reset();
    form = std::make_unique<TMainForm>();
    checkedCalls = FakePorts::callCount(); // the start-up test of the driver
    connect(form->PortResources(), &TPortResourcesPanel::SequenceFinished, this,
            &TestRandomUse::sequenceFinished);
    // Typing changes the text a key at a time; every valid text on the way counts.
    connect(get<QLineEdit>("BaseEdit"), &QLineEdit::textChanged, this, [this](const QString &text) {
        if (parseHexAddress(text))
            lastValidText = text;
        textsSinceAccess.append(text);
    });
    form->move(0, 0);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    check();
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));

    // Three timers act: a timer does not fire again while its own step runs, so a step that waits
    // (in a message box, in a settle wait) lets the other two act meanwhile. A fourth one answers
    // the message boxes; answering never waits, so it is always free.
    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<QTimer>> timers;
    for (int i = 0; i < 4; ++i) {
        auto timer = std::make_unique<QTimer>();
        timer->setInterval(0);
        connect(timer.get(), &QTimer::timeout, this,
                i < 3 ? &TestRandomUse::step : &TestRandomUse::answerBox);
        timer->start();
        timers.push_back(std::move(timer));
    }
    loop.exec();
    timers.clear();

    qInfo("random use: %d steps in %lld ms, %d write sequences (%d started), deepest nesting %d", steps,
          clock.elapsed(), sequencesWritten, sequencesStarted, deepest);
    QStringList answered;
    for (auto it = boxes.cbegin(); it != boxes.cend(); ++it)
        answered << QStringLiteral("%1 x%2").arg(it.key()).arg(it.value());
    qInfo("message boxes: %s", qPrintable(answered.join(QStringLiteral(", "))));
    QStringList done;
    for (auto it = actions.cbegin(); it != actions.cend(); ++it)
        done << QStringLiteral("%1 x%2").arg(it.key()).arg(it.value());
    qInfo("actions: %s", qPrintable(done.join(QStringLiteral(", "))));

    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    QCOMPARE(steps, target);
    form.reset();
}

namespace {
// Answers each message box as it comes up with OK; after the first one it clicks the given button
// at once, so that the click arrives while the box's own event loop is still unwinding. Two timers
// poll: while one is held up in the click (its handler may wait in a box of its own), the other
// answers.
class AnswerThenClick : public QObject
{
public:
    explicit AnswerThenClick(QAbstractButton *button)
        : m_button(button)
    {
        for (QTimer *timer : {&m_poll, &m_spare}) {
            connect(timer, &QTimer::timeout, this, &AnswerThenClick::poll);
            timer->start(1);
        }
    }
    QStringList captions;

private:
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == m_last)
            return;
        m_last = box;
        captions.append(box->windowTitle());
        box->button(QMessageBox::Ok)->click();
        if (m_button && !m_clicked) {
            m_clicked = true;
            m_button->click();
        }
    }

    QPointer<QAbstractButton> m_button;
    QPointer<QMessageBox> m_last;
    bool m_clicked = false;
    QTimer m_poll;
    QTimer m_spare;
};
} // namespace

void TestRandomUse::secondConfigClickWhileAnswering()
{
    FakePorts::reset();
    form = std::make_unique<TMainForm>();
    auto *config = get<QPushButton>("ConfigButton");
    {
        AnswerThenClick answerer(config);
        config->click();
        // One question, one entry: the second click found the first one still running.
        QCOMPARE(answerer.captions, QStringList{QStringLiteral("Access Warning")});
    }
    QVERIFY(config->isHidden());
    QVERIFY(!get<QPushButton>("UseButton")->isHidden());
    form.reset();
}

void TestRandomUse::secondUseClickWhileAnswering()
{
    FakePorts::reset();
    form = std::make_unique<TMainForm>();
    FakePorts::setCardBase(0x300);
    {
        AnswerThenClick answerer(nullptr);
        get<QPushButton>("ConfigButton")->click();
    }
    for (char port = 'A'; port <= 'H'; ++port) {
        const QByteArray name = QByteArray("BaseUD") + port;
        get<TUpDown>(name.constData())->setPosition(0x100 + 8 * (port - 'A'));
    }
    get<QComboBox>("IRQCombo")->setCurrentIndex(0);
    const int before = FakePorts::callCount();

    auto *use = get<QPushButton>("UseButton");
    {
        AnswerThenClick answerer(use);
        use->click();
        // The question, then the closing message: no second question, no second sequence.
        QCOMPARE(answerer.captions,
                 QStringList({QStringLiteral("Confirmation"), QStringLiteral("Confirmation")}));
    }
    QCOMPARE(FakePorts::callCount() - before, 20);
    QCOMPARE(FakePorts::strayWrites(), 0);
    QCOMPARE(FakePorts::resourceRegisters(),
             QList<int>({0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 2, 0}));
    QVERIFY(use->isHidden());
    QVERIFY(!get<QPushButton>("ConfigButton")->isHidden());
    form.reset();
}

QTEST_MAIN(TestRandomUse)
#include "tst_random_use.moc"
