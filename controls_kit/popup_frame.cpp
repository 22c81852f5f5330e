#include "popup_frame.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

TPopupFrame::TPopupFrame(QWidget *popup)
    : QWidget(popup->parentWidget())
    , m_popup(popup)
{
    setObjectName(QStringLiteral("PopupFrame"));
    // Only drawn: a press on the frame goes to what lies under it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    popup->installEventFilter(this);
    connect(popup, &QObject::destroyed, this, &QObject::deleteLater);
    follow();
}

bool TPopupFrame::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ZOrderChange:
        follow();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TPopupFrame::follow()
{
    if (!m_popup)
        return;
    setGeometry(m_popup->geometry().adjusted(-Border, -Border, Border + Shadow, Border + Shadow));
    setVisible(m_popup->isVisible());
    stackUnder(m_popup);
}

void TPopupFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -Shadow, -Shadow);
    // A shadow that fades out down and to the right, as window managers draw one.
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < Shadow; ++i) {
        painter.setBrush(QColor(0, 0, 0, 70 - i * 12));
        painter.drawRect(frame.translated(Shadow - i, Shadow - i));
    }
    // The style's window frame inside an outline in the text's colour, which stands apart from the
    // window's background in every colour scheme.
    painter.fillRect(frame, palette().color(QPalette::WindowText));
    QStyleOptionFrame option;
    option.initFrom(this);
    option.rect = frame.adjusted(1, 1, -1, -1);
    option.lineWidth = Border - 1;
    option.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_FrameWindow, &option, &painter, this);
}
