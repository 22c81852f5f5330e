// The supporter's calibration cycle, driven by its tick against a main window of the kit's kind.
#include "application_idle.h"
#include "setup_supporter.h"
#include "supporter_host.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <stdexcept>

class TestSetupSupporterCalibration : public QObject
{
    Q_OBJECT
private slots:
    void passGoodChannels();
    void allBadRetryThenCancel();
    void withoutReadingHandler();
    void withoutEntriesOrChannels();
    void errorIsReportedAndRunGoesOn();
    void cleanup();
};

void TestSetupSupporterCalibration::cleanup()
{
    ApplicationIdle::setOnIdle(nullptr);
}

void TestSetupSupporterCalibration::passGoodChannels()
{
    SupporterHost host;
    auto *const sup = new TSetupSupporter(&host);
    QPlainTextEdit readingsA(QStringLiteral("0\n1\n2\n3\n4\n5\n6\n7\nextra"));
    QPlainTextEdit readingsB; // too short: lines are added
    QPushButton button(QStringLiteral("Stop"));
    QWidget hidden;
    hidden.show();
    sup->addCalibrationEntry(&readingsA, &button, &hidden);
    sup->addCalibrationEntry(&readingsB, nullptr, nullptr);

    int begun = 0;
    QList<int> channels;
    sup->setOnBeginCalib([&](QObject *sender) {
        QCOMPARE(sender, sup);
        ++begun;
    });
    sup->setOnGetCalibString([&](QObject *, quint8 channel, bool &itsAllBad) {
        channels.append(channel);
        if (channel == 5)
            itsAllBad = false;
        return QStringLiteral("%1.%2 V").arg(begun).arg(channel);
    });
    QVERIFY(!sup->tickActive()); // nothing pending: setting a handler starts nothing
    sup->startCalibration();
    QVERIFY(sup->calibrating());
    QVERIFY(sup->tickActive());
    QTRY_VERIFY_WITH_TIMEOUT(begun >= 2, 2000);
    sup->stopCalibration();
    QVERIFY(!sup->tickActive());
    const int passes = begun;
    QCOMPARE(channels.size(), 8 * passes);
    QCOMPARE(channels.mid(0, 8), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));

    const QStringList linesA = readingsA.toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(linesA.size(), 9);
    QCOMPARE(linesA.at(0), QStringLiteral("Channel 0\t%1.0 V").arg(passes));
    QCOMPARE(linesA.at(7), QStringLiteral("Channel 7\t%1.7 V").arg(passes));
    QCOMPARE(linesA.at(8), QStringLiteral("extra"));
    QCOMPARE(readingsB.toPlainText().split(QLatin1Char('\n')).size(), 8);
    QCOMPARE(readingsB.toPlainText().split(QLatin1Char('\n')).at(3),
             QStringLiteral("Channel 3\t%1.3 V").arg(passes));
    QCOMPARE(button.text(), QStringLiteral("Stop")); // a good run resets nothing
    QVERIFY(hidden.isVisible());                     // shown again when the run is stopped
    QTest::qWait(250);
    QCOMPARE(begun, passes);
}

void TestSetupSupporterCalibration::allBadRetryThenCancel()
{
    for (const bool changeButtons : {true, false}) {
        SupporterHost host;
        host.show();
        auto *const sup = new TSetupSupporter(&host);
        sup->setChannels(4);
        sup->setChangeButtons(changeButtons);
        QPlainTextEdit readings;
        QPushButton button(QStringLiteral("Stop"));
        int oldClicks = 0;
        connect(&button, &QPushButton::clicked, &button, [&oldClicks] { ++oldClicks; });
        QWidget hidden;
        hidden.show();
        sup->addCalibrationEntry(&readings, &button, &hidden);
        int passes = 0;
        sup->setOnBeginCalib([&](QObject *) { ++passes; });
        bool hiddenDuringPass = false;
        sup->setOnGetCalibString([&](QObject *, quint8, bool &) {
            hiddenDuringPass = !hidden.isVisible();
            return QStringLiteral("bad");
        });
        QObject *startSender = nullptr;
        sup->setOnStartButtonClick([&startSender](QObject *sender) { startSender = sender; });

        SeenBox first;
        answerNextBox(QMessageBox::Retry, &first);
        sup->startCalibration();
        QTRY_VERIFY_WITH_TIMEOUT(first.seen, 2000);
        QCOMPARE(first.caption, QStringLiteral("Total A/D failure"));
        QCOMPARE(first.text, QStringLiteral("Total A/D failure. The card may not be installed, or it may be "
                                            "installed at a different base address."));
        QCOMPARE(first.icon, QMessageBox::Warning);
        QCOMPARE(first.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        QCOMPARE(first.defaultButton, QMessageBox::Cancel);
        QVERIFY(first.onTop);
        QCOMPARE(passes, 1);
        QVERIFY(hiddenDuringPass);

        // Retry: the run starts again and fails again.
        SeenBox second;
        answerNextBox(QMessageBox::Cancel, &second);
        QTRY_VERIFY_WITH_TIMEOUT(second.seen, 2000);
        QTRY_VERIFY(!sup->calibrating());
        QCOMPARE(passes, 2);
        QVERIFY(!sup->tickActive());
        QCOMPARE(readings.toPlainText(),
                 QStringLiteral("Channel 0\tbad\nChannel 1\tbad\nChannel 2\tbad\nChannel 3\tbad"));
        QVERIFY(hidden.isVisible());

        button.click();
        if (changeButtons) {
            QCOMPARE(button.text(), QStringLiteral("Start"));
            QCOMPARE(startSender, &button);
            QCOMPARE(oldClicks, 0); // the new handler replaces the old one
        } else {
            QCOMPARE(button.text(), QStringLiteral("Stop"));
            QCOMPARE(startSender, nullptr);
            QCOMPARE(oldClicks, 1);
        }
        QTest::qWait(250);
        QCOMPARE(passes, 2);
    }
}

void TestSetupSupporterCalibration::withoutReadingHandler()
{
    SupporterHost host;
    host.show();
    auto *const sup = new TSetupSupporter(&host);
    QPushButton button(QStringLiteral("Stop"));
    QWidget hidden;
    hidden.show();
    sup->addCalibrationEntry(nullptr, &button, &hidden);
    int begun = 0;
    sup->setOnBeginCalib([&begun](QObject *) { ++begun; });

    SeenBox box;
    answerNextBox(QMessageBox::Ok, &box);
    sup->startCalibration();
    QTRY_VERIFY_WITH_TIMEOUT(box.seen, 2000);
    QTRY_VERIFY(!sup->calibrating());
    QCOMPARE(box.caption, QStringLiteral("OnGetCalibString Not Assigned"));
    QCOMPARE(box.text, QStringLiteral("Error: calibration begun, but OnGetCalibString isn't assigned."));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(box.onTop);
    QCOMPARE(begun, 1);
    QCOMPARE(button.text(), QStringLiteral("Start"));
    QVERIFY(hidden.isVisible());
    QVERIFY(!sup->tickActive());
}

void TestSetupSupporterCalibration::withoutEntriesOrChannels()
{
    SupporterHost host;
    host.show();
    auto *const sup = new TSetupSupporter(&host);
    sup->setChannels(0);
    int asked = 0;
    sup->setOnGetCalibString([&asked](QObject *, quint8, bool &itsAllBad) {
        ++asked;
        itsAllBad = false;
        return QString();
    });
    SeenBox box;
    answerNextBox(QMessageBox::Cancel, &box);
    sup->startCalibration();
    QTRY_VERIFY_WITH_TIMEOUT(box.seen, 2000);
    QCOMPARE(box.caption, QStringLiteral("Total A/D failure"));
    QCOMPARE(asked, 0);
    QTRY_VERIFY(!sup->calibrating());

    // With channels but no entries the handlers still run.
    sup->setChannels(3);
    SeenBox again;
    sup->setOnGetCalibString([&asked](QObject *, quint8, bool &) {
        ++asked;
        return QString();
    });
    answerNextBox(QMessageBox::Cancel, &again);
    sup->startCalibration();
    QTRY_VERIFY_WITH_TIMEOUT(again.seen, 2000);
    QCOMPARE(asked, 3);
}

void TestSetupSupporterCalibration::errorIsReportedAndRunGoesOn()
{
    SupporterHost host;
    host.show();
    auto *const sup = new TSetupSupporter(&host);
    sup->setChannels(1);
    int calls = 0;
    sup->setOnGetCalibString([&calls](QObject *, quint8, bool &itsAllBad) -> QString {
        if (++calls == 1)
            throw std::runtime_error("reading failed");
        itsAllBad = false;
        return QStringLiteral("ok");
    });
    SeenBox report;
    answerNextBox(QMessageBox::Ok, &report);
    sup->startCalibration();
    QTRY_VERIFY_WITH_TIMEOUT(report.seen, 2000);
    QCOMPARE(report.text, QStringLiteral("reading failed"));
    QCOMPARE(report.icon, QMessageBox::Critical);
    // The run goes on with the next tick.
    QTRY_VERIFY_WITH_TIMEOUT(calls >= 3, 2000);
    QVERIFY(sup->calibrating());
    sup->stopCalibration();
    QVERIFY(!sup->tickActive());
}

QTEST_MAIN(TestSetupSupporterCalibration)
#include "tst_setup_supporter_calibration.moc"
