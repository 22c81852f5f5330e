#include "popup_caption.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>

TPopupCaption::TPopupCaption(QWidget *popup)
    : QWidget(popup)
{
    setObjectName(QStringLiteral("PopupCaption"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("PopupCloseButton"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton, nullptr, this));
    // Raised on the caption's colour, as a window manager's close button stands out on its title bar.
    m_close->setAutoRaise(false);
    m_close->setToolTip(tr("Close"));
    m_close->setAccessibleName(tr("Close"));
    // The keyboard closes the popup with Done; the caption's button is for the pointer.
    m_close->setFocusPolicy(Qt::NoFocus);
    connect(m_close, &QToolButton::clicked, popup, &QWidget::close);
    setGeometry(0, 0, popup->width(), Height);
}

void TPopupCaption::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Highlight));
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(colours.color(QPalette::HighlightedText));
    const QRect text = rect().adjusted(4, 0, -(m_close->width() + 2), 0);
    const QString title =
        fontMetrics().elidedText(parentWidget()->windowTitle(), Qt::ElideRight, text.width());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, title);
}

void TPopupCaption::resizeEvent(QResizeEvent *)
{
    m_close->setGeometry(width() - Height, 1, Height - 2, Height - 2);
}

void TPopupCaption::mousePressEvent(QMouseEvent *event)
{
    emit pressed();
    if (event->button() != Qt::LeftButton)
        return;
    m_press.press(event);
    m_grab = mapTo(parentWidget(), event->position().toPoint());
}

void TPopupCaption::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_press.down())
        return;
    const QWidget *const popup = parentWidget();
    emit dragged(popup->mapToParent(mapTo(popup, event->position().toPoint())) - m_grab);
}

void TPopupCaption::mouseReleaseEvent(QMouseEvent *event)
{
    m_press.release(event, this);
}
