#include "main_form.h"

#include "list_pick.h"

#include "board_highlight.h"
#include "board_image.h"
#include "popup_form.h"
#include "radio_panel.h"
#include "two_jumper.h"
#include "up_down.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {
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
} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startState();
    void addressText_data();
    void addressText();
    void invalidAddressKeepsGlyphs();
    void addressJumperClicks();
    void protocolChoices();
    void rechoosingChangesNothing_data();
    void rechoosingChangesNothing();
    void protocolGlyphClicks();
    void autoRts();
    void termination();
    void clockAndPortDisable();
    void portEditKeysReachHandler();

private:
    template<typename T = QWidget>
    T *get(const char *name) const
    {
        T *const object = form->findChild<T *>(QLatin1String(name));
        if (!object)
            qWarning("no %s", name);
        return object;
    }
    bool closed(const char *name) const { return get<TTwoJumper>(name)->Closed(); }
    void click(const char *name) const { get<TTwoJumper>(name)->click(); }
    void choose(const char *combo, int index) const { QVERIFY(pickInList(get<QComboBox>(combo), index)); }
    void setAddress(const QString &text) const { get<QLineEdit>("BaseEdit")->setText(text); }
    QString feedback() const { return get<QLabel>("BaseLabelFeedback")->text(); }
    QColor editColour() const { return get<QLineEdit>("BaseEdit")->palette().color(QPalette::Base); }
    bool mirrorsAgree() const;
    // The six address glyphs as the settable address they draw (open = bit set).
    quint32 drawnAddress() const;
    QStringList loadItems() const;

    std::unique_ptr<TMainForm> form;
};

void TestMainForm::init()
{
    form = std::make_unique<TMainForm>();
}

void TestMainForm::cleanup()
{
    form.reset();
}

bool TestMainForm::mirrorsAgree() const
{
    for (const auto &[mirror, master] : MirrorPairs) {
        if (closed(mirror) != closed(master)) {
            qWarning("%s differs from %s", mirror, master);
            return false;
        }
    }
    return true;
}

quint32 TestMainForm::drawnAddress() const
{
    quint32 address = 0;
    quint32 bit = 0x010;
    for (const char *name : AddressMasters) {
        if (!closed(name))
            address |= bit;
        bit <<= 1;
    }
    return address;
}

QStringList TestMainForm::loadItems() const
{
    QStringList items;
    auto *combo = get<QComboBox>("LoadCombo");
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

void TestMainForm::startState()
{
    QCOMPARE(form->metaObject()->className(), "TMainForm");
    QCOMPARE(form->objectName(), QStringLiteral("MainForm"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Setup"));
    form->layout()->activate();
    QCOMPARE(form->centralWidget()->size(), QSize(804, 589));
    QCOMPARE(form->palette().color(QPalette::Window), QColor(255, 255, 255));
    QCOMPARE(form->font().family(), QStringLiteral("MS Sans Serif"));
    QVERIFY(form->findChild<QObject *>(QStringLiteral("SetSup")));

    QCOMPARE(get<QLineEdit>("BaseEdit")->text(), QStringLiteral("300"));
    QCOMPARE(feedback(), QString());
    QCOMPARE(drawnAddress(), 0x300u);
    QCOMPARE(get<QComboBox>("ModeCombo")->currentIndex(), 1);
    QCOMPARE(get<QComboBox>("LoadCombo")->currentIndex(), 0);
    QCOMPARE(loadItems(), (QStringList{"No Termination", "Termination"}));
    QCOMPARE(get<QComboBox>("ClockCombo")->currentIndex(), 0);
    QCOMPARE(get<QComboBox>("DFCombo")->currentIndex(), 0);
    QCOMPARE(get<QComboBox>("IRQCombo")->currentIndex(), -1);
    QVERIFY(get<QCheckBox>("AutoRTSCheck")->isChecked());
    QVERIFY(!get("AutoRTSCheck")->isHidden());
    QVERIFY(get<QLabel>("DittoLabel")->font().bold());

    // 32 open, 85 closed, R8 closed, 4x closed, 42 open, RL, TL, X8 and DF open: masters and mirrors.
    const QList<QPair<const char *, bool>> glyphs = {
        {"RS232JumperA", false}, {"RS485JumperA", true},  {"AutoRTSJumperA", true},
        {"RS4xxJumperA", true},  {"RS422JumperA", false}, {"RLJumperA", false},
        {"TLJumperA", false},    {"ClockJumperA", false}, {"DFJumperA", false},
    };
    for (const auto &[name, isClosed] : glyphs)
        QVERIFY2(closed(name) == isClosed, name);
    QVERIFY(mirrorsAgree());

    // Masters take clicks, mirrors only show.
    for (const auto &[mirror, master] : MirrorPairs) {
        QVERIFY2(!get(mirror)->isEnabled(), mirror);
        QVERIFY2(get(master)->isEnabled(), master);
    }
}

void TestMainForm::addressText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("actual"); // the feedback after "Actual: ", or empty
    QTest::addColumn<quint32>("settable");

    QTest::newRow("300") << "300" << true << "" << 0x300u;
    QTest::newRow("305") << "305" << true << "300" << 0x300u;
    QTest::newRow("3f0 lower case") << "3f0" << true << "" << 0x3F0u;
    QTest::newRow("leading zero") << "0300" << true << "" << 0x300u;
    QTest::newRow("zero") << "0" << true << "" << 0x000u;
    QTest::newRow("zeros") << "000" << true << "" << 0x000u;
    QTest::newRow("400") << "400" << true << "0" << 0x000u;
    QTest::newRow("1300") << "1300" << true << "300" << 0x300u;
    QTest::newRow("FFFFFFFF") << "FFFFFFFF" << true << "3F0" << 0x3F0u;
    QTest::newRow("eight digits after zeros") << "000000003F0" << true << "" << 0x3F0u;
    QTest::newRow("nine digits") << "100000000" << false << "" << 0u;
    QTest::newRow("empty") << "" << false << "" << 0u;
    QTest::newRow("leading blank") << " 300" << false << "" << 0u;
    QTest::newRow("trailing blank") << "300 " << false << "" << 0u;
    QTest::newRow("dollar") << "$300" << false << "" << 0u;
    QTest::newRow("0x prefix") << "0x300" << false << "" << 0u;
    QTest::newRow("minus") << "-300" << false << "" << 0u;
    QTest::newRow("plus") << "+300" << false << "" << 0u;
    QTest::newRow("G") << "30G" << false << "" << 0u;
}

void TestMainForm::addressText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, actual);
    QFETCH(quint32, settable);

    const QColor validColour = editColour();
    // Start from a state that differs from every expectation, to see the change.
    setAddress(QStringLiteral("1F0"));
    QCOMPARE(drawnAddress(), 0x1F0u);
    setAddress(text);
    if (valid) {
        QCOMPARE(feedback(), actual.isEmpty() ? QString() : QStringLiteral("Actual: ") + actual);
        QCOMPARE(drawnAddress(), settable);
        QCOMPARE(editColour(), validColour);
    } else {
        QCOMPARE(drawnAddress(), 0x1F0u);
        QVERIFY(editColour() != validColour);
    }
    QVERIFY(mirrorsAgree());
}

void TestMainForm::invalidAddressKeepsGlyphs()
{
    const QColor validColour = editColour();
    setAddress(QStringLiteral("305"));
    setAddress(QStringLiteral("30G"));
    // Only the colour tells: the feedback and the glyphs of 305 stay.
    QCOMPARE(feedback(), QStringLiteral("Actual: 300"));
    QCOMPARE(drawnAddress(), 0x300u);
    auto *panel = get<TRadioPanel>("BasePanel");
    const QColor panelColour =
        panel->Color().isValid() ? panel->Color() : panel->palette().color(QPalette::Button);
    QCOMPARE(editColour(), panelColour);
    QVERIFY(panelColour != validColour);

    setAddress(QStringLiteral("3F0"));
    QCOMPARE(editColour(), validColour);
    QCOMPARE(feedback(), QString());
}

void TestMainForm::addressJumperClicks()
{
    click("BaseJumper9A"); // closes: A9 off
    QCOMPARE(get<QLineEdit>("BaseEdit")->text(), QStringLiteral("100"));
    QVERIFY(closed("BaseJumper9B") && closed("BaseJumper9C"));
    QVERIFY(mirrorsAgree());

    setAddress(QStringLiteral("300"));
    click("BaseJumper4A"); // opens: A4 on
    QCOMPARE(get<QLineEdit>("BaseEdit")->text(), QStringLiteral("310"));

    setAddress(QStringLiteral("305"));
    QCOMPARE(feedback(), QStringLiteral("Actual: 300"));
    click("BaseJumper4A");
    QCOMPARE(get<QLineEdit>("BaseEdit")->text(), QStringLiteral("310"));
    QCOMPARE(feedback(), QString());

    // After a bad entry a click writes a valid text built from the glyphs.
    const QColor validColour = editColour();
    setAddress(QStringLiteral("xyz"));
    QVERIFY(editColour() != validColour);
    click("BaseJumper8A"); // 310 with A8 closed: 210
    QCOMPARE(get<QLineEdit>("BaseEdit")->text(), QStringLiteral("210"));
    QCOMPARE(editColour(), validColour);
    QVERIFY(mirrorsAgree());

    // Every jumper closed writes "0".
    for (const char *name : AddressMasters) {
        if (!closed(name))
            click(name);
    }
    QCOMPARE(get<QLineEdit>("BaseEdit")->text(), QStringLiteral("0"));
    QVERIFY(closed("BaseJumper8B") && closed("BaseJumper9B") && closed("BaseJumper9C"));
}

void TestMainForm::protocolChoices()
{
    // RS-485 with "Termination", then RS-422.
    choose("LoadCombo", 1);
    QVERIFY(closed("TLJumperA") && !closed("RLJumperA"));
    choose("ModeCombo", 2);
    QCOMPARE(loadItems(),
             (QStringList{"No Termination", "Terminate Transmit", "Terminate Receive", "Terminate Both"}));
    QCOMPARE(get<QComboBox>("LoadCombo")->currentIndex(), 0);
    QVERIFY(!closed("TLJumperA") && !closed("RLJumperA"));
    QVERIFY(get("AutoRTSCheck")->isHidden());
    QVERIFY(!get<QCheckBox>("AutoRTSCheck")->isChecked());
    QVERIFY(!closed("AutoRTSJumperA") && !get("AutoRTSJumperA")->isEnabled());
    QVERIFY(!closed("RS232JumperA") && closed("RS4xxJumperA") && !closed("RS485JumperA") &&
            closed("RS422JumperA"));
    QVERIFY(mirrorsAgree());

    // RS-232 after "Terminate Both": the list hides, TL and RL keep showing it, disabled.
    choose("LoadCombo", 3);
    choose("ModeCombo", 0);
    QVERIFY(get("LoadCombo")->isHidden());
    QCOMPARE(get<QComboBox>("LoadCombo")->currentIndex(), 3);
    QVERIFY(closed("TLJumperA") && closed("RLJumperA"));
    for (const char *name : {"TLJumperA", "RLJumperA", "TLLabelB", "RLLabelB"})
        QVERIFY2(!get(name)->isEnabled(), name);
    QVERIFY(closed("RS232JumperA") && !closed("RS4xxJumperA") && !closed("RS485JumperA") &&
            !closed("RS422JumperA"));
    QVERIFY(!closed("AutoRTSJumperA") && !closed("AutoRTSJumperB"));
    QVERIFY(mirrorsAgree());

    // Back to RS-485: the two-entry list at "No Termination", Auto RTS ticked and R8 closed.
    choose("ModeCombo", 1);
    QVERIFY(!get("LoadCombo")->isHidden());
    QCOMPARE(loadItems(), (QStringList{"No Termination", "Termination"}));
    QCOMPARE(get<QComboBox>("LoadCombo")->currentIndex(), 0);
    QVERIFY(!closed("TLJumperA") && !closed("RLJumperA"));
    for (const char *name : {"TLJumperA", "RLJumperA", "TLLabelB", "RLLabelB", "AutoRTSJumperA"})
        QVERIFY2(get(name)->isEnabled(), name);
    QVERIFY(get<QCheckBox>("AutoRTSCheck")->isChecked() && !get("AutoRTSCheck")->isHidden());
    QVERIFY(closed("AutoRTSJumperA") && closed("AutoRTSJumperB"));
    QVERIFY(mirrorsAgree());

    // No selection counts as RS-232.
    get<QComboBox>("ModeCombo")->setCurrentIndex(-1);
    form->ModeComboChange();
    QCOMPARE(get<QComboBox>("ModeCombo")->currentIndex(), 0);
    QVERIFY(closed("RS232JumperA"));
    QVERIFY(mirrorsAgree());
}

void TestMainForm::rechoosingChangesNothing_data()
{
    QTest::addColumn<QStringList>("setUp"); // list=index choices, or a glyph to click
    QTest::addColumn<QString>("list");
    QTest::newRow("RS-422, Terminate Both") << QStringList{"ModeCombo=2", "LoadCombo=3"} << "ModeCombo";
    QTest::newRow("RS-485, Auto RTS unticked") << QStringList{"AutoRTSJumperA"} << "ModeCombo";
    QTest::newRow("RS-232") << QStringList{"ModeCombo=0"} << "ModeCombo";
    QTest::newRow("Terminate Receive") << QStringList{"ModeCombo=2", "LoadCombo=2"} << "LoadCombo";
    QTest::newRow("X8") << QStringList{"ClockCombo=1"} << "ClockCombo";
    QTest::newRow("Disable Ports") << QStringList{"DFCombo=1"} << "DFCombo";
}

// Picking the entry a list already shows is no new choice: nothing in the window changes.
void TestMainForm::rechoosingChangesNothing()
{
    QFETCH(QStringList, setUp);
    QFETCH(QString, list);
    for (const QString &step : std::as_const(setUp)) {
        const QStringList parts = step.split(QLatin1Char('='));
        if (parts.size() == 2)
            choose(qPrintable(parts[0]), parts[1].toInt());
        else
            click(qPrintable(step));
    }
    const auto state = [this] {
        QStringList items;
        for (const TTwoJumper *glyph : form->findChildren<TTwoJumper *>())
            items << glyph->objectName() + (glyph->Closed() ? " closed" : " open");
        for (const QComboBox *combo : form->findChildren<QComboBox *>())
            items << combo->objectName() + QString::number(combo->currentIndex()) + loadItems().join(',');
        items << QString::number(get<QCheckBox>("AutoRTSCheck")->isChecked());
        return items;
    };
    const QStringList before = state();
    auto *combo = get<QComboBox>(qPrintable(list));
    choose(qPrintable(list), combo->currentIndex());
    QCOMPARE(state(), before);
}

void TestMainForm::protocolGlyphClicks()
{
    auto mode = [this] { return get<QComboBox>("ModeCombo")->currentIndex(); };
    click("RS232JumperA"); // closes
    QCOMPARE(mode(), 0);
    QVERIFY(mirrorsAgree());
    click("RS232JumperA"); // opens
    QCOMPARE(mode(), 1);
    click("RS485JumperA"); // opens
    QCOMPARE(mode(), 2);
    click("RS422JumperA"); // opens
    QCOMPARE(mode(), 1);
    choose("ModeCombo", 2);
    click("RS4xxJumperA"); // opens
    QCOMPARE(mode(), 0);
    QVERIFY(get("LoadCombo")->isHidden());
    click("RS422JumperA"); // closes
    QCOMPARE(mode(), 2);
    QVERIFY(closed("RS4xxJumperA") && closed("RS422JumperA") && !closed("RS232JumperA"));
    click("RS4xxJumperA"); // opens again: RS-232
    click("RS4xxJumperA"); // closes: RS-485
    QCOMPARE(mode(), 1);
    click("RS485JumperA"); // opens: RS-422
    click("RS485JumperA"); // closes: RS-485
    QCOMPARE(mode(), 1);
    QVERIFY(closed("AutoRTSJumperA"));
    QVERIFY(mirrorsAgree());
}

void TestMainForm::autoRts()
{
    click("AutoRTSJumperA"); // opens
    QVERIFY(!get<QCheckBox>("AutoRTSCheck")->isChecked());
    QVERIFY(!closed("AutoRTSJumperB"));
    click("AutoRTSJumperA"); // closes
    QVERIFY(get<QCheckBox>("AutoRTSCheck")->isChecked());
    QVERIFY(closed("AutoRTSJumperB"));

    // Unticking by the user opens both R8 glyphs.
    auto *check = get<QCheckBox>("AutoRTSCheck");
    check->click();
    QVERIFY(!check->isChecked());
    QVERIFY(!closed("AutoRTSJumperA") && !closed("AutoRTSJumperB"));
    check->click();
    QVERIFY(closed("AutoRTSJumperA") && closed("AutoRTSJumperB"));
}

void TestMainForm::termination()
{
    auto load = [this] { return get<QComboBox>("LoadCombo")->currentIndex(); };
    // RS-485: RL toggles the one termination, which is TL.
    click("RLJumperA");
    QCOMPARE(load(), 1);
    QVERIFY(closed("TLJumperA") && !closed("RLJumperA"));
    QVERIFY(mirrorsAgree());
    click("RLJumperA");
    QCOMPARE(load(), 0);
    QVERIFY(!closed("TLJumperA") && !closed("RLJumperA"));
    click("TLJumperA");
    QCOMPARE(load(), 1);
    click("TLJumperA");
    QCOMPARE(load(), 0);

    // RS-422: each glyph is its own bit.
    choose("ModeCombo", 2);
    choose("LoadCombo", 2); // Terminate Receive
    QVERIFY(!closed("TLJumperA") && closed("RLJumperA"));
    click("TLJumperA");
    QCOMPARE(load(), 3); // Terminate Both
    QVERIFY(closed("TLJumperB") && closed("RLJumperB"));
    click("RLJumperA");
    QCOMPARE(load(), 1); // Terminate Transmit
    click("TLJumperA");
    QCOMPARE(load(), 0);
    QVERIFY(mirrorsAgree());
}

void TestMainForm::clockAndPortDisable()
{
    choose("ClockCombo", 1);
    QVERIFY(closed("ClockJumperA") && closed("ClockJumperB") && closed("ClockJumperC"));
    click("ClockJumperA"); // opens
    QCOMPARE(get<QComboBox>("ClockCombo")->currentIndex(), 0);
    QVERIFY(!closed("ClockJumperA") && !closed("ClockJumperB") && !closed("ClockJumperC"));
    click("ClockJumperA"); // closes
    QCOMPARE(get<QComboBox>("ClockCombo")->currentIndex(), 1);

    choose("DFCombo", 1);
    QVERIFY(closed("DFJumperA") && closed("DFJumperB") && closed("DFJumperC"));
    click("DFJumperA"); // opens
    QCOMPARE(get<QComboBox>("DFCombo")->currentIndex(), 0);
    QVERIFY(!closed("DFJumperA") && !closed("DFJumperB") && !closed("DFJumperC"));
    click("DFJumperA");
    QCOMPARE(get<QComboBox>("DFCombo")->currentIndex(), 1);
    QVERIFY(mirrorsAgree());
}

void TestMainForm::portEditKeysReachHandler()
{
    // Up arrow in a port edit asks the paired spinner for one step more.
    form->COMBasePanelEnter();
    auto *upDown = get<TUpDown>("BaseUDB");
    QList<int> requested;
    connect(upDown, &TUpDown::OnChangingEx, this,
            [&requested](QObject *, bool &, int newValue, int) { requested << newValue; });
    QTest::keyClick(get("BaseEditB"), Qt::Key_Up);
    QCOMPARE(requested, QList<int>{264});
}

QTEST_MAIN(TestMainForm)
#include "tst_main_form.moc"
