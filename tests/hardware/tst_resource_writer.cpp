#include "resource_writer.h"
#include "vanto32.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <ctime>

Q_DECLARE_METATYPE(Commissioning::AccessState)

namespace {
struct Write
{
    quint32 port;
    quint8 value;
    qint64 ns;
};
} // namespace

class TestResourceWriter : public QObject
{
    Q_OBJECT

    QElapsedTimer m_clock;
    QList<Write> m_writes;

    void record(TResourceWriter &writer)
    {
        writer.setPortWriter([this](quint32 port, quint8 value) {
            m_writes.append({port, value, m_clock.nsecsElapsed()});
        });
    }

    static ResourceRules::Values sample()
    {
        return {0x7F, 0x5F, 0x7D, 0x5D, 0x20, 0x21, 0x22, 0x23, 0x0A, 0xFF};
    }

    // Runs a sequence to its end as tr4410ctl waits for it; false when it was refused, failed,
    // or the writer went meanwhile.
    static bool write(TResourceWriter *writer, quint16 controlBase, const ResourceRules::Values &values)
    {
        const QPointer<TResourceWriter> alive(writer);
        bool succeeded = false;
        QEventLoop wait;
        QObject::connect(writer, &TResourceWriter::finished, &wait, [&](const TWriteResult &result) {
            succeeded = result.succeeded();
            wait.quit();
        });
        QObject::connect(writer, &QObject::destroyed, &wait, &QEventLoop::quit);
        if (!writer->start(controlBase, values))
            return false;
        wait.exec();
        return alive && succeeded;
    }

private slots:
    void init()
    {
        m_writes.clear();
        m_clock.start();
    }

    void writesIndexThenDataForEachRegister()
    {
        TResourceWriter writer;
        record(writer);
        QVERIFY(write(&writer, 0x300, sample()));
        QCOMPARE(m_writes.size(), 20);
        const auto values = sample();
        for (int k = 1; k <= 10; ++k) {
            const Write &index = m_writes.at(2 * (k - 1));
            const Write &data = m_writes.at(2 * (k - 1) + 1);
            QCOMPARE(index.port, 0x301u);
            QCOMPARE(int(index.value), k);
            QCOMPARE(data.port, 0x302u);
            QCOMPARE(data.value, values[std::size_t(k - 1)]);
        }
        QVERIFY(!writer.busy());
    }

    void portsStayInSixteenBitsRange()
    {
        // The top of the port space: the registers are base + 1 and + 2 without wrapping to 0.
        TResourceWriter writer;
        record(writer);
        QVERIFY(write(&writer, 0xFFF0, sample()));
        QCOMPARE(m_writes.first().port, 0xFFF1u);
        QCOMPARE(m_writes.at(1).port, 0xFFF2u);
    }

    void everyWriteIsFollowedBySettleTime_data()
    {
        QTest::addColumn<int>("failAt"); // the write whose status fails, 0 for none, -1: the read before
        QTest::newRow("all written") << 0;
        // The port layer still holds the failure of the start-up read: not this sequence's.
        QTest::newRow("after a failed read at start-up") << -1;
        // A failed write settles too: the card may have taken it.
        QTest::newRow("status fails at write 7") << 7;
    }
    void everyWriteIsFollowedBySettleTime()
    {
        QFETCH(int, failAt);
        TResourceWriter writer;
        record(writer);
        int pending = failAt < 0 ? 1 : 0; // VANTO32_STATUS_NO_ACCESS, until asked
        writer.setStatusReader([&] {
            const int status = failAt > 0 && int(m_writes.size()) == failAt ? 4 : pending;
            pending = 0;
            return status;
        });
        QCOMPARE(write(&writer, 0x300, sample()), failAt <= 0);
        QCOMPARE(m_writes.size(), failAt <= 0 ? 20 : failAt);
        const qint64 end = m_clock.nsecsElapsed();
        const qint64 settle = qint64(TResourceWriter::SettleMilliseconds) * 1000000;
        for (int i = 1; i < m_writes.size(); ++i)
            QVERIFY2(m_writes.at(i).ns - m_writes.at(i - 1).ns >= settle, qPrintable(QString::number(i)));
        // The last write settles too before the sequence counts as done.
        QVERIFY(end - m_writes.last().ns >= settle);
    }

    void waitsSleepInsteadOfSpinning()
    {
        TResourceWriter writer;
        record(writer);
        const std::clock_t cpuStart = std::clock();
        QElapsedTimer wall;
        wall.start();
        QVERIFY(write(&writer, 0x300, sample()));
        const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        const qint64 wallMs = wall.elapsed();
        QVERIFY(wallMs >= 200);
        QVERIFY2(cpuMs < wallMs / 2.0,
                 qPrintable(QStringLiteral("cpu %1 ms of %2 ms").arg(cpuMs).arg(wallMs)));
    }

    void eventsAreHandledDuringTheWaits()
    {
        TResourceWriter writer;
        record(writer);
        int writesBeforeTimer = -1;
        int writesBeforePosted = -1;
        QTimer::singleShot(30, this, [&] { writesBeforeTimer = int(m_writes.size()); });
        writer.setPortWriter([&](quint32 port, quint8 value) {
            m_writes.append({port, value, m_clock.nsecsElapsed()});
            if (m_writes.size() == 3)
                QMetaObject::invokeMethod(
                    this, [&] { writesBeforePosted = int(m_writes.size()); }, Qt::QueuedConnection);
        });
        QVERIFY(write(&writer, 0x300, sample()));
        // Both ran inside the sequence, not after it.
        QVERIFY(writesBeforeTimer > 0 && writesBeforeTimer < 20);
        QCOMPARE(writesBeforePosted, 3);
    }

    void secondSequenceIsRefusedWhileOneRuns()
    {
        TResourceWriter writer;
        record(writer);
        bool busyInside = false;
        bool secondAccepted = true;
        int writesAtSecond = -1;
        QTimer::singleShot(25, this, [&] {
            busyInside = writer.busy();
            writesAtSecond = int(m_writes.size());
            secondAccepted = writer.start(0x200, sample());
        });
        QVERIFY(write(&writer, 0x300, sample()));
        QVERIFY(busyInside);
        QVERIFY(!secondAccepted);
        QVERIFY(writesAtSecond > 0);
        QCOMPARE(m_writes.size(), 20);
        for (const Write &w : std::as_const(m_writes))
            QVERIFY(w.port == 0x301 || w.port == 0x302);
        // Free again afterwards.
        QVERIFY(write(&writer, 0x300, sample()));
        QCOMPARE(m_writes.size(), 40);
    }

    // The result names the cause of an access failure, and only of one.
    void resultNamesTheCause_data()
    {
        using Commissioning::AccessState;
        QTest::addColumn<int>("status"); // of the third write
        QTest::addColumn<AccessState>("known");
        QTest::addColumn<AccessState>("cause");
        QTest::newRow("no access, as found at start-up")
            << VANTO32_STATUS_NO_ACCESS << AccessState::NoPortIo << AccessState::NoPortIo;
        // Found at start-up, lost since: the cause an ordinary user meets.
        QTest::newRow("no access, lost")
            << VANTO32_STATUS_NO_ACCESS << AccessState::Available << AccessState::NotInGroup;
        QTest::newRow("locked down") << VANTO32_STATUS_LOCKED_DOWN << AccessState::NoPortIo
                                     << AccessState::LockedDown;
        QTest::newRow("refused") << VANTO32_STATUS_REFUSED << AccessState::NoPortIo << AccessState::Available;
    }
    void resultNamesTheCause()
    {
        QFETCH(int, status);
        QFETCH(Commissioning::AccessState, known);
        QFETCH(Commissioning::AccessState, cause);
        TResourceWriter writer;
        record(writer);
        writer.setStatusReader([&] { return m_writes.size() == 3 ? status : 0; });
        writer.setKnownAccess(known);
        QSignalSpy finished(&writer, &TResourceWriter::finished);
        QVERIFY(!write(&writer, 0x300, sample()));
        const auto result = finished.first().first().value<TWriteResult>();
        QCOMPARE(result.access, cause);
        QCOMPARE(result.lastRegister, 1);
        QCOMPARE(m_writes.size(), 3);
    }

    void cancelEndsTheSequenceAtOnce()
    {
        TResourceWriter writer;
        record(writer);
        QSignalSpy finished(&writer, &TResourceWriter::finished);
        // Cancelled as the third register is told, from inside the sequence's own signal.
        connect(&writer, &TResourceWriter::registerWritten, &writer, [&](int reg) {
            if (reg == 3)
                writer.cancel();
        });
        QVERIFY(!write(&writer, 0x300, sample()));
        QCOMPARE(finished.count(), 1);
        const auto result = finished.first().first().value<TWriteResult>();
        QVERIFY(result.cancelled);
        QCOMPARE(result.failure, WriteFailure::None);
        QCOMPARE(result.lastRegister, 3);
        QVERIFY(!writer.busy());
        // Nothing more goes out, and no second end is told.
        QTest::qWait(30);
        QCOMPARE(m_writes.size(), 6);
        QCOMPARE(finished.count(), 1);
    }

    void writerDestroyedDuringAWait()
    {
        QPointer<TResourceWriter> writer = new TResourceWriter;
        record(*writer);
        QTimer::singleShot(35, this, [&] { delete writer.data(); });
        QVERIFY(!write(writer, 0x300, sample()));
        QVERIFY(writer.isNull());
        QVERIFY(m_writes.size() < 20);
    }
};

QTEST_GUILESS_MAIN(TestResourceWriter)
#include "tst_resource_writer.moc"
