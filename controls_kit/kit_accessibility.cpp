#include "kit_accessibility.h"

#include "accessible_board_highlight.h"
#include "accessible_two_jumper.h"
#include "board_highlight.h"
#include "board_image.h"
#include "popup_form.h"
#include "two_jumper.h"

#include <QAccessibleWidget>

namespace {

// Qt calls this for each class of an object's inheritance chain, most derived first. The object's
// type answers at the first call, so a subclass of a kit control is described as the control it
// extends; no kit control derives from another.
QAccessibleInterface *kitInterface(const QString &, QObject *object)
{
    if (auto *jumper = qobject_cast<TTwoJumper *>(object))
        return new TAccessibleTwoJumper(jumper);
    if (auto *highlight = qobject_cast<TBoardHighlight *>(object))
        return new TAccessibleBoardHighlight(highlight);
    // The highlights are its children already; the picture itself is nothing to act on.
    if (auto *board = qobject_cast<TBoardImage *>(object))
        return new QAccessibleWidget(board, QAccessible::Grouping);
    // A plain widget that is a window would pass for a window's client area.
    if (auto *popup = qobject_cast<TPopupForm *>(object))
        return new QAccessibleWidget(popup, QAccessible::Window);
    return nullptr;
}

} // namespace

void KitAccessibility::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(kitInterface);
        return true;
    }();
    Q_UNUSED(installed)
}
