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

#include "random_use.h"

namespace {

quint32 envNumber(const char *name, quint32 fallback)
{
    bool ok = false;
    const quint32 value = qEnvironmentVariable(name).toUInt(&ok, 0);
    return ok ? value : fallback;
}

qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

} // namespace

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
    if (steps >= target && depth == 0 && !QApplication::activeModalWidget() && !form->portResources()->busy())
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
    if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
        // The save that the closing box offers: the user thinks better of it.
        trace(QStringLiteral("Cancel to \"%1\"").arg(dialog->windowTitle()));
        dialog->reject();
        return;
    }
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
    connect(form->portResources(), &TPortResourcesPanel::sequenceFinished, this,
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
        QTRY_VERIFY(!form->portResources()->busy());
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
