#include "error_report.h"

#include <QMessageBox>

void ShowException(const QString &message, QWidget *parent)
{
    // The program's title. Not Qt's application display name: the window system would append
    // that to every window title.
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Settings"), message, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorReport"));
    box.exec();
}
