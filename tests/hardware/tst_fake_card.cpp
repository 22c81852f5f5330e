// The fake port-I/O library is what the main window's tests judge the port-resource write by, so
// its card model must decode the index/data protocol exactly as the card does.

#include "fakes/fake_ports.h"
#include "vanto32.h"

#include <QTest>

class TestFakeCard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(FakePorts::available(), FakePorts::unavailableReason()); }
    void init() { FakePorts::reset(); }

    void decodesIndexDataPairs()
    {
        FakePorts::setCardBase(0x300);
        const QList<int> values{0x20, 0x5D, 0x5F, 0x60, 0x7D, 0x7F, 0x21, 0x22, 0x0B, 0xA5};
        for (int k = 1; k <= 10; ++k) {
            OutPortB(0x301, uint32_t(k));
            OutPortB(0x302, uint32_t(values[k - 1]));
        }
        QCOMPARE(FakePorts::resourceRegisters(), values);
        QCOMPARE(FakePorts::strayWrites(), 0);
        QCOMPARE(FakePorts::writes().size(), 20);
    }

    void registersStartUnset()
    {
        FakePorts::setCardBase(0x300);
        OutPortB(0x301, 9);
        OutPortB(0x302, 5);
        QCOMPARE(FakePorts::resourceRegisters(), (QList<int>{-1, -1, -1, -1, -1, -1, -1, -1, 5, -1}));
        QCOMPARE(FakePorts::resourceRegister(0), -1);
        QCOMPARE(FakePorts::resourceRegister(11), -1);
    }

    void dataGoesToTheIndexSelectedLast()
    {
        FakePorts::setCardBase(0x120);
        OutPortB(0x121, 3);
        OutPortB(0x121, 4);
        OutPortB(0x122, 0x44);
        OutPortB(0x122, 0x45); // the index stays selected
        QCOMPARE(FakePorts::resourceRegister(3), -1);
        QCOMPARE(FakePorts::resourceRegister(4), 0x45);
    }

    void onlyTheLowByteCounts()
    {
        FakePorts::setCardBase(0x300);
        OutPortB(0x301, 0x1000 | 2);
        OutPortB(0x302, 0xABCD);
        QCOMPARE(FakePorts::resourceRegister(2), 0xCD);
        QCOMPARE(FakePorts::writes().at(1).value, quint32(0xABCD)); // recorded as passed
    }

    void countsStrayWrites_data()
    {
        QTest::addColumn<quint32>("base");
        QTest::addColumn<QList<quint32>>("sequence"); // port, value, port, value, ...
        QTest::addColumn<int>("stray");
        QTest::newRow("data before any index") << quint32(0x300) << QList<quint32>{0x302, 7} << 1;
        QTest::newRow("index 0") << quint32(0x300) << QList<quint32>{0x301, 0, 0x302, 7} << 2;
        QTest::newRow("index 11") << quint32(0x300) << QList<quint32>{0x301, 11, 0x302, 7} << 2;
        QTest::newRow("base itself") << quint32(0x300) << QList<quint32>{0x300, 1} << 1;
        QTest::newRow("base + 3") << quint32(0x300) << QList<quint32>{0x303, 1} << 1;
        QTest::newRow("other card base") << quint32(0x300) << QList<quint32>{0x311, 1, 0x312, 7} << 2;
        QTest::newRow("no card") << FakePorts::NoCard << QList<quint32>{0x301, 1, 0x302, 7} << 2;
        QTest::newRow("bad index drops the old one")
            << quint32(0x300) << QList<quint32>{0x301, 1, 0x301, 12, 0x302, 7} << 2;
    }
    void countsStrayWrites()
    {
        QFETCH(quint32, base);
        QFETCH(QList<quint32>, sequence);
        QFETCH(int, stray);
        FakePorts::setCardBase(base);
        for (int i = 0; i + 1 < sequence.size(); i += 2)
            OutPortB(sequence[i], sequence[i + 1]);
        QCOMPARE(FakePorts::strayWrites(), stray);
        QCOMPARE(FakePorts::resourceRegisters(), QList<int>(10, -1));
    }

    void recordsCallsInOrderWithTimes()
    {
        FakePorts::setCardBase(0x300);
        QCOMPARE(InPortB(0x61), uint16_t(0x00)); // present by default
        OutPortB(0x301, 1);
        QTest::qWait(12);
        OutPortB(0x302, 0x20);
        const QList<PortCall> calls = FakePorts::calls();
        QCOMPARE(calls.size(), 3);
        QVERIFY(!calls[0].write);
        QCOMPARE(calls[0].port, quint32(0x61));
        QVERIFY(calls[1].write);
        QCOMPARE(calls[1].port, quint32(0x301));
        QCOMPARE(calls[2].value, quint32(0x20));
        QVERIFY(calls[0].ns <= calls[1].ns);
        QVERIFY2(calls[2].ns - calls[1].ns >= 10'000'000, "the wait between two writes shows in the times");
        QCOMPARE(FakePorts::reads().size(), 1);
        QCOMPARE(FakePorts::writes().size(), 2);
    }

    void answersTheChosenReadValue()
    {
        FakePorts::setInValue(0xAA55);
        QCOMPARE(InPortB(0x61), uint16_t(0xAA55));
        FakePorts::setInValue(0x0055);
        QCOMPARE(InPortB(0x61), uint16_t(0x0055));
        QCOMPARE(FakePorts::strayWrites(), 0); // reads are not writes
    }

    void resetForgetsEverything()
    {
        FakePorts::setCardBase(0x300);
        FakePorts::setInValue(0xAA55);
        OutPortB(0x301, 1);
        OutPortB(0x302, 0x20);
        OutPortB(0x3F8, 0x20);
        FakePorts::reset();
        QCOMPARE(FakePorts::callCount(), 0);
        QCOMPARE(FakePorts::strayWrites(), 0);
        QCOMPARE(FakePorts::resourceRegisters(), QList<int>(10, -1));
        QCOMPARE(InPortB(0x61), uint16_t(0x00));
        OutPortB(0x302, 1); // the card base and index went too
        QCOMPARE(FakePorts::strayWrites(), 1);
    }
};

QTEST_GUILESS_MAIN(TestFakeCard)
#include "tst_fake_card.moc"
