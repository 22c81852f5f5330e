// The card's rules as the window and the command line share them, against the worked examples of
// the address, jumper and port-resource rules and a Linux set-up compared in full.

#include "card_jumpers.h"
#include "hex_address.h"
#include "linux_setup.h"
#include "resource_rules.h"

#include <QtTest>

using namespace CardJumpers;

namespace {
// Fitted address lines A4..A9 as a string of six 0/1, A4 first.
QString lines(const std::array<bool, AddressLineCount> &fitted)
{
    QString text;
    for (const bool line : fitted)
        text += line ? QLatin1Char('1') : QLatin1Char('0');
    return text;
}

QString states(const QList<Jumper> &jumpers)
{
    QStringList list;
    for (const Jumper &jumper : jumpers)
        list.append(jumper.label + (jumper.fitted ? QLatin1Char('+') : QLatin1Char('-')));
    return list.join(QLatin1Char(' '));
}

const ResourceRules::Addresses ExamplePorts{0x3F8, 0x2F8, 0x3E8, 0x2E8, 0x100, 0x108, 0x110, 0x118};
} // namespace

class TestCardRules : public QObject
{
    Q_OBJECT
private slots:
    void addressText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("feedback");
        QTest::addColumn<QString>("fitted"); // A4..A9
        QTest::newRow("300") << "300"
                             << ""
                             << "111100";
        QTest::newRow("305") << "305"
                             << "Actual: 300"
                             << "111100";
        QTest::newRow("3f0") << "3f0"
                             << ""
                             << "000000";
        QTest::newRow("0300") << "0300"
                              << ""
                              << "111100";
        QTest::newRow("0") << "0"
                           << ""
                           << "111111";
        QTest::newRow("400") << "400"
                             << "Actual: 0"
                             << "111111";
        QTest::newRow("1300") << "1300"
                              << "Actual: 300"
                              << "111100";
        QTest::newRow("FFFFFFFF") << "FFFFFFFF"
                                  << "Actual: 3F0"
                                  << "000000";
        QTest::newRow("100") << "100"
                             << ""
                             << "111101";
        QTest::newRow("310") << "310"
                             << ""
                             << "011100";
    }
    void addressText()
    {
        QFETCH(QString, text);
        QFETCH(QString, feedback);
        QFETCH(QString, fitted);
        const quint32 value = parseHexAddress(text).value();
        QCOMPARE(addressFeedback(text, value), feedback);
        const auto jumpers = addressJumpers(settableAddress(value));
        QCOMPARE(lines(jumpers), fitted);
        // The jumpers give back the settable address.
        QCOMPARE(addressFromJumpers(jumpers), settableAddress(value));
    }

    void controlBaseUsable_data()
    {
        QTest::addColumn<quint32>("address");
        QTest::addColumn<bool>("usable");
        QTest::newRow("0") << 0x000u << false;
        QTest::newRow("0F0") << 0x0F0u << false;
        QTest::newRow("100") << 0x100u << true;
        QTest::newRow("300") << 0x300u << true;
        QTest::newRow("3F0") << 0x3F0u << true;
        QTest::newRow("400") << 0x400u << false;
    }
    void controlBaseUsable()
    {
        QFETCH(quint32, address);
        QFETCH(bool, usable);
        QCOMPARE(CardJumpers::controlBaseUsable(address), usable);
    }

    // The protocol table, the termination bits, clock and DF, as the jumper plan lists them.
    void jumperPlan_data()
    {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<int>("termination");
        QTest::addColumn<bool>("autoRts");
        QTest::addColumn<QString>("column");
        QTest::newRow("RS-232") << int(RS232) << 3 << false << "32+ 85- R8- 4x- 42- RL- TL-";
        QTest::newRow("RS-485") << int(RS485) << 0 << true << "32- 85+ R8+ 4x+ 42- RL- TL-";
        QTest::newRow("RS-485 terminated") << int(RS485) << 1 << true << "32- 85+ R8+ 4x+ 42- RL- TL+";
        QTest::newRow("RS-485 no Auto RTS") << int(RS485) << 0 << false << "32- 85+ R8- 4x+ 42- RL- TL-";
        QTest::newRow("RS-422") << int(RS422) << 0 << false << "32- 85- R8- 4x+ 42+ RL- TL-";
        QTest::newRow("RS-422 transmit") << int(RS422) << 1 << false << "32- 85- R8- 4x+ 42+ RL- TL+";
        QTest::newRow("RS-422 receive") << int(RS422) << 2 << false << "32- 85- R8- 4x+ 42+ RL+ TL-";
        QTest::newRow("RS-422 both") << int(RS422) << 3 << false << "32- 85- R8- 4x+ 42+ RL+ TL+";
        QTest::newRow("no selection") << -1 << 0 << false << "32+ 85- R8- 4x- 42- RL- TL-";
    }
    void jumperPlan()
    {
        QFETCH(int, protocol);
        QFETCH(int, termination);
        QFETCH(bool, autoRts);
        QFETCH(QString, column);
        Options options;
        options.protocol = protocol;
        options.termination = termination;
        options.autoRts = autoRts;
        QCOMPARE(states(portColumn(options)), column);
        QCOMPARE(states(jumperRow(options)), QStringLiteral("A4+ A5+ A6+ A7+ A8- A9- DF- X8-"));
        options.controlBase = 0x100;
        options.clock = 1;
        options.df = 1;
        QCOMPARE(states(jumperRow(options)), QStringLiteral("A4+ A5+ A6+ A7+ A8- A9+ DF+ X8+"));
    }

    void resourceCheck_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("passes");
        QTest::newRow("unchosen") << "***" << false;
        QTest::newRow("no IRQ") << "*" << false;
        QTest::newRow("3F8") << "3F8" << true;
        QTest::newRow("100") << "100" << true;
        QTest::newRow("off the step") << "3F9" << false;
        QTest::newRow("above") << "400" << false;
    }
    void resourceCheck()
    {
        QFETCH(QString, text);
        QFETCH(bool, passes);
        QCOMPARE(ResourceRules::resourceTextValid(text), passes);
    }

    void registersAndWrites_data()
    {
        QTest::addColumn<quint8>("mask");
        QTest::addColumn<quint16>("controlBase");
        QTest::newRow("RS-422 at 300") << quint8(0xFF) << quint16(0x300);
        QTest::newRow("RS-485 at 300") << quint8(0x00) << quint16(0x300);
        QTest::newRow("at 3F0") << quint8(0x05) << quint16(0x3F0);
    }
    void registersAndWrites()
    {
        QFETCH(quint8, mask);
        QFETCH(quint16, controlBase);
        const ResourceRules::Values values = ResourceRules::registerValues(ExamplePorts, 10, mask);
        const ResourceRules::Values expected{0x7F, 0x5F, 0x7D, 0x5D, 0x20, 0x21, 0x22, 0x23, 10, mask};
        QCOMPARE(values, expected);
        QList<ResourceRules::PortWrite> writes;
        for (int k = 1; k <= 10; ++k)
            writes << ResourceRules::PortWrite{controlBase + 1u, quint8(k)}
                   << ResourceRules::PortWrite{controlBase + 2u, expected[std::size_t(k - 1)]};
        QVERIFY(ResourceRules::portWrites(controlBase, values) == writes);
        QCOMPARE(ResourceRules::irqOfItem(QStringLiteral("A")), std::optional<int>(10));
        QCOMPARE(ResourceRules::irqOfItem(QStringLiteral("8")), std::optional<int>());
    }

    void sharedAddress_data()
    {
        QTest::addColumn<QList<int>>("same"); // ports given port A's address
        QTest::addColumn<QString>("message");
        QTest::newRow("all apart") << QList<int>{} << "";
        QTest::newRow("A and C") << QList<int>{2} << "Error: ports A and C have the same base address.";
        QTest::newRow("A, C and G") << QList<int>{6, 2} << "Error: ports A and C have the same base address.";
        QTest::newRow("A and H") << QList<int>{7} << "Error: ports A and H have the same base address.";
    }
    void sharedAddress()
    {
        QFETCH(QList<int>, same);
        QFETCH(QString, message);
        ResourceRules::Addresses addresses = ExamplePorts;
        for (const int port : same)
            addresses[std::size_t(port)] = addresses[0];
        const auto shared = ResourceRules::sharedAddress(addresses);
        QCOMPARE(shared ? ResourceRules::sharedAddressText(shared->first, shared->second) : QString(),
                 message);
    }

    void linuxSetup()
    {
        // The worked example: four ports at the standard addresses keep ttyS0 to ttyS3.
        const TLinuxSetup setup(ExamplePorts, 10, true);
        QCOMPARE(
            setup.text(),
            QStringLiteral(R"(# Linux set-up of the TR-4410's ports A to H, to run as root once the DF jumper
# is removed.
#
# 1. The 8250 serial driver must hold 8 ports: the kernel parameter 8250.nr_uarts=8 in a
#    GRUB drop-in; it takes effect after update-grub and a restart.
mkdir -p /etc/default/grub.d
cat >/etc/default/grub.d/tr4410.cfg <<'EOF'
# The TR-4410's ports A to H need 8 lines of the 8250 serial driver. Written by
# tr4410ctl linux; takes effect after update-grub and a restart.
GRUB_CMDLINE_LINUX="$GRUB_CMDLINE_LINUX 8250.nr_uarts=8"
EOF
update-grub
#
# 2. Where each port is (package setserial), and udev told of the change:
setserial /dev/ttyS0 port 0x3f8 irq 10 uart 16550A baud_base 921600 autoconfig  # port A
setserial /dev/ttyS1 port 0x2f8 irq 10 uart 16550A baud_base 921600 autoconfig  # port B
setserial /dev/ttyS2 port 0x3e8 irq 10 uart 16550A baud_base 921600 autoconfig  # port C
setserial /dev/ttyS3 port 0x2e8 irq 10 uart 16550A baud_base 921600 autoconfig  # port D
setserial /dev/ttyS4 port 0x100 irq 10 uart 16550A baud_base 921600 autoconfig  # port E
setserial /dev/ttyS5 port 0x108 irq 10 uart 16550A baud_base 921600 autoconfig  # port F
setserial /dev/ttyS6 port 0x110 irq 10 uart 16550A baud_base 921600 autoconfig  # port G
setserial /dev/ttyS7 port 0x118 irq 10 uart 16550A baud_base 921600 autoconfig  # port H
udevadm trigger --action=change --settle /sys/class/tty/ttyS0 /sys/class/tty/ttyS1 /sys/class/tty/ttyS2 /sys/class/tty/ttyS3 /sys/class/tty/ttyS4 /sys/class/tty/ttyS5 /sys/class/tty/ttyS6 /sys/class/tty/ttyS7
#
# 3. The same at every boot:
cat >/etc/systemd/system/tr4410-serial.service <<'EOF'
[Unit]
Description=TR-4410 serial ports (lines, addresses, IRQs and stable names)
Documentation=man:tr4410ctl(1)
Wants=systemd-udevd.service getty-pre.target
After=systemd-udevd.service
Before=getty-pre.target

[Service]
Type=oneshot
RemainAfterExit=yes
ExecStart=)" TR4410_BINDIR R"(/tr4410ctl apply

[Install]
WantedBy=multi-user.target
EOF
systemctl daemon-reload
systemctl enable tr4410-serial.service
)"));
        // A standard address taken by a later port leaves its name to it; the others count on from 4.
        const TLinuxSetup mixed({0x100, 0x2F8, 0x108, 0x110, 0x118, 0x120, 0x128, 0x130}, 5, false);
        QCOMPARE(mixed.kernelParameter(), QStringLiteral("8250.nr_uarts=11"));
        QCOMPARE(
            mixed.setserialLines().at(0),
            QStringLiteral("setserial /dev/ttyS4 port 0x100 irq 5 uart 16550A baud_base 115200 autoconfig"));
        QCOMPARE(
            mixed.setserialLines().at(1),
            QStringLiteral("setserial /dev/ttyS1 port 0x2f8 irq 5 uart 16550A baud_base 115200 autoconfig"));
        QCOMPARE(
            mixed.setserialLines().at(7),
            QStringLiteral("setserial /dev/ttyS10 port 0x130 irq 5 uart 16550A baud_base 115200 autoconfig"));
    }

    // Two cards, given out of order, on a board with a fifth UART at ttyS4 and the second card's
    // port B already set up at ttyS6 at the last boot, on kernels built for the lines and for fewer.
    void stackLines()
    {
        TSystemState system;
        system.serialLines = {{4, 0x2F0, 7, 4}, {5, 0, 0, 0}, {6, 0x208, 5, 4}};
        system.buildLimit = 20;
        const QList<TLinuxSetup::Card> cards{
            {"b.json", 0x310, {0x200, 0x208, 0x210, 0x218, 0x220, 0x228, 0x230, 0x238}, 5, true},
            {"a.json", 0x300, {0x100, 0x108, 0x110, 0x118, 0x120, 0x128, 0x130, 0x3F8}, 10, false}};
        const TLinuxSetup setup(cards, system);
        QStringList lines;
        for (const TLinuxSetup::Device &device : setup.devices())
            lines.append(QString::number(device.ttyNumber));
        QCOMPARE(lines.join(' '), "5 7 8 9 10 11 12 0 13 6 14 15 16 17 18 19");
        QCOMPARE(setup.kernelParameter(), "8250.nr_uarts=20");
        QCOMPARE(setup.skipped().size(), 1);
        QCOMPARE(setup.problems(), QStringList());
        system.buildLimit = 19;
        QCOMPARE(
            TLinuxSetup(cards, system).problems(),
            QStringList("the set-up needs 20 serial lines (ttyS0 to ttyS19; ttyS4 is another serial port), "
                        "but this kernel is built for at most 19 (CONFIG_SERIAL_8250_NR_UARTS): give ports "
                        "the standard addresses 0x3F8, 0x2F8, 0x3E8 and 0x2E8, or use a kernel built for "
                        "more"));
        QCOMPARE(TLinuxSetup::stableName(0x2A0, 7), "/dev/tr4410/2A0/H");
    }
};

QTEST_GUILESS_MAIN(TestCardRules)
#include "tst_card_rules.moc"
