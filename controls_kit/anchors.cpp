#include "anchors.h"

#include <QEvent>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <cstdint>

namespace Anchoring {

// The anchoring state of one child widget: its anchors and the geometry it had, together with its
// parent's size, when that geometry was last chosen by code. Lives as a child of the anchored
// widget, so it follows the widget to a new parent and dies with it.
class AnchorItem : public QObject
{
    Q_OBJECT
public:
    explicit AnchorItem(QWidget *widget);

    // The item of the widget, or null when the widget was never anchored.
    static AnchorItem *find(const QWidget *widget);

    TAnchors anchors() const { return m_anchors; }
    // Sets the anchors and takes the current geometry and parent size as the new reference.
    void setAnchors(TAnchors anchors);
    // Places the widget for its parent's current size.
    void parentResized();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void takeReference(const QSize &parentSize);
    void adoptCodeGeometry(const QSize &parentSize);
    QRect placed(const QSize &parentSize) const;

    QWidget *const m_widget;
    TAnchors m_anchors = Anchors::akLeft | Anchors::akTop;
    QRect m_reference;       // geometry chosen by code
    QSize m_referenceParent; // the parent's size at that moment
    QRect m_applied;         // the geometry the widget had when last looked at
    QSize m_lastParent;      // the parent's size when last looked at
    bool m_applying = false;
};

// Watches one parent widget and re-places its anchored children whenever it is resized. A child
// of the parent it watches; it holds no per-child state, so children may come and go freely.
class AnchorKeeper : public QObject
{
    Q_OBJECT
public:
    // The keeper of the parent, created on first use.
    static AnchorKeeper *of(QWidget *parent);

    // Re-places every anchored child for the parent's current size.
    void realign();
    // The same for any parent, whether it has a keeper or not.
    static void realignChildren(QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit AnchorKeeper(QWidget *parent);

    QWidget *const m_parent;
};

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

void setAnchors(QWidget *child, TAnchors anchors)
{
    if (!child)
        return;
    AnchorItem *item = AnchorItem::find(child);
    if (!item) {
        // Left and top is where every child stays anyway: no need to watch it.
        if (anchors == (Anchors::akLeft | Anchors::akTop))
            return;
        item = new AnchorItem(child);
    }
    item->setAnchors(anchors);
}

TAnchors anchors(const QWidget *child)
{
    if (const AnchorItem *item = AnchorItem::find(child))
        return item->anchors();
    return Anchors::akLeft | Anchors::akTop;
}

void realign(QWidget *parent)
{
    AnchorKeeper::realignChildren(parent);
}

} // namespace Anchoring

#include "anchors.moc"
