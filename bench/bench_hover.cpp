// The pointer entering and leaving one of the eight "Protocol/Mode" highlights once their popup
// exists: how long the whole group takes to repaint lit and back to idle, and the whole reaction
// including showing and hiding the popup.
//
//   build/bench/bench_hover [-n RUNS]
//
// Target: the group's repaint work under 1 ms.
#include "bench_support.h"
#include "board_highlight.h"
#include "board_image.h"
#include "first_complete_paint.h"
#include "main_form.h"
#include "popup_form.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QScreen>

#include <cstdio>
#include <cstring>

namespace {

// Counts the paints that the group's members receive.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(const QList<TBoardHighlight *> &members)
    {
        for (TBoardHighlight *member : members)
            member->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

// Delivers the main window's pending repaint: what the event loop does next after a change of
// the highlights' state. The popup, a window of its own, is not part of it.
void deliverRepaint(QWidget *window)
{
    QCoreApplication::sendPostedEvents(window, QEvent::UpdateRequest);
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char *argv[])
{
    const auto [command, runs] = Bench::start(argc, argv, 200);

    QApplication app(argc, argv);
    TMainForm mainForm;
    TBoardImage *const board = Bench::showUntilFirstPaint(mainForm, "bench_hover");
    if (!board)
        return 1;
    QList<TBoardHighlight *> group;
    for (TBoardHighlight *highlight : Bench::highlightsOf(*board)) {
        if (highlight->Title() == QStringLiteral("Protocol/Mode"))
            group.append(highlight);
    }
    if (group.size() != 8) {
        std::fprintf(stderr, "bench_hover: expected 8 \"Protocol/Mode\" highlights, found %lld\n",
                     static_cast<long long>(group.size()));
        return 1;
    }
    TBoardHighlight *ring = group.at(3);

    // Make the popup once, then keep the pointer where neither the popup nor a ring is, so that
    // leaving closes the popup rather than pinning it.
    ring->Enter(false);
    settle();
    const TPopupForm *popup = nullptr;
    for (const TBoardHighlight *member : group) {
        if (member->popup())
            popup = member->popup();
    }
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QPoint away = screen.bottomRight();
    if (popup && popup->frameGeometry().contains(away))
        away = screen.topLeft();
    QCursor::setPos(away);
    ring->Leave(false);
    settle();
    if (!popup || ring->Hovered() || ring->Pinned()) {
        std::fprintf(stderr, "bench_hover: the group's popup was not made, or did not close on leaving\n");
        return 1;
    }

    PaintCounter paints(group);
    QList<double> litRepaint, idleRepaint, enterWhole, leaveWhole;
    int missedPaints = 0;
    // The window's pending repaint delivered and timed into figures.
    const auto timeRepaint = [&](QList<double> &figures) {
        paints.count = 0;
        QElapsedTimer timer;
        timer.start();
        deliverRepaint(&mainForm);
        figures.append(Bench::msSince(timer));
        missedPaints += paints.count < group.size();
        settle();
    };
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;

        // The whole reaction, as the pointer causes it: state, popup, repaint.
        timer.start();
        ring->Enter(false);
        settle();
        enterWhole.append(Bench::msSince(timer));
        timer.restart();
        ring->Leave(false);
        settle();
        leaveWhole.append(Bench::msSince(timer));

        // The repaint work alone: the group's state changes, then the window's pending repaint
        // is delivered.
        for (TBoardHighlight *member : group)
            member->update();
        settle();
        ring->Enter(false);
        timeRepaint(litRepaint);
        ring->Leave(false);
        timeRepaint(idleRepaint);
    }

    std::printf("Hover over one of the 8 \"Protocol/Mode\" highlights, popup already made, %d runs\n", runs);
    std::printf("  machine:              %s\n", qPrintable(Bench::machineSummary()));
    std::printf("  group repaint, lit:   median %.3f ms, worst %.3f ms   (target: under 1 ms)\n",
                Bench::median(litRepaint), Bench::maximum(litRepaint));
    std::printf("  group repaint, idle:  median %.3f ms, worst %.3f ms   (target: under 1 ms)\n",
                Bench::median(idleRepaint), Bench::maximum(idleRepaint));
    std::printf("  whole enter (popup shown): median %.3f ms\n", Bench::median(enterWhole));
    std::printf("  whole leave (popup hidden): median %.3f ms\n", Bench::median(leaveWhole));
    if (missedPaints)
        std::printf("  note: %d repaints did not reach all 8 members at once\n", missedPaints);
    std::printf("  reproduce with:       %s\n", qPrintable(command));
    return 0;
}
