#pragma once

#include "anchors.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class QWidget;

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
