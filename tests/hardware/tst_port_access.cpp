// The driver presence test as the program runs it at start-up.

#include "fakes/fake_ports.h"
#include "port_access.h"

#include <QTest>

class TestPortAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(FakePorts::available(), FakePorts::unavailableReason()); }
    void init() { FakePorts::reset(); }

    void classifiesAnswers_data()
    {
        QTest::addColumn<quint16>("answer");
        QTest::addColumn<bool>("present");
        QTest::newRow("absent") << quint16(0xAA55) << false;
        QTest::newRow("0x00AA") << quint16(0x00AA) << true;
        QTest::newRow("0x0055") << quint16(0x0055) << true;
        QTest::newRow("0x55AA") << quint16(0x55AA) << true;
        QTest::newRow("0x0000") << quint16(0x0000) << true;
        QTest::newRow("0x00FF") << quint16(0x00FF) << true;
        QTest::newRow("0xFFFF") << quint16(0xFFFF) << true;
        QTest::newRow("0xAA54") << quint16(0xAA54) << true;
    }
    void classifiesAnswers()
    {
        QFETCH(quint16, answer);
        QFETCH(bool, present);
        QCOMPARE(PortAccess::driverPresent(answer), present);
        FakePorts::setInValue(answer);
        QCOMPARE(PortAccess::probeDriver(), present);
    }

    void probeReadsPort0x61OnceAndWritesNothing()
    {
        PortAccess::probeDriver();
        const QList<PortCall> calls = FakePorts::calls();
        QCOMPARE(calls.size(), 1);
        QVERIFY(!calls[0].write);
        QCOMPARE(calls[0].port, quint32(0x61));
    }
};

QTEST_GUILESS_MAIN(TestPortAccess)
#include "tst_port_access.moc"
