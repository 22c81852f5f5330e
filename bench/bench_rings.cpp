// Building the ring images of all 22 highlights of the main window (TBoardHighlight::BuildImages,
// as each highlight does at its first paint), after the window's first complete paint.
//
//   build/bench/bench_rings [-n RUNS]
//
// Prints the median and worst time for all 22 together, and how it splits between capturing the
// photograph beneath each highlight and blending the three rings. Target: under 0.7 ms in all, at a
// device pixel ratio of 1. Then runs itself again with QT_SCALE_FACTOR=2 for the same figures on
// a high-density screen, unless QT_SCALE_FACTOR is set already (then it measures that ratio only).
#include "bench_support.h"
#include "board_highlight.h"
#include "board_image.h"
#include "first_complete_paint.h"
#include "main_form.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    const auto [command, runs] = Bench::start(argc, argv, 200);

    QApplication app(argc, argv);
    TMainForm mainForm;
    TBoardImage *const board = Bench::showUntilFirstPaint(mainForm, "bench_rings");
    if (!board)
        return 1;
    const QList<TBoardHighlight *> highlights = Bench::highlightsOf(*board);
    const qreal ratio = mainForm.devicePixelRatioF();
    qint64 pixels = 0;
    for (const TBoardHighlight *highlight : highlights) {
        const QSize devicePixels = TBoardImage::devicePixels(highlight->size(), ratio);
        pixels += qint64(devicePixels.width()) * devicePixels.height();
    }

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
            board->renderArea(highlight->geometry(), ratio);
        capture.append(Bench::msSince(timer));
    }

    std::printf("Ring images of all %lld highlights at device pixel ratio %g (%lld device pixels, 3 images "
                "each), %d runs\n",
                static_cast<long long>(highlights.size()), ratio, static_cast<long long>(pixels), runs);
    std::printf("  machine:            %s\n", qPrintable(Bench::machineSummary()));
    std::printf("  BuildImages, all:   median %.3f ms, worst %.3f ms%s\n", Bench::median(all),
                Bench::maximum(all), ratio == 1.0 ? "   (target: under 0.7 ms)" : "");
    std::printf("    photograph beneath (renderArea): median %.3f ms\n", Bench::median(capture));
    std::printf("    three rings in one pass (rest):  median %.3f ms\n",
                Bench::median(all) - Bench::median(capture));
    std::printf("  reproduce with:     %s\n", qPrintable(command));
    std::fflush(stdout);
    if (highlights.size() != 22)
        return 1;

    // The same on a screen of twice the density: a ratio is fixed for the life of a process.
    if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
        QProcess atTwice;
        atTwice.setProcessEnvironment(environment);
        atTwice.setProcessChannelMode(QProcess::ForwardedChannels);
        atTwice.start(QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1));
        if (!atTwice.waitForFinished(-1) || atTwice.exitStatus() != QProcess::NormalExit)
            return 1;
        return atTwice.exitCode();
    }
    return 0;
}
