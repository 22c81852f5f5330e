#include "first_complete_paint.h"

#include <cstdio>

#include "board_highlight.h"
#include "board_image.h"
#include "main_form.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QTimer>

#include <algorithm>

namespace Bench {

TBoardImage *boardOf(const TMainForm &form)
{
    return form.findChild<TBoardImage *>(QStringLiteral("BoardImage1"));
}

QList<TBoardHighlight *> highlightsOf(const TBoardImage &board)
{
    return board.findChildren<TBoardHighlight *>(Qt::FindDirectChildrenOnly);
}

TBoardImage *showUntilFirstPaint(TMainForm &form, const char *program)
{
    TBoardImage *const board = boardOf(form);
    FirstCompletePaint firstPaint(board);
    form.showMaximized();
    if (!board || !firstPaint.wait(30000)) {
        std::fprintf(stderr, "%s: the main window never completed its first paint\n", program);
        return nullptr;
    }
    return board;
}

FirstCompletePaint::FirstCompletePaint(TBoardImage *board, QObject *parent)
    : QObject(parent)
    , m_board(board)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool FirstCompletePaint::wait(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_reached && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return m_reached;
}

bool FirstCompletePaint::eventFilter(QObject *watched, QEvent *event)
{
    // The filter sees a paint before it is done; the check runs once the whole repaint of the
    // window (board picture and highlights together) has finished.
    if (!m_reached && !m_checkPending && event->type() == QEvent::Paint && watched == m_board) {
        m_checkPending = true;
        QTimer::singleShot(0, this, &FirstCompletePaint::check);
    }
    return QObject::eventFilter(watched, event);
}

void FirstCompletePaint::check()
{
    m_checkPending = false;
    if (m_reached || !m_board)
        return;
    const auto highlights = highlightsOf(*m_board);
    const bool allBuilt = !highlights.isEmpty() && std::all_of(highlights.cbegin(), highlights.cend(),
                                                               [](const TBoardHighlight *highlight) {
                                                                   return highlight->Initialized();
                                                               });
    if (!allBuilt)
        return;
    m_reached = true;
    QCoreApplication::instance()->removeEventFilter(this);
    emit reached();
}

} // namespace Bench
