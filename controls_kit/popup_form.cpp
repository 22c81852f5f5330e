#include "popup_form.h"

#include "board_highlight.h"

#include <QCloseEvent>
#include <QCursor>

TPopupForm::TPopupForm(TBoardHighlight *owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_highlight(owner)
{
    // Closing only hides the popup: it and the panel inside it live as long as the highlight.
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void TPopupForm::closeEvent(QCloseEvent *event)
{
    // The group must be idle and the check mark gone before the window disappears.
    emit OnClose(this);
    event->accept();
}

void TPopupForm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        const bool active = isActiveWindow();
        if (m_highlight)
            m_highlight->SetActive(active, true);
        if (active)
            emit OnActivate(this);
        else
            emit OnDeactivate(this);
    }
    QWidget::changeEvent(event);
}

void TPopupForm::leaveEvent(QEvent *event)
{
    // QRect::contains takes left and top in and right and bottom out, as the test needs.
    if (m_closeOnLeave && !frameGeometry().contains(QCursor::pos())) {
        close();
        return;
    }
    QWidget::leaveEvent(event);
}
