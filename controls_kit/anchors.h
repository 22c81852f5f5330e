#pragma once

#include <QFlags>
#include <QObject>

class QWidget;

// The sides of its parent that a child keeps its distance to when the parent is resized.
namespace Anchors {
Q_NAMESPACE
enum Side { akLeft = 0x1, akTop = 0x2, akRight = 0x4, akBottom = 0x8 };
Q_DECLARE_FLAGS(TAnchors, Side)
Q_FLAG_NS(TAnchors)
} // namespace Anchors
Q_DECLARE_OPERATORS_FOR_FLAGS(Anchors::TAnchors)

using TAnchors = Anchors::TAnchors;

// Qt has no anchors of its own. These keep, for every anchored child, its distances to the
// anchored edges of its parent whenever the parent resizes: anchored left and right, the child
// stretches; anchored on neither horizontal side, it keeps its proportional place (it stays
// centred if it was centred); the same for top and bottom. Moving or resizing the child from
// code takes the new geometry as the reference from then on.
namespace Anchoring {
void setAnchors(QWidget *child, TAnchors anchors);
TAnchors anchors(const QWidget *child); // akLeft | akTop for a child never anchored
// Places the anchored children of parent for its current size at once. A hidden widget gets no
// resize events until it is shown; call this after resizing one whose children must be in place
// before that.
void realign(QWidget *parent);
} // namespace Anchoring
