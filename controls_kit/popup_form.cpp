#include "popup_form.h"

#include "board_highlight.h"
#include "kit_accessibility.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace {
// The overall size of a popup without a panel: the explanation, the buttons and the status bar.
constexpr QSize NoPanelSize(194, 58 + 64 + 19);
constexpr QSize LeastSize(194, 122);
} // namespace

TPopupForm::TPopupForm(TBoardHighlight *owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_highlight(owner)
{
    // Closing only hides the popup: it and the panel inside it live as long as the highlight.
    setAttribute(Qt::WA_DeleteOnClose, false);
    KitAccessibility::install();
}

void TPopupForm::closeEvent(QCloseEvent *event)
{
    // The group must be idle and the check mark gone before the window disappears.
    emit OnClose(this);
    event->accept();
}

void TPopupForm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        const bool active = isActiveWindow();
        if (m_highlight)
            m_highlight->SetActive(active, true);
        if (active)
            emit OnActivate(this);
        else
            emit OnDeactivate(this);
    }
    QWidget::changeEvent(event);
}

void TPopupForm::leaveEvent(QEvent *event)
{
    // QRect::contains takes left and top in and right and bottom out, as the test needs.
    if (m_closeOnLeave && !frameGeometry().contains(QCursor::pos())) {
        close();
        return;
    }
    QWidget::leaveEvent(event);
}

void TPopupForm::setSizeRule(const QSize &panelClient, int memoHeight)
{
    m_panelClient = panelClient;
    m_memoHeight = memoHeight;
    applySize();
}

void TPopupForm::setPlace(const QPoint &place)
{
    m_place = place;
    applyPlace();
}

void TPopupForm::applySize()
{
    const QSize frame = frameGeometry().size() - size();
    const QSize overall = m_panelClient.isValid() ? m_panelClient + frame : NoPanelSize;
    m_outer = overall.expandedTo(LeastSize);
    const QSize client = m_outer - frame;
    setMinimumSize(client);
    // Once the children are there, the explanation is placed again in the new size (event()).
    m_placeMemo = client != size() && findChild<QPlainTextEdit *>(QStringLiteral("StatusMemo"));
    resize(client);
}

void TPopupForm::applyPlace()
{
    QPoint place = m_place;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize screenSize = screen->geometry().size();
        if (place.x() < 0)
            place.setX(0);
        else if (place.x() + m_outer.width() > screenSize.width())
            place.setX(screenSize.width() - m_outer.width());
        if (place.y() < 0)
            place.setY(0);
        else if (place.y() + m_outer.height() > screenSize.height())
            place.setY(screenSize.height() - m_outer.height());
    }
    move(place);
}

bool TPopupForm::event(QEvent *event)
{
    const bool done = QWidget::event(event);
    const QEvent::Type type = event->type();
    if (type == QEvent::Hide) {
        // Settled once it has been shown in its frame; hidden before that, it waits for the frame.
        m_framed = !m_frame.isNull();
        return done;
    }
    if (type == QEvent::Resize && m_placeMemo) {
        // Laid out in this size, the explanation keeps its height above the buttons; the anchors
        // alone would stretch it.
        m_placeMemo = false;
        auto *memo = findChild<QPlainTextEdit *>(QStringLiteral("StatusMemo"));
        const auto *doneButton = findChild<QPushButton *>(QStringLiteral("DoneButton"));
        if (memo && doneButton)
            memo->setGeometry(6, doneButton->y() - 6 - m_memoHeight, width() - 12, m_memoHeight);
    }
    // The frame is looked at whenever the window system may have told something new about it.
    const bool news = type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint ||
                      type == QEvent::WindowActivate;
    if (m_framed || !news)
        return done;
    const QSize frame = frameGeometry().size() - size();
    if (frame != m_frame) {
        m_frame = frame;
        applySize();
        applyPlace();
    }
    return done;
}
