#include "accessible_two_jumper.h"

#include "two_jumper.h"

#include <QLabel>

#include <cstdlib>
#include <limits>

TAccessibleTwoJumper::TAccessibleTwoJumper(TTwoJumper *glyph)
    : QAccessibleWidget(glyph, QAccessible::CheckBox)
{
}

TTwoJumper *TAccessibleTwoJumper::glyph() const
{
    return static_cast<TTwoJumper *>(widget());
}

const QLabel *TAccessibleTwoJumper::labelOf(const TTwoJumper *glyph)
{
    const QWidget *parent = glyph->parentWidget();
    if (!parent)
        return nullptr;
    const QRect own = glyph->geometry();
    const QPoint centre = own.center();
    const QLabel *above = nullptr;
    const QLabel *left = nullptr;
    int aboveGap = std::numeric_limits<int>::max();
    int leftGap = std::numeric_limits<int>::max();
    for (const QObject *child : parent->children()) {
        const auto *label = qobject_cast<const QLabel *>(child);
        if (!label || label->text().isEmpty())
            continue;
        // Lined up with the glyph's middle, above it or to its left; the nearest one counts.
        const QRect box = label->geometry();
        if (std::abs(box.center().x() - centre.x()) <= own.width() / 4 && box.center().y() < own.top() &&
            own.top() - box.bottom() < aboveGap) {
            aboveGap = own.top() - box.bottom();
            above = label;
        }
        if (std::abs(box.center().y() - centre.y()) <= own.height() / 4 && box.center().x() < own.left() &&
            own.left() - box.right() < leftGap) {
            leftGap = own.left() - box.right();
            left = label;
        }
    }
    // A standing glyph sits in a row under its labels, a lying one in a column beside them; the
    // other side is a column heading or a row title.
    if (own.height() > own.width())
        return above ? above : left;
    return left ? left : above;
}

QString TAccessibleTwoJumper::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        if (!glyph()->accessibleName().isEmpty())
            return glyph()->accessibleName();
        if (const QLabel *label = labelOf(glyph())) {
            QString name = label->text();
            return name.remove(QLatin1Char('&'));
        }
        return {};
    case QAccessible::Description:
        // Spoken after the name, so the listener hears the jumper's own words for the state.
        if (!glyph()->accessibleDescription().isEmpty())
            return glyph()->accessibleDescription();
        return glyph()->Closed() ? QStringLiteral("fitted") : QStringLiteral("not fitted");
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State TAccessibleTwoJumper::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = glyph()->Closed();
    return state;
}

QStringList TAccessibleTwoJumper::actionNames() const
{
    // A mirror cannot be clicked, so it offers nothing to do.
    if (!glyph()->isEnabled())
        return QAccessibleWidget::actionNames();
    return QStringList{pressAction(), toggleAction()} + QAccessibleWidget::actionNames();
}

void TAccessibleTwoJumper::doAction(const QString &actionName)
{
    if (actionName == pressAction() || actionName == toggleAction()) {
        // Exactly a user's click: the toggle, the panel's radio selection and the click handler.
        glyph()->click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QStringList TAccessibleTwoJumper::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == pressAction() || actionName == toggleAction())
        return {QStringLiteral("Space")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
