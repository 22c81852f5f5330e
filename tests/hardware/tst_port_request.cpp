// The port helper's rules, without a port: which requests pass the check, and how a helper paces
// writes, holds the machine-wide write lock and answers, on a simulated clock and card.
#include "port_request.h"

#include <QtTest>

#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One machine: a clock, the write lock and the port accesses, shared by the helpers running on it.
struct Machine
{
    qint64 ns = 1000000000;
    const void *lockOwner = nullptr;
    qint64 unlocked = 0;                // when the lock was last given back
    int lockDenial = PORT_REQUEST_DONE; // the lock file cannot be opened
    int denial = PORT_REQUEST_DONE;     // what ioperm() would say
    struct Access
    {
        char kind;
        unsigned port, value;
        qint64 ns;
    };
    QList<Access> accesses;
};

// One helper process on that machine, fed the way its client writes to it.
struct Helper
{
    Machine &machine;
    port_request_session session{};
    QStringList answers;

    explicit Helper(Machine &m)
        : machine(m)
    {
        session.ops.context = this;
        session.ops.now_ns = [](void *c) { return int64_t(self(c).machine.ns); };
        session.ops.sleep_ns = [](void *c, int64_t ns) { self(c).machine.ns += ns; };
        session.ops.lock = [](void *c, char *, size_t) {
            Machine &m = self(c).machine;
            if (m.lockDenial != PORT_REQUEST_DONE)
                return m.lockDenial;
            if (m.lockOwner && m.lockOwner != c)
                return 0;
            m.lockOwner = c;
            return 1;
        };
        session.ops.unlock = [](void *c) {
            if (self(c).machine.lockOwner == c) {
                self(c).machine.lockOwner = nullptr;
                self(c).machine.unlocked = self(c).machine.ns;
            }
        };
        session.ops.in = [](void *c, unsigned port, unsigned *value) {
            Machine &m = self(c).machine;
            if (m.denial != PORT_REQUEST_DONE)
                return m.denial;
            m.accesses.append({'R', port, 0, m.ns});
            *value = 0x20;
            return 0;
        };
        session.ops.out = [](void *c, unsigned port, unsigned value) {
            Machine &m = self(c).machine;
            if (m.denial != PORT_REQUEST_DONE)
                return m.denial;
            m.accesses.append({'W', port, value, m.ns});
            return 0;
        };
    }
    static Helper &self(void *c) { return *static_cast<Helper *>(c); }

    QString ask(const QByteArray &input)
    {
        answers.clear();
        port_request_feed(
            &session, input.constData(), size_t(input.size()),
            [](void *c, const char *reply, size_t n) {
                static_cast<Helper *>(c)->answers.append(QString::fromLatin1(reply, qsizetype(n)));
            },
            this);
        return answers.join(QString());
    }
    void idle(qint64 ms)
    {
        machine.ns += ms * 1000000;
        port_request_idle(&session);
    }
};

} // namespace

class TestPortRequest : public QObject
{
    Q_OBJECT

private slots:
    void check_data()
    {
        QTest::addColumn<QByteArrayList>("before"); // carried out earlier in the same conversation
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected"); // "R port", "W port value" or the refusal

        const auto ok = [](const char *line, const char *parsed, const QByteArrayList &before = {}) {
            QTest::newRow((before.join(", ") + " | " + line).constData())
                << before << QByteArray(line) << QString::fromLatin1(parsed);
        };
        const auto no = [](const char *tag, const QByteArray &line, const char *reason,
                           const QByteArrayList &before = {}) {
            QTest::newRow(tag) << before << line << QString::fromLatin1(reason);
        };
        ok("R 61", "R 61 0");
        ok("R 0061", "R 61 0");
        ok("W 301 1", "W 301 1");
        ok("W 302 ff", "W 302 FF", {"W 301 A"});
        ok("W 101 A", "W 101 A");
        ok("W 102 00", "W 102 0", {"W 101 a"});
        no("index 0x7F", "W 3F1 7F", "index must be a register number, 1 to 10");
        ok("W 03f2 5d", "W 3F2 5D", {"W 3F1 1"});
        // The register protocol: the index takes 1 to 10; a data write needs an index write to the
        // same base, the last one counts, and the value must be one that register takes.
        const char *const index = "index must be a register number, 1 to 10";
        const char *const noIndex = "data write without an index write to this base";
        const char *const code = "port address code must be 20 to 7F";
        const char *const irq = "IRQ must be 2, 3, 4, 5, 6, 7, 10, 11, 12 or 15";
        ok("W 301 A", "W 301 A");
        no("index 0", "W 301 0", index);
        no("index 11", "W 301 B", index);
        no("data first", "W 302 20", noIndex);
        no("data to another base", "W 312 20", noIndex, {"W 301 1"});
        no("index of another base", "W 302 20", noIndex, {"W 311 1"});
        ok("W 302 20", "W 302 20", {"W 301 1"});
        ok("W 302 7F", "W 302 7F", {"W 301 8"});
        no("port A code 1F", "W 302 1F", code, {"W 301 1"});
        no("port H code 80", "W 302 80", code, {"W 301 8"});
        no("port A at 0x070, the clock", "W 302 E", code, {"W 301 1"});
        no("the last index counts", "W 302 5", code, {"W 301 9", "W 301 1"});
        ok("W 302 5", "W 302 5", {"W 301 1", "W 301 9"});
        ok("W 302 21", "W 302 21", {"W 301 1", "W 301 B", "W 302 20"}); // refused index: no change
        // The card drives IRQ 2 to 7, 10, 11, 12 and 15 (its manual), written out here by hand.
        for (const char *line : {"W 302 2", "W 302 3", "W 302 4", "W 302 5", "W 302 6", "W 302 7", "W 302 A",
                                 "W 302 B", "W 302 C", "W 302 F"})
            ok(line, line, {"W 301 9"});
        for (const char *value : {"0", "1", "8", "9", "D", "E", "10", "FF"})
            no(("IRQ 0x" + QByteArray(value)).constData(), "W 302 " + QByteArray(value), irq, {"W 301 9"});
        ok("W 302 0", "W 302 0", {"W 301 A"});
        ok("W 302 FF", "W 302 FF", {"W 301 A", "W 302 0"}); // any byte, as often as wanted
        // Reads: the presence port only.
        no("read 0x60", "R 60", "port may not be read");
        no("read 0x62", "R 62", "port may not be read");
        no("read a card register", "R 301", "port may not be read");
        no("read five digits", "R 00061", "malformed port number");
        // Writes: index and data registers of a base from 0x100 to 0x3F0 only.
        no("interrupt mask 0x21", "W 21 FF", "control base address out of range");
        no("CMOS data 0x71", "W 71 0", "control base address out of range");
        no("SMI command 0xB2 (base 0xB0)", "W B2 0", "control base address out of range");
        no("base 0x0F0 index", "W F1 1", "control base address out of range");
        no("base 0x0F0 data", "W F2 1", "control base address out of range");
        no("base 0x000", "W 1 1", "control base address out of range");
        no("base 0x400", "W 401 1", "control base address out of range");
        no("base 0xFFF0", "W FFF2 1", "control base address out of range");
        no("base itself", "W 300 1", "port is not a card register");
        no("base + 3", "W 303 1", "port is not a card register");
        no("a serial port's data", "W 2F8 41", "port is not a card register");
        no("beyond the port space", "W 10301 1", "malformed port number");
        // Malformed.
        no("empty", "", "malformed request");
        no("lower-case verb", "r 61", "malformed request");
        no("other verb", "X 61", "malformed request");
        no("no space", "R61", "malformed request");
        no("two spaces", "R  61", "malformed port number");
        no("trailing space", "R 61 ", "malformed request");
        no("read with value", "R 61 1", "malformed request");
        no("carriage return", "R 61\r", "malformed port number");
        no("not hexadecimal", "W 3G1 1", "malformed port number");
        no("minus", "W -301 1", "malformed port number");
        no("no value", "W 301", "malformed request");
        no("empty value", "W 301 ", "malformed value");
        no("three-digit value", "W 301 100", "malformed value");
        no("extra field", "W 301 1 2", "malformed value");
        no("NUL inside", QByteArray("W 301\0 1", 8), "malformed port number");
        no("too long", "W 301 1" + QByteArray(26, ' '), "request too long");
    }

    void check()
    {
        QFETCH(QByteArrayList, before);
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        port_request_registers registers{};
        port_request request{};
        for (const QByteArray &earlier : std::as_const(before)) {
            if (!port_request_check(earlier.constData(), size_t(earlier.size()), &registers, &request))
                port_request_carried_out(&registers, &request);
        }
        const char *refusal = port_request_check(line.constData(), size_t(line.size()), &registers, &request);
        const QString got = refusal ? QString::fromLatin1(refusal)
                                    : QStringLiteral("%1 %2 %3")
                                          .arg(QChar(request.kind))
                                          .arg(request.port, 0, 16)
                                          .arg(request.value, 0, 16)
                                          .toUpper();
        QCOMPARE(got, expected);
    }

    void helperPacesLocksAndAnswers()
    {
        Machine machine;
        Helper a(machine), b(machine);

        // Refused and malformed input touches no port, also split across reads or overlong.
        QCOMPARE(a.ask("W 21 1\nR 3"), QStringLiteral("REFUSED control base address out of range\n"));
        QCOMPARE(a.ask("01\n" + QByteArray(100, 'W') + "\n"),
                 QStringLiteral("REFUSED port may not be read\nREFUSED request too long\n"));
        QVERIFY(machine.accesses.isEmpty());
        QVERIFY(!machine.lockOwner);

        // Two writes sent at once: the second waits until 10 ms after the first.
        QCOMPARE(a.ask("W 301 1\nW 302 20\n"), QStringLiteral("OK\nOK\n"));
        QCOMPARE(machine.accesses.size(), 2);
        QCOMPARE(machine.accesses.at(1).ns - machine.accesses.at(0).ns, qint64(PORT_REQUEST_SPACING_NS));
        QVERIFY(machine.lockOwner == &a);

        // A second helper is refused while the first one's sequence runs; its reads still work.
        QCOMPARE(b.ask("W 301 2\nR 61\n"),
                 QStringLiteral("BUSY another program is writing to the card\nOK 20\n"));
        QCOMPARE(machine.accesses.size(), 3);
        QCOMPARE(machine.accesses.last().kind, 'R');
        a.idle(300);
        QCOMPARE(a.ask("W 302 21\n"), QStringLiteral("OK\n")); // a write later than 10 ms goes at once
        QCOMPARE(machine.accesses.last().ns, machine.ns);
        a.idle(499);
        QCOMPARE(b.ask("W 301 2\n"), QStringLiteral("BUSY another program is writing to the card\n"));
        QCOMPARE(port_request_idle_ms(&a.session), 1);
        a.idle(1); // half a second without a write: the card is free again
        QVERIFY(!machine.lockOwner);
        QCOMPARE(port_request_idle_ms(&a.session), -1);
        QCOMPARE(b.ask("W 301 2\n"), QStringLiteral("OK\n"));
        QCOMPARE(a.ask("W 301 2\n"), QStringLiteral("BUSY another program is writing to the card\n"));

        // Without port access: said so with its cause, and the lock is given back at once.
        const std::pair<int, QString> denials[] = {{PORT_REQUEST_NO_CAPABILITY, "no capability"},
                                                   {PORT_REQUEST_LOCKED_DOWN, "kernel locked down"},
                                                   {PORT_REQUEST_NO_PORT_IO, "no port I/O in this kernel"}};
        for (const auto &[denial, reason] : denials) {
            machine.denial = denial;
            QCOMPARE(b.ask("W 301 2\nR 61\n"), QStringLiteral("NOACCESS %1\n").arg(reason).repeated(2));
            QVERIFY(!machine.lockOwner);
        }

        // A helper that ends gives the lock back only once the card has settled after its last
        // write: the next one, another process, may write at once.
        machine.denial = PORT_REQUEST_DONE;
        QCOMPARE(b.ask("W 301 3\n"), QStringLiteral("OK\n"));
        port_request_end(&b.session);
        QVERIFY(!machine.lockOwner);
        QCOMPARE(machine.unlocked - machine.accesses.last().ns, qint64(PORT_REQUEST_SPACING_NS));
        Helper c(machine);
        QCOMPARE(c.ask("W 301 4\n"), QStringLiteral("OK\n"));
        const qsizetype n = machine.accesses.size();
        QCOMPARE(machine.accesses.at(n - 1).ns - machine.accesses.at(n - 2).ns,
                 qint64(PORT_REQUEST_SPACING_NS));
        // Without the lock file a write is not carried out, and said why.
        machine.lockDenial = PORT_REQUEST_NO_LOCK;
        Helper d(machine);
        QCOMPARE(d.ask("W 301 4\n"),
                 QStringLiteral("NOACCESS no write lock: " CARD_WRITE_LOCK_PATH " is missing\n"));
        QCOMPARE(machine.accesses.size(), n);
        for (const Machine::Access &access : std::as_const(machine.accesses))
            QVERIFY(access.kind == 'R' ? access.port == 0x61
                                       : (access.port == 0x301 || access.port == 0x302));
    }

    void registersCountWithinOneHoldOfTheLock()
    {
        Machine machine;
        Helper a(machine), b(machine);
        const QString ok = QStringLiteral("OK\n");
        const QString noIndex = QStringLiteral("REFUSED data write without an index write to this base\n");
        // The lock given back and taken anew between an index and a data write (another helper
        // selected a register meanwhile): the index no longer counts.
        QCOMPARE(a.ask("W 301 9\n"), ok);
        a.idle(500);
        QCOMPARE(b.ask("W 301 1\n"), ok);
        b.idle(500);
        QCOMPARE(a.ask("W 302 E\n"), noIndex);
        // Held 3 s at most, however often it writes; told at its next write, after which it may
        // start again.
        QCOMPARE(a.ask("W 301 9\nW 302 5\n"), QStringLiteral("OK\nOK\n"));
        for (int i = 0; i < 7; ++i) {
            a.idle(400);
            QCOMPARE(a.ask("W 301 1\n"), ok);
        }
        QCOMPARE(port_request_idle_ms(&a.session), 190); // 3 s after the lock was taken, not 0.5 s
        a.idle(189);
        QVERIFY(machine.lockOwner == &a);
        a.idle(1);
        QVERIFY(!machine.lockOwner);
        QCOMPARE(a.ask("W 302 20\nW 301 1\nW 301 1\n"),
                 noIndex +
                     QStringLiteral("REFUSED the write lock was given back after 3 s, the longest one "
                                    "sequence may hold it: write the sequence again\n") +
                     ok);
    }

    // The helper as a process: the lock's holder named from /proc; a set-ID helper ends at once.
    void helperProcess_data()
    {
        QTest::addColumn<QStringList>("setpriv"); // run through setpriv with these options
        QTest::addColumn<int>("mode");            // the helper file's mode
        QTest::addColumn<bool>("holdLock");       // this test holds the write lock meanwhile
        QTest::addColumn<QString>("answers");     // HOLDER: this test's program, process id and user
        QTest::newRow("lock free") << QStringList() << 0750 << false << "OK\nOK\n";
        QTest::newRow("lock held") << QStringList() << 0750 << true
                                   << "BUSY another program is writing to the card: HOLDER\n"
                                      "REFUSED data write without an index write to this base\n";
        QTest::newRow("set-user-ID mode") << QStringList() << 04750 << false << QString();
        QTest::newRow("set-group-ID mode") << QStringList() << 02750 << false << QString();
        QTest::newRow("real user differs") << QStringList{"--ruid=65534"} << 0750 << false << QString();
        QTest::newRow("real group differs")
            << QStringList{"--rgid=65534", "--keep-groups"} << 0750 << false << QString();
    }
    void helperProcess()
    {
        QFETCH(QStringList, setpriv);
        QFETCH(int, mode);
        QFETCH(bool, holdLock);
        QFETCH(QString, answers);
        if (!setpriv.isEmpty() && geteuid() != 0)
            QSKIP("needs root to run the helper with real and effective IDs apart");
        QTemporaryDir dir;
        const QString helper = dir.filePath(QStringLiteral("tr4410-port-helper"));
        QVERIFY(QFile::copy(QStringLiteral(PORT_HELPER), helper));
        QVERIFY(chmod(QFile::encodeName(helper).constData(), mode_t(mode)) == 0);
        QFile lock(QStringLiteral(PORT_HELPER_LOCK));
        QVERIFY(lock.open(QIODevice::WriteOnly) && (!holdLock || flock(lock.handle(), LOCK_EX) == 0));
        QProcess process;
        process.start(QStringLiteral("setpriv"), setpriv + QStringList{helper});
        process.write("W 301 1\nW 302 20\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(5000));
        const QString holder = QStringLiteral("%1 (process %2, user %3)")
                                   .arg(QCoreApplication::applicationName().left(15))
                                   .arg(getpid())
                                   .arg(QString::fromLocal8Bit(getpwuid(getuid())->pw_name));
        QCOMPARE(QString::fromLatin1(process.readAllStandardOutput()), answers.replace("HOLDER", holder));
        const bool refused = answers.isEmpty();
        QCOMPARE(process.exitCode(), refused ? 1 : 0);
        QCOMPARE(process.readAllStandardError().contains("refusing to run set-user-ID or set-group-ID"),
                 refused);
    }
};

QTEST_GUILESS_MAIN(TestPortRequest)
#include "tst_port_request.moc"
