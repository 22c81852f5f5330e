#include "main_form.h"
#include "port_privilege.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    // The program holds no privilege (the port helper does); should someone start it with one
    // all the same, its user's environment must not pick the code Qt loads.
    TPortPrivilege::RestrictEnvironment();
    QApplication app(argc, argv);
    TMainForm mainForm;
    // Fill the work area even where no window manager honours the maximised state.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        mainForm.setGeometry(screen->availableGeometry());
    mainForm.showMaximized();
    return app.exec();
}
