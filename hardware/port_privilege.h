#pragma once

#include <QByteArrayView>

// Installed from the package, the program holds the port-access capability (cap_sys_rawio) for
// every user who starts it, so its environment comes from users who do not have that right. The
// loader already ignores LD_LIBRARY_PATH and the like then, but the toolkit does not: a variable
// such as QT_PLUGIN_PATH or GTK_MODULES would make it load code of the user's choosing with the
// capability. An elevated start therefore keeps only the variables that name the display, the
// user's session and locale, and the window system and scaling the toolkit should use.
class TPortPrivilege
{
public:
    // True when the process runs with more privilege than its user (file capability or
    // set-user-ID): the loader's secure-execution mode.
    static bool Elevated();
    // Whether an elevated process keeps the environment variable of this name.
    static bool KeepVariable(QByteArrayView name);
    // In an elevated process, removes every variable that KeepVariable refuses; nothing otherwise.
    // Must run before the application object is created.
    static void RestrictEnvironment();
};
