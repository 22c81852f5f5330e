#include "kit_accessibility.h"

#include "accessible_board_highlight.h"
#include "accessible_two_jumper.h"
#include "board_highlight.h"
#include "two_jumper.h"

#include <QAccessibleWidget>

namespace {

// Called for each class of an object's inheritance chain, most derived first, so a subclass of a
// kit control is described as the control it extends.
QAccessibleInterface *kitInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("TTwoJumper"))
        return new TAccessibleTwoJumper(static_cast<TTwoJumper *>(object));
    if (className == QLatin1String("TBoardHighlight"))
        return new TAccessibleBoardHighlight(static_cast<TBoardHighlight *>(object));
    // The highlights are its children already; the picture itself is nothing to act on.
    if (className == QLatin1String("TBoardImage"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Grouping);
    // A plain widget that is a window would pass for a window's client area.
    if (className == QLatin1String("TPopupForm"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
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
