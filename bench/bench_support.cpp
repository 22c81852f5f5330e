#include "bench_support.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>
#include <unistd.h>

namespace Bench {

QString fakePortsDir()
{
#ifdef TR4410_FAKE_PORTS_DIR
    return QStringLiteral(TR4410_FAKE_PORTS_DIR);
#else
    return {};
#endif
}

void useFakePorts(char **argv)
{
    usePortLibrary(QFile::encodeName(fakePortsDir()), argv);
}

void usePortLibrary(const QByteArray &dir, char **argv)
{
    if (dir.isEmpty())
        return;
    const QByteArray current = qgetenv("LD_LIBRARY_PATH");
    if (current == dir || current.startsWith(dir + ':'))
        return;
    qputenv("LD_LIBRARY_PATH", current.isEmpty() ? dir : dir + ':' + current);
    execv("/proc/self/exe", argv);
    // Without the fake the figures are still taken, only with the real library.
}

namespace {
// The first group of the first match of pattern (^ and $ at each line's ends) in the text file at
// path, if the file can be read and matches.
std::optional<QString> capturedIn(const QString &path, const QString &pattern)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    const QRegularExpressionMatch match = QRegularExpression(pattern, QRegularExpression::MultilineOption)
                                              .match(QString::fromUtf8(file.readAll()));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}
} // namespace

QString machineSummary()
{
    const std::optional<QString> cpuModel =
        capturedIn(QStringLiteral("/proc/cpuinfo"), QStringLiteral("^model name\\s*:\\s*(.*)$"));
    const QString model = cpuModel ? cpuModel->trimmed() : QStringLiteral("unknown processor");
    const std::optional<QString> kib =
        capturedIn(QStringLiteral("/proc/meminfo"), QStringLiteral("^MemTotal:\\s*(\\d+) kB"));
    const QString memory =
        kib ? QString::number(kib->toDouble() / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" GiB")
            : QStringLiteral("? GiB");
    // Other work on the machine shows in the figures; the load at the start says how much.
    QString load = QStringLiteral("?");
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (loadavg.open(QIODevice::ReadOnly | QIODevice::Text))
        load = QString::fromLatin1(loadavg.readAll()).section(QLatin1Char(' '), 0, 0);
    return QStringLiteral("%1 processors, %2, %3 memory, load average %4")
        .arg(std::thread::hardware_concurrency())
        .arg(model, memory, load);
}

QString commandLine(int argc, char **argv)
{
    QStringList words;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        words << QStringLiteral("QT_QPA_PLATFORM=") + QString::fromLocal8Bit(platform);
    const QByteArray scale = qgetenv("QT_SCALE_FACTOR");
    if (!scale.isEmpty())
        words << QStringLiteral("QT_SCALE_FACTOR=") + QString::fromLocal8Bit(scale);
    for (int i = 0; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    return words.join(QLatin1Char(' '));
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2.0;
}

double maximum(const QList<double> &values)
{
    return values.isEmpty() ? 0.0 : *std::max_element(values.cbegin(), values.cend());
}

int runsArgument(int argc, char **argv, int fallback)
{
    int runs = fallback;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-n") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
    }
    return runs;
}

void defaultToOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

Start start(int argc, char **argv, int fallbackRuns)
{
    useFakePorts(argv);
    Start start{commandLine(argc, argv), runsArgument(argc, argv, fallbackRuns)};
    defaultToOffscreen();
    return start;
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace Bench
