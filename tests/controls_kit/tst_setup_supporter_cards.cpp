// The cards step of the setup supporter against the test double of the driver library, which
// this test finds on its library search path.

#include "application_idle.h"
#include "fakes/fake_ktxwdm.h"
#include "help_form.h"
#include "ktxwdm.h"
#include "pci_form.h"
#include "setup_supporter.h"
#include "supporter_host.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

namespace {

void setProgramValues(TSetupSupporter *sup)
{
    sup->setCompanyName(QStringLiteral("VANTO"));
    sup->setCardNameA(QStringLiteral("TR-4410"));
    sup->setCardNameB(QStringLiteral("TR-4410/B"));
    sup->setMultiPort(true);
    sup->setCardCountSource(&KTXWDM::cardCount); // as the main window wires it
}

void startUp(TSetupSupporter *sup)
{
    ApplicationIdle::setOnIdle([sup](QObject *sender, bool &done) { sup->appIdle(sender, done); });
    QTRY_VERIFY(sup->built());
}

} // namespace

class TestSetupSupporterCards : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void threeCardsOneEmpty();
    void noCardFound_data();
    void noCardFound();
    void fileMenuCaptionMustMatchExactly_data();
    void fileMenuCaptionMustMatchExactly();
    void secondCardName();
    void cleanup() { ApplicationIdle::setOnIdle(nullptr); }
};

void TestSetupSupporterCards::initTestCase()
{
    // Bound once; the supporter's later binding returns at once and the count stays settable.
    KTXWDM::BindDriverLibrary();
    QVERIFY2(FakeKtxwdm::loaded(), "the fake driver library is not on the library search path");
    QVERIFY(KTXWDM::GetNumCards());
}

void TestSetupSupporterCards::threeCardsOneEmpty()
{
    FakeKtxwdm::setNumCards(3);
    SupporterHost host;
    auto *const sup = new TSetupSupporter(&host);
    setProgramValues(sup);
    QList<int> asked;
    sup->setOnGetCardString([&](QObject *sender, int index) {
        asked.append(index);
        if (sender != sup)
            return QStringLiteral("wrong sender");
        const QStringList lines{QStringLiteral("TR-4410 at 0x300"), QString(),
                                QStringLiteral("TR-4410 at 0x340")};
        return lines.value(index, QStringLiteral("out of range"));
    });
    host.show();
    startUp(sup);

    QCOMPARE(asked, (QList<int>{0, 1, 2}));
    TPCIForm *const pci = sup->PCIForm();
    QVERIFY(pci);
    QVERIFY(pci->isVisible());
    QCOMPARE(pci->PCIMemo()->toPlainText(), QStringLiteral("TR-4410 at 0x300\nTR-4410 at 0x340"));
    QCOMPARE(sup->HeaderLabel()->text(), QStringLiteral("TR-4410 Series Settings Program"));
    QCOMPARE(pci->windowTitle(), QStringLiteral("TR-4410 Cards installed"));
    QVERIFY(pci->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // Geometry of the fitted window.
    QCOMPARE(pci->size(), QSize(305, 122));
    QCOMPARE(pci->PCIMemo()->geometry(), QRect(0, 0, 305, 89));
    QCOMPARE(pci->CloseButton()->geometry(), QRect(115, 97, 73, 25));
    // Resized in small steps, the memo follows the edges and the button keeps its proportional
    // place: its centre at 151.5 of 305 stays near the same share of 405.
    for (int width = 306; width <= 405; ++width)
        pci->resize(width, 122 + (width - 305) / 2);
    QCOMPARE(pci->PCIMemo()->geometry(), QRect(0, 0, 405, 139));
    QCOMPARE(pci->CloseButton()->geometry(), QRect(165, 147, 73, 25));
    pci->resize(305, 122);
    QCOMPARE(pci->CloseButton()->geometry(), QRect(115, 97, 73, 25));
    QCOMPARE(pci->PCIMemo()->font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(pci->PCIMemo()->font().pointSize(), 10);
    QVERIFY(pci->PCIMemo()->font().bold());
    QVERIFY(pci->PCIMemo()->isReadOnly());

    // The menu item comes first in the File menu and shows the window again.
    const QList<QAction *> items = host.fileMenu->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items.at(0)->objectName(), QStringLiteral("DisplayPCI"));
    QCOMPARE(items.at(0)->text(), QStringLiteral("Display TR-4410 Cards Installed"));
    QCOMPARE(items.at(1), host.exitAction);
    pci->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(pci));
    QTest::keyClick(pci, Qt::Key_Escape);
    QVERIFY(!pci->isVisible());
    items.at(0)->trigger();
    QVERIFY(pci->isVisible());
    QCOMPARE(pci->PCIMemo()->toPlainText(), QStringLiteral("TR-4410 at 0x300\nTR-4410 at 0x340"));

    // The help text points to the menu item.
    QVERIFY(sup->HelpForm()->HelpRich()->toPlainText().contains(
        QStringLiteral("To see a list of TR-4410 cards installed, click \"Display TR-4410 Cards Installed\" "
                       "under the File menu.")));
}

void TestSetupSupporterCards::noCardFound_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("series");
    QTest::addColumn<int>("expectedAsks");
    QTest::addColumn<QString>("header");
    QTest::newRow("no card") << 0 << true << 0 << QStringLiteral("No TR-4410 Series Card Found");
    QTest::newRow("no card, no series") << 0 << false << 0 << QStringLiteral("No TR-4410 Found");
    QTest::newRow("negative count") << -5 << true << 0 << QStringLiteral("No TR-4410 Series Card Found");
    QTest::newRow("only empty strings") << 2 << true << 2 << QStringLiteral("No TR-4410 Series Card Found");
}

void TestSetupSupporterCards::noCardFound()
{
    QFETCH(int, count);
    QFETCH(bool, series);
    QFETCH(int, expectedAsks);
    QFETCH(QString, header);
    FakeKtxwdm::setNumCards(count);
    SupporterHost host;
    auto *const sup = new TSetupSupporter(&host);
    setProgramValues(sup);
    sup->setBSeries(series);
    int asks = 0;
    sup->setOnGetCardString([&asks](QObject *, int) {
        ++asks;
        return QString();
    });
    startUp(sup);
    QCOMPARE(asks, expectedAsks);
    QCOMPARE(sup->PCIForm()->PCIMemo()->toPlainText(), QStringLiteral("No Card Found"));
    QCOMPARE(sup->HeaderLabel()->text(), header);
    QVERIFY(sup->PCIForm()->isVisible());
    // The help window still comes up.
    QTRY_VERIFY(sup->HelpForm()->isVisible());
}

void TestSetupSupporterCards::fileMenuCaptionMustMatchExactly_data()
{
    QTest::addColumn<QString>("caption");
    QTest::newRow("without ampersand") << QStringLiteral("File");
    QTest::newRow("other case") << QStringLiteral("&file");
    QTest::newRow("other letter marked") << QStringLiteral("F&ile");
}

void TestSetupSupporterCards::fileMenuCaptionMustMatchExactly()
{
    QFETCH(QString, caption);
    FakeKtxwdm::setNumCards(1);
    SupporterHost host(caption);
    auto *const sup = new TSetupSupporter(&host);
    setProgramValues(sup);
    sup->setOnGetCardString([](QObject *, int) { return QStringLiteral("one"); });
    startUp(sup);
    QVERIFY(!host.findChild<QAction *>(QStringLiteral("DisplayPCI")));
    QCOMPARE(host.fileMenu->actions(), QList<QAction *>{host.exitAction});
    QVERIFY(sup->PCIForm());
    QVERIFY(sup->PCIForm()->isVisible());
    QCOMPARE(sup->PCIForm()->PCIMemo()->toPlainText(), QStringLiteral("one"));
}

void TestSetupSupporterCards::secondCardName()
{
    FakeKtxwdm::setNumCards(1);
    // A main window without a menu bar of its own: no menu item, and none is made up.
    QWidget window;
    auto *const sup = new TSetupSupporter(&window);
    setProgramValues(sup);
    sup->setUseCardNameB(true);
    sup->setBSeries(false);
    sup->setOnGetCardString([](QObject *, int) { return QString(); });
    startUp(sup);
    QCOMPARE(sup->PCIForm()->windowTitle(), QStringLiteral("TR-4410/B Cards installed"));
    QCOMPARE(sup->HeaderLabel()->text(), QStringLiteral("No TR-4410/B Found"));
    QCOMPARE(sup->HeaderLabel()->parentWidget(), &window);
    QVERIFY(!window.findChild<QMenuBar *>());
}

QTEST_MAIN(TestSetupSupporterCards)
#include "tst_setup_supporter_cards.moc"
