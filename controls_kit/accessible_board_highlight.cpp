#include "accessible_board_highlight.h"

#include "board_highlight.h"
#include "popup_form.h"

#include <QPointer>

TAccessibleBoardHighlight::TAccessibleBoardHighlight(TBoardHighlight *highlight)
    : QAccessibleWidget(highlight, QAccessible::Button)
{
}

TBoardHighlight *TAccessibleBoardHighlight::highlight() const
{
    return static_cast<TBoardHighlight *>(widget());
}

QString TAccessibleBoardHighlight::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && highlight()->accessibleName().isEmpty())
        return highlight()->PopupCaption();
    return QAccessibleWidget::text(t);
}

QAccessible::State TAccessibleBoardHighlight::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.hasPopup = highlight()->CreatePopup();
    state.hotTracked = highlight()->Hovered();
    return state;
}

QStringList TAccessibleBoardHighlight::actionNames() const
{
    if (!highlight()->isEnabled())
        return QAccessibleWidget::actionNames();
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void TAccessibleBoardHighlight::doAction(const QString &actionName)
{
    if (actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    // What the pointer does on the way: it enters (the popup opens), clicks (it is pinned and
    // focused) and leaves again (a pinned popup stays).
    const QPointer<TBoardHighlight> target = highlight();
    target->Enter(false);
    if (target)
        target->click();
    if (target)
        target->Leave(false);
}
