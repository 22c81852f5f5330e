#include "up_down.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {
// Records every change request the spinner reports, as the main window's handler sees it.
struct Recorder
{
    QList<int> requested;
    QList<int> directions;
    bool allow = true;
    void attach(TUpDown *upDown)
    {
        QObject::connect(upDown, &TUpDown::OnChangingEx,
                         [this](QObject *, bool &allowChange, int newValue, int direction) {
                             requested << newValue;
                             directions << direction;
                             allowChange = allow;
                         });
    }
};

// The port spinners' settings.
void setPortRange(TUpDown &upDown)
{
    upDown.setMin(256);
    upDown.setMax(1016);
    upDown.setIncrement(8);
    upDown.setPosition(256);
}
} // namespace

class TestUpDown : public QObject
{
    Q_OBJECT
private slots:
    void requestBeyondBoundIsReportedThenBounded();
    void equalSetReportsNothing();
    void arrowsStepByIncrementWithoutWrap();
    void refusedChangeKeepsPosition();
};

void TestUpDown::requestBeyondBoundIsReportedThenBounded()
{
    TUpDown upDown;
    setPortRange(upDown);
    Recorder recorder;
    recorder.attach(&upDown);
    QSignalSpy changed(&upDown, &TUpDown::OnChanged);

    upDown.setPosition(2040);
    QCOMPARE(recorder.requested, QList<int>{2040});
    QCOMPARE(recorder.directions, QList<int>{TUpDown::updNone});
    QCOMPARE(upDown.Position(), 1016);
    QCOMPARE(changed.count(), 1);

    // Already at the top: the request is still reported, the value stays.
    upDown.stepUp();
    QCOMPARE(recorder.requested.last(), 1024);
    QCOMPARE(upDown.Position(), 1016);
    QCOMPARE(changed.count(), 1);

    upDown.setPosition(192);
    QCOMPARE(recorder.requested.last(), 192);
    QCOMPARE(upDown.Position(), 256);
}

void TestUpDown::equalSetReportsNothing()
{
    TUpDown upDown;
    setPortRange(upDown);
    Recorder recorder;
    recorder.attach(&upDown);
    upDown.setPosition(256);
    QVERIFY(recorder.requested.isEmpty());
    upDown.setPosition(600);
    upDown.setPosition(600);
    QCOMPARE(recorder.requested, QList<int>{600});
}

void TestUpDown::arrowsStepByIncrementWithoutWrap()
{
    TUpDown upDown;
    setPortRange(upDown);
    upDown.resize(15, 25);
    upDown.show();
    QVERIFY(QTest::qWaitForWindowExposed(&upDown));
    Recorder recorder;
    recorder.attach(&upDown);

    auto *down = upDown.findChild<QToolButton *>(QStringLiteral("DownButton"));
    auto *up = upDown.findChild<QToolButton *>(QStringLiteral("UpButton"));
    QVERIFY(down && up);
    QTest::mouseClick(down, Qt::LeftButton);
    QCOMPARE(recorder.requested, QList<int>{248});
    QCOMPARE(recorder.directions, QList<int>{TUpDown::updDown});
    QCOMPARE(upDown.Position(), 256); // no wrap to the top
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(recorder.requested.last(), 264);
    QCOMPARE(recorder.directions.last(), int(TUpDown::updUp));
    QCOMPARE(upDown.Position(), 264);
}

void TestUpDown::refusedChangeKeepsPosition()
{
    TUpDown upDown;
    setPortRange(upDown);
    Recorder recorder;
    recorder.allow = false;
    recorder.attach(&upDown);
    upDown.stepUp();
    QCOMPARE(recorder.requested, QList<int>{264});
    QCOMPARE(upDown.Position(), 256);
}

QTEST_MAIN(TestUpDown)
#include "tst_up_down.moc"
