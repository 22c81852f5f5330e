#include "popup_form.h"

#include "anchors.h"
#include "board_image.h"
#include "kit_objects.h"
#include "popup_caption.h"
#include "popup_frame.h"
#include "radio_panel.h"
#include "window_placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMoveEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>

namespace {
// The overall size of a popup without a panel: the explanation, the buttons and the status bar.
constexpr QSize NoPanelSize(194, 58 + 64 + 19);
constexpr QSize LeastSize(194, 122);
constexpr qint64 FrameSettleMs = 500;
// The frame is watched until it has settled; without a window manager it never comes, and the
// watch gives up after 2 s.
constexpr int FrameWatchMs = 50;
constexpr int FrameWatchLooks = 2000 / FrameWatchMs;

// Where no client may place a window, the popup is a sub-window of the main window, which keeps
// Tab and Backtab among the popup's own controls.
bool embeddable(const QWidget *owner)
{
    return owner && !WindowPlacement::clientPlacesWindows();
}

// A title bar with the close button alone leaves the narrow popups' whole caption room.
constexpr Qt::WindowFlags WindowFlags = Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                                        Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// Every popup in existence, for find().
QList<TPopupForm *> &livePopups()
{
    static QList<TPopupForm *> popups;
    return popups;
}
} // namespace

TPopupForm::TPopupForm(TBoardHighlight *highlight, QWidget *owner, const QString &caption, int tag)
    : QWidget(embeddable(owner) ? owner->window() : owner, embeddable(owner) ? Qt::SubWindow : WindowFlags)
    , m_highlight(highlight)
    , m_tag(tag)
    , m_owner(owner)
    , m_embedded(embeddable(owner))
{
    // Closing only hides the popup: it and the panel inside it live as long as the highlight.
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(caption);
    livePopups().append(this);
    if (m_embedded) {
        // Shown by popup() alone, not with the main window.
        hide();
        setAutoFillBackground(true);
        setFocusPolicy(Qt::ClickFocus);
        // No window title tells assistive technology which popup this is.
        setAccessibleName(caption);
        m_top = TPopupCaption::Height;
        auto *strip = new TPopupCaption(this);
        Anchoring::setAnchors(strip, Anchors::akLeft | Anchors::akTop | Anchors::akRight);
        connect(strip, &TPopupCaption::pressed, this, &TPopupForm::activate);
        connect(strip, &TPopupCaption::dragged, this, [this](const QPoint &topLeft) {
            m_place = parentWidget()->mapToGlobal(topLeft);
            applyPlace();
        });
        connect(qApp, &QApplication::focusChanged, this, &TPopupForm::focusChanged);
        new TPopupFrame(this);
    } else {
        // A window does not inherit its parent's font; the panel was laid out in the main window's.
        if (owner)
            setFont(owner->window()->font());
        // The native window tells the size of its frame, where the platform knows it before showing.
        winId();
    }
    m_frameWatch.setInterval(FrameWatchMs);
    connect(&m_frameWatch, &QTimer::timeout, this, &TPopupForm::watchFrame);
}

void TPopupForm::setPanel(TRadioPanel *panel)
{
    int memoHeight = 58;
    m_hasPanel = panel;
    if (panel) {
        memoHeight = panel->MemoHeight();
        // The panel's handlers see the popup's activation as their own.
        connect(this, &TPopupForm::OnActivate, panel, &TRadioPanel::OnActivate);
        connect(this, &TPopupForm::OnDeactivate, panel, &TRadioPanel::OnDeactivate);
        m_panelHome = panel->pos();
        panel->move(0, m_top);
        setSizeRule(QSize(panel->width(), m_top + panel->height() + 32 + memoHeight + 19), memoHeight);
        panel->setParent(this);
        panel->setVisible(true);
        panel->setAnchors(panel->FinalAnchors());
        panel->setInPopup(true);
    } else {
        setSizeRule(QSize(), memoHeight);
    }
    buildControls(panel);
}

void TPopupForm::buildControls(TRadioPanel *panel)
{
    const int cw = width();
    const int ch = height();

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("PopupStatus"));
    status->setSizeGripEnabled(false);
    status->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
    status->addWidget(new QLabel(status), 1);
    status->setGeometry(0, ch - 19, cw, 19);
    Anchoring::setAnchors(status, Anchors::akLeft | Anchors::akRight | Anchors::akBottom);
    m_popupStatus = status;

    auto *previous = new QPushButton(QStringLiteral("Previous"), this);
    previous->setObjectName(QStringLiteral("PreviousButton"));
    previous->setGeometry(6, ch - 44, 58, 25);
    Anchoring::setAnchors(previous, Anchors::akLeft | Anchors::akBottom);
    connect(previous, &QPushButton::clicked, this, &TPopupForm::previousClicked);

    auto *next = new QPushButton(QStringLiteral("Next"), this);
    next->setObjectName(QStringLiteral("NextButton"));
    next->setGeometry((cw - 58) / 2, ch - 44, 58, 25);
    Anchoring::setAnchors(next, Anchors::akBottom);
    connect(next, &QPushButton::clicked, this, &TPopupForm::nextClicked);

    auto *done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("DoneButton"));
    done->setGeometry(cw - 64, ch - 44, 58, 25);
    Anchoring::setAnchors(done, Anchors::akRight | Anchors::akBottom);
    connect(done, &QPushButton::clicked, this, &QWidget::close);

    auto *memo = new QPlainTextEdit(this);
    memo->setObjectName(QStringLiteral("StatusMemo"));
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // lines wrap at the width
    memo->setGeometry(6, done->y() - 6 - m_memoHeight, cw - 12, m_memoHeight);
    Anchoring::setAnchors(memo, Anchors::akLeft | Anchors::akTop | Anchors::akRight | Anchors::akBottom);
    if (panel)
        memo->setPlainText(panel->Lines().join(QLatin1Char('\n')));

    m_firstFocus = panel ? static_cast<QWidget *>(panel) : done;
}

QPoint TPopupForm::homePlace() const
{
    // The window's owner is the highlight, whose parent is the board picture.
    const QWidget *const highlight = m_owner;
    const QWidget *const parent = highlight ? highlight->parentWidget() : nullptr;
    const QPoint parentPos = parent ? parent->pos() : QPoint();
    int dx = 0;
    int dy = 0;
    if (const TBoardImage *const board = KitObjects::exactly<TBoardImage>(parent)) {
        dx = board->HomeLeft() - m_panelHome.x();
        dy = board->HomeTop() - m_panelHome.y();
    }
    if (!m_hasPanel) {
        dx = 0;
        dy = -((parent ? parent->height() : 0) + 38);
    }
    return QPoint(parentPos.x() - dx, parentPos.y() - dy);
}

void TPopupForm::popup(const QPoint &pos)
{
    m_place = pos;
    applyPlace();
    show();
    // Giving the focus to a control of the popup makes the popup the active window.
    activateWindow();
    if (m_firstFocus)
        m_firstFocus->setFocus(Qt::OtherFocusReason);
    if (m_embedded)
        focusMoved();
}

void TPopupForm::activate()
{
    raise();
    activateWindow();
    if (!m_embedded || isAncestorOf(QApplication::focusWidget()))
        return;
    // Drawn inside the main window, the popup is active while the focus is inside it.
    if (m_firstFocus && m_firstFocus->isVisible())
        m_firstFocus->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
    focusMoved();
}

void TPopupForm::focusMoved()
{
    const QList<TPopupForm *> popups = parentWidget()->findChildren<TPopupForm *>(Qt::FindDirectChildrenOnly);
    for (TPopupForm *popup : popups)
        popup->focusChanged();
}

TPopupForm::~TPopupForm()
{
    livePopups().removeOne(this);
}

TPopupForm *TPopupForm::find(const QString &caption, int tag)
{
    for (TPopupForm *popup : std::as_const(livePopups())) {
        if (popup->windowTitle() == caption && popup->Tag() == tag)
            return popup;
    }
    return nullptr;
}

QRect TPopupForm::outerRect() const
{
    if (m_embedded)
        return QRect(mapToGlobal(QPoint(0, 0)), size());
    return frameGeometry();
}

void TPopupForm::focusChanged()
{
    // The window's own focus widget, which the focus signals do not follow while the window is
    // inactive: every popup of the window looks again.
    const QWidget *const now = parentWidget()->focusWidget();
    const bool focused = isVisible() && now && (now == this || isAncestorOf(now));
    if (focused == m_focused)
        return;
    m_focused = focused;
    if (focused)
        emit OnActivate(this);
    else
        emit OnDeactivate(this);
}

QSize TPopupForm::frame() const
{
    return m_embedded ? QSize(0, 0) : frameGeometry().size() - size();
}

QRect TPopupForm::bounds() const
{
    // Inside the main window, the popup is kept inside the window, which fills the screen.
    if (m_embedded)
        return QRect(parentWidget()->mapToGlobal(QPoint(0, 0)), parentWidget()->size());
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? QRect(QPoint(0, 0), screen->geometry().size()) : QRect();
}

void TPopupForm::closeEvent(QCloseEvent *event)
{
    // The group must be idle and the check mark gone before the window disappears.
    emit OnClose(this);
    event->accept();
}

void TPopupForm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && !m_embedded) {
        const bool active = isActiveWindow();
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
    if (m_closeOnLeave && !outerRect().contains(QCursor::pos())) {
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

void TPopupForm::applySize()
{
    const QSize overall = m_panelClient.isValid() ? m_panelClient + frame() : NoPanelSize;
    m_outer = overall.expandedTo(LeastSize);
    const QSize client = m_outer - frame();
    setMinimumSize(client);
    // Once the children are there, the explanation is placed again in the new size (event()).
    m_placeMemo = client != size() && findChild<QPlainTextEdit *>(QStringLiteral("StatusMemo"));
    resize(client);
}

void TPopupForm::lookAtFrame()
{
    if (m_framed || m_embedded)
        return;
    const QSize frame = this->frame();
    if (frame != m_frame) {
        m_frame = frame;
        if (!frame.isNull())
            m_frameKnown.start();
        applySize();
        applyPlace();
    } else if (settling() && frameGeometry().topLeft() != clampedPlace()) {
        // The window manager placed the window from before it knew the frame, or Qt moved it with
        // a frame it had not yet read. Only shortly after the frame appeared, so that a user
        // dragging the popup is never fought.
        applyPlace();
    }
}

bool TPopupForm::settling() const
{
    return m_frameKnown.isValid() && m_frameKnown.elapsed() < FrameSettleMs;
}

void TPopupForm::watchFrame()
{
    // A widget learns its frame from the window system only when it moves or is resized, but the
    // window manager may tell the frame after the last of those: a move event to the same place
    // has the widget ask again. A move of the widget counts the frame it has read.
    if (QWindow *const window = windowHandle()) {
        const QMargins margins = window->frameMargins();
        const QSize told(margins.left() + margins.right(), margins.top() + margins.bottom());
        if (told != frameGeometry().size() - size()) {
            QMoveEvent again(window->position(), window->position());
            QCoreApplication::sendEvent(window, &again);
        }
    }
    lookAtFrame();
    ++m_frameLooks;
    const bool givenUp = m_frame.isNull() && m_frameLooks >= FrameWatchLooks;
    if (givenUp || isHidden() || (!m_frame.isNull() && !settling()))
        m_frameWatch.stop();
}

QPoint TPopupForm::clampedPlace() const
{
    QPoint place = m_place;
    const QRect area = bounds();
    if (area.isValid()) {
        if (place.x() < area.left())
            place.setX(area.left());
        else if (place.x() + m_outer.width() > area.left() + area.width())
            place.setX(area.left() + area.width() - m_outer.width());
        if (place.y() < area.top())
            place.setY(area.top());
        else if (place.y() + m_outer.height() > area.top() + area.height())
            place.setY(area.top() + area.height() - m_outer.height());
    }
    return place;
}

void TPopupForm::applyPlace()
{
    // Inside the main window, the place on the screen is the place in the window.
    move(m_embedded ? parentWidget()->mapFromGlobal(clampedPlace()) : clampedPlace());
}

bool TPopupForm::event(QEvent *event)
{
    const bool done = QWidget::event(event);
    const QEvent::Type type = event->type();
    if (type == QEvent::Hide) {
        // Settled once it has been shown in its frame; hidden before that, it waits for the frame.
        m_framed = !m_frame.isNull();
        if (m_embedded)
            focusMoved();
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
    if (type == QEvent::Show && m_embedded)
        raise(); // stays on top of the main window's own contents
    if (type == QEvent::Show && !m_framed && m_frame.isNull() && !m_embedded) {
        m_frameLooks = 0;
        m_frameWatch.start();
    }
    // The frame is looked at whenever the window system may have told something new about it.
    if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint ||
        type == QEvent::WindowActivate)
        lookAtFrame();
    return done;
}
