#include "main_form.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Settings"));
    TMainForm mainForm;
    mainForm.showMaximized();
    return app.exec();
}
