#include "error_report.h"

#include <QApplication>
#include <QMessageBox>

void ShowException(const QString &message, QWidget *parent)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), message, QMessageBox::Ok,
                    parent);
    box.setObjectName(QStringLiteral("ErrorReport"));
    box.exec();
}
