// The main window as loaded from its layout, checked against the layout's own table: every
// component's class, parent, order, place, text, state, alignment and tab order, on the window and
// again once the panels have moved into their popups.

#include "main_form.h"

#include "board_highlight.h"
#include "board_image.h"
#include "popup_form.h"
#include "radio_panel.h"
#include "two_jumper.h"
#include "up_down.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

namespace {
// One component a line: name | class | parent | left,top,width,height | caption, text, title or
// list items (";" between items) | state: closed, disabled, hidden, ticked, readonly, otLeft (else
// otUp), options (else htSettings), panel=, memo=, and a label's alignment (L, H or R, then T or V).
const char *const Layout = R"(BoardImage1|TBoardImage|centralwidget|195,133,400,370||
BaseHighlight|TBoardHighlight|BoardImage1|52,282,40,21|Control Base Address|panel=BasePanel
ModeHighlight0|TBoardHighlight|BoardImage1|138,219,18,40|Protocol/Mode|panel=ModePanel
LoadHighlight0|TBoardHighlight|BoardImage1|138,260,18,18|Load|panel=LoadPanel
ClockHighlight|TBoardHighlight|BoardImage1|106,282,13,21|Baud Clock Rate|panel=ClockPanel
COMHighlight|TBoardHighlight|BoardImage1|5,64,44,217|Serial Connector #1|options panel=COMPanel0
DFHighlight|TBoardHighlight|BoardImage1|93,282,13,21|Port Disable|panel=DFPanel
COMBaseHighlight|TBoardHighlight|BoardImage1|157,160,84,84|Port Resources|panel=COMBasePanel
ModeHighlight1|TBoardHighlight|BoardImage1|138,159,18,39|Protocol/Mode|panel=ModePanel
ModeHighlight2|TBoardHighlight|BoardImage1|138,98,18,38|Protocol/Mode|panel=ModePanel
ModeHighlight3|TBoardHighlight|BoardImage1|243,43,18,32|Protocol/Mode|panel=ModePanel
ModeHighlight4|TBoardHighlight|BoardImage1|138,43,18,32|Protocol/Mode|panel=ModePanel
ModeHighlight5|TBoardHighlight|BoardImage1|243,98,18,38|Protocol/Mode|panel=ModePanel
ModeHighlight6|TBoardHighlight|BoardImage1|243,159,18,39|Protocol/Mode|panel=ModePanel
ModeHighlight7|TBoardHighlight|BoardImage1|243,219,18,40|Protocol/Mode|panel=ModePanel
LoadHighlight1|TBoardHighlight|BoardImage1|138,197,18,18|Load|panel=LoadPanel
LoadHighlight2|TBoardHighlight|BoardImage1|138,136,18,18|Load|panel=LoadPanel
LoadHighlight3|TBoardHighlight|BoardImage1|138,75,18,18|Load|panel=LoadPanel
LoadHighlight4|TBoardHighlight|BoardImage1|243,75,18,18|Load|panel=LoadPanel
LoadHighlight5|TBoardHighlight|BoardImage1|243,136,18,18|Load|panel=LoadPanel
LoadHighlight6|TBoardHighlight|BoardImage1|243,197,18,18|Load|panel=LoadPanel
LoadHighlight7|TBoardHighlight|BoardImage1|243,260,18,18|Load|panel=LoadPanel
BoardHighlight1|TBoardHighlight|BoardImage1|349,64,44,217|Serial Connector #2|options panel=COMPanel1
BasePanel|TRadioPanel|centralwidget|0,472,185,121||hidden memo=58
ModePanel|TRadioPanel|centralwidget|272,-24,185,169||hidden memo=58
LoadPanel|TRadioPanel|centralwidget|0,40,185,169||hidden memo=58
ClockPanel|TRadioPanel|centralwidget|448,504,233,81||hidden memo=58
DFPanel|TRadioPanel|centralwidget|224,504,185,81||hidden memo=58
COMPanel0|TRadioPanel|centralwidget|-88,328,273,9||hidden memo=58
COMPanel1|TRadioPanel|centralwidget|608,328,273,9||hidden memo=58
COMBasePanel|TRadioPanel|centralwidget|536,8,265,217||hidden memo=124
BaseEdit|QLineEdit|BasePanel|64,7,57,21|300|
BaseLabelFeedback|QLabel|BasePanel|56,32,73,17||HT
Label30|QLabel|BasePanel|4,56,17,17|A4|HV
Label1|QLabel|BasePanel|24,56,17,17|A5|HV
BaseLabel9|QLabel|BasePanel|44,56,17,17|A6|HV
BaseLabel8|QLabel|BasePanel|64,56,17,17|A7|HV
BaseLabel7|QLabel|BasePanel|84,56,17,17|A8|HV
BaseLabel6|QLabel|BasePanel|104,56,17,17|A9|HV
BaseLabel5|QLabel|BasePanel|124,56,17,17|DF|disabled HV
Label26|QLabel|BasePanel|144,56,17,17|X8|disabled HV
BaseJumper4A|TTwoJumper|BasePanel|4,72,18,34||closed otLeft
BaseJumper5A|TTwoJumper|BasePanel|24,72,18,34||closed otLeft
BaseJumper6A|TTwoJumper|BasePanel|44,72,18,34||closed otLeft
BaseJumper7A|TTwoJumper|BasePanel|64,72,18,34||closed otLeft
BaseJumper8A|TTwoJumper|BasePanel|84,72,18,34||otLeft
BaseJumper9A|TTwoJumper|BasePanel|104,72,18,34||otLeft
DFJumperB|TTwoJumper|BasePanel|124,72,18,34||disabled otLeft
ClockJumperC|TTwoJumper|BasePanel|144,72,18,34||disabled otLeft
Label22|QLabel|DFPanel|-8,16,17,17|A8|disabled HV
Label21|QLabel|DFPanel|12,16,17,17|A9|disabled HV
Label20|QLabel|DFPanel|32,16,17,17|DF|HV
Label25|QLabel|DFPanel|52,16,17,17|X8|disabled HV
BaseJumper8B|TTwoJumper|DFPanel|-8,32,18,34||disabled otLeft
BaseJumper9B|TTwoJumper|DFPanel|12,32,18,34||disabled otLeft
DFJumperA|TTwoJumper|DFPanel|32,32,18,34||otLeft
ClockJumperB|TTwoJumper|DFPanel|52,32,18,34||disabled otLeft
DFCombo|QComboBox|DFPanel|80,32,97,21|Enable Ports;Disable Ports|
Label24|QLabel|ClockPanel|-8,16,17,19|A9|disabled HV
Label23|QLabel|ClockPanel|12,16,17,19|DF|disabled HV
InvertLabel|QLabel|ClockPanel|32,16,17,19|X8|HV
BaseJumper9C|TTwoJumper|ClockPanel|-8,32,18,34||disabled otLeft
DFJumperC|TTwoJumper|ClockPanel|12,32,18,34||disabled otLeft
ClockJumperA|TTwoJumper|ClockPanel|32,32,18,34||otLeft
ClockCombo|QComboBox|ClockPanel|64,40,161,21|X1 (up to 115,200 baud);X8 (up to 921,600 baud)|
Label14|QLabel|ModePanel|56,8,49,17|ComX|HV
Label27|QLabel|ModePanel|0,24,41,17|32|RT
Label15|QLabel|ModePanel|0,40,41,17|85|RT
Label31|QLabel|ModePanel|0,56,41,17|R8|RT
Label28|QLabel|ModePanel|0,72,41,17|4x|RT
Label11|QLabel|ModePanel|0,88,41,17|42|RV
Label12|QLabel|ModePanel|0,104,41,17|RL|disabled RV
Label13|QLabel|ModePanel|0,120,41,17|TL|disabled RV
RS232JumperA|TTwoJumper|ModePanel|48,24,32,16||
RS485JumperA|TTwoJumper|ModePanel|48,40,32,16||closed
AutoRTSJumperA|TTwoJumper|ModePanel|48,56,32,16||closed
RS4xxJumperA|TTwoJumper|ModePanel|48,72,32,16||closed
RS422JumperA|TTwoJumper|ModePanel|48,88,32,16||
RLJumperB|TTwoJumper|ModePanel|48,104,32,16||disabled
TLJumperB|TTwoJumper|ModePanel|48,120,32,16||disabled
AutoRTSCheck|QCheckBox|ModePanel|96,64,81,17|Auto RTS|ticked
ModeCombo|QComboBox|ModePanel|8,144,169,21|RS-232;RS-485;RS-422|
Label32|QLabel|LoadPanel|56,8,49,17|ComX|HV
Label33|QLabel|LoadPanel|16,24,41,17|32|disabled RT
Label2|QLabel|LoadPanel|16,40,41,17|85|disabled RT
Label17|QLabel|LoadPanel|16,56,41,17|R8|disabled RT
Label34|QLabel|LoadPanel|16,72,41,17|4x|disabled RT
Label29|QLabel|LoadPanel|16,88,41,17|42|disabled RV
RLLabelB|QLabel|LoadPanel|16,104,41,17|RL|RV
TLLabelB|QLabel|LoadPanel|16,120,41,17|TL|RV
RS232JumperB|TTwoJumper|LoadPanel|64,24,32,16||disabled
RS485JumperB|TTwoJumper|LoadPanel|64,40,32,16||closed disabled
AutoRTSJumperB|TTwoJumper|LoadPanel|64,56,32,16||closed disabled
RS4xxJumperB|TTwoJumper|LoadPanel|64,72,32,16||closed disabled
RS422JumperB|TTwoJumper|LoadPanel|64,88,32,16||disabled
RLJumperA|TTwoJumper|LoadPanel|64,104,32,16||
TLJumperA|TTwoJumper|LoadPanel|64,120,32,16||
LoadCombo|QComboBox|LoadPanel|8,144,169,21|No Termination;Termination|
Label16|QLabel|COMBasePanel|32,4,57,17|I/O Addr.|hidden HT
Label18|QLabel|COMBasePanel|120,4,57,17|I/O Addr.|hidden HT
Label19|QLabel|COMBasePanel|184,4,73,17|IRQ (All)|hidden HT
Label3|QLabel|COMBasePanel|0,22,33,21|A|hidden HT
Label4|QLabel|COMBasePanel|0,48,33,21|B|hidden HT
Label5|QLabel|COMBasePanel|0,74,33,21|C|hidden HT
Label6|QLabel|COMBasePanel|0,100,33,21|D|hidden HT
Label7|QLabel|COMBasePanel|88,22,33,21|E|hidden HT
Label8|QLabel|COMBasePanel|88,48,33,21|F|hidden HT
Label9|QLabel|COMBasePanel|88,74,33,21|G|hidden HT
Label10|QLabel|COMBasePanel|88,100,33,21|H|hidden HT
BaseEditA|QLineEdit|COMBasePanel|32,22,41,21||hidden readonly
BaseUDA|TUpDown|COMBasePanel|72,20,15,25||hidden
BaseEditB|QLineEdit|COMBasePanel|32,48,41,21||hidden readonly
BaseUDB|TUpDown|COMBasePanel|72,46,15,25||hidden
BaseEditC|QLineEdit|COMBasePanel|32,74,41,21||hidden readonly
BaseUDC|TUpDown|COMBasePanel|72,72,15,25||hidden
BaseEditD|QLineEdit|COMBasePanel|32,100,41,21||hidden readonly
BaseUDD|TUpDown|COMBasePanel|72,98,15,25||hidden
BaseEditE|QLineEdit|COMBasePanel|120,22,41,21||hidden readonly
BaseUDE|TUpDown|COMBasePanel|160,20,15,25||hidden
BaseEditF|QLineEdit|COMBasePanel|120,48,41,21||hidden readonly
BaseUDF|TUpDown|COMBasePanel|160,46,15,25||hidden
BaseEditG|QLineEdit|COMBasePanel|120,74,41,21||hidden readonly
BaseUDG|TUpDown|COMBasePanel|160,72,15,25||hidden
BaseEditH|QLineEdit|COMBasePanel|120,100,41,21||hidden readonly
BaseUDH|TUpDown|COMBasePanel|160,98,15,25||hidden
IRQCombo|QComboBox|COMBasePanel|200,22,41,21|2;3;4;5;6;7;A;B;C;F|hidden
DittoLabel|QLabel|COMBasePanel|200,48,41,73|.\n.\n.|hidden HT
ConfigButton|QPushButton|COMBasePanel|40,64,185,25|Configure Port Resources...|
Label35|QLabel|COMBasePanel|8,128,249,17|Ports using RS-422:|LT
LockRTSCheckA|QCheckBox|COMBasePanel|16,144,41,17|A|
LockRTSCheckB|QCheckBox|COMBasePanel|16,160,41,17|B|
LockRTSCheckC|QCheckBox|COMBasePanel|56,144,41,17|C|
LockRTSCheckD|QCheckBox|COMBasePanel|56,160,41,17|D|
LockRTSCheckE|QCheckBox|COMBasePanel|96,144,41,17|E|
LockRTSCheckF|QCheckBox|COMBasePanel|96,160,41,17|F|
LockRTSCheckG|QCheckBox|COMBasePanel|136,144,41,17|G|
LockRTSCheckH|QCheckBox|COMBasePanel|136,160,41,17|H|
UseButton|QPushButton|COMBasePanel|40,184,185,25|Use These Resources|hidden
)";

const QMap<QString, QStringList> PanelLines = {
    {"BasePanel",
     {"Enter the control base address(in hex) on the top, then set the card's control base address "
      "jumpers to match the ones on the bottom.",
      "",
      "If the card can't be set to that address, a similar address the card can be set to will appear "
      "below the invalid one, and the jumpers will be displayed for that address."}},
    {"ModePanel",
     {"The 32 jumper is used to select RS-232 operation, the 4x and 85 jumpers together are used to "
      "select RS-485 operation, and the 4x and 42 jumpers are used together to select RS-422 operation."}},
    {"LoadPanel",
     {"The TL and RL jumpers are used to apply load to the balanced lines. In RS-485 mode, only TL is "
      "used."}},
    {"ClockPanel", {"This jumper chooses between a standard baud clock and a high-speed baud clock."}},
    {"DFPanel",
     {"This jumper disables the COM ports. With it installed, only the control registers are available. "
      "This is generally only useful during setup; see the Port Resources highlight (also available "
      "under the Settings menu) for the procedure involving the DF jumper."}},
    {"COMPanel0", {"Connector P2 contains serial ports A-D."}},
    {"COMPanel1", {"Connector P2 contains serial ports E-H."}},
    {"COMBasePanel",
     {"The COM ports' base addresses and IRQs are set by this setup program. This involves some steps:", "",
      "- Set the card's various jumpers (including installing the DF jumper) with the other highlights in "
      "this setup program.",
      "", "- Shut down the stack, add the card, and start back up.", "",
      "- Re-run this setup program to configure these resources. Make sure the control base address is "
      "set correctly in this setup program via the highlight in the lower left.",
      "",
      "- Shut down the stack, remove the DF jumper on the card, and start back up. Your card will then be "
      "ready for use!"}},
};

// The overall size of each panel's popup: the panel, the explanation, the buttons, the status bar.
const QMap<QString, QSize> PopupSizes = {
    {"BasePanel", {194, 230}}, {"ModePanel", {194, 278}},  {"LoadPanel", {194, 278}},
    {"DFPanel", {194, 190}},   {"ClockPanel", {233, 190}},
};

struct Row
{
    QString name, className, parent;
    QRect place;
    QString text;
    QStringList state;
    QString value(const char *key) const
    {
        const QString prefix = QLatin1String(key) + QLatin1Char('=');
        for (const QString &item : state) {
            if (item.startsWith(prefix))
                return item.mid(prefix.size());
        }
        return {};
    }
    bool has(const char *flag) const { return state.contains(QLatin1String(flag)); }
};

QList<Row> rows()
{
    QList<Row> result;
    for (const QString &line : QString::fromUtf8(Layout).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.split(QLatin1Char('|'));
        const QStringList p = f.at(3).split(QLatin1Char(','));
        result.append({f[0], f[1], f[2], QRect(p[0].toInt(), p[1].toInt(), p[2].toInt(), p[3].toInt()),
                       QString(f[4]).replace(QLatin1String("\\n"), QLatin1String("\n")),
                       f[5].split(QLatin1Char(' '), Qt::SkipEmptyParts)});
    }
    return result;
}

Qt::Alignment alignment(const QString &code)
{
    const Qt::Alignment horizontal = code.startsWith(QLatin1Char('R'))   ? Qt::AlignRight
                                     : code.startsWith(QLatin1Char('H')) ? Qt::AlignHCenter
                                                                         : Qt::AlignLeft;
    return horizontal | (code.endsWith(QLatin1Char('V')) ? Qt::AlignVCenter : Qt::AlignTop);
}

// The controls of container that Tab visits, in that order (a panel moves into its popup with its
// controls in this order).
QStringList tabOrder(QWidget *container)
{
    QStringList order;
    for (QWidget *w = container->nextInFocusChain(); w != container; w = w->nextInFocusChain()) {
        if (container->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) &&
            !order.contains(w->objectName()))
            order << w->objectName();
    }
    return order;
}
} // namespace

class TestMainWindowLayout : public QObject
{
    Q_OBJECT
private slots:
    void init() { form = std::make_unique<TMainForm>(); }
    void cleanup() { form.reset(); }

    void components_data();
    void components();
    void boardAndMenu();

private:
    void checkRow(const Row &row, bool inPopups);
    void checkTabOrder();
    std::unique_ptr<TMainForm> form;
};

void TestMainWindowLayout::components_data()
{
    QTest::addColumn<bool>("inPopups");
    QTest::newRow("loaded") << false;
    QTest::newRow("panels in popups") << true;
}

void TestMainWindowLayout::components()
{
    QFETCH(bool, inPopups);
    if (inPopups) {
        // Every group's popup takes its panel in.
        for (TBoardHighlight *h : form->findChildren<TBoardHighlight *>())
            h->Enter(false);
    }
    const QList<Row> all = rows();
    QCOMPARE(all.size(), 138);
    QHash<QString, int> lastIndex;
    for (const Row &row : all) {
        checkRow(row, inPopups);
        if (QTest::currentTestFailed())
            return;
        // Children keep the layout's order.
        QWidget *const w = form->findChild<QWidget *>(row.name);
        if (w->parentWidget()->objectName() != row.parent)
            continue; // a panel in its popup
        const int index = int(w->parent()->children().indexOf(w));
        QVERIFY2(index > lastIndex.value(row.parent, -1), qPrintable(row.name));
        lastIndex[row.parent] = index;
    }
    if (inPopups)
        checkTabOrder();
}

void TestMainWindowLayout::checkRow(const Row &row, bool inPopups)
{
    QWidget *const w = form->findChild<QWidget *>(row.name);
    QVERIFY2(w, qPrintable(row.name));
    const QByteArray what = row.name.toUtf8();
    QCOMPARE(QLatin1String(w->metaObject()->className()), row.className);
    const bool panel = row.className == QLatin1String("TRadioPanel");
    if (panel && inPopups) {
        // In its popup, at the popup's top-left corner, shown with it.
        auto *popup = qobject_cast<TPopupForm *>(w->parentWidget());
        QVERIFY2(popup, what);
        QCOMPARE(w->geometry(), QRect(QPoint(0, 0), row.place.size()));
        QVERIFY2(w->isVisible(), what);
        if (PopupSizes.contains(row.name))
            QVERIFY2(popup->frameGeometry().size() == PopupSizes.value(row.name),
                     qPrintable(row.name + QString(" %1x%2 min %3")
                                               .arg(popup->width())
                                               .arg(popup->height())
                                               .arg(popup->minimumWidth())));
    } else {
        QCOMPARE(w->parentWidget()->objectName(), row.parent);
        QCOMPARE(w->geometry(), row.place);
        QVERIFY2(w->isHidden() == row.has("hidden"), what);
    }
    QVERIFY2(w->isEnabled() == !row.has("disabled"), what);

    if (auto *glyph = qobject_cast<TTwoJumper *>(w)) {
        QVERIFY2(glyph->Closed() == row.has("closed"), what);
        QCOMPARE(glyph->Orientation(), row.has("otLeft") ? TTwoJumper::otLeft : TTwoJumper::otUp);
    } else if (auto *label = qobject_cast<QLabel *>(w)) {
        QCOMPARE(label->text(), row.text);
        QCOMPARE(label->alignment(), alignment(row.state.constLast()));
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        QCOMPARE(edit->text(), row.text);
        QVERIFY2(edit->isReadOnly() == row.has("readonly"), what);
    } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        QCOMPARE(items.join(QLatin1Char(';')), row.text);
        QVERIFY2(!combo->isEditable(), what);
    } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        QCOMPARE(button->text(), row.text);
        if (auto *check = qobject_cast<QCheckBox *>(w))
            QVERIFY2(check->isChecked() == row.has("ticked"), what);
    } else if (auto *highlight = qobject_cast<TBoardHighlight *>(w)) {
        QCOMPARE(highlight->Title(), row.text);
        QCOMPARE(highlight->HighlightType(),
                 row.has("options") ? TBoardHighlight::htOptions : TBoardHighlight::htSettings);
        QVERIFY2(highlight->RadioPanel(), what);
        QCOMPARE(highlight->RadioPanel()->objectName(), row.value("panel"));
        QVERIFY2(highlight->CreatePopup(), what);
    } else if (auto *upDown = qobject_cast<TUpDown *>(w)) {
        QCOMPARE(QList<int>({upDown->Min(), upDown->Max(), upDown->Increment(), upDown->Position()}),
                 QList<int>({256, 1016, 8, 256}));
    } else if (auto *radioPanel = qobject_cast<TRadioPanel *>(w)) {
        QCOMPARE(radioPanel->MemoHeight(), row.value("memo").toInt());
        QVERIFY2(!radioPanel->RadioEnabled(), what);
        QCOMPARE(radioPanel->Lines(), PanelLines.value(row.name));
    }
}

void TestMainWindowLayout::checkTabOrder()
{
    QCOMPARE(tabOrder(form->findChild<QWidget *>("BasePanel")).value(0), QStringLiteral("BaseEdit"));
    QCOMPARE(tabOrder(form->findChild<QWidget *>("ModePanel")).value(0), QStringLiteral("ModeCombo"));
    // The port resources: edits and spinners alternately, the button, the IRQ list, the other
    // button, the check boxes.
    QStringList expected;
    for (const QChar letter : QStringLiteral("ABCDEFGH"))
        expected << QStringLiteral("BaseEdit") + letter << QStringLiteral("BaseUD") + letter;
    expected << "ConfigButton"
             << "IRQCombo"
             << "UseButton";
    for (const QChar letter : QStringLiteral("ABCDEFGH"))
        expected << QStringLiteral("LockRTSCheck") + letter;
    QStringList order = tabOrder(form->findChild<QWidget *>("COMBasePanel"));
    order.removeIf([&expected](const QString &name) { return !expected.contains(name); });
    // Tab passes over the spinners, which take no focus.
    expected.removeIf([this](const QString &name) {
        return form->findChild<QWidget *>(name)->focusPolicy() == Qt::NoFocus;
    });
    QCOMPARE(order, expected);
}

void TestMainWindowLayout::boardAndMenu()
{
    auto *board = form->findChild<TBoardImage *>("BoardImage1");
    QCOMPARE(board->maximumSize(), QSize(400, 400));
    QVERIFY(board->Stretch() && !board->AutoSize() && !board->Center() && !board->Transparent());
    QVERIFY(board->Scale() && board->CenterOnForm());
    QCOMPARE(board->First(), form->findChild<TBoardHighlight *>("BaseHighlight"));
    QCOMPARE(board->Menu(), form->menuBar());
    QVERIFY(!board->Picture().isNull());

    // The menu the layout holds; the highlights add theirs at their first paint.
    QCOMPARE(form->menuBar()->objectName(), QStringLiteral("MainMenu1"));
    QStringList menus;
    for (const QAction *top : form->menuBar()->actions()) {
        menus << top->text();
        for (const QAction *item : top->menu()->actions())
            menus << QStringLiteral("  ") + item->text() + QLatin1Char(' ') + item->objectName();
    }
    QCOMPARE(menus,
             (QStringList{"&File", "  &Open Card File... OpenCardFile1", "  &Save Card File... SaveCardFile1",
                          "  &Print Jumper Sheet... PrintJumperSheet1", "   ", "  &Exit Exit2", "&Help",
                          "  H&ow to use this program Howtousethisprogram1",
                          "  &Technical Support TechnicalSupport1"}));
}

QTEST_MAIN(TestMainWindowLayout)
#include "tst_main_window_layout.moc"
