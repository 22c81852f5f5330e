// The actions of the careless user of tst_random_use.cpp: what it hovers, clicks, chooses and types.
#include "random_use.h"

namespace {

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

// What a user might type into an address field: mostly hex digits, now and then something else.
const QString Typeable = QStringLiteral("0123456789abcdefABCDEF0000300");
const QStringList Oddities = {QStringLiteral(" "),      QStringLiteral("x"),      QStringLiteral("$"),
                              QStringLiteral("-"),      QStringLiteral("+"),      QStringLiteral("G"),
                              QStringLiteral("\t"),     QStringLiteral("0x"),     QStringLiteral("\u0663"),
                              QStringLiteral("\uFF13"), QStringLiteral("\u00E9"), QStringLiteral("😀")};

} // namespace

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
        const quint16 base = form->portResources()->controlBase();
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
        // File > Exit has its own action, which shows the window again afterwards; the card file
        // items wait in a file dialog, the jumper sheet in the print dialog.
        static const QStringList own{QStringLiteral("Exit2"), QStringLiteral("OpenCardFile1"),
                                     QStringLiteral("SaveCardFile1"), QStringLiteral("PrintJumperSheet1")};
        if (!action->isSeparator() && action->isEnabled() && !own.contains(action->objectName()))
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
    const bool busy = form->portResources()->busy();
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
