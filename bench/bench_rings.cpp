// Building the ring images of all 22 highlights of the main window (TBoardHighlight::BuildImages,
// as each highlight does at its first paint), after the window's first complete paint.
//
//   build/bench/bench_rings [-n RUNS]
//
// Prints the median and worst time for all 22 together, and how it splits between capturing the
// photograph beneath each highlight and blending the three rings. Target: under 0.7 ms in all.
#include "bench_support.h"
#include "board_highlight.h"
#include "board_image.h"
#include "first_complete_paint.h"
#include "main_form.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    Bench::useFakePorts(argv);
    const QString command = Bench::commandLine(argc, argv);
    const int runs = Bench::runsArgument(argc, argv, 200);
    Bench::defaultToOffscreen();

    QApplication app(argc, argv);
    TMainForm mainForm;
    TBoardImage *const board = Bench::showUntilFirstPaint(mainForm, "bench_rings");
    if (!board)
        return 1;
    const QList<TBoardHighlight *> highlights = Bench::highlightsOf(*board);
    qint64 pixels = 0;
    for (const TBoardHighlight *highlight : highlights)
        pixels += qint64(highlight->width()) * highlight->height();

    QList<double> all, capture;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        for (TBoardHighlight *highlight : highlights)
            highlight->BuildImages();
        all.append(Bench::msSince(timer));

        // The photograph beneath alone; the rest is the one pass that blends the three rings.
        timer.restart();
        for (const TBoardHighlight *highlight : highlights)
            board->RenderArea(highlight->geometry());
        capture.append(Bench::msSince(timer));
    }

    std::printf("Ring images of all %lld highlights (%lld pixels, 3 images each), %d runs\n",
                static_cast<long long>(highlights.size()), static_cast<long long>(pixels), runs);
    std::printf("  machine:            %s\n", qPrintable(Bench::machineSummary()));
    std::printf("  BuildImages, all:   median %.3f ms, worst %.3f ms   (target: under 0.7 ms)\n",
                Bench::median(all), Bench::maximum(all));
    std::printf("    photograph beneath (RenderArea): median %.3f ms\n", Bench::median(capture));
    std::printf("    three rings in one pass (rest):  median %.3f ms\n",
                Bench::median(all) - Bench::median(capture));
    std::printf("  reproduce with:     %s\n", qPrintable(command));
    return highlights.size() == 22 ? 0 : 1;
}
