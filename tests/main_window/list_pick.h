#pragma once

// A choice in a drop-down list made as a user makes it: with the pointer on the list, F4 opens it,
// the arrow keys move to the entry and Enter takes it.

#include <QAbstractItemView>
#include <QComboBox>
#include <QCursor>
#include <QTest>

// Opening and closing the list are immediate: no events are processed meanwhile.
inline bool pickInList(QComboBox *list, int index)
{
    QCursor::setPos(list->mapToGlobal(list->rect().center()));
    QTest::keyClick(list, Qt::Key_F4);
    QAbstractItemView *const view = list->view();
    if (!view->isVisible())
        return false;
    QTest::keyClick(view, Qt::Key_Home);
    for (int row = 0; row < index; ++row)
        QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Return);
    return !view->isVisible() && list->currentIndex() == index;
}
