#include "application_idle.h"
#include "help_form.h"
#include "pci_form.h"
#include "rtf_reader.h"
#include "setup_supporter.h"
#include "supporter_host.h"
#include "tech_form.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

#include <memory>
#include <stdexcept>

namespace {

void setProgramValues(TSetupSupporter *sup)
{
    sup->setCompanyName(QStringLiteral("VANTO"));
    sup->setCardNameA(QStringLiteral("TR-4410"));
    sup->setCardNameB(QStringLiteral("TR-4410/B"));
    sup->setCallHow(QStringLiteral("between 8 am and 5 pm Pacific Time at 1-800-555-0142"));
    sup->setMultiPort(true);
}

// The help text of the program, written out in full.
const char ProgramHelp[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Verdana;}}"
    "{\\colortbl\\red64\\green64\\blue64;\\red255\\green255\\blue64;\\red64\\green64\\blue255;"
    "\\red255\\green64"
    "\\blue64;}\\viewkind4\\uc1\\pard\\f0\\fs32\\cf0\r\n"
    "{\\b VANTO TR-4410 Series Settings Program}\\par\\par\\fs24\r\n"
    "This program will help you configure the option jumpers and settings associated with this product. You "
    "should have the product in-hand when first using this program.\\par\\par\r\n"
    "{\\cf1\\fs24\\b Yellow circles} provide information on configuring jumpers and switches.\\par\\par\r\n"
    "{\\cf2\\fs24\\b Blue circles} are informational only. They provide information on standard and optional "
    "features of the product family.\\par\\par\r\n"
    "{\\cf3\\fs24\\b Red circles} handle calibration and types of configuration that require actually "
    "controlling the hardware device. Run this settings program again once the card is installed. Repeat the "
    "{\\cf1 setup circles} (using the same settings) to configure this program, then perform the {\\cf3 "
    "calibration circles}.\\par\\par\r\n"
    "Mouse over the highlight circles to see configuration or information popups for {\\cf1 setup}, {\\cf2 "
    "features}, and {\\cf3 calibration}. Click a highlight circle to make its popup remain on-screen. You "
    "can "
    "have all or as many of these popups onscreen at the same time as you desire.\\par\\par\r\n"
    "{\\fs32\\b Note:} Make sure to set the jumpers for each option group \\emdash  the configuration "
    "options "
    "for each port are handled identically; this program only shows the setup once, but you need to perform "
    "this setup for each group of options on your device.\\par\\par\r\n"
    "}";

const char NoteParagraph[] =
    "{\\fs32\\b Note:} Make sure to set the jumpers for each option group \\emdash  the configuration "
    "options "
    "for each port are handled identically; this program only shows the setup once, but you need to perform "
    "this setup for each group of options on your device.\\par\\par\r\n";

QTextCharFormat formatOf(QTextDocument *doc, const QString &text)
{
    const int at = doc->toPlainText().indexOf(text);
    if (at < 0)
        return QTextCharFormat();
    QTextCursor cursor(doc);
    cursor.setPosition(at + 1);
    return cursor.charFormat();
}

// Runs the deferred start-up the way the program does: through the application's idle handler.
void startUp(TSetupSupporter *sup, int *calls = nullptr)
{
    ApplicationIdle::setOnIdle([sup, calls](QObject *sender, bool &done) {
        if (calls)
            ++*calls;
        sup->appIdle(sender, done);
    });
    QTRY_VERIFY(sup->built());
}

} // namespace

class TestSetupSupporter : public QObject
{
    Q_OBJECT

private slots:
    void publishedProperties();
    void helpTextOfTheProgram();
    void helpTextVariants_data();
    void helpTextVariants();
    void helpTextEscapesNames();
    void deferredStartUpRunsOnce();
    void helpShownOnceByTheTick();
    void headerLabelSpansTheTop();
    void helpWindowContents();
    void techWindow();
    void cardsStepWithoutDriverLibrary();
    void cleanup();
};

void TestSetupSupporter::cleanup()
{
    ApplicationIdle::setOnIdle(nullptr);
}

void TestSetupSupporter::publishedProperties()
{
    SupporterHost host;
    TSetupSupporter sup(&host);
    QCOMPARE(QString(sup.metaObject()->className()), QStringLiteral("TSetupSupporter"));
    QCOMPARE(sup.property("CompanyName").toString(), QString());
    QCOMPARE(sup.property("UseCardNameB").toBool(), false);
    QCOMPARE(sup.property("MultiPort").toBool(), false);
    QCOMPARE(sup.property("Channels").toInt(), 8);
    QCOMPARE(sup.property("ChangeButtons").toBool(), true);
    QCOMPARE(sup.property("bSeries").toBool(), true);
    QVERIFY(!sup.HelpForm() && !sup.TechForm() && !sup.PCIForm() && !sup.HeaderLabel());
    QVERIFY(!sup.tickActive());

    // Channels is one byte.
    sup.setChannels(300);
    QCOMPARE(sup.Channels(), 255);
    sup.setChannels(-3);
    QCOMPARE(sup.Channels(), 0);

    setProgramValues(&sup);
    QCOMPARE(sup.cardName(), QStringLiteral("TR-4410"));
    QCOMPARE(sup.seriesSuffix(), QStringLiteral(" Series"));
    QVERIFY(sup.setProperty("UseCardNameB", true));
    QCOMPARE(sup.cardName(), QStringLiteral("TR-4410/B"));
    QVERIFY(sup.setProperty("bSeries", false));
    QCOMPARE(sup.seriesSuffix(), QString());
}

void TestSetupSupporter::helpTextOfTheProgram()
{
    SupporterHost host;
    TSetupSupporter sup(&host);
    setProgramValues(&sup);
    QCOMPARE(sup.helpText(), QByteArray(ProgramHelp));
}

void TestSetupSupporter::helpTextVariants_data()
{
    QTest::addColumn<bool>("multiPort");
    QTest::addColumn<bool>("series");
    QTest::addColumn<bool>("useB");
    QTest::addColumn<bool>("cardHandler");
    QTest::addColumn<QByteArray>("title");

    QTest::newRow("no MultiPort") << false << true << false << false
                                  << QByteArray("{\\b VANTO TR-4410 Series Settings Program}");
    QTest::newRow("no series") << true << false << false << false
                               << QByteArray("{\\b VANTO TR-4410 Settings Program}");
    QTest::newRow("card name B") << true << true << true << false
                                 << QByteArray("{\\b VANTO TR-4410/B Series Settings Program}");
    QTest::newRow("card handler") << true << true << false << true
                                  << QByteArray("{\\b VANTO TR-4410 Series Settings Program}");
    QTest::newRow("card handler, name B")
        << false << false << true << true << QByteArray("{\\b VANTO TR-4410/B Settings Program}");
}

void TestSetupSupporter::helpTextVariants()
{
    QFETCH(bool, multiPort);
    QFETCH(bool, series);
    QFETCH(bool, useB);
    QFETCH(bool, cardHandler);
    QFETCH(QByteArray, title);

    SupporterHost host;
    TSetupSupporter sup(&host);
    setProgramValues(&sup);
    sup.setMultiPort(multiPort);
    sup.setBSeries(series);
    sup.setUseCardNameB(useB);
    if (cardHandler)
        sup.setOnGetCardString([](QObject *, int) { return QString(); });

    const QByteArray text = sup.helpText();
    QVERIFY(text.contains("\\cf0\r\n" + title + "\\par\\par\\fs24\r\n"));
    QCOMPARE(text.contains(NoteParagraph), multiPort);
    const QByteArray card = useB ? "TR-4410/B" : "TR-4410";
    const QByteArray sentence = "To see a list of " + card + " cards installed, click \"Display " + card +
                                " Cards Installed\" under the File menu.\\par\\par\r\n}";
    QCOMPARE(text.endsWith(sentence), cardHandler);
    QCOMPARE(text.contains("To see a list of"), cardHandler);
    if (!cardHandler)
        QVERIFY(text.endsWith(multiPort ? "device.\\par\\par\r\n}" : "desire.\\par\\par\r\n}"));
    // The name of the unused card never appears.
    if (!useB)
        QVERIFY(!text.contains("TR-4410/B"));
}

void TestSetupSupporter::helpTextEscapesNames()
{
    SupporterHost host;
    TSetupSupporter sup(&host);
    // Empty names leave the text around them in place.
    QVERIFY(sup.helpText().contains("{\\b   Series Settings Program}"));
    QVERIFY(sup.techText().contains(QStringLiteral("assistance, and  stands ready")));
    QVERIFY(sup.techText().contains(QStringLiteral("call us  for any")));

    // Braces and backslashes in a name cannot break the markup; other characters survive.
    sup.setCompanyName(QStringLiteral("A{b}\\c \u00c9\u20ac"));
    sup.setCardNameA(QStringLiteral("X}"));
    QTextDocument doc;
    RtfReader::read(sup.helpText(), &doc);
    QVERIFY(
        doc.toPlainText().startsWith(QStringLiteral("A{b}\\c \u00c9\u20ac X} Series Settings Program\n")));
    QVERIFY(doc.toPlainText().contains(QStringLiteral("Yellow circles")));
}

void TestSetupSupporter::deferredStartUpRunsOnce()
{
    SupporterHost host;
    auto *const sup = new TSetupSupporter(&host);
    setProgramValues(sup);
    host.show();
    int calls = 0;
    startUp(sup, &calls);
    QTest::qWait(50);
    QCOMPARE(calls, 1);
    QVERIFY(!ApplicationIdle::hasOnIdle());

    // Owned by the main window, named as the kit names them.
    QVERIFY(sup->HelpForm() && sup->TechForm() && sup->HeaderLabel());
    QCOMPARE(sup->HelpForm()->parent(), &host);
    QCOMPARE(sup->TechForm()->parent(), &host);
    QCOMPARE(sup->HelpForm()->objectName(), QStringLiteral("HelpForm"));
    QCOMPARE(sup->TechForm()->objectName(), QStringLiteral("TechForm"));
    QVERIFY(sup->HelpForm()->isWindow() && sup->TechForm()->isWindow());
    QCOMPARE(sup->HeaderLabel()->text(), QStringLiteral("TR-4410 Series Settings Program"));
    // Without a card-string handler: no cards window and no menu item.
    QVERIFY(!sup->PCIForm());
    QCOMPARE(host.fileMenu->actions().first(), host.exitAction);
    QVERIFY(!host.findChild<QAction *>(QStringLiteral("DisplayPCI")));

    // A second call builds nothing more.
    const THelpForm *const help = sup->HelpForm();
    bool done = true;
    sup->appIdle(qApp, done);
    QCOMPARE(sup->HelpForm(), help);
    QCOMPARE(host.findChildren<THelpForm *>().size(), 1);
    QCOMPARE(host.findChildren<QLabel *>(QStringLiteral("HeaderLabel")).size(), 1);
}

void TestSetupSupporter::helpShownOnceByTheTick()
{
    SupporterHost host;
    auto *const sup = new TSetupSupporter(&host);
    setProgramValues(sup);
    host.move(100, 50);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    startUp(sup);
    THelpForm *const help = sup->HelpForm();
    // Not at once: about one tick later.
    QVERIFY(!help->isVisible());
    QVERIFY(sup->tickActive());
    QTRY_VERIFY_WITH_TIMEOUT(help->isVisible(), 1000);
    QVERIFY(!sup->tickActive());
    QVERIFY(help->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // Centred on the main window.
    const QPoint offset = help->frameGeometry().center() - host.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));

    // Once only: hidden, it stays hidden.
    help->hide();
    QTest::qWait(350);
    QVERIFY(!help->isVisible());
    QVERIFY(!sup->TechForm()->isVisible());
}

void TestSetupSupporter::headerLabelSpansTheTop()
{
    SupporterHost host;
    auto *const sup = new TSetupSupporter(&host);
    setProgramValues(sup);
    sup->setBSeries(false);
    host.show();
    startUp(sup);
    QLabel *const header = sup->HeaderLabel();
    QCOMPARE(header->parentWidget(), host.centralWidget());
    QCOMPARE(header->text(), QStringLiteral("TR-4410 Settings Program"));
    QCOMPARE(header->pos(), QPoint(0, 0));
    QCOMPARE(header->width(), host.centralWidget()->width());
    QVERIFY(header->alignment().testFlag(Qt::AlignHCenter));
    QCOMPARE(header->font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(header->font().pointSize(), 18);
    QVERIFY(header->font().bold());
    QCOMPARE(header->palette().color(QPalette::WindowText), QColor(Qt::black));
    QVERIFY(header->isVisible());
    // The whole text fits.
    QVERIFY(header->fontMetrics().horizontalAdvance(header->text()) < header->width());
    QVERIFY(header->height() >= header->fontMetrics().height());

    host.resize(900, 500);
    QTRY_COMPARE(header->width(), host.centralWidget()->width());
    QCOMPARE(header->width(), 900);
}

void TestSetupSupporter::helpWindowContents()
{
    SupporterHost host;
    auto *const sup = new TSetupSupporter(&host);
    setProgramValues(sup);
    startUp(sup);
    THelpForm *const help = sup->HelpForm();
    QCOMPARE(help->windowTitle(), QStringLiteral("Instructions for Settings utility"));
    QCOMPARE(help->HelpLabel()->text(), QStringLiteral("How to use this program"));
    QCOMPARE(help->HelpLabel()->font().family(), QStringLiteral("Verdana"));
    QVERIFY(help->HelpLabel()->font().bold());
    QCOMPARE(help->StartButton()->text(), QStringLiteral("Start"));
    QVERIFY(!help->CloseButton());
    QVERIFY(help->HelpRich()->isReadOnly());
    QCOMPARE(help->HelpRich()->palette().color(QPalette::Base), QColor(221, 221, 221));
    QCOMPARE(help->findChild<QTextEdit *>(QStringLiteral("HelpRich")), help->HelpRich());

    // The rich text is read as such: a bold 16-point title, coloured lead words, the dash.
    QTextDocument *const doc = help->HelpRich()->document();
    const QString text = doc->toPlainText();
    QVERIFY(
        text.startsWith(QStringLiteral("VANTO TR-4410 Series Settings Program\n\nThis program will help")));
    QVERIFY(!text.contains(QLatin1Char('{')) && !text.contains(QLatin1Char('\\')));
    QVERIFY(text.contains(QStringLiteral("option group \u2014 the configuration")));
    QVERIFY(!text.contains(QStringLiteral("To see a list of")));
    const QTextCharFormat title = formatOf(doc, QStringLiteral("VANTO"));
    QCOMPARE(title.fontWeight(), int(QFont::Bold));
    QCOMPARE(title.fontPointSize(), 16.0);
    QCOMPARE(formatOf(doc, QStringLiteral("Yellow circles")).foreground().color(), QColor(255, 255, 64));
    QCOMPARE(formatOf(doc, QStringLiteral("Blue circles")).foreground().color(), QColor(64, 64, 255));
    QCOMPARE(formatOf(doc, QStringLiteral("Red circles")).foreground().color(), QColor(255, 64, 64));
    const QTextCharFormat body = formatOf(doc, QStringLiteral("This program"));
    QCOMPARE(body.foreground().color(), QColor(64, 64, 64));
    QCOMPARE(body.fontPointSize(), 12.0);
    QCOMPARE(body.fontWeight(), int(QFont::Normal));
    QCOMPARE(formatOf(doc, QStringLiteral("Note:")).fontPointSize(), 16.0);

    // The reader sees the beginning of the text first.
    help->show();
    QCOMPARE(help->HelpRich()->textCursor().position(), 0);
    QCOMPARE(help->HelpRich()->verticalScrollBar()->value(), 0);
}

void TestSetupSupporter::techWindow()
{
    SupporterHost host;
    auto *const sup = new TSetupSupporter(&host);
    setProgramValues(sup);
    startUp(sup);
    TTechForm *const tech = sup->TechForm();
    QCOMPARE(tech->windowTitle(), QStringLiteral("Technical Support"));
    QVERIFY(tech->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!tech->isVisible());
    tech->show();
    QCOMPARE(tech->size(), QSize(305, 122));
    QCOMPARE(tech->TechMemo()->geometry(), QRect(0, 0, 305, 89));
    QCOMPARE(tech->CloseButton()->geometry(), QRect(116, 97, 73, 25));
    QCOMPARE(tech->CloseButton()->text(), QStringLiteral("Close"));
    QVERIFY(tech->TechMemo()->isReadOnly());

    const QString expected = QStringLiteral(
        "There are several ways to get technical support. First and fastest is to skim the relevant sections "
        "of "
        "the manual. However, some questions require personal assistance, and VANTO stands ready to provide "
        "that "
        "help. You can call us between 8 am and 5 pm Pacific Time at 1-800-555-0142 for any of your product "
        "questions.\r\n\r\nIn order to provide the best and fastest support possible, we ask that you be at "
        "your "
        "computer when you call, and have the VANTO product manual and Utility Collection CD at hand.");
    QCOMPARE(sup->techText(), expected);
    QCOMPARE(tech->TechMemo()->toPlainText(),
             QString(expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    // Growing the window: the memo takes the room, the button stays centred at the bottom.
    tech->resize(405, 222);
    QCOMPARE(tech->TechMemo()->geometry(), QRect(0, 0, 405, 189));
    QCOMPARE(tech->CloseButton()->geometry(), QRect(166, 197, 73, 25));

    // Esc and Close hide it; shown again, it is unchanged.
    tech->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(tech));
    QTest::keyClick(tech, Qt::Key_Escape);
    QVERIFY(!tech->isVisible());
    tech->show();
    QCOMPARE(tech->TechMemo()->toPlainText().left(20), expected.left(20));
    tech->CloseButton()->click();
    QVERIFY(!tech->isVisible());
    QCOMPARE(sup->TechForm(), tech);
}

void TestSetupSupporter::cardsStepWithoutDriverLibrary()
{
    // No driver library on the search path: the cards step takes its no-card path.
    for (const bool series : {true, false}) {
        SupporterHost host;
        auto *const sup = new TSetupSupporter(&host);
        setProgramValues(sup);
        sup->setBSeries(series);
        int asked = 0;
        sup->setOnGetCardString([&asked](QObject *, int) {
            ++asked;
            return QStringLiteral("card");
        });
        host.show();
        startUp(sup);
        QCOMPARE(asked, 0);
        TPCIForm *const pci = sup->PCIForm();
        QVERIFY(pci);
        QCOMPARE(pci->parent(), &host);
        QVERIFY(pci->isVisible());
        QCOMPARE(pci->windowTitle(), QStringLiteral("TR-4410 Cards installed"));
        QCOMPARE(pci->PCIMemo()->toPlainText(), QStringLiteral("No Card Found"));
        QCOMPARE(sup->HeaderLabel()->text(), series ? QStringLiteral("No TR-4410 Series Card Found")
                                                    : QStringLiteral("No TR-4410 Found"));
        // The menu item is still made, first in the File menu.
        QAction *const item = host.fileMenu->actions().first();
        QCOMPARE(item->objectName(), QStringLiteral("DisplayPCI"));
        QCOMPARE(item->text(), QStringLiteral("Display TR-4410 Cards Installed"));
        QCOMPARE(item->parent(), &host);
        QVERIFY(sup->HelpForm()->HelpRich()->toPlainText().contains(QStringLiteral(
            "To see a list of TR-4410 cards installed, click \"Display TR-4410 Cards Installed\"")));
        // Close hides it, the menu item shows it again.
        pci->CloseButton()->click();
        QVERIFY(!pci->isVisible());
        item->trigger();
        QVERIFY(pci->isVisible());
    }
}

QTEST_MAIN(TestSetupSupporter)
#include "tst_setup_supporter.moc"
