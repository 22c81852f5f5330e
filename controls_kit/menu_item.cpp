#include "menu_item.h"

#include <QMetaMethod>

TMenuItem::TMenuItem(QObject *parent)
    : TMenuItem(QString(), parent)
{
}

TMenuItem::TMenuItem(const QString &text, QObject *parent)
    : QAction(text, parent)
{
    connect(this, &QAction::triggered, this, &TMenuItem::triggeredByUser);
}

bool TMenuItem::hasClickHandler() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&TMenuItem::OnClick));
}

void TMenuItem::click(QObject *Sender)
{
    emit OnClick(Sender);
}

void TMenuItem::triggeredByUser(bool checked)
{
    // QAction has already flipped a checkable item; put the mark back so that the handler sees
    // the state the user chose from.
    if (isCheckable())
        setChecked(!checked);
    emit OnClick(this);
}
