#include "anchor_item.h"

#include "anchor_keeper.h"

#include <QEvent>
#include <QWidget>

#include <cstdint>

namespace {

// a * b / c taken to the nearest integer, halves away from zero; c must be positive.
int mulDiv(int a, int b, int c)
{
    const std::int64_t product = std::int64_t(a) * b;
    if (product < 0)
        return int(-((-product + c / 2) / c));
    return int((product + c / 2) / c);
}

// One axis of the placement: the reference start and length, the parent's reference and current
// length, and whether the near and far edges are anchored. Returns the new start and length.
std::pair<int, int> placeAxis(int start, int length, int refParent, int parent, bool nearEdge, bool farEdge)
{
    const int grow = parent - refParent;
    if (nearEdge && farEdge)
        return {start, std::max(0, length + grow)};
    if (nearEdge)
        return {start, length};
    if (farEdge)
        return {start + grow, length};
    if (refParent <= 0)
        return {start, length};
    // Neither edge: the centre keeps its proportional place.
    const int centre = start + length / 2;
    return {mulDiv(centre, parent, refParent) - length / 2, length};
}

} // namespace

AnchorItem::AnchorItem(QWidget *widget)
    : QObject(widget)
    , m_widget(widget)
{
    widget->installEventFilter(this);
}

AnchorItem *AnchorItem::find(const QWidget *widget)
{
    return widget ? widget->findChild<AnchorItem *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void AnchorItem::setAnchors(TAnchors anchors)
{
    m_anchors = anchors;
    QWidget *const parent = m_widget->parentWidget();
    if (parent && !m_widget->isWindow())
        AnchorKeeper::of(parent);
    takeReference(parent ? parent->size() : QSize());
}

void AnchorItem::takeReference(const QSize &parentSize)
{
    m_reference = m_applied = m_widget->geometry();
    m_referenceParent = m_lastParent = parentSize;
}

void AnchorItem::parentResized()
{
    QWidget *const parent = m_widget->parentWidget();
    if (!parent || m_widget->isWindow())
        return;
    const QSize parentSize = parent->size();
    if (!m_referenceParent.isValid()) {
        takeReference(parentSize);
        return;
    }
    // Moved by code while nobody was watching (a hidden widget gets its move events late): that
    // geometry belongs to the parent size last seen.
    if (m_widget->geometry() != m_applied)
        takeReference(m_lastParent);

    const QRect target = placed(parentSize);
    m_applying = true;
    m_widget->setGeometry(target);
    m_applying = false;
    m_applied = m_widget->geometry();
    m_lastParent = parentSize;
}

QRect AnchorItem::placed(const QSize &parentSize) const
{
    const auto [x, width] =
        placeAxis(m_reference.x(), m_reference.width(), m_referenceParent.width(), parentSize.width(),
                  m_anchors.testFlag(Anchors::akLeft), m_anchors.testFlag(Anchors::akRight));
    const auto [y, height] =
        placeAxis(m_reference.y(), m_reference.height(), m_referenceParent.height(), parentSize.height(),
                  m_anchors.testFlag(Anchors::akTop), m_anchors.testFlag(Anchors::akBottom));
    return QRect(x, y, width, height);
}

bool AnchorItem::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_widget)
        return false;
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        if (!m_applying && m_widget->geometry() != m_applied) {
            QWidget *const parent = m_widget->parentWidget();
            takeReference(parent ? parent->size() : QSize());
        }
        break;
    case QEvent::ParentChange: {
        // A new parent: start afresh from where the widget now stands in it.
        QWidget *const parent = m_widget->parentWidget();
        if (parent && !m_widget->isWindow())
            AnchorKeeper::of(parent);
        takeReference(parent ? parent->size() : QSize());
        break;
    }
    default:
        break;
    }
    return false;
}
