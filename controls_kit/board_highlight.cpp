#include "board_highlight.h"

#include "board_image.h"
#include "draw_ring.h"
#include "kit_accessibility.h"
#include "kit_objects.h"
#include "popup_form.h"
#include "radio_panel.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>

namespace {

// A board picture counts only as itself; a derived class is not one.
TBoardImage *boardOf(const QWidget *highlight)
{
    QWidget *const parent = highlight->parentWidget();
    return KitObjects::isExactly(parent, "TBoardImage") ? static_cast<TBoardImage *>(parent) : nullptr;
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isIdentStart(QChar c)
{
    return isAsciiLetter(c) || c == QLatin1Char('_');
}

bool isIdentChar(QChar c)
{
    return isIdentStart(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

bool isValidIdent(const QString &text)
{
    if (text.isEmpty() || !isIdentStart(text.front()))
        return false;
    return std::all_of(text.begin(), text.end(), isIdentChar);
}

// Left and top in, right and bottom out: QRect::contains already works that way.
bool pointerInside(const QWidget *window)
{
    return window->frameGeometry().contains(QCursor::pos());
}

} // namespace

TBoardHighlight::TBoardHighlight(QWidget *parent)
    : QWidget(parent)
{
    resize(65, 65);
    KitAccessibility::install();
    // The images start empty; BuildImages sizes them at the first paint.
    m_idleImage = QImage(0, 0, QImage::Format_RGB32);
    m_glowImage = QImage(0, 0, QImage::Format_RGB32);
    m_litImage = QImage(0, 0, QImage::Format_RGB32);
    applyTypeColours();
}

TBoardHighlight::~TBoardHighlight()
{
    // Delete the popup while this object is still whole: hiding it can deliver an activation change
    // that calls back into SetActive.
    delete m_popup.data();
}

void TBoardHighlight::applyTypeColours()
{
    switch (m_highlightType) {
    case htOptions:
        m_ringColor = QColor(0, 0, 255);
        m_idleIntensity = 0.25f;
        m_litIntensity = 0.5f;
        m_glowIntensity = 1.0f;
        return;
    case htCalibration:
        m_ringColor = QColor(255, 0, 0);
        break;
    case htSettings:
        m_ringColor = QColor(255, 255, 0);
        break;
    }
    m_idleIntensity = 0.5f;
    m_litIntensity = 0.75f;
    m_glowIntensity = 1.0f;
}

void TBoardHighlight::setTitle(const QString &value)
{
    if (value == m_title)
        return;
    m_title = value;
    m_popupCaption = PopupCaptionOf(value);
    m_nameStem = NameStemOf(value);
}

void TBoardHighlight::setHighlightType(THighlightType value)
{
    if (value == m_highlightType)
        return;
    m_highlightType = value;
    applyTypeColours();
    update();
}

TRadioPanel *TBoardHighlight::RadioPanel() const
{
    return m_radioPanel;
}

TPopupForm *TBoardHighlight::Popup() const
{
    return m_popup;
}

void TBoardHighlight::setRadioPanel(TRadioPanel *value)
{
    if (value == m_radioPanel)
        return;
    if (!value) {
        m_radioPanel = nullptr;
        return;
    }
    // One panel serves one group: a highlight of another group already linked to it wins.
    if (const QWidget *parent = parentWidget()) {
        for (QObject *child : parent->children()) {
            if (child == this || !KitObjects::isExactly(child, "TBoardHighlight"))
                continue;
            const auto *other = static_cast<const TBoardHighlight *>(child);
            if (other->RadioPanel() == value &&
                (other->Title() != m_title || other->HighlightType() != m_highlightType))
                return;
        }
    }
    m_radioPanel = value;
}

QList<TBoardHighlight *> TBoardHighlight::Group() const
{
    const TBoardImage *board = boardOf(this);
    if (!board)
        return {const_cast<TBoardHighlight *>(this)};
    QList<TBoardHighlight *> members;
    for (QObject *child : board->children()) {
        if (!KitObjects::isExactly(child, "TBoardHighlight"))
            continue;
        auto *other = static_cast<TBoardHighlight *>(child);
        if (other->Title() == m_title && other->HighlightType() == m_highlightType)
            members.append(other);
    }
    return members;
}

QList<QPointer<TBoardHighlight>> TBoardHighlight::GuardedGroup() const
{
    const QList<TBoardHighlight *> members = Group();
    QList<QPointer<TBoardHighlight>> list;
    list.reserve(members.size());
    for (TBoardHighlight *member : members)
        list.append(member);
    return list;
}

QString TBoardHighlight::PopupCaptionOf(const QString &title)
{
    QString caption = title;
    caption.remove(QLatin1Char('&'));
    return caption;
}

QString TBoardHighlight::NameStemOf(const QString &title)
{
    if (title.isEmpty() || isValidIdent(title))
        return title;
    int start = 0;
    while (start < title.size() && !isIdentStart(title.at(start)))
        ++start;
    QString stem;
    if (start == title.size())
        return stem;
    stem.append(title.at(start));
    for (int i = start + 1; i < title.size(); ++i) {
        if (isIdentChar(title.at(i)))
            stem.append(title.at(i));
    }
    return stem;
}

void TBoardHighlight::BuildImages()
{
    // At the screen's pixels, from the photograph as drawn at that density, so that a
    // high-density screen shows the ring as sharp as the picture beneath it.
    const qreal scale = devicePixelRatioF();
    const QSize area = TBoardImage::DevicePixels(size(), scale);
    QImage beneath;
    if (const TBoardImage *board = boardOf(this))
        beneath = board->RenderArea(geometry(), scale);
    if (beneath.size() != area) {
        // Whatever the parent draws, this is what its background shows where nothing covers it.
        QImage filled(area, QImage::Format_RGB32);
        filled.setDevicePixelRatio(scale);
        const QWidget *parent = parentWidget();
        filled.fill((parent ? parent->palette() : palette()).color(QPalette::Window));
        if (!beneath.isNull() && !filled.isNull()) {
            QPainter painter(&filled);
            painter.drawImage(0, 0, beneath);
        }
        beneath = filled;
    }
    beneath.convertTo(QImage::Format_RGB32);

    m_idleImage = beneath.copy();
    m_glowImage = beneath.copy();
    m_litImage = beneath.copy();
    const RingLayer layers[] = {{&m_idleImage, false, m_idleIntensity},
                                {&m_glowImage, true, m_glowIntensity},
                                {&m_litImage, false, m_litIntensity}};
    DrawRings(m_ringColor, layers, 3);
}

void TBoardHighlight::paintEvent(QPaintEvent *)
{
    const TBoardImage *board = boardOf(this);
    if (board && board->DesignMode()) {
        BuildImages();
    } else if (!m_initialized) {
        BuildImages();
        m_menu = board ? board->Menu() : nullptr;
        RegisterMenuItem();
        m_initialized = true;
    } else if (m_idleImage.devicePixelRatio() != devicePixelRatioF()) {
        // Moved to a screen of another density: images of the old one would be blurred or cut.
        BuildImages();
    }

    const QImage &image = (m_active && m_hovered)   ? m_glowImage
                          : (m_active || m_hovered) ? m_litImage
                                                    : m_idleImage;
    QPainter painter(this);
    // Where a fractional device pixel ratio puts the corner between device pixels, the image goes
    // where its pixels meet the photograph's.
    painter.drawImage(board ? board->AreaOffset(geometry(), devicePixelRatioF()) : QPointF(), image);
}

void TBoardHighlight::enterEvent(QEnterEvent *event)
{
    Enter(false);
    QWidget::enterEvent(event);
}

void TBoardHighlight::leaveEvent(QEvent *event)
{
    Leave(false);
    QWidget::leaveEvent(event);
}

void TBoardHighlight::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QWidget::mousePressEvent(event);
}

void TBoardHighlight::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click =
        event->button() == Qt::LeftButton && m_pressed && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        Click();
}

void TBoardHighlight::Enter(bool Propagated)
{
    if (m_hovered)
        return;
    m_hovered = true;
    update();
    if (m_createPopup)
        ShowPopup();
    if (Propagated)
        return;
    for (const QPointer<TBoardHighlight> &member : GuardedGroup()) {
        if (member)
            member->Enter(true);
    }
}

void TBoardHighlight::Leave(bool Propagated)
{
    if (!m_hovered)
        return;
    if (m_popup && !m_pinned) {
        if (pointerInside(m_popup)) {
            m_popup->setCloseOnLeave(true);
            Pin();
        } else {
            m_popup->close();
        }
    }
    if (Propagated)
        return;
    for (const QPointer<TBoardHighlight> &member : GuardedGroup()) {
        if (member)
            member->Leave(true);
    }
}

void TBoardHighlight::Click()
{
    emit OnClick(this);
    Pin();
}

void TBoardHighlight::Pin()
{
    if (m_popup) {
        m_pinned = true;
        CheckMenuItem(true);
    }
    for (const QPointer<TBoardHighlight> &member : GuardedGroup()) {
        if (member)
            member->PinAndFocus();
    }
}

void TBoardHighlight::PinAndFocus()
{
    if (!m_popup)
        return;
    m_pinned = true;
    CheckMenuItem(true);
    // A hidden window cannot take the focus; it gets it when it is shown again.
    if (m_popup->isVisible()) {
        m_popup->raise();
        m_popup->activateWindow();
    }
}

void TBoardHighlight::SetActive(bool Value, bool Propagate)
{
    m_active = Value;
    raise();
    update();
    if (!Propagate)
        return;
    // Raising moves a member to the end of the child list; the list taken first visits each once.
    for (const QPointer<TBoardHighlight> &member : GuardedGroup()) {
        if (member && member != this)
            member->SetActive(Value, false);
    }
}

void TBoardHighlight::ClearHover()
{
    m_hovered = false;
    update();
}

void TBoardHighlight::PopupClosed()
{
    CheckMenuItem(false);
    if (m_popup)
        m_popup->setCloseOnLeave(false);
    for (const QPointer<TBoardHighlight> &member : GuardedGroup()) {
        if (member)
            member->ClearHover();
    }
}

void TBoardHighlight::ShowPopup()
{
    if (m_popup) {
        if (m_popup->isHidden())
            m_pinned = false;
        m_popup->show();
        m_popup->raise();
        return;
    }

    // Another member of the group made the group's popup already.
    const int tag = int(m_highlightType);
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        const QVariant windowTag = window->property("Tag");
        if (window->windowTitle() == m_popupCaption && (windowTag.isValid() ? windowTag.toInt() : 0) == tag)
            return;
    }

    auto *popup = new TPopupForm(this);
    m_popup = popup;
    // A window does not inherit its parent's font; the panel was laid out in the main window's.
    popup->setFont(window()->font());
    // The native window tells the size of its frame, where the platform knows it before showing.
    popup->winId();
    m_pinned = false;

    TRadioPanel *const panel = m_radioPanel;
    int memoHeight = 58;
    QPoint panelHome(0, 0);
    if (panel) {
        memoHeight = panel->MemoHeight();
        // The panel's handlers see the popup's activation as their own.
        connect(popup, &TPopupForm::OnActivate, panel, &TRadioPanel::OnActivate);
        connect(popup, &TPopupForm::OnDeactivate, panel, &TRadioPanel::OnDeactivate);
        panelHome = panel->pos();
        panel->move(0, 0);
        popup->setSizeRule(QSize(panel->width(), panel->height() + 32 + memoHeight + 19), memoHeight);
        panel->setParent(popup);
        panel->setVisible(true);
        panel->setAnchors(panel->FinalAnchors());
        panel->setInPopup(true);
    } else {
        popup->setSizeRule(QSize(), memoHeight);
    }

    popup->setWindowTitle(m_popupCaption);
    popup->setTag(tag);

    // With a panel: where the panel stood on the main window, moved as far as the board picture
    // has moved since its first paint. Without one: just below the board picture.
    const QWidget *parent = parentWidget();
    const QPoint parentPos = parent ? parent->pos() : QPoint();
    int dx = 0;
    int dy = 0;
    if (const TBoardImage *board = boardOf(this)) {
        dx = board->HomeLeft() - panelHome.x();
        dy = board->HomeTop() - panelHome.y();
    }
    if (!panel) {
        dx = 0;
        dy = -((parent ? parent->height() : 0) + 38);
    }
    const QPoint place(parentPos.x() - dx, parentPos.y() - dy);

    connect(popup, &TPopupForm::OnClose, this, &TBoardHighlight::PopupClosed);

    const int cw = popup->width();
    const int ch = popup->height();

    auto *status = new QStatusBar(popup);
    status->setObjectName(QStringLiteral("PopupStatus"));
    status->setSizeGripEnabled(false);
    status->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
    status->addWidget(new QLabel(status), 1);
    status->setGeometry(0, ch - 19, cw, 19);
    Anchoring::setAnchors(status, Anchors::akLeft | Anchors::akRight | Anchors::akBottom);
    popup->setPopupStatus(status);

    auto *previous = new QPushButton(QStringLiteral("Previous"), popup);
    previous->setObjectName(QStringLiteral("PreviousButton"));
    previous->setGeometry(6, ch - 44, 58, 25);
    Anchoring::setAnchors(previous, Anchors::akLeft | Anchors::akBottom);
    connect(previous, &QPushButton::clicked, this, &TBoardHighlight::PreviousClick);

    auto *next = new QPushButton(QStringLiteral("Next"), popup);
    next->setObjectName(QStringLiteral("NextButton"));
    next->setGeometry((cw - 58) / 2, ch - 44, 58, 25);
    Anchoring::setAnchors(next, Anchors::akBottom);
    connect(next, &QPushButton::clicked, this, &TBoardHighlight::NextClick);

    auto *done = new QPushButton(QStringLiteral("Done"), popup);
    done->setObjectName(QStringLiteral("DoneButton"));
    done->setGeometry(cw - 64, ch - 44, 58, 25);
    Anchoring::setAnchors(done, Anchors::akRight | Anchors::akBottom);
    connect(done, &QPushButton::clicked, popup, &QWidget::close);

    auto *memo = new QPlainTextEdit(popup);
    memo->setObjectName(QStringLiteral("StatusMemo"));
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // lines wrap at the width
    memo->setGeometry(6, done->y() - 6 - memoHeight, cw - 12, memoHeight);
    Anchoring::setAnchors(memo, Anchors::akLeft | Anchors::akTop | Anchors::akRight | Anchors::akBottom);
    if (panel)
        memo->setPlainText(panel->Lines().join(QLatin1Char('\n')));

    popup->setPlace(place);
    popup->show();
    // Giving the focus to a control of the popup makes the popup the active window.
    popup->activateWindow();
    if (panel)
        panel->setFocus(Qt::OtherFocusReason);
    else
        done->setFocus(Qt::OtherFocusReason);
}
