#include "message_box.h"

#include <QFontDatabase>
#include <QPointer>
#include <QTextEdit>

QMessageBox::StandardButton showMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                           const QString &text, QMessageBox::StandardButtons buttons,
                                           const MessageBoxExtras &extras)
{
    const QPointer<QMessageBox> box = new QMessageBox(icon, caption, text, buttons, parent, extras.flags);
    if (!extras.objectName.isEmpty())
        box->setObjectName(extras.objectName);
    if (extras.defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(extras.defaultButton);
    if (extras.escapeButton != QMessageBox::NoButton)
        box->setEscapeButton(extras.escapeButton);
    if (!extras.details.isEmpty()) {
        box->setDetailedText(extras.details);
        if (auto *detailsView = box->findChild<QTextEdit *>()) {
            detailsView->setLineWrapMode(QTextEdit::NoWrap);
            detailsView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        }
    }
    const int answer = box->exec();
    delete box.data();
    return QMessageBox::StandardButton(answer);
}
