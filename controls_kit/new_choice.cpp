#include "new_choice.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>

TNewChoice::TNewChoice(QComboBox *combo)
    : QObject(combo)
{
    // The opened list lives in a container window that is shown each time the list opens.
    combo->view()->window()->installEventFilter(this);
    connect(combo, &QComboBox::currentIndexChanged, this, [this] { m_changed = true; });
    connect(combo, &QComboBox::activated, this, [this](int index) {
        if (m_changed)
            emit made(index);
    });
}

bool TNewChoice::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show)
        m_changed = false;
    return QObject::eventFilter(watched, event);
}
