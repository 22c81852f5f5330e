#include "window_placement.h"

#include <QGuiApplication>

namespace WindowPlacement {

bool clientPlacesWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QByteArray preferredPlatform(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            return QByteArray();
    }
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
        qEnvironmentVariableIsEmpty("DISPLAY"))
        return QByteArray();
    return QByteArrayLiteral("xcb;wayland");
}

} // namespace WindowPlacement
