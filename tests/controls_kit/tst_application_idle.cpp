#include "application_idle.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

class TestApplicationIdle : public QObject
{
    Q_OBJECT

private slots:
    void runsOnceWhenItClearsItself();
    void notDoneRunsAgain();
    void doneWaitsForTheNextEventWithoutSpinning();
    void replacedWhileRunning();
    void cleanup() { ApplicationIdle::setOnIdle(nullptr); }
};

void TestApplicationIdle::runsOnceWhenItClearsItself()
{
    int calls = 0;
    QObject *sender = nullptr;
    ApplicationIdle::setOnIdle([&](QObject *s, bool &done) {
        ++calls;
        sender = s;
        QVERIFY(done); // true unless the handler asks for more
        ApplicationIdle::setOnIdle(nullptr);
    });
    QVERIFY(ApplicationIdle::hasOnIdle());
    QCOMPARE(calls, 0); // never from inside setOnIdle
    QTRY_COMPARE(calls, 1);
    QTest::qWait(100);
    QCOMPARE(calls, 1);
    QCOMPARE(sender, QCoreApplication::instance());
    QVERIFY(!ApplicationIdle::hasOnIdle());

    // Also in the application's own event loop.
    calls = 0;
    QEventLoop loop;
    ApplicationIdle::setOnIdle([&](QObject *, bool &) {
        ++calls;
        ApplicationIdle::setOnIdle(nullptr);
    });
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    QCOMPARE(calls, 1);
}

void TestApplicationIdle::notDoneRunsAgain()
{
    int calls = 0;
    ApplicationIdle::setOnIdle([&](QObject *, bool &done) {
        if (++calls < 5)
            done = false;
    });
    QTRY_COMPARE(calls, 5);
}

void TestApplicationIdle::doneWaitsForTheNextEventWithoutSpinning()
{
    int calls = 0;
    ApplicationIdle::setOnIdle([&](QObject *, bool &) { ++calls; });
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    // Nothing happened in between but the one timer: no busy loop.
    QVERIFY2(calls >= 1 && calls <= 4, qPrintable(QString::number(calls)));

    // Events bring it back after each wait.
    calls = 0;
    QTimer ticker;
    ticker.start(20);
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY2(calls >= 5 && calls <= 40, qPrintable(QString::number(calls)));
}

void TestApplicationIdle::replacedWhileRunning()
{
    QStringList log;
    ApplicationIdle::setOnIdle([&](QObject *, bool &) {
        log << QStringLiteral("first");
        // The handler replaces itself: its own captures must stay valid until it returns.
        const QString tag = QStringLiteral("second");
        ApplicationIdle::setOnIdle([&log, tag](QObject *, bool &) {
            log << tag;
            ApplicationIdle::setOnIdle(nullptr);
        });
        log << QStringLiteral("first done");
    });
    QTRY_COMPARE(log.size(), 3);
    QCOMPARE(log,
             (QStringList{QStringLiteral("first"), QStringLiteral("first done"), QStringLiteral("second")}));
}

QTEST_MAIN(TestApplicationIdle)
#include "tst_application_idle.moc"
