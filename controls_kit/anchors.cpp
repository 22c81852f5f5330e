#include "anchors.h"

#include "anchor_item.h"
#include "anchor_keeper.h"

#include <QWidget>

namespace Anchoring {

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
