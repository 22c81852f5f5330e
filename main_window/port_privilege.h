#pragma once

#include <QByteArrayView>

// The program is installed without privilege: only the port helper holds the port capability.
// This is the second line, for a program that an administrator has given a file capability or
// set-user-ID all the same. Its environment then comes from users who do not have that right. The
// loader ignores LD_LIBRARY_PATH and the like, but the toolkit does not: a variable such as
// QT_PLUGIN_PATH or GTK_MODULES would make it load code of the user's choosing with the privilege.
// An elevated start therefore keeps only the variables that name the display, the user's session
// and locale, and the window system and scaling the toolkit should use. (The command line and
// kept variables such as HOME still reach the toolkit: this is no reason to elevate the program.)
namespace PortPrivilege {

// True when the process runs with more privilege than its user (file capability or set-user-ID):
// the loader's secure-execution mode.
bool elevated();
// Whether an elevated process keeps the environment variable of this name.
bool keepVariable(QByteArrayView name);
// In an elevated process, removes every variable that keepVariable refuses; nothing otherwise.
// Must run before the application object is created.
void restrictEnvironment();

} // namespace PortPrivilege
