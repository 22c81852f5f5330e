// The port test's exchange of the pattern through a pseudo-terminal, whose other end plays a
// loopback plug that answers the pattern right, changed, short or not at all.

#include "serial_port_test.h"

#include <QtTest>

#include <atomic>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

enum class Plug { Echo, Changed, Short, Silent };

// Reads what the test sends and answers it as the plug would, until stopped.
void answer(int master, Plug plug, const std::atomic<bool> &stop)
{
    int seen = 0;
    while (!stop) {
        pollfd in{master, POLLIN, 0};
        if (poll(&in, 1, 10) <= 0)
            continue;
        char buffer[64];
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        QByteArray back(buffer, int(n));
        if (plug == Plug::Changed && seen <= 200 && seen + n > 200)
            back[200 - seen] = char(back.at(200 - seen) ^ 0x10);
        if (plug == Plug::Short && seen + n >= TSerialPortTest::PatternBytes)
            back.chop(1); // the pattern's last byte never comes back
        seen += int(n);
        if (plug != Plug::Silent && write(master, back.constData(), size_t(back.size())) != back.size())
            return;
    }
}

} // namespace

class TestSerialPortTest : public QObject
{
    Q_OBJECT

private slots:
    void exercise_data()
    {
        QTest::addColumn<bool>("external");
        QTest::addColumn<int>("plug");
        QTest::addColumn<QString>("reason");
        const QString bytes = QStringLiteral(
            "the loopback plug at 115200 baud returned %1 of 256 bytes within 1000 ms (UART at 0x1A8)");
        // A pseudo-terminal has no modem lines: a pattern that passes gets as far as RTS.
        QTest::newRow("plug echoes") << true << int(Plug::Echo) << "RTS does not come back on CTS";
        QTest::newRow("plug changes a byte")
            << true << int(Plug::Changed)
            << "the loopback plug at 115200 baud brought the pattern back changed";
        QTest::newRow("plug one byte short") << true << int(Plug::Short) << bytes.arg(255);
        QTest::newRow("plug silent") << true << int(Plug::Silent) << bytes.arg(0);
        QTest::newRow("no internal loopback")
            << false << int(Plug::Echo) << "the driver refuses the internal loopback (TIOCM_LOOP)";
    }
    void exercise()
    {
        QFETCH(bool, external);
        QFETCH(int, plug);
        QFETCH(QString, reason);
        const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(terminal >= 0);
        std::atomic<bool> stop{false};
        std::thread plugEnd(answer, master, Plug(plug), std::cref(stop));
        const QString got = TSerialPortTest::exercise(terminal, {5, 0x1A8, 5, {115200}, external});
        stop = true;
        plugEnd.join();
        close(terminal);
        close(master);
        QCOMPARE(got, reason);
    }
};

QTEST_GUILESS_MAIN(TestSerialPortTest)
#include "tst_serial_port_test.moc"
