// Start-up of the settings program against minimal viewers of the same photograph: wall time from
// process start to exit right after the first complete paint, and peak memory, medians of N runs.
//
//   build/bench/bench_startup [-n RUNS]
//
// Each run starts a fresh process: this program again with --child (it builds the main window as
// main() does and ends after the window's first complete paint: photograph drawn, all ring images
// built), or reference_viewer: bare (the photograph alone) and fair (also the menu bar and the
// header text in the program's fonts). All run under $QT_QPA_PLATFORM (offscreen when unset).
#include "application_idle.h"
#include "bench_support.h"
#include "board_image.h"
#include "first_complete_paint.h"
#include "main_form.h"
#include "startup_phases.h"
#include "window_placement.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int PhaseCount = 5;

struct Run
{
    double wallMs = 0;
    double peakMiB = 0;
    int status = -1;
    std::array<double, PhaseCount> phases{};
};

double nowMs()
{
    return StartupPhases::nowMs();
}

// Where the children's messages go; shown when a child fails.
QByteArray childLog;

// Runs the program (with the argument, if any) and the spawn time, and waits for its end.
Run spawnAndWait(const char *program, const char *argument)
{
    Run run;
    const double start = nowMs();
    QByteArray spawnedAt = QByteArray::number(start, 'f', 6);
    char *const argv[] = {const_cast<char *>(program),
                          const_cast<char *>(argument ? argument : spawnedAt.data()),
                          argument ? spawnedAt.data() : nullptr, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, childLog.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "bench_startup: cannot start %s: %s\n", program, std::strerror(errno));
        return run;
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.wallMs = nowMs() - start;
    run.peakMiB = double(usage.ru_maxrss) / 1024.0;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    QFile log(QFile::decodeName(childLog));
    const QByteArray output = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    if (run.status != 0)
        std::fprintf(stderr, "%s", output.constData());
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == PhaseCount + 1 && words.first() == "phases") {
            for (int i = 0; i < PhaseCount; ++i)
                run.phases[std::size_t(i)] = words.at(i + 1).toDouble();
        }
    }
    return run;
}

// One start of the main window, built as main() builds it, ending after its first complete paint.
int child(int argc, char **argv)
{
    StartupPhases phases(argc > 2 ? argv[2] : nullptr);
    QApplication app(argc, argv);
    phases.applicationMade();
    TMainForm mainForm;
    phases.windowMade();
    Bench::FirstCompletePaint firstPaint(Bench::boardOf(mainForm));
    QObject::connect(&firstPaint, &Bench::FirstCompletePaint::reached, &app, [&phases] {
        phases.painted();
        // The supporter's deferred start-up follows the first paint; the run ends before it.
        ApplicationIdle::setOnIdle(nullptr);
        QCoreApplication::quit();
    });
    QTimer::singleShot(30000, &app, [] {
        std::fprintf(stderr, "bench_startup: no complete paint within 30 s\n");
        QCoreApplication::exit(3);
    });
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen && WindowPlacement::clientPlacesWindows())
        mainForm.setGeometry(screen->availableGeometry());
    mainForm.showMaximized();
    phases.windowShown();
    const int status = app.exec();
    phases.print();
    return status == 0 && firstPaint.isReached() ? 0 : 3;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv);

    // The children inherit the platform.
    const auto [command, runs] = Bench::start(argc, argv, 15);
    // A private run-time folder and log for the children, so that neither warns nor clutters.
    const QTemporaryDir runtime;
    if (!runtime.isValid())
        return 1;
    setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()).constData(), 1);
    childLog = QFile::encodeName(runtime.filePath(QStringLiteral("child.log")));

    const QByteArray self =
        QFile::encodeName(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    const char *reference = TR4410_REFERENCE_VIEWER;

    // The three programs of a run: the settings program, the bare and the fair reference.
    struct Side
    {
        const char *program;
        const char *argument;
        const char *name;
        QList<double> wall, peak;
        std::array<QList<double>, PhaseCount> phases;
    };
    std::array<Side, 3> sides{{{self.constData(), "--child", "settings program", {}, {}, {}},
                               {reference, nullptr, "bare reference", {}, {}, {}},
                               {reference, "--fair", "fair reference", {}, {}, {}}}};

    // One start of each first, not counted, so that all find the same warm file cache.
    for (const Side &side : sides) {
        const Run warm = spawnAndWait(side.program, side.argument);
        if (warm.status != 0) {
            std::fprintf(stderr, "bench_startup: a warm-up run of the %s failed (status %d)\n", side.name,
                         warm.status);
            return 1;
        }
    }
    for (int i = 0; i < runs; ++i) {
        // Rotate the order so that no side always runs right after the same other.
        for (std::size_t k = 0; k < sides.size(); ++k) {
            Side &side = sides[(k + std::size_t(i)) % sides.size()];
            const Run run = spawnAndWait(side.program, side.argument);
            if (run.status != 0) {
                std::fprintf(stderr, "bench_startup: a %s run failed (status %d)\n", side.name, run.status);
                return 1;
            }
            side.wall.append(run.wallMs);
            side.peak.append(run.peakMiB);
            for (int p = 0; p < PhaseCount; ++p)
                side.phases[std::size_t(p)].append(run.phases[std::size_t(p)]);
        }
    }

    std::printf("Start-up to first complete paint, medians of %d runs on %s\n", runs,
                qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM")));
    std::printf("  machine:           %s\n", qPrintable(Bench::machineSummary()));
    std::printf("  %-18s %9s %11s\n", "", "wall (ms)", "peak (MiB)");
    for (const Side &side : sides)
        std::printf("  %-18s %9.1f %11.1f\n", side.name, Bench::median(side.wall), Bench::median(side.peak));
    const double fw = Bench::median(sides[0].wall), fp = Bench::median(sides[0].peak);
    std::printf("  %-18s %9.2f %11.2f   (target: at most 1.25 each)\n", "ratio to fair",
                fw / Bench::median(sides[2].wall), fp / Bench::median(sides[2].peak));
    std::printf("  %-18s %9.2f %11.2f\n", "ratio to bare", fw / Bench::median(sides[1].wall),
                fp / Bench::median(sides[1].peak));
    // Where the time goes: medians of the moments since the spawn, and of the exit after the paint.
    static const char *const phaseNames[PhaseCount] = {"main() entered", "QApplication made", "window made",
                                                       "window shown", "first complete paint"};
    std::printf("  phases (ms since spawn, medians):   settings      bare      fair\n");
    for (int p = 0; p < PhaseCount; ++p)
        std::printf(
            "    %-32s %8.1f %9.1f %9.1f\n", phaseNames[p], Bench::median(sides[0].phases[std::size_t(p)]),
            Bench::median(sides[1].phases[std::size_t(p)]), Bench::median(sides[2].phases[std::size_t(p)]));
    std::printf("    %-32s %8.1f %9.1f %9.1f\n", "process ended", fw, Bench::median(sides[1].wall),
                Bench::median(sides[2].wall));
    std::printf("  reproduce with:    %s\n", qPrintable(command));
    return 0;
}
