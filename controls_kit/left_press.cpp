#include "left_press.h"

#include <QMouseEvent>
#include <QWidget>

void TLeftPress::press(const QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_down = true;
}

bool TLeftPress::release(const QMouseEvent *event, const QWidget *widget)
{
    if (event->button() != Qt::LeftButton)
        return false;
    const bool click = m_down && widget->rect().contains(event->position().toPoint());
    m_down = false;
    return click;
}
