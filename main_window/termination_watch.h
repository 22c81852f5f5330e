#pragma once

// Ends the program as its user would when the session or a terminal asks it to (SIGTERM, SIGINT,
// SIGHUP): every window is closed, the main window after a port-resource write that is under way,
// and the program then exits normally instead of being killed mid-write.
namespace TerminationWatch {

// Installs the signal handlers; call once the main window is shown.
void closeWindowsOnSignal();

} // namespace TerminationWatch
