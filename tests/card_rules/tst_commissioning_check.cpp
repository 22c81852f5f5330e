// The checks before a write, over the system tree in tests/fixtures/system with one file changed a
// case: each finding with its exact message. A case with other cards checks the stack: the card of
// the other columns is a.json, the others b.json, c.json, ...

#include "commissioning_check.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using Commissioning::AccessState;
using Commissioning::Severity;
using Files = QMap<QString, QByteArray>; // path in the tree -> content; empty: the file is removed

Q_DECLARE_METATYPE(Files)

class TestCommissioningCheck : public QObject
{
    Q_OBJECT

    // A copy of the fixture tree with the case's files changed.
    static QString tree(QTemporaryDir &dir, const Files &files)
    {
        QProcess::execute(QStringLiteral("cp"),
                          {QStringLiteral("-a"), QStringLiteral(TR4410_FIXTURE_SYSTEM "/."), dir.path()});
        for (auto file = files.begin(); file != files.end(); ++file) {
            const QString path = dir.filePath(file.key());
            QFile::remove(path);
            QDir().mkpath(QFileInfo(path).path());
            QFile out(path);
            if (!file.value().isEmpty() && (!out.open(QIODevice::WriteOnly) || out.write(file.value()) < 0))
                qFatal("cannot write %s", qPrintable(path));
        }
        return dir.path();
    }

private slots:
    void findings_data()
    {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("ports"); // A to H; empty: the example card's
        QTest::addColumn<int>("irq");
        QTest::addColumn<int>("controlBase");
        QTest::addColumn<int>("access");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<int>("severity");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("others"); // "base:ports:irq" a card

        const auto row = [](const char *name, const Files &files, const QString &topic, Severity severity,
                            const QString &message, const QString &ports = QString(), int irq = 10,
                            int base = 0x300, AccessState access = AccessState::Available,
                            const QStringList &others = {}) {
            QTest::newRow(name) << files << ports << irq << base << int(access) << topic << int(severity)
                                << message << others;
        };
        const auto stackRow = [&row](const char *name, const QStringList &others, const QString &topic,
                                     const QString &message, const Files &files = {}) {
            row(name, files, topic, Severity::Problem, message, {}, 10, 0x300, AccessState::Available,
                others);
        };
        const QString lowPorts = QStringLiteral("100,108,110,118,120,128,130,138");
        const QByteArray uart = "4\n";
        row("not locked down", {}, "lockdown", Severity::Ok, "the kernel is not locked down");
        row("locked down", {{"sys/kernel/security/lockdown", "none [integrity] confidentiality\n"}},
            "lockdown", Severity::Problem,
            "the kernel is locked down (integrity): Linux refuses direct port access and the address and IRQ "
            "changes of setserial while it is locked down; turn Secure Boot off in the firmware set-up (or "
            "with mokutil --disable-validation) to write the card and to use its ports");
        row("not in the group", {}, "port access", Severity::Problem,
            "you are not in the group tr4410: ask your administrator to add you to it, then log in again; or "
            "run as root",
            {}, 10, 0x300, AccessState::NotInGroup);
        row("no capability", {}, "port access", Severity::Problem,
            "the port helper lacks its capability cap_sys_rawio: reinstall the package tr4410-settings, "
            "whose "
            "set-up gives it back",
            {}, 10, 0x300, AccessState::NoCapability);
        row("no port I/O", {}, "port access", Severity::Problem,
            "no port I/O in this kernel: write the card from a Linux whose kernel has it "
            "(CONFIG_X86_IOPL_IOPERM)",
            {}, 10, 0x300, AccessState::NoPortIo);
        row("no write lock", {}, "port access", Severity::Problem,
            "the port helper's write lock /run/tr4410/write.lock is missing: run sudo systemd-tmpfiles "
            "--create, or restart",
            {}, 10, 0x300, AccessState::NoWriteLock);
        row("COM1 off", {}, "port A", Severity::Ok, "port A at 0x3F8: no other device is known there");
        row("COM1 on", {{"sys/class/tty/ttyS0/type", uart}}, "port A", Severity::Problem,
            "port A at 0x3F8 overlaps ttyS0, the board's own serial port, IRQ 4: turn COM1 off in the "
            "firmware "
            "set-up or choose another address");
        row("another serial port",
            {{"sys/class/tty/ttyS4/port", "0x120\n"},
             {"sys/class/tty/ttyS4/irq", "7\n"},
             {"sys/class/tty/ttyS4/type", uart}},
            "port E", Severity::Problem,
            "port E at 0x120 overlaps ttyS4, a serial port at 0x120, IRQ 7: turn that port off or choose "
            "another "
            "address",
            lowPorts);
        row("the card's own port",
            {{"sys/class/tty/ttyS4/port", "0x100\n"},
             {"sys/class/tty/ttyS4/irq", "10\n"},
             {"sys/class/tty/ttyS4/type", uart}},
            "port E", Severity::Ok, "port E at 0x100 is ttyS4, IRQ 10, 16550A, set up for this card");
        row("a claim in /proc/ioports", {}, "port B", Severity::Problem,
            "port B at 0x170 overlaps 0x170 to 0x177, claimed by ata_piix (/proc/ioports): choose another "
            "address",
            "100,170,110,118,120,128,130,138");
        row("the card's control registers", {}, "port A", Severity::Problem,
            "port A at 0x300 overlaps the card's own control registers at 0x301 and 0x302: choose another "
            "address",
            "300,108,110,118,120,128,130,138");
        row("control registers on the VGA", {}, "control registers", Severity::Problem,
            "the card's control registers at 0x3C1 and 0x3C2 overlap 0x3C0 to 0x3DF, claimed by vga+ "
            "(/proc/ioports): choose another address",
            {}, 10, 0x3C0);
        row("ioports hidden", {{"proc/ioports", "0000-0000 : PCI Bus 0000:00\n  0000-0000 : dma1\n"}},
            "ioports", Severity::Warning,
            "the I/O port claims of other devices (/proc/ioports) are shown to root only: run tr4410ctl "
            "check as "
            "root to compare the addresses with them");
        row("IRQ of another device", {}, "IRQ", Severity::Problem,
            "IRQ 7 is held by parport0 (/proc/interrupts): choose another IRQ, or turn that device off in "
            "the "
            "firmware set-up",
            {}, 7);
        row("IRQ of COM1", {{"sys/class/tty/ttyS0/type", uart}}, "IRQ", Severity::Problem,
            "IRQ 4 is that of ttyS0 at 0x3F8, the board's own serial port: an ISA interrupt line serves one "
            "board; turn COM1 off in the firmware set-up or choose another IRQ",
            lowPorts, 4);
        row("enough serial lines", {}, "serial lines", Severity::Ok,
            "the kernel has 12 serial lines; the set-up needs 8");
        row("parameter missing", {{"sys/module/8250/parameters/nr_uarts", {}}}, "serial lines",
            Severity::Warning,
            "the kernel has 4 serial lines; the set-up needs 12: the kernel parameter 8250.nr_uarts=12 is "
            "missing (tr4410ctl linux --output writes it into /etc/default/grub.d/tr4410.cfg; then run "
            "update-grub and restart)",
            lowPorts);
        row("kernel built for fewer",
            {{"sys/module/8250/parameters/nr_uarts", "4\n"},
             {"boot/config-6.1.0-28-amd64", "CONFIG_SERIAL_8250_NR_UARTS=8\n"}},
            "serial lines", Severity::Problem,
            "the set-up needs 12 serial lines, but this kernel is built for at most 8 "
            "(CONFIG_SERIAL_8250_NR_UARTS): give ports the standard addresses 0x3F8, 0x2F8, 0x3E8 and 0x2E8, "
            "or "
            "use a kernel built for more",
            lowPorts);
        row("exactly the lines needed", {{"sys/module/8250/parameters/nr_uarts", "8\n"}}, "serial lines",
            Severity::Ok, "the kernel has 8 serial lines; the set-up needs 8");
        row("built for exactly the lines needed",
            {{"sys/module/8250/parameters/nr_uarts", "4\n"},
             {"boot/config-6.1.0-28-amd64", "CONFIG_SERIAL_8250_NR_UARTS=12\n"}},
            "serial lines", Severity::Warning,
            "the kernel has 4 serial lines; the set-up needs 12: the kernel parameter 8250.nr_uarts=12 is "
            "missing (tr4410ctl linux --output writes it into /etc/default/grub.d/tr4410.cfg; then run "
            "update-grub and restart)",
            lowPorts);
        const Files fifthUart{{"sys/class/tty/ttyS4/port", "0x2F0\n"},
                              {"sys/class/tty/ttyS4/irq", "7\n"},
                              {"sys/class/tty/ttyS4/type", uart}};
        row("a fifth board UART passed over", fifthUart, "ttyS4", Severity::Ok,
            "ttyS4 is another serial port, at 0x2F0, IRQ 7, 16550A: the card's ports get other lines and it "
            "is left as it is");
        row("claims side by side",
            {{"proc/ioports", "0000-0cf7 : PCI Bus 0000:00\n  0100-0107 : first\n  0108-010f : second\n"}},
            "port E", Severity::Problem,
            "port E at 0x100 overlaps 0x100 to 0x107, claimed by first (/proc/ioports): choose another "
            "address");
        const QString highPorts = QStringLiteral("200,208,210,218,220,228,230,238");
        row("two cards' lines", {}, "serial lines", Severity::Warning,
            "the kernel has 12 serial lines; the set-up needs 16: the kernel parameter 8250.nr_uarts=16 is "
            "missing (tr4410ctl linux --output writes it into /etc/default/grub.d/tr4410.cfg; then run "
            "update-grub and restart)",
            {}, 10, 0x300, AccessState::Available, {"310:120,208,210,218,220,228,230,238:5"});
        stackRow("two cards on one IRQ", {"310:" + highPorts + ":10"}, "IRQ",
                 "the card at 0x300 (a.json) and the card at 0x310 (b.json) are both on IRQ 10: an ISA "
                 "interrupt line serves one board; give each card an IRQ of its own");
        stackRow(
            "ports of two cards overlapping", {"310:200,208,110,218,220,228,230,238:5"}, "port C",
            "port C of the card at 0x310 (b.json) at 0x110 overlaps port G of the card at 0x300 (a.json) "
            "at 0x110: give each port an address of its own");
        stackRow("control registers in another card's port", {"110:" + highPorts + ":5"}, "control registers",
                 "the control registers of the card at 0x110 (b.json), 0x110 to 0x112, are inside port G of "
                 "the card at 0x300 (a.json) at 0x110: choose another control base or another port address");
        stackRow("control registers in another card's", {"302:" + highPorts + ":5"}, "control registers",
                 "the control registers of the card at 0x302 (b.json) overlap those of the card at 0x300 "
                 "(a.json): set the control bases on the jumpers' steps of 0x010, one for each card");
        stackRow(
            "two cards at one control base", {"300:" + highPorts + ":5"}, "control base",
            "the card at 0x300 (a.json) and the card at 0x300 (b.json) are both at the control base 0x300: "
            "both would answer there; set another control base on one card's jumpers and in its card "
            "file");
        row("no setserial", {{"usr/bin/setserial", {}}}, "setserial", Severity::Warning,
            "setserial is not installed: install it (apt install setserial); the boot-time set-up of the "
            "ports "
            "needs it");
        row("control base below", {}, "control base", Severity::Problem,
            "the control base address 0x0F0 cannot be used: the jumpers set, and the port helper writes, "
            "0x100 "
            "to 0x3F0 in steps of 0x10; the nearest is 0x100",
            {}, 10, 0xF0);
        row("control base typed whole", {}, "control base", Severity::Problem,
            "the control base address 0x3F5 cannot be used: the jumpers set, and the port helper writes, "
            "0x100 "
            "to 0x3F0 in steps of 0x10; the nearest is 0x3F0",
            {}, 10, 0x3F5);
        row("control base rounded up", {}, "control base", Severity::Problem,
            "the control base address 0x30C cannot be used: the jumpers set, and the port helper writes, "
            "0x100 to 0x3F0 in steps of 0x10; the nearest is 0x310",
            {}, 10, 0x30C);
        row("control base above", {}, "control base", Severity::Problem,
            "the control base address 0x400 cannot be used: the jumpers set, and the port helper writes, "
            "0x100 to 0x3F0 in steps of 0x10; the nearest is 0x3F0",
            {}, 10, 0x400);
    }
    void findings()
    {
        QFETCH(Files, files);
        QFETCH(QString, ports);
        QFETCH(int, irq);
        QFETCH(int, controlBase);
        QFETCH(int, access);
        QFETCH(QString, topic);
        QFETCH(int, severity);
        QFETCH(QString, message);
        QFETCH(QStringList, others);
        QTemporaryDir dir;
        Commissioning::Setup setup{
            quint32(controlBase), {0x3F8, 0x2F8, 0x3E8, 0x2E8, 0x100, 0x108, 0x110, 0x118}, irq, false};
        const QStringList list = ports.split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (int i = 0; i < list.size(); ++i)
            setup.addresses[std::size_t(i)] = quint16(list.at(i).toUInt(nullptr, 16));
        QList<TLinuxSetup::Card> cards{{"a.json", setup.controlBase, setup.addresses, irq, false}};
        for (const QString &other : others) {
            const QStringList parts = other.split(QLatin1Char(':'));
            TLinuxSetup::Card card{QStringLiteral("%1.json").arg(QChar(char16_t(u'a' + cards.size()))),
                                   parts.at(0).toUInt(nullptr, 16),
                                   {},
                                   parts.at(2).toInt(),
                                   false};
            const QStringList addresses = parts.at(1).split(QLatin1Char(','));
            for (int i = 0; i < addresses.size(); ++i)
                card.addresses[std::size_t(i)] = quint16(addresses.at(i).toUInt(nullptr, 16));
            cards.append(card);
        }
        const TSystemState system = TSystemState::read(tree(dir, files));
        const auto found = others.isEmpty() ? Commissioning::check(setup, system, AccessState(access))
                                            : Commissioning::checkStack(cards, system, AccessState(access));
        // A stack has a finding of each topic for each card: the one with the message.
        const auto it = std::find_if(found.begin(), found.end(), [&](const auto &f) {
            return f.topic == topic && (others.isEmpty() || f.message == message);
        });
        QVERIFY2(it != found.end(), qPrintable(Commissioning::findingLines(found, true)));
        if (!others.isEmpty())
            QCOMPARE(it->card ? it->card->file : QString(), topic == "serial lines" ? "" : "b.json");
        // Cards side by side without a conflict: no problem at all.
        if (!others.isEmpty() && severity != int(Severity::Problem))
            QVERIFY2(Commissioning::count(found, Severity::Problem) == 0,
                     qPrintable(Commissioning::findingLines(found, false)));
        QCOMPARE(it->message, message);
        QCOMPARE(int(it->severity), severity);
    }
};

QTEST_GUILESS_MAIN(TestCommissioningCheck)
#include "tst_commissioning_check.moc"
