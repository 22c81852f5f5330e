// The port-resource procedure through the real main window, writing to the fake port library and
// its model of the card's index and data registers.
#include "command_line/card_file_cases.h"
#include "fakes/fake_ports.h"
#include "list_pick.h"
#include "main_form.h"
#include "main_window/message_box_answerer.h"

#include "board_highlight.h"
#include "popup_form.h"
#include "port_resources_panel.h"
#include "radio_panel.h"
#include "two_jumper.h"
#include "up_down.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>
#include <unistd.h>

namespace {

const QString Ports = QStringLiteral("ABCDEFGH");
const QList<int> ExamplePorts{0x3F8, 0x2F8, 0x3E8, 0x2E8, 0x100, 0x108, 0x110, 0x118};
const QList<int> ExampleRegisters{0x7F, 0x5F, 0x7D, 0x5D, 0x20, 0x21, 0x22, 0x23, 0x0A};

template<typename T>
T *control(const QObject *form, const QString &name)
{
    T *found = form->findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

// Runs action once, from the event loop, as soon as the fake has seen the given number of writes.
class AfterWrites : public QObject
{
public:
    AfterWrites(int writes, std::function<void()> action)
    {
        m_poll.setInterval(1);
        connect(&m_poll, &QTimer::timeout, this, [this, writes, action] {
            if (FakePorts::writes().size() < writes)
                return;
            m_poll.stop();
            action();
        });
        m_poll.start();
    }

private:
    QTimer m_poll;
};

// Answers the next modal file dialog: the path chosen as its file, then Enter in the file name.
class FileDialogAnswerer : public QObject
{
public:
    explicit FileDialogAnswerer(const QString &path)
    {
        m_poll.setInterval(5);
        connect(&m_poll, &QTimer::timeout, this, [this, path] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            auto *name = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
            if (!name || !dialog->isVisible())
                return;
            m_poll.stop();
            m_filter = dialog->nameFilters().join(QLatin1Char(';'));
            dialog->selectFile(path);
            QTest::keyClick(name, Qt::Key_Return);
        });
        m_poll.start();
    }
    // The dialog's filter, once it was answered.
    QString filter() const { return m_filter; }

private:
    QTimer m_poll;
    QString m_filter;
};

class Window
{
public:
    // The driver presence test runs in the constructor; its warning is answered when it comes.
    explicit Window(bool driverPresent = true)
    {
        FakePorts::setInValue(driverPresent ? 0x00 : 0xAA55);
        MessageBoxAnswerer startUp({QMessageBox::Ok});
        form = std::make_unique<TMainForm>();
        logic = form->portResources();
    }

    template<typename T = QWidget>
    T *get(const QString &name) const
    {
        return control<T>(form.get(), name);
    }
    QLineEdit *edit(int port) const { return get<QLineEdit>(QStringLiteral("BaseEdit") + Ports.at(port)); }
    TUpDown *spinner(int port) const { return get<TUpDown>(QStringLiteral("BaseUD") + Ports.at(port)); }
    bool inConfiguration() const
    {
        return !get(QStringLiteral("UseButton"))->isHidden() &&
               get(QStringLiteral("ConfigButton"))->isHidden();
    }

    void chooseProtocol(int item) const
    {
        auto *mode = get<QComboBox>(QStringLiteral("ModeCombo"));
        QVERIFY(pickInList(mode, item));
    }

    void enter() const
    {
        MessageBoxAnswerer answers({QMessageBox::Ok});
        get<QPushButton>(QStringLiteral("ConfigButton"))->click();
        QVERIFY(inConfiguration());
    }

    // Moves a port's spinner to an address with the keys of its edit, as a user would: one Up
    // first (the edit shows "***" until the spinner is asked for something), then Page and arrows.
    void typeAddress(int port, int address) const
    {
        QLineEdit *e = edit(port);
        TUpDown *s = spinner(port);
        QTest::keyClick(e, Qt::Key_Up);
        while (s->Position() - address >= 64)
            QTest::keyClick(e, Qt::Key_PageDown);
        while (address - s->Position() >= 64)
            QTest::keyClick(e, Qt::Key_PageUp);
        while (s->Position() > address)
            QTest::keyClick(e, Qt::Key_Down);
        while (s->Position() < address)
            QTest::keyClick(e, Qt::Key_Up);
    }

    void chooseExample(const QString &irq) const
    {
        for (int port = 0; port < 8; ++port)
            typeAddress(port, ExamplePorts.at(port));
        auto *combo = get<QComboBox>(QStringLiteral("IRQCombo"));
        combo->setCurrentIndex(combo->findText(irq));
    }

    // Clicks "Use These Resources" and waits until the sequence it started, if any, has ended.
    void use() const
    {
        get<QPushButton>(QStringLiteral("UseButton"))->click();
        QTRY_VERIFY(!logic->busy());
    }

    // File > Open or Save Card File..., its dialog answered with the path; the dialog's filter.
    QString cardFileMenu(const QString &action, const QString &path) const
    {
        FileDialogAnswerer dialog(path);
        get<QAction>(action)->trigger();
        return dialog.filter();
    }

    // Every choice, glyph and list the window shows.
    QStringList shown() const
    {
        QStringList state{get<QLineEdit>(QStringLiteral("BaseEdit"))->text(),
                          QString::number(get<QCheckBox>(QStringLiteral("AutoRTSCheck"))->isChecked())};
        for (const TTwoJumper *glyph : form->findChildren<TTwoJumper *>())
            state << glyph->objectName() + QString::number(glyph->Closed()) +
                         QString::number(glyph->isEnabled());
        for (const QComboBox *list : form->findChildren<QComboBox *>())
            state << list->objectName() + list->currentText() + QString::number(list->count());
        return state;
    }

    std::unique_ptr<TMainForm> form;
    TPortResourcesPanel *logic = nullptr;
};

QString runCtl(const QStringList &arguments)
{
    QProcess ctl;
    ctl.start(QStringLiteral(TR4410CTL), arguments);
    return ctl.waitForFinished(30000) && ctl.exitCode() == 0
               ? QString::fromUtf8(ctl.readAllStandardOutput())
               : QStringLiteral("failed: ") + ctl.readAllStandardError();
}

QString writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class TestPortResources : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(FakePorts::available(), FakePorts::unavailableReason()); }

    void init()
    {
        FakePorts::reset();
        FakePorts::setCardBase(0x300);
    }

    void exampleReachesTheCard_data()
    {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<int>("mask");
        QTest::newRow("RS-422") << 2 << 0xFF;
        QTest::newRow("RS-485") << 1 << 0x00;
        QTest::newRow("RS-232") << 0 << 0x00;
    }
    void exampleReachesTheCard()
    {
        QFETCH(int, protocol);
        QFETCH(int, mask);
        Window w;
        w.chooseProtocol(protocol);
        w.enter();
        for (int port = 0; port < 8; ++port)
            QCOMPARE(w.get<QCheckBox>(QStringLiteral("LockRTSCheck") + Ports.at(port))->isChecked(),
                     mask != 0);
        // One key, one step; the spinner's arrow buttons go through the same report.
        QTest::keyClick(w.edit(0), Qt::Key_PageDown);
        QCOMPARE(w.spinner(0)->Position(), 952);
        QCOMPARE(w.edit(0)->text(), QStringLiteral("3B8"));
        w.spinner(1)->findChild<QToolButton *>(QStringLiteral("UpButton"))->click();
        QCOMPARE(w.spinner(1)->Position(), 1016);
        QCOMPARE(w.edit(1)->text(), QStringLiteral("3F8"));
        w.spinner(1)->findChild<QToolButton *>(QStringLiteral("DownButton"))->click();
        QCOMPARE(w.spinner(1)->Position(), 1008);
        QCOMPARE(w.edit(1)->text(), QStringLiteral("3F0"));

        w.chooseExample(QStringLiteral("A"));
        QCOMPARE(w.edit(2)->text(), QStringLiteral("3E8"));

        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        w.use();
        QCOMPARE(answers.seen().size(), 2);
        QCOMPARE(answers.seen().at(1).icon, QMessageBox::Information);

        QList<int> expected = ExampleRegisters;
        expected.append(mask);
        QCOMPARE(FakePorts::resourceRegisters(), expected);
        QCOMPARE(FakePorts::strayWrites(), 0);
        const QList<PortCall> writes = FakePorts::writes();
        QCOMPARE(writes.size(), 20);
        for (int k = 1; k <= 10; ++k) {
            QCOMPARE(writes.at(2 * k - 2).port, 0x301u);
            QCOMPARE(writes.at(2 * k - 2).value, quint32(k));
            QCOMPARE(writes.at(2 * k - 1).port, 0x302u);
            QCOMPARE(int(writes.at(2 * k - 1).value), expected.at(k - 1));
        }
        // At least 10 ms after every write, by the library's own clock.
        for (int i = 1; i < writes.size(); ++i)
            QVERIFY2(writes.at(i).ns - writes.at(i - 1).ns >= 10'000'000, qPrintable(QString::number(i)));
        QVERIFY(!w.inConfiguration());
    }

    void typedAddressBeyondTheJumpers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<quint32>("jumpers");
        QTest::newRow("3F5") << "3F5" << 0x3F0u;
        QTest::newRow("12300") << "12300" << 0x300u;
    }
    void typedAddressBeyondTheJumpers()
    {
        QFETCH(QString, typed);
        QFETCH(quint32, jumpers);
        FakePorts::setCardBase(jumpers);
        Window w;
        w.get<QLineEdit>(QStringLiteral("BaseEdit"))->setText(typed);
        w.enter();
        w.chooseExample(QStringLiteral("3"));
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        w.use();
        // Only the card's own index and data registers were written, and it holds every value.
        QCOMPARE(FakePorts::strayWrites(), 0);
        QCOMPARE(FakePorts::writes().size(), 20);
        for (const PortCall &c : FakePorts::writes())
            QVERIFY(c.port == jumpers + 1 || c.port == jumpers + 2);
        QCOMPARE(FakePorts::resourceRegister(1), 0x7F);
        QCOMPARE(FakePorts::resourceRegister(9), 3);
    }

    void uiStaysLiveDuringTheWrites()
    {
        Window w;
        w.enter();
        w.chooseExample(QStringLiteral("A"));
        auto *baseEdit = w.get<QLineEdit>(QStringLiteral("BaseEdit"));
        auto *a9 = w.get<TTwoJumper>(QStringLiteral("BaseJumper9A"));
        QVERIFY(!a9->Closed());
        int writesWhenHandled = -1;
        bool a9ClosedInside = false;
        // As soon as the first write is out, the user types a new address (its handler redraws
        // the jumpers) and something posts an event.
        AfterWrites typing(1, [&] {
            baseEdit->setText(QStringLiteral("100"));
            a9ClosedInside = a9->Closed();
            QMetaObject::invokeMethod(
                w.form.get(), [&] { writesWhenHandled = int(FakePorts::writes().size()); },
                Qt::QueuedConnection);
        });
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        w.use();
        QVERIFY(a9ClosedInside);
        QVERIFY2(writesWhenHandled >= 1 && writesWhenHandled < 20,
                 qPrintable(QString::number(writesWhenHandled)));
        // The sequence under way kept its register address.
        QCOMPARE(FakePorts::strayWrites(), 0);
        QCOMPARE(FakePorts::resourceRegister(10), 0x00);
    }

    void secondClickDuringTheWrites()
    {
        Window w;
        w.enter();
        w.chooseExample(QStringLiteral("C"));
        int writesAtSecondClick = -1;
        AfterWrites again(3, [&] {
            writesAtSecondClick = int(FakePorts::writes().size());
            QVERIFY(w.logic->busy());
            w.get<QPushButton>(QStringLiteral("UseButton"))->click();
            w.form->ConfigButtonClick();
        });
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        w.use();
        QVERIFY(writesAtSecondClick > 0 && writesAtSecondClick < 20);
        QCOMPARE(answers.seen().size(), 2);
        QCOMPARE(answers.unexpected(), 0);
        QCOMPARE(FakePorts::writes().size(), 20);
        QCOMPARE(FakePorts::strayWrites(), 0);
        QVERIFY(!w.logic->busy());
    }

    void closingDuringTheWrites()
    {
        Window w;
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        w.enter();
        w.chooseExample(QStringLiteral("5"));
        bool visibleAfterClose = false;
        int writesAtClose = -1;
        AfterWrites closing(5, [&] {
            writesAtClose = int(FakePorts::writes().size());
            w.form->close();
            visibleAfterClose = w.form->isVisible();
        });
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        w.use();
        QVERIFY(writesAtClose > 0 && writesAtClose < 20);
        // The close waited: the sequence ran to its end and the user was told.
        QVERIFY(visibleAfterClose);
        QCOMPARE(FakePorts::writes().size(), 20);
        QCOMPARE(answers.seen().size(), 2);
        QCOMPARE(answers.seen().at(1).icon, QMessageBox::Information);
        // Then the window closes by itself.
        QTRY_VERIFY(!w.form->isVisible());
    }

    void withoutPortAccess()
    {
        Window w(false);
        w.enter();
        w.chooseExample(QStringLiteral("B"));
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        w.use();
        QCOMPARE(FakePorts::writes().size(), 0);
        QCOMPARE(answers.seen().size(), 1);
        QCOMPARE(answers.seen().first().icon, QMessageBox::Critical);
        // The fixture's Linux has port I/O: root then lacks the helper's capability, others the group.
        QVERIFY(answers.seen().first().text.contains(geteuid() == 0 ? "package tr4410-settings"
                                                                    : "group tr4410"));
        QVERIFY(w.inConfiguration());
        QCOMPARE(w.edit(7)->text(), QStringLiteral("118"));
        QCOMPARE(w.get<QComboBox>(QStringLiteral("IRQCombo"))->currentText(), QStringLiteral("B"));
    }

    void portLayerFailureHalfway()
    {
        // The port layer goes away after seven writes (as when the helper is killed): the window
        // asks the library's own status and shows the error instead of the closing box.
        const auto failAfter =
            reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "FakeVanto_FailAfterWrites"));
        QVERIFY(failAfter);
        Window w;
        w.enter();
        w.chooseExample(QStringLiteral("A"));
        failAfter(7);
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        w.use();
        failAfter(-1);
        QCOMPARE(FakePorts::writes().size(), 8); // the lost eighth write, and nothing after it
        QCOMPARE(answers.seen().size(), 2);
        QCOMPARE(answers.seen().at(1).caption, QStringLiteral("Write Failed"));
        QVERIFY(answers.seen().at(1).text.contains(QLatin1String("register 3 (base address for port C)")));
        QVERIFY(w.inConfiguration());
    }

    void cancelWritesNothing()
    {
        Window w;
        {
            MessageBoxAnswerer answers({QMessageBox::Cancel});
            w.get<QPushButton>(QStringLiteral("ConfigButton"))->click();
            QCOMPARE(answers.seen().size(), 1);
            QVERIFY(!w.inConfiguration());
        }
        w.enter();
        w.chooseExample(QStringLiteral("4"));
        {
            MessageBoxAnswerer answers({QMessageBox::Cancel});
            w.use();
            QCOMPARE(answers.seen().size(), 1);
        }
        QVERIFY(w.inConfiguration());
        QCOMPARE(FakePorts::writes().size(), 0);
    }

    // The card files tr4410ctl reads: a bad one is refused with its message and changes nothing; a
    // good one's resources are where the next entry into the configuration state starts.
    void cardFilesOpen_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        for (const CardFileCase &c : cardFileCases())
            QTest::newRow(c.tag.constData()) << c.content << c.message;
    }
    void cardFilesOpen()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QTemporaryDir dir;
        const QString path = writeFile(dir.filePath(QStringLiteral("card.json")), content);
        Window w;
        const QStringList before = w.shown();
        {
            MessageBoxAnswerer answers({QMessageBox::Ok});
            QCOMPARE(w.cardFileMenu(QStringLiteral("OpenCardFile1"), path),
                     QStringLiteral("Card files (*.json)"));
            QCOMPARE(answers.seen().size(), message.isEmpty() ? 0 : 1);
            if (!message.isEmpty()) {
                QCOMPARE(answers.seen().first().icon, QMessageBox::Warning);
                QCOMPARE(answers.seen().first().format, Qt::PlainText); // a key is never markup
                QVERIFY2(answers.seen().first().text.startsWith(message.arg(path) + "\n\n"),
                         qPrintable(answers.seen().first().text));
                QCOMPARE(w.shown(), before);
            }
        }
        w.enter();
        if (!message.isEmpty()) {
            QCOMPARE(w.edit(1)->text(), QStringLiteral("***"));
            return;
        }
        const int irq = QByteArray(QTest::currentDataTag()).mid(4).toInt();
        QCOMPARE(w.get<QComboBox>(QStringLiteral("IRQCombo"))->currentText(),
                 QString::number(irq, 16).toUpper());
        QCOMPARE(w.edit(1)->text(), QStringLiteral("2F8"));
        QCOMPARE(w.spinner(1)->Position(), 0x2F8);
    }

    // A card file opened through the menu sets the window; saved through the menu, tr4410ctl plans
    // the jumpers shown and the writes the window makes; the closing box saves the same.
    void cardFileRoundTrip()
    {
        const QTemporaryDir dir;
        const QString card = writeFile(dir.filePath(QStringLiteral("plan.json")),
                                       R"({"version": 1, "controlBase": "0x2A0", "protocol": "RS-422",
            "termination": "receive", "clock": "X8", "df": "fitted", "irq": 12, "rs422Ports": ["A", "C"],
            "ports": {"A": "0x3F8", "B": "0x2F8", "C": "0x3E8", "D": "0x2E8", "E": "0x100", "F": "0x108",
                      "G": "0x110", "H": "0x118"}})");
        FakePorts::setCardBase(0x2A0);
        Window w;
        w.cardFileMenu(QStringLiteral("OpenCardFile1"), card);
        QCOMPARE(w.get<QComboBox>(QStringLiteral("LoadCombo"))->currentText(),
                 QStringLiteral("Terminate Receive"));
        for (const char *closed : {"RS422JumperB", "RLJumperB", "ClockJumperC", "DFJumperB", "BaseJumper8B"})
            QVERIFY2(w.get<TTwoJumper>(QLatin1String(closed))->Closed(), closed);
        for (const char *open : {"RS485JumperB", "TLJumperB", "AutoRTSJumperB", "BaseJumper9C"})
            QVERIFY2(!w.get<TTwoJumper>(QLatin1String(open))->Closed(), open);
        w.enter();
        for (int port = 0; port < 8; ++port) {
            QCOMPARE(w.edit(port)->text(), QStringLiteral("%1").arg(ExamplePorts.at(port), 3, 16).toUpper());
            QCOMPARE(w.get<QCheckBox>(QStringLiteral("LockRTSCheck") + Ports.at(port))->isChecked(),
                     port == 0 || port == 2);
        }
        QCOMPARE(w.get<QComboBox>(QStringLiteral("IRQCombo"))->currentText(), QStringLiteral("C"));

        const QString saved = dir.filePath(QStringLiteral("saved.json"));
        w.cardFileMenu(QStringLiteral("SaveCardFile1"), dir.filePath(QStringLiteral("saved")));
        // Each jumper of the plan as the window's glyph of it shows it.
        const QMap<QString, QString> glyphs{
            {"DF", "DFJumperA"},    {"X8", "ClockJumperA"},   {"32", "RS232JumperA"},
            {"85", "RS485JumperA"}, {"R8", "AutoRTSJumperA"}, {"4x", "RS4xxJumperA"},
            {"42", "RS422JumperA"}, {"RL", "RLJumperA"},      {"TL", "TLJumperA"}};
        const QStringList plan =
            runCtl({"plan", "--card", saved}).split('\n').filter(QRegularExpression("^  \\S+ +(fit|open)"));
        QCOMPARE(plan.size(), 15);
        for (const QString &line : plan) {
            const QString label = line.section(' ', 2, 2);
            const QString glyph = glyphs.value(label, QStringLiteral("BaseJumper%1A").arg(label.mid(1)));
            QCOMPARE(w.get<TTwoJumper>(glyph)->Closed() ? "fit" : "open", line.mid(6, 4).trimmed());
        }

        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::NoButton});
        const QString again = dir.filePath(QStringLiteral("written.json"));
        FileDialogAnswerer saveWritten(again);
        w.use();
        QCOMPARE(answers.seen().size(), 2);
        QCOMPARE(answers.seen().at(1).buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QStringList writes;
        for (const PortCall &c : FakePorts::writes())
            writes << QStringLiteral("0x%1 <- 0x%2")
                          .arg(c.port, 3, 16, QLatin1Char('0'))
                          .arg(c.value, 2, 16, QLatin1Char('0'))
                          .toUpper()
                          .replace("0X", "0x");
        QCOMPARE(writes.size(), 20);
        QCOMPARE(runCtl({"write", "--dry-run", "--card", saved})
                     .split(QLatin1Char('\n'))
                     .filter(QRegularExpression("^0x.* <- ")),
                 writes);
        QFile first(saved), second(again);
        QVERIFY(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly));
        QCOMPARE(second.readAll(), first.readAll());
    }

    void popupKeepsTheConfigurationState()
    {
        Window w;
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        auto *highlight = w.get<TBoardHighlight>(QStringLiteral("COMBaseHighlight"));
        // Hovering opens the popup, a click pins it.
        highlight->showPopup();
        highlight->Pin();
        TPopupForm *popup = highlight->popup();
        QVERIFY(popup && popup->isVisible());
        auto *panel = w.get<TRadioPanel>(QStringLiteral("COMBasePanel"));
        QVERIFY(popup->isAncestorOf(panel));
        QVERIFY(panel->isVisible());

        w.enter();
        // The boxes belong to the window the panel sits in.
        w.typeAddress(3, 0x2E8);
        w.get<QComboBox>(QStringLiteral("IRQCombo"))->setCurrentIndex(4);
        popup->close();
        QVERIFY(!popup->isVisible());
        highlight->showPopup();
        highlight->Pin();
        QVERIFY(popup->isVisible());
        QVERIFY(w.inConfiguration());
        QVERIFY(w.edit(3)->isVisible());
        QCOMPARE(w.edit(3)->text(), QStringLiteral("2E8"));
        QCOMPARE(w.edit(0)->text(), QStringLiteral("***"));
        QCOMPARE(w.get<QComboBox>(QStringLiteral("IRQCombo"))->currentText(), QStringLiteral("6"));

        MessageBoxAnswerer answers({QMessageBox::Ok});
        w.use();
        QCOMPARE(answers.seen().size(), 1);
        QCOMPARE(answers.seen().first().parent, popup);
        QCOMPARE(answers.seen().first().text, QStringLiteral("Error: base address for port A is invalid."));
    }
};

QTEST_MAIN(TestPortResources)
#include "tst_port_resources.moc"
