// tr4410ctl from the outside: bad input of every kind with its message and exit code, the dry run's
// twenty writes, the jumper sheet, and real writes through the fake port-I/O library, whose card model
// reports what it received in a file when the program ends.

#include "command_line/card_file_cases.h"
#include "ctl_json.h"
#include "jumper_places.h"
#include "jumper_sheet.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray ExampleCard = R"({
    "version": 1,
    "controlBase": "0x300",
    "protocol": "RS-422",
    "ports": { "A": "0x3F8", "B": "0x2F8", "C": "0x3E8", "D": "0x2E8",
               "E": "0x100", "F": "0x108", "G": "0x110", "H": "0x118" },
    "irq": 10
})";

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
    QStringList report; // the fake card's report; empty when the program never touched a port
};

// The keys of a --json document as tr4410ctl(1) lists them under JSON OUTPUT, with their types:
// `.BR ports[].irq " (number or null)"` under `.SS "test ..."` or `.SS "Every document"`.
QHash<QString, QStringList> manualSchema(const QString &section)
{
    QFile file(QStringLiteral(TR4410CTL_MANUAL));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the manual page");
    const QString json =
        QString::fromUtf8(file.readAll()).section("\n.SH JSON OUTPUT\n", 1).section("\n.SH ", 0, 0);
    static const QRegularExpression line(QStringLiteral(R"re(^\.(SS "(\w+)|BR (\S+) " \(([a-z ]+)\)"$))re"),
                                         QRegularExpression::MultilineOption);
    QHash<QString, QStringList> schema;
    QString current;
    for (auto it = line.globalMatch(json); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.hasCaptured(2))
            current = match.captured(2);
        else if (current == "Every" || current == section)
            schema.insert(match.captured(3), match.captured(4).split(" or "));
    }
    return schema;
}

// Each key by its path ("ports[].irq") against the types the manual page gives it, "" and -1
// standing for a value not known; `seen` gets each path, and each object's path with "{}".
void checkKeys(const QJsonValue &value, const QString &path, const QHash<QString, QStringList> &schema,
               QStringList &errors, QSet<QString> &seen)
{
    static const char *const types[] = {"null", "boolean", "number", "string", "array", "object"};
    const bool unknown = value == QJsonValue(QString()) || value == QJsonValue(-1);
    const QString type = unknown ? QStringLiteral("\"\" or -1") : QString::fromLatin1(types[value.type()]);
    if (!path.isEmpty() && !path.endsWith("[]") && !schema.value(path).contains(type))
        errors << path + " is " + type + ", the manual page says " +
                      schema.value(path, {"nothing"}).join(" or ");
    seen << path << (value.isObject() ? path + "{}" : QString());
    for (const QJsonValue &element : value.toArray())
        checkKeys(element, path + "[]", schema, errors, seen);
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it)
        checkKeys(it.value(), path.isEmpty() ? it.key() : path + '.' + it.key(), schema, errors, seen);
}

} // namespace

class TestTr4410ctl : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString cardFile(const QByteArray &content)
    {
        const QString path = m_dir.filePath(QStringLiteral("card.json"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
            qFatal("cannot write the card file");
        return path;
    }

    Run run(const QStringList &arguments, const QStringList &environment = {}, const QByteArray &input = {})
    {
        const QString report = m_dir.filePath(QStringLiteral("report.txt"));
        QFile::remove(report);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("FAKE_VANTO32_REPORT"), report);
        for (const QString &variable : environment)
            env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TR4410CTL), arguments);
        process.write(input);
        process.closeWriteChannel();
        Run result;
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
            return result;
        result.exitCode = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        QFile file(report);
        if (file.open(QIODevice::ReadOnly))
            result.report = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return result;
    }

    // A system tree for apply: ttyS4 a UART at 0x2F0, the udev rules folder writable by all and
    // /run/tr4410 a link.
    QString applyRoot()
    {
        const QString root = m_dir.filePath(QStringLiteral("apply-root"));
        if (QDir(root).exists())
            return root;
        QDir().mkpath(root + QStringLiteral("/sys/class/tty/ttyS4"));
        for (const auto &[name, value] : {std::pair{"port", "0x2F0\n"}, {"irq", "7\n"}, {"type", "4\n"}}) {
            QFile file(root + QStringLiteral("/sys/class/tty/ttyS4/") + QLatin1String(name));
            if (!file.open(QIODevice::WriteOnly) || file.write(value) < 0)
                qFatal("cannot write the system tree");
        }
        QDir().mkpath(root + QStringLiteral("/run/udev/rules.d"));
        QFile::setPermissions(root + QStringLiteral("/run/udev/rules.d"), QFileDevice::Permissions(0x7777));
        QDir().mkpath(m_dir.filePath(QStringLiteral("elsewhere")));
        QFile::link(m_dir.filePath(QStringLiteral("elsewhere")), root + QStringLiteral("/run/tr4410"));
        return root;
    }

    static int portWrites(const Run &run)
    {
        return int(run.report.filter(QRegularExpression(QStringLiteral("^call W "))).size());
    }

    // What the page shows at each jumper's centre: F a black shunt, O the white between open pins,
    // ? anything else; the jumper row, then the eight port columns.
    static QString shunts(const QImage &page, const QSizeF &paperMm)
    {
        const QRectF board = JumperSheet::boardRect(paperMm);
        const auto at = [&](double x, double y) {
            const QPointF mm = board.topLeft() + QPointF(x * board.width() / JumperPlaces::FrameWidth,
                                                         y * board.height() / JumperPlaces::FrameHeight);
            const int grey = qGray(page.pixel((mm * page.width() / paperMm.width()).toPoint()));
            return grey < 60 ? QLatin1Char('F') : grey > 200 ? QLatin1Char('O') : QLatin1Char('?');
        };
        QString seen;
        for (int i = 0; i < JumperPlaces::RowCount; ++i)
            seen += at(JumperPlaces::rowX(i), JumperPlaces::RowY);
        for (const JumperPlaces::Column &column : JumperPlaces::Columns)
            for (int i = 0; i < JumperPlaces::ColumnPositions; ++i)
                seen += at(JumperPlaces::columnX(column), JumperPlaces::columnY(column, i));
        return seen;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("fifo"))).constData(), 0600) == 0);
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("open")));
        QVERIFY(chmod(QFile::encodeName(m_dir.filePath(QStringLiteral("open"))).constData(), 0777) == 0);
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("open")), m_dir.filePath(QStringLiteral("link"))));
        // As root: a private folder another user made first, where root's run must not write.
        if (geteuid() == 0)
            QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("theirs")) &&
                    chown(QFile::encodeName(m_dir.filePath(QStringLiteral("theirs"))).constData(), 65534,
                          65534) == 0);
    }

    // Each refusal names what is wrong and ends with its exit code before a port is written.
    void refusals_data()
    {
        QTest::addColumn<QByteArray>("card"); // empty: no card file
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // the first line on stderr; %1 is the card file
        QTest::addColumn<int>("portWrites");

        const QStringList write{QStringLiteral("write"), QStringLiteral("--yes")};
        const auto card = [](const char *keys) { return QByteArray("{\"version\": 1, ") + keys + "}"; };
        // The card files the window opens too; a good one gives its dry run.
        for (const CardFileCase &c : cardFileCases()) {
            const QString tail = c.wholeCheck ? QString() : QStringLiteral("; nothing has been done");
            QTest::newRow(c.tag.constData())
                << c.content << (c.message.isEmpty() ? QStringList{"write", "--dry-run"} : write)
                << QStringList() << QByteArray() << (c.message.isEmpty() ? 0 : 1)
                << (c.message.isEmpty() ? QString() : "tr4410ctl: " + c.message + tail) << 0;
        }
        QTest::newRow("card file a device") << QByteArray() << QStringList{"write", "--card", "/dev/null"}
                                            << QStringList() << QByteArray() << 1
                                            << "tr4410ctl: /dev/null: cannot be read: it is a device, not a "
                                               "regular file; nothing has been done"
                                            << 0;
        QTest::newRow("not an object")
            << QByteArray("[1]") << write << QStringList() << QByteArray() << 1
            << "tr4410ctl: %1: must hold one JSON object; nothing has been done" << 0;
        QTest::newRow("no version")
            << QByteArray("{\"irq\": 5}") << write << QStringList() << QByteArray() << 1
            << "tr4410ctl: %1: \"version\" is missing (this program reads version 1); nothing has been done"
            << 0;
        QTest::newRow("later version")
            << QByteArray("{\"version\": 2}") << write << QStringList() << QByteArray() << 1
            << "tr4410ctl: %1: \"version\": 2 is not supported (this program reads version 1); nothing has "
               "been done"
            << 0;
        QTest::newRow("address as a number")
            << card("\"ports\": {\"A\": 1016}") << write << QStringList() << QByteArray() << 1
            << "tr4410ctl: %1: \"ports.A\": must be a string such as \"0x3F8\", not a number; nothing has "
               "been done"
            << 0;
        QTest::newRow("unknown port")
            << card("\"ports\": {\"I\": \"0x100\"}") << write << QStringList() << QByteArray() << 1
            << "tr4410ctl: %1: unknown key \"ports.I\" (the ports are A to H); nothing has been done" << 0;
        QTest::newRow("address above")
            << card("\"ports\": {\"C\": \"0x400\"}") << write << QStringList() << QByteArray() << 1
            << "tr4410ctl: %1: \"ports.C\": 0x400 is outside 0x100 to 0x3F8; nothing has been done" << 0;
        QTest::newRow("address below")
            << card("\"ports\": {\"C\": \"F8\"}") << write << QStringList() << QByteArray() << 1
            << "tr4410ctl: %1: \"ports.C\": 0x0F8 is outside 0x100 to 0x3F8; nothing has been done" << 0;
        QTest::newRow("off the step")
            << card("\"ports\": {\"C\": \"0x2F9\"}") << write << QStringList() << QByteArray() << 1
            << "tr4410ctl: %1: \"ports.C\": 0x2F9 is not a multiple of 8; nothing has been done" << 0;
        // Only a regular file of at most 1 MiB is read, without waiting on a FIFO (%2 is a
        // folder of the test's).
        const QStringList check{QStringLiteral("check"), QStringLiteral("--card")};
        QTest::newRow("FIFO")
            << QByteArray() << check + QStringList{"%2/fifo"} << QStringList() << QByteArray() << 1
            << "tr4410ctl: %2/fifo: cannot be read: it is a FIFO, not a regular file; nothing "
               "has been done"
            << 0;
        QTest::newRow("/dev/zero") << QByteArray() << check + QStringList{"/dev/zero"} << QStringList()
                                   << QByteArray() << 1
                                   << "tr4410ctl: /dev/zero: cannot be read: it is a device, not a regular "
                                      "file; nothing has been done"
                                   << 0;
        QTest::newRow("a folder")
            << QByteArray() << check + QStringList{"%2"} << QStringList() << QByteArray() << 1
            << "tr4410ctl: %2: cannot be read: it is a folder, not a regular file; nothing has been done"
            << 0;
        QTest::newRow("1 MiB") << ExampleCard.leftJustified(1024 * 1024) << QStringList{"check"}
                               << QStringList() << QByteArray() << 0 << "" << 0;
        QTest::newRow("a byte more")
            << ExampleCard.leftJustified(1024 * 1024 + 1) << QStringList{"check"} << QStringList()
            << QByteArray() << 1
            << "tr4410ctl: %1: cannot be read: it holds 1048577 bytes, more than the "
               "1048576 allowed; nothing has been done"
            << 0;
        // The Linux set-up goes only into a folder of the caller's own.
        const QStringList output{QStringLiteral("linux"), QStringLiteral("--output")};
        const QString notOwn =
            QStringLiteral("; give a folder of your own that no one else may write, such as "
                           "one made by mktemp -d");
        QTest::newRow("--output others may write")
            << ExampleCard << output + QStringList{"%2/open"} << QStringList() << QByteArray() << 1
            << "tr4410ctl: %2/open: not a folder for the set-up: group or others may write to it" + notOwn
            << 0;
        QTest::newRow("--output a link")
            << ExampleCard << output + QStringList{"%2/link"} << QStringList() << QByteArray() << 1
            << "tr4410ctl: %2/link: not a folder for the set-up: it is a symbolic link, not a folder" + notOwn
            << 0;
        if (geteuid() == 0)
            QTest::newRow("--output another user's folder")
                << ExampleCard << output + QStringList{"%2/theirs"} << QStringList() << QByteArray() << 1
                << "tr4410ctl: %2/theirs: not a folder for the set-up: it belongs to another user (uid "
                   "65534)" +
                       notOwn
                << 0;
        QTest::newRow("--output below a folder others may write")
            << ExampleCard << output + QStringList{"%2/open/new"} << QStringList() << QByteArray() << 1
            << "tr4410ctl: %2/open/new: not a folder for the set-up: the folder above it, %2/open: group or "
               "others may write to it" +
                   notOwn
            << 0;
        QTest::newRow("IRQ not in the list")
            << card("\"irq\": 9") << write << QStringList() << QByteArray() << 1
            << "tr4410ctl: %1: \"irq\": 9 is not one of the IRQs 2, 3, 4, 5, 6, 7, 10, 11, 12, 15; nothing "
               "has been done"
            << 0;

        // Options over the example card.
        const auto over = [](QStringList options) {
            return QStringList{QStringLiteral("write"), QStringLiteral("--yes"), QStringLiteral("--card"),
                               QStringLiteral("%1")} +
                   options;
        };
        QTest::newRow("--irq not in the list")
            << ExampleCard << over({"--irq", "8"}) << QStringList() << QByteArray() << 1
            << "tr4410ctl: --irq: 8 is not one of the IRQs 2, 3, 4, 5, 6, 7, 10, 11, 12, 15" << 0;
        QTest::newRow("--port off the step")
            << ExampleCard << over({"--port", "C=2FC"}) << QStringList() << QByteArray() << 1
            << "tr4410ctl: --port: port C: 0x2FC is not a multiple of 8" << 0;
        QTest::newRow("--ports seven")
            << ExampleCard << over({"--ports", "100,108,110,118,120,128,130"}) << QStringList()
            << QByteArray() << 1 << "tr4410ctl: --ports: 7 addresses given; it takes eight, for ports A to H"
            << 0;
        QTest::newRow("two ports at one address")
            << ExampleCard << over({"--port", "C=0x3F8"}) << QStringList() << QByteArray() << 1
            << "tr4410ctl: Error: ports A and C have the same base address." << 0;
        QTest::newRow("control base below 0x100")
            << ExampleCard << over({"--base", "0F0"}) << QStringList() << QByteArray() << 1
            << "tr4410ctl: --base: the control base address must be 0x100 to 0x3F0: below 0x100 the PC's own "
               "devices answer; nothing has been written"
            << 0;
        QTest::newRow("control base not settable")
            << ExampleCard << over({"--base", "305"}) << QStringList() << QByteArray() << 1
            << "tr4410ctl: --base: 0x305 cannot be set on the card: its jumpers A4 to A9 set the addresses "
               "0x000 to 0x3F0 in steps of 0x10 (the nearest they give is 0x300)"
            << 0;
        QTest::newRow("control base above the jumpers")
            << ExampleCard << over({"--base", "0x400"}) << QStringList() << QByteArray() << 1
            << "tr4410ctl: --base: 0x400 cannot be set on the card: its jumpers A4 to A9 set the addresses "
               "0x000 to 0x3F0 in steps of 0x10 (the nearest they give is 0x3F0)"
            << 0;
        QTest::newRow("no IRQ") << QByteArray()
                                << QStringList{"write", "--yes", "--ports", "3F8,2F8,3E8,2E8,100,108,110,118"}
                                << QStringList() << QByteArray() << 1
                                << "tr4410ctl: Error: IRQ for all ports is invalid. No IRQ given (\"irq\" in "
                                   "the card file or --irq)."
                                << 0;
        QTest::newRow("no port C") << card("\"irq\": 5, \"ports\": {\"A\": \"100\", \"B\": \"108\"}") << write
                                   << QStringList() << QByteArray() << 1
                                   << "tr4410ctl: Error: base address for port C is invalid. No address "
                                      "given (\"ports\" in the card file, --ports or --port C=ADDRESS)."
                                   << 0;
        QTest::newRow("unknown option") << ExampleCard << over({"--speed", "9600"}) << QStringList()
                                        << QByteArray() << 1 << "tr4410ctl: Unknown option 'speed'." << 0;
        QTest::newRow("unknown command")
            << QByteArray() << QStringList{"erase"} << QStringList() << QByteArray() << 1
            << "tr4410ctl: unknown command 'erase' (plan, check, write, linux, test or apply)" << 0;
        QTest::newRow("apply with an option")
            << ExampleCard << QStringList{"apply", "--irq", "5"} << QStringList() << QByteArray() << 1
            << "tr4410ctl: --irq does not apply to 'apply', which sets up the cards as their card files say"
            << 0;
        QTest::newRow("apply without a card file")
            << QByteArray() << QStringList{"apply"} << QStringList{"TR4410_SYSTEM_ROOT=/nowhere"}
            << QByteArray() << 1
            << "tr4410ctl: no card file in /nowhere/etc/tr4410/cards.d: put one there for each card of the "
               "machine (or give --card)"
            << 0;
        // A machine whose ttyS4 is the board's UART at 0x2F0, with no device files and run folders
        // that root must not write into (see applyRoot()).
        QTest::newRow("apply where no line can be set up")
            << ExampleCard << QStringList{"apply"} << QStringList{"TR4410_SYSTEM_ROOT=" + applyRoot()}
            << QByteArray() << 6
            << "tr4410ctl: port A of %1 is not set up: " + applyRoot() +
                   "/dev/ttyS0 cannot be opened: No such file or directory"
            << 0;
        QTest::newRow("option of another command")
            << QByteArray() << QStringList{"plan", "--dry-run"} << QStringList() << QByteArray() << 1
            << "tr4410ctl: --dry-run applies to 'write' only" << 0;
        QTest::newRow("--paper without --sheet")
            << QByteArray() << QStringList{"plan", "--paper", "A4"} << QStringList() << QByteArray() << 1
            << "tr4410ctl: --paper applies to --sheet only" << 0;
        QTest::newRow("--paper unknown")
            << QByteArray() << QStringList{"plan", "--sheet", "%1.pdf", "--paper", "A5"} << QStringList()
            << QByteArray() << 1 << "tr4410ctl: --paper: \"A5\" is not one of A4, Letter" << 0;
        QTest::newRow("--sheet neither PDF nor PNG")
            << QByteArray() << QStringList{"plan", "--sheet", "plan.jpg"} << QStringList() << QByteArray()
            << 1 << "tr4410ctl: --sheet: \"plan.jpg\" names no PDF or PNG: end the name in .pdf or .png" << 0;
        QTest::newRow("--sheet into no folder")
            << QByteArray() << QStringList{"plan", "--sheet", "/nonexistent/plan.png"} << QStringList()
            << QByteArray() << 1
            << "tr4410ctl: /nonexistent/plan.png: the jumper sheet cannot be written: No such file or "
               "directory"
            << 0;
        QTest::newRow("--sheet with linux")
            << ExampleCard << QStringList{"linux", "--sheet", "plan.pdf"} << QStringList() << QByteArray()
            << 1 << "tr4410ctl: --sheet applies to 'plan' only" << 0;
        QTest::newRow("Auto RTS with RS-422")
            << QByteArray() << QStringList{"write", "--protocol", "RS-422", "--auto-rts", "on"}
            << QStringList() << QByteArray() << 1
            << "tr4410ctl: --auto-rts: automatic RTS control is for RS-485 only" << 0;

        // The port layer's answers.
        QTest::newRow("not confirmed")
            << ExampleCard << QStringList{"write", "--card", "%1"} << QStringList() << QByteArray("n\n") << 2
            << "The setup program will now write the port resources. If they conflict with another device in "
               "your system, neither may function once the DF jumper is removed."
            << 0;
        QTest::newRow("empty answer")
            << ExampleCard << QStringList{"write", "--card", "%1"} << QStringList() << QByteArray("\n") << 2
            << "The setup program will now write the port resources. If they conflict with another device in "
               "your system, neither may function once the DF jumper is removed."
            << 0;
        QTest::newRow("no port access")
            << ExampleCard << over({}) << QStringList{"FAKE_VANTO32_IN_VALUE=AA55"} << QByteArray() << 3
            << "tr4410ctl: no access to the I/O ports (see PORT ACCESS in tr4410ctl(1)): the port helper "
               "lacks "
               "its capability cap_sys_rawio: reinstall the package tr4410-settings, whose set-up gives it "
               "back; "
               "nothing has been written"
            << 0;
        QTest::newRow("locked down") << ExampleCard << over({}) << QStringList{"FAKE_VANTO32_LOCKED_DOWN=1"}
                                     << QByteArray() << 3
                                     << "tr4410ctl: no access to the I/O ports (see PORT ACCESS in "
                                        "tr4410ctl(1)): the kernel is locked "
                                        "down: Linux refuses direct port access even to root; turn Secure "
                                        "Boot off in the firmware set-up "
                                        "(or with mokutil --disable-validation); nothing has been written"
                                     << 0;

        // The checks before the write, against the fixture tree's Linux.
        const QString ataPort = QStringLiteral("port E at 0x170 overlaps 0x170 to 0x177, claimed by ata_piix "
                                               "(/proc/ioports): choose another address");
        QTest::newRow("check passes")
            << ExampleCard << QStringList{"check"} << QStringList() << QByteArray() << 0 << "" << 0;
        QTest::newRow("check finds a problem") << ExampleCard << QStringList{"check", "--port", "E=170"}
                                               << QStringList() << QByteArray() << 6 << "" << 0;
        QTest::newRow("write refuses on a problem")
            << ExampleCard << over({"--port", "E=170"}) << QStringList{"FAKE_VANTO32_CARD_BASE=300"}
            << QByteArray() << 6 << "problem: " + ataPort << 0;
        QTest::newRow("--force writes all the same")
            << ExampleCard << over({"--port", "E=170", "--force"})
            << QStringList{"FAKE_VANTO32_CARD_BASE=300"} << QByteArray() << 0 << "problem: " + ataPort << 20;
        QTest::newRow("test before the set-up")
            << ExampleCard << QStringList{"test"} << QStringList() << QByteArray() << 7 << "" << 0;
        // The machine's cards, in the trees beside the fixture tree: "stack_two" two cards and a fifth
        // board UART at ttyS4, "stack_legacy" the one card file of before on a kernel built for 4 lines,
        // "stack_broken" a card file without its addresses.
        const auto machine = [](const char *name) {
            return QStringList{QStringLiteral("TR4410_SYSTEM_ROOT=" TR4410_FIXTURES "/") +
                               QLatin1String(name)};
        };
        QTest::newRow("write with two cards")
            << ExampleCard << QStringList{"write", "--card", "%1", "--card", "%1"} << QStringList()
            << QByteArray() << 1
            << "tr4410ctl: 'write' works on one card at a time (the card at the bench): give --card once, "
               "not 2 times; nothing has been done"
            << 0;
        QTest::newRow("--irq with the machine's cards")
            << QByteArray() << QStringList{"check", "--irq", "5"} << machine("stack_two") << QByteArray() << 1
            << "tr4410ctl: --irq applies to one card, but 'check' works on 2 cards (a.json, b.json): give "
               "one --card with it, or change the card files; nothing has been done"
            << 0;
        QTest::newRow("a card without its IRQ")
            << QByteArray() << QStringList{"check"} << machine("stack_broken") << QByteArray() << 1
            << "tr4410ctl: " TR4410_FIXTURES "/stack_broken/etc/tr4410/cards.d/b.json"
               ": \"ports.A\" is missing: a card of the machine needs the addresses of ports A to H and "
               "its IRQ; nothing has been done"
            << 0;
        QTest::newRow("check of the machine's cards") << QByteArray() << QStringList{"check", "--json"}
                                                      << machine("stack_two") << QByteArray() << 0 << "" << 0;
        QTest::newRow("one card twice") << ExampleCard << QStringList{"check", "--card", "%1", "--card", "%1"}
                                        << QStringList() << QByteArray() << 6 << "" << 0;
        QTest::newRow("linux of the machine's cards")
            << QByteArray() << QStringList{"linux"} << machine("stack_two") << QByteArray() << 0 << "" << 0;
        QTest::newRow("test of the machine's cards") << QByteArray() << QStringList{"test", "--json"}
                                                     << machine("stack_two") << QByteArray() << 7 << "" << 0;
        QTest::newRow("the card file of before")
            << QByteArray() << QStringList{"linux"} << machine("stack_legacy") << QByteArray() << 1
            << "tr4410ctl: the set-up needs 8 serial lines (ttyS0 to ttyS7), but this kernel is built for at "
               "most 4 (CONFIG_SERIAL_8250_NR_UARTS): give ports the standard addresses 0x3F8, 0x2F8, 0x3E8 "
               "and "
               "0x2E8, or use a kernel built for more; nothing has been done"
            << 0;
        QTest::newRow("--ports instead of the machine's cards")
            << QByteArray()
            << QStringList{"linux", "--ports", "3F8,2F8,3E8,2E8,100,108,110,118", "--irq", "5"}
            << machine("stack_two") << QByteArray() << 0 << "" << 0;
        QTest::newRow("card busy") << ExampleCard << over({}) << QStringList{"FAKE_VANTO32_STATUS=3"}
                                   << QByteArray() << 4
                                   << "tr4410ctl: another program is writing to the card; try again when it "
                                      "has finished; nothing has been written"
                                   << 0;
        QTest::newRow("card busy, holder named")
            << ExampleCard << over({})
            << QStringList{"FAKE_VANTO32_STATUS=3", "FAKE_VANTO32_BUSY_HOLDER=flock (process 812, user ann)"}
            << QByteArray() << 4
            << "tr4410ctl: another program is writing to the card (held by flock (process 812, user ann)); "
               "try "
               "again when it has finished; nothing has been written"
            << 0;
        QTest::newRow("broke off") << ExampleCard << over({})
                                   << QStringList{"FAKE_VANTO32_CARD_BASE=300", "FAKE_VANTO32_FAIL_AFTER=5"}
                                   << QByteArray() << 5 << "Register 1 of 10 written." << 6;
        QTest::newRow("write refused")
            << ExampleCard << over({})
            << QStringList{"FAKE_VANTO32_CARD_BASE=300", "FAKE_VANTO32_FAIL_AFTER=5",
                           "FAKE_VANTO32_FAIL_STATUS=2"}
            << QByteArray() << 5 << "Register 1 of 10 written." << 6;
    }
    void refusals()
    {
        QFETCH(QByteArray, card);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(int, portWrites);
        const QString path = card.isEmpty() ? QString() : cardFile(card);
        if (!card.isEmpty() && !arguments.contains(QStringLiteral("%1")))
            arguments << QStringLiteral("--card") << QStringLiteral("%1");
        for (QString &argument : arguments)
            argument.replace(QStringLiteral("%1"), path).replace(QStringLiteral("%2"), m_dir.path());
        const Run result = run(arguments, environment, input);
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(result.err.section(QLatin1Char('\n'), 0, 0),
                 message.replace(QStringLiteral("%1"), path).replace(QStringLiteral("%2"), m_dir.path()));
        QCOMPARE(TestTr4410ctl::portWrites(result), portWrites);
        // What some print, in part.
        const QMap<QByteArray, QStringList> printed{
            {"test before the set-up",
             {"E     0x100    -       -          -  0x300  /dev/tr4410/300/E  FAIL: Linux has no serial line "
              "at 0x100: apply the Linux set-up (tr4410ctl linux) and restart\n",
              "IRQ 10 counted 0 interrupts during the test (151 before, 151 after).\n"}},
            {"check of the machine's cards",
             {"\"card\": null", "\"controlBase\": \"0x310\",\n                \"file\": \"" +
                                    QStringLiteral(TR4410_FIXTURES "/stack_two/etc/tr4410/cards.d/b.json")}},
            {"linux of the machine's cards",
             {"GRUB_CMDLINE_LINUX=\"$GRUB_CMDLINE_LINUX 8250.nr_uarts=17\"\n",
              "setserial /dev/ttyS5 port 0x100 irq 10 uart 16550A baud_base 115200 autoconfig  # card 0x300 "
              "(a.json), port E: /dev/tr4410/300/E\n",
              "setserial /dev/ttyS16 port 0x238 irq 5 uart 16550A baud_base 115200 autoconfig  # card 0x310 "
              "(b.json), port H: /dev/tr4410/310/H\n",
              "# ttyS4 is another serial port, at 0x2F0: left as it is.\n"}},
            {"test of the machine's cards", {"\"stableName\": \"/dev/tr4410/310/H\""}},
            {"--ports instead of the machine's cards", {"autoconfig  # port H\n"}}};
        for (const QString &part : printed.value(QTest::currentDataTag()))
            QVERIFY2(result.out.contains(part), qPrintable(result.out));
        if (QTest::currentDataTag() == QByteArray("apply where no line can be set up")) {
            // The board's line is passed over, and nothing goes into a folder others may change.
            QVERIFY2(result.out.startsWith(
                         "ttyS4 is a UART at 0x2F0 already (not a TR-4410 port): left as it is\n"),
                     qPrintable(result.out));
            QVERIFY(result.out.contains(path +
                                        " port E at 0x100, IRQ 10: ttyS5 /dev/tr4410/300/E (not set up)\n"));
            const QString root = applyRoot();
            QVERIFY2(result.err.contains(root +
                                         "/run/udev/rules.d: other users may write to it (mode 0777): "
                                         "refused, nothing written there; the stable names are not made\n"),
                     qPrintable(result.err));
            QVERIFY(result.err.endsWith(root +
                                        "/run/tr4410: not a folder (or a link to one): refused, nothing "
                                        "written there: Not a directory\n"));
            QVERIFY(QDir(root + "/run/udev/rules.d").isEmpty() &&
                    QDir(m_dir.filePath("elsewhere")).isEmpty());
        }
        if (QTest::currentDataTag() == QByteArray("broke off")) {
            QVERIFY2(
                result.err.endsWith(QStringLiteral(
                    "tr4410ctl: the port access broke off; 2 of the 10 registers were written, the card may "
                    "hold part of the new values: write again\n")),
                qPrintable(result.err));
        }
    }

    // linux --output makes a missing folder private; links that the folder's owner put at the names
    // are replaced, not written through, and each file has its own mode.
    void outputNeverFollowsLinks()
    {
        const QString out = m_dir.filePath(QStringLiteral("own")),
                      victim = m_dir.filePath(QStringLiteral("victim"));
        const QStringList linux{QStringLiteral("linux"), QStringLiteral("--card"), cardFile(ExampleCard),
                                QStringLiteral("--output"), out};
        QCOMPARE(run(linux).exitCode, 0);
        const auto mode = [](const QString &path) {
            struct stat st
            {
            };
            return lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
        };
        QCOMPARE(mode(out), 0700);
        QFile kept(victim);
        QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("keep") == 4);
        kept.close();
        QVERIFY(QFile::remove(out + "/tr4410.cfg") && QFile::link(victim, out + "/tr4410.cfg"));
        QVERIFY(QFile::remove(out + "/tr4410-setserial.sh") &&
                QFile::link(m_dir.filePath("planted.sh"), out + "/tr4410-setserial.sh"));
        QCOMPARE(run(linux).exitCode, 0);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep"));
        QVERIFY(!QFile::exists(m_dir.filePath("planted.sh")));
        QCOMPARE(mode(out + "/tr4410.cfg"), 0644);
        QCOMPARE(mode(out + "/tr4410-setserial.sh"), 0755);
    }

    void dryRunShowsTheTwentyWrites()
    {
        const Run result = run({QStringLiteral("write"), QStringLiteral("--dry-run"),
                                QStringLiteral("--card"), cardFile(ExampleCard)});
        QCOMPARE(result.exitCode, 0);
        const QStringList lines =
            result.out.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^0x.* <- ")));
        QCOMPARE(lines, QStringList({"0x301 <- 0x01", "0x302 <- 0x7F", "0x301 <- 0x02", "0x302 <- 0x5F",
                                     "0x301 <- 0x03", "0x302 <- 0x7D", "0x301 <- 0x04", "0x302 <- 0x5D",
                                     "0x301 <- 0x05", "0x302 <- 0x20", "0x301 <- 0x06", "0x302 <- 0x21",
                                     "0x301 <- 0x07", "0x302 <- 0x22", "0x301 <- 0x08", "0x302 <- 0x23",
                                     "0x301 <- 0x09", "0x302 <- 0x0A", "0x301 <- 0x0A", "0x302 <- 0xFF"}));
        // Not even the port-I/O library was asked anything.
        QVERIFY(result.report.isEmpty());
    }

    void writeLeavesTheCardHoldingTheValues_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("mask");
        QTest::newRow("confirmed") << QStringList() << QByteArray("y\n") << "255";
        QTest::newRow("--yes, RS-485 over the card")
            << QStringList{"--yes", "--protocol", "RS-485"} << QByteArray() << "0";
        QTest::newRow("--rs422 A,C") << QStringList{"--yes", "--rs422", "A,C"} << QByteArray() << "5";
    }
    void writeLeavesTheCardHoldingTheValues()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, input);
        QFETCH(QString, mask);
        const Run result = run(
            QStringList{QStringLiteral("write"), QStringLiteral("--card"), cardFile(ExampleCard)} + options,
            {QStringLiteral("FAKE_VANTO32_CARD_BASE=300")}, input);
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.err.contains(QStringLiteral("Register 10 of 10 written.")), qPrintable(result.err));
        QVERIFY(result.out.contains(QStringLiteral("The resources have been written to the card.")));
        QCOMPARE(result.report.filter(QRegularExpression(QStringLiteral("^(register|stray) "))),
                 QStringList({"register 1 127", "register 2 95", "register 3 125", "register 4 93",
                              "register 5 32", "register 6 33", "register 7 34", "register 8 35",
                              "register 9 10", "register 10 " + mask, "stray 0"}));
    }

    // Under --json every result and every error is a document as tr4410ctl(1) describes it.
    void jsonDocumentsFollowTheManualPage_data()
    {
        QTest::addColumn<QStringList>("arguments"); // the command first if any; none: a port that passed
        QTest::addColumn<QString>("section");       // of JSON OUTPUT
        QTest::addColumn<int>("exitCode");
        QTest::newRow("check passes") << QStringList{"check", "--json", "--card", "%1"} << "check" << 0;
        QTest::newRow("check finds a problem")
            << QStringList{"check", "--json", "--card", "%1", "--port", "E=170"} << "check" << 6;
        QTest::newRow("test before the set-up")
            << QStringList{"test", "--json", "--card", "%1"} << "test" << 7;
        QTest::newRow("a port that passed") << QStringList() << "test" << 0;
        QTest::newRow("no IRQ") << QStringList{"test", "--json", "--ports", "3F8,2F8,3E8,2E8,100,108,110,118"}
                                << "error" << 1;
        QTest::newRow("unknown option") << QStringList{"--json", "--speed", "9600", "check"} << "error" << 1;
    }
    void jsonDocumentsFollowTheManualPage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, section);
        QFETCH(int, exitCode);
        const QString path = cardFile(ExampleCard);
        for (QString &argument : arguments)
            argument.replace(QStringLiteral("%1"), path);
        Run result{0,
                   QString::fromUtf8(CtlJson::testDocument(
                       {{0, "card.json", 0x300, 0, 0, 0x3F8, 4, 115200}},
                       {{0, 0x3F8, "ttyS0", "16550A", 4, false, true, {}}}, {{4, 10, 12}}, true)),
                   {},
                   {}};
        if (!arguments.isEmpty())
            result = run(arguments);
        QCOMPARE(result.exitCode, exitCode);
        const QJsonObject document = QJsonDocument::fromJson(result.out.toUtf8()).object();
        const QHash<QString, QStringList> schema = manualSchema(section);
        QStringList errors;
        QSet<QString> seen;
        checkKeys(document, {}, schema, errors, seen);
        for (const QString &key : schema.keys()) // a key is there whenever its object is
            if (seen.contains(key.section('.', 0, -2) + "{}") && !seen.contains(key))
                errors << key + " is missing";
        errors.removeDuplicates();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n') + '\n' + result.out));
        QCOMPARE(document.value("version"), QJsonValue(1));
        const QString command = arguments.value(0, QStringLiteral("test"));
        QCOMPARE(document.value("command"), command.startsWith('-') ? QJsonValue() : QJsonValue(command));
        if (section == "error") {
            QCOMPARE(document["error"]["exitCode"], QJsonValue(exitCode));
            QCOMPARE("tr4410ctl: " + document["error"]["message"].toString() + '\n', result.err);
        } else {
            QCOMPARE(document.value("passed"), QJsonValue(exitCode == 0));
        }
    }

    // The sheet shows at each jumper's place what the plan prints for it, in its PNG and in its PDF
    // (through poppler), on the paper asked for or the locale's.
    void sheetShowsThePlan_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QSizeF>("paper"); // millimetres
        const QSizeF a4(210, 297);
        const QSizeF letter(215.9, 279.4);
        QTest::newRow("defaults, US locale") << QStringList() << "en_US.UTF-8" << letter;
        QTest::newRow("RS-422 both, X8, 3F0, German locale")
            << QStringList{"--card", "%1", "--base", "3F0", "--termination", "both", "--clock", "X8"}
            << "de_DE.UTF-8" << a4;
        QTest::newRow("RS-232, DF, base 100, --paper A4")
            << QStringList{"--protocol", "RS-232", "--base", "100", "--df", "fitted", "--paper", "a4"}
            << "en_US.UTF-8" << a4;
        QTest::newRow("RS-485 on, Auto RTS off, --paper Letter")
            << QStringList{"--termination", "on", "--auto-rts", "off", "--paper", "Letter"} << "C" << letter;
    }
    void sheetShowsThePlan()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, locale);
        QFETCH(QSizeF, paper);
        options.replaceInStrings(QStringLiteral("%1"), cardFile(ExampleCard));
        const QString png = m_dir.filePath(QStringLiteral("sheet.png"));
        const QString pdf = m_dir.filePath(QStringLiteral("sheet.pdf"));
        const QStringList environment{QStringLiteral("LC_ALL=") + locale};
        const Run plan = run(QStringList{"plan", "--sheet", png} + options, environment);
        QCOMPARE(plan.exitCode, 0);
        QCOMPARE(plan.err, QString());
        QCOMPARE(run(QStringList{"plan", "--sheet", pdf} + options, environment).exitCode, 0);
        QString planned; // "fit " or "open" for A4 ... X8, then 32 ... TL
        for (const QString &line : plan.out.split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String("  ")))
                planned += line.mid(6, 4) == QLatin1String("fit ") ? QLatin1Char('F') : QLatin1Char('O');
        QCOMPARE(planned.size(), JumperPlaces::RowCount + JumperPlaces::ColumnPositions);
        const QImage fromPng(png);
        const double dpi = fromPng.dotsPerMeterX() * 0.0254;
        QCOMPARE(qRound(fromPng.width() / dpi * 25.4), qRound(paper.width()));
        QCOMPARE(qRound(fromPng.height() / dpi * 25.4), qRound(paper.height()));
        QCOMPARE(shunts(fromPng, paper),
                 planned.left(JumperPlaces::RowCount) +
                     planned.mid(JumperPlaces::RowCount).repeated(JumperPlaces::ColumnCount));
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        QCOMPARE(QProcess::execute(QStringLiteral("pdftoppm"),
                                   {"-r", QString::number(qRound(dpi)), "-png", "-singlefile", pdf,
                                    m_dir.filePath(QStringLiteral("poppler"))}),
                 0);
        QCOMPARE(shunts(QImage(m_dir.filePath(QStringLiteral("poppler.png"))), paper),
                 shunts(fromPng, paper));
    }

    void helpAndVersion()
    {
        const Run help = run({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains(QStringLiteral("Exit status:")));
        const Run version = run({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QVERIFY(version.out.startsWith(QStringLiteral("tr4410ctl ")));
    }
};

QTEST_GUILESS_MAIN(TestTr4410ctl)
#include "tst_tr4410ctl.moc"
