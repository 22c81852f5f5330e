#include "application_idle.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>

namespace {

// Runs the handler from a zero-interval timer, which fires once every pending event has been
// delivered. After a run that left Done true the hook waits until the loop has blocked for
// events once, so that a handler kept installed does not spin the processor.
class IdleHook : public QObject
{
public:
    explicit IdleHook(QObject *parent)
        : QObject(parent)
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, &IdleHook::run);
    }

    void setHandler(ApplicationIdle::Handler handler)
    {
        m_handler = std::move(handler);
        watchDispatcher();
        m_blockedSinceRun = false;
        if (m_handler)
            m_timer.start();
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

    void aboutToBlock()
    {
        if (!m_handler || m_timer.isActive() || QGuiApplication::modalWindow())
            return;
        if (m_blockedSinceRun)
            m_timer.start();
        else
            m_blockedSinceRun = true; // let the loop wait for a real event first
    }

    void run()
    {
        if (!m_handler)
            return;
        // A modal box runs a loop of its own: the application is not idle until it is answered
        // (the start-up warning must not be covered by windows the handler builds).
        if (QGuiApplication::modalWindow()) {
            QTimer::singleShot(50, this, [this] {
                if (m_handler && !m_timer.isActive())
                    m_timer.start();
            });
            return;
        }
        // A copy: the handler may replace or clear itself while it runs.
        const ApplicationIdle::Handler handler = m_handler;
        bool done = true;
        m_blockedSinceRun = false;
        handler(QCoreApplication::instance(), done);
        if (!done && m_handler)
            m_timer.start();
    }

    ApplicationIdle::Handler m_handler;
    QTimer m_timer;
    QPointer<QAbstractEventDispatcher> m_dispatcher;
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
