// Start-up of the settings program against a minimal viewer of the same photograph: wall time from
// process start to exit right after the first complete paint, and peak memory, medians of N runs.
//
//   build/bench/bench_startup [-n RUNS]
//
// Each run starts a fresh process: this program again with --child (it builds the main window as
// main() does and ends after the window's first complete paint: photograph drawn, all ring images
// built), or reference_viewer. Both run under $QT_QPA_PLATFORM (offscreen when unset).
#include "bench_support.h"
#include "board_image.h"
#include "first_complete_paint.h"
#include "main_form.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

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

struct Run
{
    double wallMs = 0;
    double peakMiB = 0;
    int status = -1;
};

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Where the children's messages go; shown when a child fails.
QByteArray childLog;

Run spawnAndWait(const char *program, const char *argument)
{
    Run run;
    char *const argv[] = {const_cast<char *>(program), const_cast<char *>(argument), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, childLog.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const double start = nowMs();
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
    if (run.status != 0) {
        QFile log(QFile::decodeName(childLog));
        if (log.open(QIODevice::ReadOnly))
            std::fprintf(stderr, "%s", log.readAll().constData());
    }
    return run;
}

// One start of the main window, built as main() builds it, ending after its first complete paint.
int child(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Settings"));
    TMainForm mainForm;
    Bench::FirstCompletePaint firstPaint(Bench::boardOf(mainForm));
    QObject::connect(&firstPaint, &Bench::FirstCompletePaint::reached, &app, &QCoreApplication::quit);
    QTimer::singleShot(30000, &app, [] {
        std::fprintf(stderr, "bench_startup: no complete paint within 30 s\n");
        QCoreApplication::exit(3);
    });
    mainForm.showMaximized();
    const int status = app.exec();
    return status == 0 && firstPaint.isReached() ? 0 : 3;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv);

    Bench::useFakePorts(argv);
    const QString command = Bench::commandLine(argc, argv);
    int runs = 15;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-n") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
    }
    setenv("QT_QPA_PLATFORM",
           qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen")).toLocal8Bit(), 1);
    // A private run-time folder and log for the children, so that neither warns nor clutters.
    const QTemporaryDir runtime;
    if (!runtime.isValid())
        return 1;
    setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()).constData(), 1);
    childLog = QFile::encodeName(runtime.filePath(QStringLiteral("child.log")));

    const QByteArray self =
        QFile::encodeName(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    const char *reference = TR4410_REFERENCE_VIEWER;

    // One start of each first, not counted, so that both find the same warm file cache.
    for (const Run &warm : {spawnAndWait(self.constData(), "--child"), spawnAndWait(reference, nullptr)}) {
        if (warm.status != 0) {
            std::fprintf(stderr, "bench_startup: a warm-up run failed (status %d)\n", warm.status);
            return 1;
        }
    }
    QList<double> formWall, formPeak, refWall, refPeak;
    for (int i = 0; i < runs; ++i) {
        // Alternate the order so that neither side always runs right after the other.
        for (int side = 0; side < 2; ++side) {
            const bool form = (side + i) % 2 == 0;
            const Run run =
                form ? spawnAndWait(self.constData(), "--child") : spawnAndWait(reference, nullptr);
            if (run.status != 0) {
                std::fprintf(stderr, "bench_startup: a %s run failed (status %d)\n",
                             form ? "main window" : "reference", run.status);
                return 1;
            }
            (form ? formWall : refWall).append(run.wallMs);
            (form ? formPeak : refPeak).append(run.peakMiB);
        }
    }

    const double fw = Bench::median(formWall), rw = Bench::median(refWall);
    const double fp = Bench::median(formPeak), rp = Bench::median(refPeak);
    std::printf("Start-up to first complete paint, medians of %d runs on %s\n", runs,
                qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM")));
    std::printf("  machine:           %s\n", qPrintable(Bench::machineSummary()));
    std::printf("  %-18s %9s %11s\n", "", "wall (ms)", "peak (MiB)");
    std::printf("  %-18s %9.1f %11.1f\n", "settings program", fw, fp);
    std::printf("  %-18s %9.1f %11.1f\n", "reference viewer", rw, rp);
    std::printf("  %-18s %9.2f %11.2f   (target: at most 1.25 each)\n", "ratio", fw / rw, fp / rp);
    std::printf("  reproduce with:    %s\n", qPrintable(command));
    return 0;
}
