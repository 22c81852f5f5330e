#pragma once

#include <QByteArray>

// What the window system lets the program decide about where its windows go.
namespace WindowPlacement {

// Whether the program may place its top-level windows itself. Wayland lets no client place one:
// the compositor does, and sizes a maximised window itself too.
bool clientPlacesWindows();

// The platform the program asks Qt for when its user named none, neither in QT_QPA_PLATFORM nor
// with -platform among the arguments (empty: Qt's own choice). In a Wayland session that also
// offers X11 (DISPLAY set), that is xcb, whose window placement the hover design needs; Wayland
// stays the fallback should the X server not answer.
QByteArray preferredPlatform(int argc, const char *const *argv);

} // namespace WindowPlacement
