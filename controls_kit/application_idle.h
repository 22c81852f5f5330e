#pragma once

#include <functional>

class QObject;

// The application's idle notification: one handler, called with the application as sender when
// the event queue has run empty and every shown window has had its first paint. A handler that
// leaves Done false is called again at once; one that leaves it true (the default) is called again
// after the next wait for events. A handler may replace or clear itself while it runs.
namespace ApplicationIdle {
using Handler = std::function<void(QObject *Sender, bool &Done)>;

void setOnIdle(Handler handler);
bool hasOnIdle();
} // namespace ApplicationIdle
