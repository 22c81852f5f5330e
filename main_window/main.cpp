#include "main_form.h"
#include "port_privilege.h"
#include "program_options.h"
#include "termination_watch.h"
#include "window_placement.h"

#include <QApplication>
#include <QScreen>

#include <vector>

int main(int argc, char *argv[])
{
    // The program holds no privilege (the port helper does); should someone start it with one
    // all the same, its user's environment must not pick the code Qt loads.
    PortPrivilege::restrictEnvironment();
    if (const std::optional<int> answered = ProgramOptions::answer(argc, argv))
        return *answered;
    // The preferred platform goes in as an argument, so that programs started from this one
    // inherit no choice of it.
    QByteArray platform = WindowPlacement::preferredPlatform(argc, argv);
    char platformOption[] = "-platform";
    std::vector<char *> arguments(argv, argv + argc);
    if (!platform.isEmpty()) {
        arguments.push_back(platformOption);
        arguments.push_back(platform.data());
    }
    int count = int(arguments.size());
    arguments.push_back(nullptr);
    QApplication app(count, arguments.data());
    TMainForm mainForm;
    // Fill the work area even where no window manager honours the maximised state; where the
    // compositor places and sizes windows itself, the maximised state is left to it.
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen && WindowPlacement::clientPlacesWindows())
        mainForm.setGeometry(screen->availableGeometry());
    mainForm.showMaximized();
    // From here on the windows are closed when the session asks the program to end (before, the
    // start-up checks may still hold a modal box, and the default ending is as good).
    TerminationWatch::closeWindowsOnSignal();
    return app.exec();
}
