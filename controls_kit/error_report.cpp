#include "error_report.h"

#include "message_box.h"

void showException(const QString &message, QWidget *parent)
{
    TMessageBoxExtras extras;
    extras.objectName = QStringLiteral("ErrorReport");
    // The program's title. Not Qt's application display name: the window system would append
    // that to every window title.
    showMessageBox(parent, QMessageBox::Critical, QStringLiteral("Settings"), message, QMessageBox::Ok,
                   extras);
}
