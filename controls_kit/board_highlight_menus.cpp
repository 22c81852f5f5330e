// The highlights' menus in the main menu bar, their check marks, and the Previous/Next walk
// through the items of a type menu.
#include "board_highlight.h"

#include "kit_objects.h"
#include "menu_item.h"
#include "popup_form.h"

#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace {

struct TypeMenu
{
    const char *caption;
    const char *nameBase;
    QStringList insertBefore;
};

TypeMenu typeMenuOf(TBoardHighlight::THighlightType type)
{
    switch (type) {
    case TBoardHighlight::htOptions:
        return {"&Options", "Options", {QStringLiteral("&Help")}};
    case TBoardHighlight::htCalibration:
        return {"&Calibration", "Calibration", {QStringLiteral("&Options"), QStringLiteral("&Help")}};
    case TBoardHighlight::htSettings:
        break;
    }
    return {"&Settings",
            "Settings",
            {QStringLiteral("&Calibration"), QStringLiteral("&Options"), QStringLiteral("&Help")}};
}

// The base followed by the smallest number from 1 up that no component of owner carries yet.
QString freeName(const QObject *owner, const QString &base)
{
    for (int n = 1;; ++n) {
        const QString name = base + QString::number(n);
        if (!owner || (owner->objectName() != name && !owner->findChild<QObject *>(name)))
            return name;
    }
}

} // namespace

void TBoardHighlight::registerMenuItem()
{
    if (!m_menu)
        return;
    const TypeMenu type = typeMenuOf(m_highlightType);
    const QString caption = QLatin1String(type.caption);
    const QList<QAction *> topLevel = m_menu->actions();
    for (QAction *top : topLevel) {
        if (top->text() != caption || !top->menu())
            continue;
        QMenu *const typeMenu = top->menu();
        const QList<QAction *> items = typeMenu->actions();
        const bool registered = std::any_of(items.begin(), items.end(),
                                            [this](const QAction *item) { return item->text() == m_title; });
        if (!registered && !m_title.isEmpty())
            addMenuItem(typeMenu);
        return;
    }

    QObject *const owner = menuOwner();
    auto *typeMenu = new QMenu(caption, qobject_cast<QWidget *>(owner));
    typeMenu->setObjectName(freeName(owner, QLatin1String(type.nameBase)));
    QAction *before = nullptr;
    for (QAction *top : topLevel) {
        if (type.insertBefore.contains(top->text())) {
            before = top;
            break;
        }
    }
    m_menu->insertMenu(before, typeMenu);
    if (!m_title.isEmpty())
        addMenuItem(typeMenu);
}

QObject *TBoardHighlight::menuOwner() const
{
    if (!m_menu)
        return nullptr;
    // The window that carries the menu bar owns what is added to it.
    if (QWidget *window = m_menu->parentWidget())
        return window;
    return m_menu;
}

void TBoardHighlight::addMenuItem(QMenu *typeMenu)
{
    QObject *const owner = menuOwner();
    auto *item = new TMenuItem(m_title, owner);
    // A title without a letter leaves no stem; a bare number is no usable name.
    item->setObjectName(freeName(owner, m_nameStem.isEmpty() ? QStringLiteral("MenuItem") : m_nameStem));
    item->setCheckable(true);
    connect(item, &TMenuItem::OnClick, this, &TBoardHighlight::menuItemClick);
    typeMenu->addAction(item);
}

QAction *TBoardHighlight::menuItem(QMenu **typeMenu) const
{
    if (!m_menu)
        return nullptr;
    const QString caption = QLatin1String(typeMenuOf(m_highlightType).caption);
    for (const QAction *top : m_menu->actions()) {
        if (top->text() != caption || !top->menu())
            continue;
        for (QAction *item : top->menu()->actions()) {
            if (item->text() == m_title) {
                if (typeMenu)
                    *typeMenu = top->menu();
                return item;
            }
        }
    }
    return nullptr;
}

void TBoardHighlight::checkMenuItem(bool Value)
{
    if (QAction *item = menuItem())
        item->setChecked(Value);
}

void TBoardHighlight::menuItemClick(QObject *Sender)
{
    const TMenuItem *const item = KitObjects::exactly<TMenuItem>(Sender);
    const bool checkedItem = item && item->isChecked();
    if (!checkedItem) {
        Enter(false);
        Pin();
        Leave(false);
        return;
    }
    if (m_popup) {
        m_popup->close();
        return;
    }
    // The item was bound to this highlight, but another member made the popup.
    for (const QPointer<TBoardHighlight> &member : guardedGroup()) {
        if (member && member != this && member->popup())
            member->menuItemClick(Sender);
    }
}

void TBoardHighlight::walk(int step)
{
    QMenu *typeMenu = nullptr;
    QAction *const item = menuItem(&typeMenu);
    if (!item)
        return;
    const QList<QAction *> items = typeMenu->actions();
    const int count = int(items.size());
    const int index = int(items.indexOf(item));
    if (m_popup)
        m_popup->close();
    QAction *const target = items.at((index + step + count) % count);
    if (TMenuItem *const menuItem = KitObjects::exactly<TMenuItem>(target);
        menuItem && menuItem->hasClickHandler())
        menuItem->click(this);
}

void TBoardHighlight::previousClick()
{
    walk(-1);
}

void TBoardHighlight::nextClick()
{
    walk(+1);
}
