#include "anchor_keeper.h"

#include "anchor_item.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

AnchorKeeper::AnchorKeeper(QWidget *parent)
    : QObject(parent)
    , m_parent(parent)
{
    parent->installEventFilter(this);
}

AnchorKeeper *AnchorKeeper::of(QWidget *parent)
{
    if (auto *keeper = parent->findChild<AnchorKeeper *>(QString(), Qt::FindDirectChildrenOnly))
        return keeper;
    return new AnchorKeeper(parent);
}

void AnchorKeeper::realign()
{
    realignChildren(m_parent);
}

void AnchorKeeper::realignChildren(QWidget *parent)
{
    if (!parent)
        return;
    // A child's move may run code that adds or removes children: walk a guarded copy.
    QList<QPointer<QWidget>> children;
    for (QObject *child : parent->children()) {
        if (auto *widget = qobject_cast<QWidget *>(child); widget && !widget->isWindow())
            children.append(widget);
    }
    for (const QPointer<QWidget> &child : std::as_const(children)) {
        if (!child || child->parentWidget() != parent)
            continue;
        if (AnchorItem *item = AnchorItem::find(child))
            item->parentResized();
    }
}

bool AnchorKeeper::eventFilter(QObject *watched, QEvent *event)
{
    // The filter runs before the parent's own resize handler, which thus sees its children placed.
    if (watched == m_parent && event->type() == QEvent::Resize)
        realign();
    return false;
}
