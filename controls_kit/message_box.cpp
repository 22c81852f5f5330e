#include "message_box.h"

#include <QFontDatabase>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>

QMessageBox::StandardButton showMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                           const QString &text, QMessageBox::StandardButtons buttons,
                                           const TMessageBoxExtras &extras)
{
    const QPointer<QMessageBox> box =
        new QMessageBox(icon, caption, QString(), buttons, parent, extras.flags);
    box->setTextFormat(extras.textFormat);
    box->setText(text);
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
    QPushButton *const action =
        extras.actionText.isEmpty() ? nullptr : box->addButton(extras.actionText, QMessageBox::ActionRole);
    const int answer = box->exec();
    const bool acted = box && action && box->clickedButton() == action;
    delete box.data();
    if (extras.actionChosen)
        *extras.actionChosen = acted;
    return acted ? QMessageBox::NoButton : QMessageBox::StandardButton(answer);
}
