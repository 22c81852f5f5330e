#include "main_form.h"
#include "port_privilege.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    // Started with the port capability, the program must not let its user's environment pick
    // the code Qt loads.
    TPortPrivilege::RestrictEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Settings"));
    TMainForm mainForm;
    // Fill the work area even where no window manager honours the maximised state.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        mainForm.setGeometry(screen->availableGeometry());
    mainForm.showMaximized();
    return app.exec();
}
