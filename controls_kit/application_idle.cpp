#include "application_idle.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

// How long a new handler waits at most for the loop to block before it runs anyway: a loop that
// never waits for events (a nested processEvents() loop) has idle moments too.
constexpr int UnblockedIdleMs = 50;
// How long a shown window may keep the handler waiting for its first paint: a window that the
// platform never exposes (minimised, on another desktop) must not hold it back for ever.
constexpr int FirstPaintWaitMs = 1000;

// A handler runs when the event loop next gets ready to wait for events (the dispatcher's
// aboutToBlock), and never while a shown window still waits for its first paint: the windows the
// user looks at come first. After a run that left Done true the hook waits until the
// loop has blocked for events once, so that a handler kept installed does not spin the processor.
class IdleHook : public QObject
{
public:
    explicit IdleHook(QObject *parent)
        : QObject(parent)
    {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, &IdleHook::run);
    }

    void setHandler(ApplicationIdle::Handler handler)
    {
        m_handler = std::move(handler);
        watchDispatcher();
        // A new handler runs on the next idle moment.
        m_blockedSinceRun = true;
        if (m_handler)
            m_timer.start(UnblockedIdleMs);
        else
            m_timer.stop();
    }

    bool hasHandler() const { return bool(m_handler); }

private:
    void watchDispatcher()
    {
        QAbstractEventDispatcher *const dispatcher = QAbstractEventDispatcher::instance(thread());
        if (!dispatcher || dispatcher == m_dispatcher)
            return;
        m_dispatcher = dispatcher;
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &IdleHook::aboutToBlock);
    }

    // A shown window that has not been exposed yet, and so has not had its first paint.
    bool windowAwaitsFirstPaint()
    {
        const QWidgetList windows = QApplication::topLevelWidgets();
        const bool awaits = std::any_of(windows.cbegin(), windows.cend(), [](const QWidget *window) {
            return window->isVisible() && !window->testAttribute(Qt::WA_Mapped) && !window->isMinimized();
        });
        if (!awaits) {
            m_awaitingSince.invalidate();
            return false;
        }
        if (!m_awaitingSince.isValid())
            m_awaitingSince.start();
        return !m_awaitingSince.hasExpired(FirstPaintWaitMs);
    }

    void aboutToBlock()
    {
        if (!m_handler || (m_timer.isActive() && m_timer.interval() == 0) || QGuiApplication::modalWindow() ||
            windowAwaitsFirstPaint())
            return;
        if (m_blockedSinceRun)
            m_timer.start(0);
        else
            m_blockedSinceRun = true; // let the loop wait for a real event first
    }

    void run()
    {
        if (!m_handler)
            return;
        // A modal box runs a loop of its own: the application is not idle until it is answered
        // (the start-up warning must not be covered by windows the handler builds). A window
        // about to be painted for the first time is not idle either.
        if (QGuiApplication::modalWindow() || windowAwaitsFirstPaint()) {
            m_timer.start(UnblockedIdleMs);
            return;
        }
        // A copy: the handler may replace or clear itself while it runs.
        const ApplicationIdle::Handler handler = m_handler;
        bool done = true;
        m_blockedSinceRun = false;
        handler(QCoreApplication::instance(), done);
        if (!done && m_handler)
            m_timer.start(0);
    }

    ApplicationIdle::Handler m_handler;
    QTimer m_timer;
    QPointer<QAbstractEventDispatcher> m_dispatcher;
    QElapsedTimer m_awaitingSince;
    bool m_blockedSinceRun = false;
};

IdleHook *hook(bool create)
{
    // The application's one idle handler lives with the application object.
    static QPointer<IdleHook> instance;
    if (!instance && create && QCoreApplication::instance())
        instance = new IdleHook(QCoreApplication::instance());
    return instance;
}

} // namespace

namespace ApplicationIdle {

void setOnIdle(Handler handler)
{
    if (IdleHook *const h = hook(bool(handler)))
        h->setHandler(std::move(handler));
}

bool hasOnIdle()
{
    const IdleHook *const h = hook(false);
    return h && h->hasHandler();
}

} // namespace ApplicationIdle
