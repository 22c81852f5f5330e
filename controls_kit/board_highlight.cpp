#include "board_highlight.h"

#include "board_image.h"
#include "draw_ring.h"
#include "kit_objects.h"
#include "popup_form.h"
#include "radio_panel.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// A board picture counts only as itself; a derived class is not one.
TBoardImage *boardOf(const QWidget *highlight)
{
    return KitObjects::exactly<TBoardImage>(highlight->parentWidget());
}

// Whether a window of the application other than the kit's popups has this caption and tag (none
// has tag 0): it stands for the group's popup as well.
bool windowHasCaption(const QString &caption, int tag)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [&](const QWidget *window) {
        const QVariant windowTag = window->property("Tag");
        return window->windowTitle() == caption && (windowTag.isValid() ? windowTag.toInt() : 0) == tag;
    });
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
bool pointerInside(const TPopupForm *popup)
{
    return popup->outerRect().contains(QCursor::pos());
}

} // namespace

TBoardHighlight::TBoardHighlight(QWidget *parent)
    : QWidget(parent)
{
    resize(65, 65);
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
    m_popupCaption = popupCaptionOf(value);
    m_nameStem = nameStemOf(value);
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

TPopupForm *TBoardHighlight::popup() const
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
            const auto *other = KitObjects::exactly<TBoardHighlight>(child);
            if (child == this || !other)
                continue;
            if (other->RadioPanel() == value &&
                (other->Title() != m_title || other->HighlightType() != m_highlightType))
                return;
        }
    }
    m_radioPanel = value;
}

QList<TBoardHighlight *> TBoardHighlight::group() const
{
    const TBoardImage *board = boardOf(this);
    if (!board)
        return {const_cast<TBoardHighlight *>(this)};
    QList<TBoardHighlight *> members;
    for (QObject *child : board->children()) {
        auto *other = KitObjects::exactly<TBoardHighlight>(child);
        if (!other)
            continue;
        if (other->Title() == m_title && other->HighlightType() == m_highlightType)
            members.append(other);
    }
    return members;
}

QList<QPointer<TBoardHighlight>> TBoardHighlight::guardedGroup() const
{
    const QList<TBoardHighlight *> members = group();
    QList<QPointer<TBoardHighlight>> list;
    list.reserve(members.size());
    for (TBoardHighlight *member : members)
        list.append(member);
    return list;
}

QString TBoardHighlight::popupCaptionOf(const QString &title)
{
    QString caption = title;
    caption.remove(QLatin1Char('&'));
    return caption;
}

QString TBoardHighlight::nameStemOf(const QString &title)
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
    const QSize area = TBoardImage::devicePixels(size(), scale);
    QImage beneath;
    if (const TBoardImage *board = boardOf(this))
        beneath = board->renderArea(geometry(), scale);
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
    const TRingLayer layers[] = {{&m_idleImage, false, m_idleIntensity},
                                 {&m_glowImage, true, m_glowIntensity},
                                 {&m_litImage, false, m_litIntensity}};
    drawRings(m_ringColor, layers, 3);
}

void TBoardHighlight::paintEvent(QPaintEvent *)
{
    const TBoardImage *board = boardOf(this);
    if (board && board->DesignMode()) {
        BuildImages();
    } else if (!m_initialized) {
        BuildImages();
        m_menu = board ? board->Menu() : nullptr;
        registerMenuItem();
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
    painter.drawImage(board ? board->areaOffset(geometry(), devicePixelRatioF()) : QPointF(), image);
}

bool TBoardHighlight::event(QEvent *event)
{
    if (event->type() != QEvent::Type(KitObjects::ShowFirstMessage))
        return QWidget::event(event);
    // Hovering opens the group's popup, the click pins it, and leaving then keeps it open.
    const QPointer<TBoardHighlight> self(this);
    Enter(false);
    if (self)
        click();
    if (self)
        Leave(false);
    return true;
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
    m_press.press(event);
    QWidget::mousePressEvent(event);
}

void TBoardHighlight::mouseReleaseEvent(QMouseEvent *event)
{
    const bool clicked = m_press.release(event, this);
    QWidget::mouseReleaseEvent(event);
    if (clicked)
        click();
}

void TBoardHighlight::Enter(bool Propagated)
{
    if (m_hovered)
        return;
    m_hovered = true;
    update();
    if (m_createPopup)
        showPopup();
    if (Propagated)
        return;
    for (const QPointer<TBoardHighlight> &member : guardedGroup()) {
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
    for (const QPointer<TBoardHighlight> &member : guardedGroup()) {
        if (member)
            member->Leave(true);
    }
}

void TBoardHighlight::click()
{
    emit OnClick(this);
    Pin();
}

void TBoardHighlight::Pin()
{
    if (m_popup) {
        m_pinned = true;
        checkMenuItem(true);
    }
    for (const QPointer<TBoardHighlight> &member : guardedGroup()) {
        if (member)
            member->pinAndFocus();
    }
}

void TBoardHighlight::pinAndFocus()
{
    if (!m_popup)
        return;
    m_pinned = true;
    checkMenuItem(true);
    // A hidden window cannot take the focus; it gets it when it is shown again.
    if (m_popup->isVisible())
        m_popup->activate();
}

void TBoardHighlight::SetActive(bool Value, bool Propagate)
{
    m_active = Value;
    raise();
    update();
    if (!Propagate)
        return;
    // Raising moves a member to the end of the child list; the list taken first visits each once.
    for (const QPointer<TBoardHighlight> &member : guardedGroup()) {
        if (member && member != this)
            member->SetActive(Value, false);
    }
}

void TBoardHighlight::clearHover()
{
    m_hovered = false;
    update();
}

void TBoardHighlight::popupClosed()
{
    checkMenuItem(false);
    if (m_popup)
        m_popup->setCloseOnLeave(false);
    for (const QPointer<TBoardHighlight> &member : guardedGroup()) {
        if (member)
            member->clearHover();
    }
}

void TBoardHighlight::showPopup()
{
    if (m_popup) {
        if (m_popup->isHidden())
            m_pinned = false;
        m_popup->show();
        m_popup->raise();
        return;
    }

    // Another member of the group made the group's popup already. Popups drawn inside the main
    // window are no top-level windows, so the popups are asked first.
    const int tag = int(m_highlightType);
    if (TPopupForm::find(m_popupCaption, tag) || windowHasCaption(m_popupCaption, tag))
        return;

    auto *popup = new TPopupForm(this, this, m_popupCaption, tag);
    m_popup = popup;
    m_pinned = false;
    // The highlight hears of the popup's activation before the panel's handlers do.
    connect(popup, &TPopupForm::OnActivate, this, [this] { SetActive(true, true); });
    connect(popup, &TPopupForm::OnDeactivate, this, [this] { SetActive(false, true); });
    connect(popup, &TPopupForm::OnClose, this, &TBoardHighlight::popupClosed);
    connect(popup, &TPopupForm::previousClicked, this, &TBoardHighlight::previousClick);
    connect(popup, &TPopupForm::nextClicked, this, &TBoardHighlight::nextClick);
    popup->setPanel(m_radioPanel);
    popup->popup(popup->homePlace());
}
