#include "list_pick.h"
#include "main_form.h"

#include "fakes/fake_ports.h"
#include "help_form.h"
#include "setup_supporter.h"
#include "tech_form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <unistd.h>

namespace {
// Answers every modal box that appears while it lives, noting what it saw.
class BoxAnswerer : public QObject
{
public:
    explicit BoxAnswerer(QMessageBox::StandardButton answer)
        : m_answer(answer)
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            if (onBox)
                onBox();
            titles << box->windowTitle();
            texts << box->text();
            details << box->detailedText();
            icons << box->icon();
            buttons << box->standardButtons();
            box->button(m_answer) ? box->button(m_answer)->click() : box->reject();
        });
        m_timer.start();
    }

    std::function<void()> onBox; // runs while a box is up, before it is answered
    QStringList titles;
    QStringList texts;
    QStringList details;
    QList<QMessageBox::Icon> icons;
    QList<QMessageBox::StandardButtons> buttons;

private:
    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
};

// Notes whether the setup supporter had built its windows when the watched widget was first
// painted.
class FirstPaintWatch : public QObject
{
public:
    FirstPaintWatch(QWidget *watched, const TSetupSupporter *supporter)
        : m_supporter(supporter)
    {
        watched->installEventFilter(this);
    }
    bool painted = false;
    bool supporterBuiltBefore = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            supporterBuiltBefore = m_supporter->built();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const TSetupSupporter *m_supporter;
};

QStringList menuCaptions(const QMenuBar *bar)
{
    QStringList captions;
    for (const QAction *action : bar->actions())
        captions << action->text();
    return captions;
}
} // namespace

class TestMainWindowStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void driverPresentShowsNothing();
    void driverAbsentWarnsAndCarriesOn();
    void deferredStartUpAndHelpMenu();
    void menuBarAfterFirstPaint();
    void exitEndsWithoutQuestion();
};

void TestMainWindowStartup::initTestCase()
{
    QVERIFY2(FakePorts::available(), FakePorts::unavailableReason());
}

void TestMainWindowStartup::cleanup()
{
    FakePorts::reset();
}

void TestMainWindowStartup::driverPresentShowsNothing()
{
    FakePorts::reset();
    BoxAnswerer answerer(QMessageBox::Ok);
    const auto form = std::make_unique<TMainForm>();
    QCoreApplication::processEvents();
    QVERIFY(answerer.titles.isEmpty());
    QVERIFY(form->driverPresent());

    // The presence test is one read of port 0x61 and start-up writes nothing.
    const QList<PortCall> calls = FakePorts::calls();
    QCOMPARE(calls.size(), 1);
    QVERIFY(!calls.first().write);
    QCOMPARE(calls.first().port, 0x61u);
}

void TestMainWindowStartup::driverAbsentWarnsAndCarriesOn()
{
    FakePorts::setInValue(0xAA55);
    BoxAnswerer answerer(QMessageBox::Cancel);
    // While the warning waits for its answer the application is not idle: the help window must
    // not be built over it yet.
    bool helpBuiltUnderWarning = false;
    answerer.onBox = [&helpBuiltUnderWarning] {
        for (const QWidget *window : QApplication::topLevelWidgets())
            helpBuiltUnderWarning |= window->objectName() == QLatin1String("HelpForm");
    };
    QTimer::singleShot(0, [] {}); // an idle moment that comes while the box is up
    const auto form = std::make_unique<TMainForm>();
    QCOMPARE(answerer.titles, QStringList{QStringLiteral("Warning")});
    QVERIFY(!helpBuiltUnderWarning);
    QTRY_VERIFY(form->SetSup()->built());
    QCOMPARE(answerer.texts.first(), QStringLiteral("ROREDIR.OVO not detected. Please copy ROREDIR.OVO into "
                                                    "[NT]/system32/drivers and re-run this setup program."));
    // What it means here (the fixture's Linux has port I/O): root lacks the helper's capability.
    QVERIFY(answerer.details.first().contains(geteuid() == 0 ? "lacks its capability" : "group tr4410"));
    QCOMPARE(answerer.icons.first(), QMessageBox::NoIcon);
    QCOMPARE(answerer.buttons.first(), QMessageBox::Ok | QMessageBox::Cancel);
    QVERIFY(!form->driverPresent());

    // Cancel does not stop the program: the window opens and its options work.
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    auto *mode = form->findChild<QComboBox *>(QStringLiteral("ModeCombo"));
    QVERIFY(pickInList(mode, 2));
    QVERIFY(form->findChild<QObject *>(QStringLiteral("RS422JumperA"))->property("Closed").toBool());
    QCOMPARE(answerer.titles.size(), 1);
}

void TestMainWindowStartup::deferredStartUpAndHelpMenu()
{
    const auto form = std::make_unique<TMainForm>();
    TSetupSupporter *const supporter = form->SetSup();
    QCOMPARE(supporter->objectName(), QStringLiteral("SetSup"));
    QCOMPARE(supporter->CompanyName(), QStringLiteral("VANTO"));
    QCOMPARE(supporter->cardName(), QStringLiteral("TR-4410"));
    QCOMPARE(supporter->CardNameB(), QStringLiteral("TR-4410/B"));
    QCOMPARE(supporter->CallHow(), QStringLiteral("between 8 am and 5 pm Pacific Time at 1-800-555-0142"));
    QVERIFY(supporter->MultiPort() && supporter->ChangeButtons() && supporter->bSeries());
    QCOMPARE(supporter->Channels(), 8);
    QVERIFY(!supporter->built());

    // The main window's first paint comes before the supporter's windows are built.
    const FirstPaintWatch watch(form->findChild<QWidget *>(QStringLiteral("BoardImage1")), supporter);
    form->show();
    QTRY_VERIFY(supporter->built());
    QVERIFY(watch.painted && !watch.supporterBuiltBefore);
    QCOMPARE(supporter->HeaderLabel()->text(), QStringLiteral("TR-4410 Series Settings Program"));
    QVERIFY(!supporter->PCIForm());
    // The help window shows itself shortly after start-up, once.
    QTRY_VERIFY(supporter->HelpForm()->isVisible());
    supporter->HelpForm()->close();
    QTest::qWait(300);
    QVERIFY(!supporter->HelpForm()->isVisible());

    auto *help = form->findChild<QAction *>(QStringLiteral("Howtousethisprogram1"));
    auto *tech = form->findChild<QAction *>(QStringLiteral("TechnicalSupport1"));
    QVERIFY(help && tech);
    help->trigger();
    QVERIFY(supporter->HelpForm()->isVisible());
    QVERIFY(!supporter->TechForm()->isVisible());
    tech->trigger();
    QVERIFY(supporter->TechForm()->isVisible());
}

void TestMainWindowStartup::menuBarAfterFirstPaint()
{
    const auto form = std::make_unique<TMainForm>();
    QCOMPARE(menuCaptions(form->menuBar()), (QStringList{"&File", "&Help"}));
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTRY_COMPARE(menuCaptions(form->menuBar()), (QStringList{"&File", "&Settings", "&Options", "&Help"}));
}

void TestMainWindowStartup::exitEndsWithoutQuestion()
{
    BoxAnswerer answerer(QMessageBox::Cancel);
    const auto form = std::make_unique<TMainForm>();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    form->findChild<QAction *>(QStringLiteral("Exit2"))->trigger();
    QVERIFY(!form->isVisible());
    QTest::qWait(50);
    QVERIFY(answerer.titles.isEmpty());
}

QTEST_MAIN(TestMainWindowStartup)
#include "tst_main_window_startup.moc"
