#include "system_state.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::optional<quint64> number(const QByteArray &text, int base = 10)
{
    bool ok = false;
    const QByteArray trimmed = text.trimmed();
    const quint64 value =
        trimmed.startsWith("0x") ? trimmed.mid(2).toULongLong(&ok, 16) : trimmed.toULongLong(&ok, base);
    return ok ? std::optional<quint64>(value) : std::nullopt;
}

// The release the running kernel reports, for its config file in /boot.
QString kernelRelease(const TSystemState &state)
{
    return QString::fromLatin1(readAll(state.path(QStringLiteral("/proc/sys/kernel/osrelease"))).trimmed());
}

} // namespace

QString TSystemState::rootFromEnvironment()
{
#ifdef TR4410_TEST_SYSTEM_ROOT
    const QString root = qEnvironmentVariable("TR4410_SYSTEM_ROOT");
    return root.isEmpty() ? QStringLiteral("/") : root;
#else
    return QStringLiteral("/");
#endif
}

QString TSystemState::path(const QString &absolute) const
{
    return root == QLatin1String("/") ? absolute : root + absolute;
}

TSystemState TSystemState::read(const QString &root)
{
    TSystemState state;
    state.root = root;
    // "none [integrity] confidentiality": the bracketed word is in force.
    static const QRegularExpression bracketed(QStringLiteral("\\[(\\w+)\\]"));
    const QString lockdown =
        QString::fromLatin1(readAll(state.path(QStringLiteral("/sys/kernel/security/lockdown"))));
    state.lockdown = bracketed.match(lockdown).captured(1);
    state.readSerialLines();
    state.readPortClaims();
    state.interrupts = readInterrupts(root);
    if (const auto uarts =
            number(readAll(state.path(QStringLiteral("/sys/module/8250/parameters/nr_uarts")))))
        state.nrUarts = int(*uarts);
    state.readKernelConfig();
    state.writeLock = QFileInfo::exists(state.path(QLatin1String(WriteLockPath)));
    for (const char *dir : {"/usr/sbin", "/usr/bin", "/sbin", "/bin"}) {
        const QString candidate = QLatin1String(dir) + QStringLiteral("/setserial");
        if (QFileInfo(state.path(candidate)).isExecutable()) {
            state.setserial = candidate;
            break;
        }
    }
    return state;
}

void TSystemState::readSerialLines()
{
    const QDir dir(path(QStringLiteral("/sys/class/tty")));
    const QStringList names = dir.entryList({QStringLiteral("ttyS*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        bool ok = false;
        SerialLine line;
        line.number = name.mid(4).toInt(&ok);
        if (!ok)
            continue;
        const QString base = dir.filePath(name) + QLatin1Char('/');
        line.port = quint32(number(readAll(base + QStringLiteral("port"))).value_or(0));
        line.irq = int(number(readAll(base + QStringLiteral("irq"))).value_or(0));
        line.type = int(number(readAll(base + QStringLiteral("type"))).value_or(0));
        serialLines.append(line);
    }
    std::sort(serialLines.begin(), serialLines.end(),
              [](const SerialLine &a, const SerialLine &b) { return a.number < b.number; });
}

void TSystemState::readPortClaims()
{
    // "  03f8-03ff : serial", nested by two spaces a level; only the innermost claims name devices.
    static const QRegularExpression entry(QStringLiteral("^( *)([0-9a-fA-F]+)-([0-9a-fA-F]+) : (.*)$"));
    struct Entry
    {
        int depth;
        PortClaim claim;
    };
    QList<Entry> entries;
    const QList<QByteArray> lines = readAll(path(QStringLiteral("/proc/ioports"))).split('\n');
    for (const QByteArray &text : lines) {
        const QRegularExpressionMatch m = entry.match(QString::fromLatin1(text));
        if (m.hasMatch())
            entries.append({int(m.capturedLength(1)),
                            {m.captured(2).toUInt(nullptr, 16), m.captured(3).toUInt(nullptr, 16),
                             m.captured(4).trimmed()}});
    }
    for (qsizetype i = 0; i < entries.size(); ++i) {
        portClaimsShown |= entries.at(i).claim.last != 0;
        const bool leaf = i + 1 == entries.size() || entries.at(i + 1).depth <= entries.at(i).depth;
        if (leaf)
            portClaims.append(entries.at(i).claim);
    }
}

void TSystemState::readKernelConfig()
{
    const QString release = kernelRelease(*this);
    if (release.isEmpty())
        return;
    const QByteArray config = readAll(path(QStringLiteral("/boot/config-") + release));
    if (config.isEmpty())
        return;
    kernelPortIo = false;
    for (const QByteArray &line : config.split('\n')) {
        if (line.startsWith("CONFIG_SERIAL_8250_NR_UARTS="))
            buildLimit = int(number(line.mid(28)).value_or(0));
        else if (line.trimmed() == "CONFIG_X86_IOPL_IOPERM=y")
            kernelPortIo = true;
    }
}

QList<TSystemState::InterruptLine> TSystemState::readInterrupts(const QString &root)
{
    TSystemState state;
    state.root = root;
    return parseInterrupts(readAll(state.path(QStringLiteral("/proc/interrupts"))));
}

QList<TSystemState::InterruptLine> TSystemState::parseInterrupts(const QByteArray &text)
{
    // "  5:   12   0   IO-APIC   5-edge      ttyS4, ttyS5": one count per processor, the chip, its
    // trigger, then the devices that hold the line.
    QList<InterruptLine> lines;
    const QList<QByteArray> rows = text.split('\n');
    const int cpus = rows.isEmpty() ? 0 : int(rows.first().simplified().split(' ').size());
    static const QRegularExpression trigger(QStringLiteral("^\\S*-(edge|level|fasteoi)\\s+"));
    for (qsizetype r = 1; r < rows.size(); ++r) {
        QString row = QString::fromLatin1(rows.at(r)).trimmed();
        const qsizetype colon = row.indexOf(QLatin1Char(':'));
        bool ok = false;
        InterruptLine line;
        line.irq = row.left(colon).toInt(&ok);
        if (colon < 0 || !ok)
            continue;
        row = row.mid(colon + 1).trimmed();
        for (int cpu = 0; cpu < cpus && !row.isEmpty(); ++cpu) {
            const qsizetype space = row.indexOf(QLatin1Char(' '));
            line.count += row.left(space).toULongLong();
            row = space < 0 ? QString() : row.mid(space).trimmed();
        }
        // The chip's name, then (on most chips) the trigger; the rest names the holders.
        const qsizetype space = row.indexOf(QLatin1Char(' '));
        row = space < 0 ? QString() : row.mid(space).trimmed();
        row.remove(trigger);
        for (const QString &device : row.split(QLatin1Char(','), Qt::SkipEmptyParts))
            line.devices.append(device.trimmed());
        lines.append(line);
    }
    return lines;
}

std::optional<quint64> TSystemState::interruptCount(const QList<InterruptLine> &lines, int irq)
{
    for (const InterruptLine &line : lines) {
        if (line.irq == irq)
            return line.count;
    }
    return std::nullopt;
}

QString TSystemState::uartName(int type)
{
    static const char *const names[] = {"unknown", "8250",  "16450",    "16550",  "16550A", "Cirrus", "16650",
                                        "16650V2", "16750", "startech", "16C950", "16654",  "16850",  "RSA"};
    return type >= 0 && type < int(std::size(names)) ? QLatin1String(names[type])
                                                     : QStringLiteral("type %1").arg(type);
}

std::optional<TSystemState::SerialLine> TSystemState::lineAt(quint32 address) const
{
    for (const SerialLine &line : serialLines) {
        if (line.port == address && address != 0)
            return line;
    }
    return std::nullopt;
}
