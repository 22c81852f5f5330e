#include "port_privilege.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <cstdlib>
#include <cstring>
#include <sys/auxv.h>

extern char **environ;

namespace {

// Where the display and the session bus are, who the user is, and the language; the Qt variables
// here choose the window system and sizes, none names a path to load from. The desktop's name
// and theme variables are left out on purpose: they make Qt load a platform theme such as the
// GTK one, which takes modules from the user's own settings files.
constexpr std::array<const char *, 21> KeptNames{"DISPLAY",
                                                 "WAYLAND_DISPLAY",
                                                 "XAUTHORITY",
                                                 "XDG_RUNTIME_DIR",
                                                 "XDG_SESSION_TYPE",
                                                 "DBUS_SESSION_BUS_ADDRESS",
                                                 "HOME",
                                                 "USER",
                                                 "LOGNAME",
                                                 "LANG",
                                                 "LANGUAGE",
                                                 "TZ",
                                                 "QT_QPA_PLATFORM",
                                                 "QT_ACCESSIBILITY",
                                                 "QT_LINUX_ACCESSIBILITY_ALWAYS_ON",
                                                 "QT_SCALE_FACTOR",
                                                 "QT_SCREEN_SCALE_FACTORS",
                                                 "QT_AUTO_SCREEN_SCALE_FACTOR",
                                                 "QT_ENABLE_HIGHDPI_SCALING",
                                                 "QT_SCALE_FACTOR_ROUNDING_POLICY",
                                                 "QT_FONT_DPI"};

} // namespace

namespace PortPrivilege {

bool elevated()
{
    return getauxval(AT_SECURE) != 0;
}

bool keepVariable(QByteArrayView name)
{
    if (name.startsWith("LC_") && name.size() > 3)
        return true;
    for (const char *kept : KeptNames) {
        if (name == QByteArrayView(kept))
            return true;
    }
    return false;
}

void restrictEnvironment()
{
    if (!elevated())
        return;
    // Collect first: unsetenv changes the array being walked.
    QList<QByteArray> refused;
    for (char **entry = environ; entry && *entry; ++entry) {
        const char *equals = std::strchr(*entry, '=');
        const QByteArray name = equals ? QByteArray(*entry, equals - *entry) : QByteArray(*entry);
        if (!keepVariable(name))
            refused.append(name);
    }
    for (const QByteArray &name : std::as_const(refused))
        unsetenv(name.constData());
}

} // namespace PortPrivilege
