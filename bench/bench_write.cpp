// The port-resource write: twenty port writes, each followed by its settle wait, as "Use These
// Resources" runs them, from start() to finished(), repeated N times. Measured against the floor of 20 x 10
// ms: wall time, processor use during the sequences, and how late a 5 ms timer of the window is served
// meanwhile.
//
//   build/bench/bench_write [-n RUNS] [--helper]
//
// The writes go to the test double of the port-I/O library when it was built, otherwise to the
// real one. With --helper they go through the real library and the port helper, whole round trip
// and pacing included, to a helper built to leave the port itself alone. Targets: at most 1.10 x
// the floor, under 20 % of one core, every timer event served within 15 ms.
#include "bench_support.h"
#include "resource_writer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace {

double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

} // namespace

int main(int argc, char *argv[])
{
    bool throughHelper = false;
    for (int i = 1; i < argc; ++i)
        throughHelper = throughHelper || qstrcmp(argv[i], "--helper") == 0;
    if (throughHelper)
        Bench::usePortLibrary(TR4410_HELPER_PORTS_DIR, argv);
    else
        Bench::useFakePorts(argv);
    const QString command = Bench::commandLine(argc, argv);
    const int runs = Bench::runsArgument(argc, argv, 10);
    Bench::defaultToOffscreen();
    QApplication app(argc, argv);

    constexpr double floorMs = 2.0 * ResourceRules::RegisterCount * TResourceWriter::SettleMilliseconds;
    constexpr int tickMs = 5;
    // Ports A to H at 3F8, 2F8, 3E8, 2E8, 100, 108, 110, 118, IRQ 10, all ports RS-422.
    const ResourceRules::Values values{0x7F, 0x5F, 0x7D, 0x5D, 0x20, 0x21, 0x22, 0x23, 10, 0xFF};

    // A timer of the window that keeps firing during the sequence; its lateness is how long an
    // event waits to be served.
    QElapsedTimer clock;
    clock.start();
    double lastTick = -1;
    double worstLateness = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(tickMs);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        if (lastTick >= 0)
            worstLateness = std::max(worstLateness, now - lastTick - tickMs);
        lastTick = now;
    });

    TResourceWriter writer;
    QEventLoop wait;
    QElapsedTimer timer;
    TWriteResult result;
    double ms = 0, cpu = 0, cpuBefore = 0;
    // Taken as the sequence ends, before the loop has returned.
    QObject::connect(&writer, &TResourceWriter::finished, &wait, [&](const TWriteResult &end) {
        ms = double(timer.nsecsElapsed()) / 1e6;
        cpu = cpuMs() - cpuBefore;
        result = end;
        wait.quit();
    });
    QList<double> wall, cpuShare;
    double cpuTotal = 0, wallTotal = 0;
    for (int run = 0; run < runs; ++run) {
        lastTick = -1;
        tick.start();
        cpuBefore = cpuMs();
        timer.start();
        writer.start(0x300, values);
        wait.exec();
        if (!result.succeeded()) {
            std::fprintf(stderr, "bench_write: the sequence failed (failure %d after register %d)\n",
                         int(result.failure), result.lastRegister);
            return 1;
        }
        tick.stop();
        wall.append(ms);
        cpuShare.append(100.0 * cpu / ms);
        cpuTotal += cpu;
        wallTotal += ms;
    }

    std::printf("Port-resource write, 20 writes with settle waits, %d runs (%s)\n", runs,
                throughHelper                     ? "real port library and port helper"
                : Bench::fakePortsDir().isEmpty() ? "real port library"
                                                  : "fake port library");
    std::printf("  machine:          %s\n", qPrintable(Bench::machineSummary()));
    std::printf("  wall:             median %.1f ms, worst %.1f ms; floor %.0f ms; ratio %.3f "
                "(target: at most 1.10)\n",
                Bench::median(wall), Bench::maximum(wall), floorMs, Bench::median(wall) / floorMs);
    std::printf("  processor use:    %.1f %% of one core over all runs, worst run %.1f %% "
                "(target: under 20 %%)\n",
                100.0 * cpuTotal / wallTotal, Bench::maximum(cpuShare));
    std::printf("  timer lateness:   worst %.2f ms beyond its %d ms interval (target: within 15 ms)\n",
                worstLateness, tickMs);
    std::printf("  reproduce with:   %s\n", qPrintable(command));
    return 0;
}
