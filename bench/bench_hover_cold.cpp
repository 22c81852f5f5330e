// The first hover over a highlight whose popup has never been shown: the pointer enters the ring,
// the group's popup is built, shown and painted. Time from the pointer's move until the popup's
// first paint has been delivered, in fresh processes, so that the first popup of a run is as cold
// as the first one a user opens.
//
//   build/bench/bench_hover_cold [-n RUNS]
//
// Each run starts this program again with --child: it shows the main window, waits for the
// supporter's start-up (and closes the help window it shows), then moves the pointer onto one
// highlight of each group in turn, away again after each popup. Printed: the very first popup of
// a run (median and worst of RUNS, 10 by default) and the later groups' first popups. Target:
// under 16 ms, one frame; meant for a real X server (Xvfb, see bench/README.md).
#include "bench_support.h"
#include "board_highlight.h"
#include "board_image.h"
#include "first_complete_paint.h"
#include "help_form.h"
#include "main_form.h"
#include "popup_form.h"
#include "setup_supporter.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <cstring>

namespace {

// Notes the first paint of any part of a popup window.
class PopupPaintWatch : public QObject
{
public:
    PopupPaintWatch() { QCoreApplication::instance()->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            qobject_cast<TPopupForm *>(static_cast<QWidget *>(watched)->window()))
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

// One process: the first hover of each group, the given one first. Prints "hover MS" per group.
int child(int argc, char **argv)
{
    QApplication app(argc, argv);
    TMainForm mainForm;
    // On an X server the real pointer starts at the screen's centre, over the "Port Resources"
    // ring, which would build its popup as soon as the window appears: away with it first.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        QCursor::setPos(screen->geometry().bottomLeft());
    TBoardImage *const board = Bench::showUntilFirstPaint(mainForm, "bench_hover_cold");
    if (!board)
        return 1;
    // The supporter's start-up and its help window come first; then the main window is active.
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 5000 &&
           !(mainForm.SetSup()->HelpForm() && mainForm.SetSup()->HelpForm()->isVisible()))
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    if (THelpForm *const help = mainForm.SetSup()->HelpForm())
        help->close();
    mainForm.activateWindow();
    settle(200);

    // One member of each group, the eight "Protocol/Mode" rings first.
    QList<TBoardHighlight *> firsts;
    QStringList seen;
    const QList<TBoardHighlight *> all = Bench::highlightsOf(*board);
    for (TBoardHighlight *highlight : all) {
        if (highlight->Title() == QStringLiteral("Protocol/Mode") && firsts.isEmpty()) {
            firsts.append(highlight);
            seen << highlight->Title();
        }
    }
    for (TBoardHighlight *highlight : all) {
        if (!seen.contains(highlight->Title()) && highlight->CreatePopup()) {
            firsts.append(highlight);
            seen << highlight->Title();
        }
    }

    const QPoint away(2, mainForm.height() - 2);
    QTest::mouseMove(&mainForm, away);
    settle(50);
    for (TBoardHighlight *ring : std::as_const(firsts)) {
        const QList<TPopupForm *> before = mainForm.findChildren<TPopupForm *>();
        PopupPaintWatch watch;
        const QPoint centre = ring->mapTo(&mainForm, ring->rect().center());
        QElapsedTimer timer;
        timer.start();
        QTest::mouseMove(&mainForm, centre);
        // The reaction to the enter runs inside the move: the popup is built and shown by now.
        const double builtMs = Bench::msSince(timer);
        while (!watch.painted && timer.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        const double ms = Bench::msSince(timer);
        if (!watch.painted) {
            std::fprintf(stderr, "bench_hover_cold: no popup painted for \"%s\"\n",
                         qPrintable(ring->Title()));
            return 1;
        }
        // The start-up's first message may open a popup of its own meanwhile: count the ring's.
        TPopupForm *const built = ring->popup();
        if (!built || before.contains(built)) {
            std::fprintf(stderr, "bench_hover_cold: \"%s\" did not build a new popup\n",
                         qPrintable(ring->Title()));
            return 1;
        }
        std::printf("hover %.3f %.3f %s\n", ms, builtMs, qPrintable(ring->Title()));
        QTest::mouseMove(&mainForm, away);
        settle(100);
        if (TPopupForm *const popup = ring->popup())
            popup->close();
        settle(50);
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv);

    const auto [command, runs] = Bench::start(argc, argv, 10);
    QCoreApplication app(argc, argv);

    QList<double> first, later, firstBuilt, laterBuilt;
    QString firstTitle;
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        // The platform's messages go with the figures; they are shown only when a run fails.
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        const bool finished = process.waitForFinished(60000);
        const QByteArray output = process.readAll();
        if (!finished || process.exitCode() != 0) {
            std::fprintf(stderr, "bench_hover_cold: run %d failed\n%s", run + 1, output.constData());
            return 1;
        }
        const QList<QByteArray> lines = output.split('\n');
        bool isFirst = true;
        for (const QByteArray &line : lines) {
            if (!line.startsWith("hover "))
                continue;
            const QList<QByteArray> words = line.split(' ');
            const double ms = words.value(1).toDouble();
            const double builtMs = words.value(2).toDouble();
            if (isFirst) {
                first.append(ms);
                firstBuilt.append(builtMs);
                firstTitle = QString::fromUtf8(words.mid(3).join(' '));
            } else {
                later.append(ms);
                laterBuilt.append(builtMs);
            }
            isFirst = false;
        }
    }

    std::printf("First hover over a never-shown popup, until it is painted, %d fresh runs on %s\n", runs,
                qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM")));
    std::printf("  machine:               %s\n", qPrintable(Bench::machineSummary()));
    std::printf("  first popup of a run (\"%s\"): median %.2f ms, worst %.2f ms   (target: under 16 ms)\n",
                qPrintable(firstTitle), Bench::median(first), Bench::maximum(first));
    std::printf("    of which built and shown:  median %.2f ms\n", Bench::median(firstBuilt));
    std::printf("  later groups' first popups (%lld): median %.2f ms, worst %.2f ms\n",
                static_cast<long long>(later.size()), Bench::median(later), Bench::maximum(later));
    std::printf("    of which built and shown:  median %.2f ms\n", Bench::median(laterBuilt));
    std::printf("  reproduce with:        %s\n", qPrintable(command));
    return 0;
}
