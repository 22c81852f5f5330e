#include "radio_panel.h"

#include "kit_objects.h"
#include "two_jumper.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>

#include <algorithm>

TRadioPanel::TRadioPanel(QWidget *parent)
    : QFrame(parent)
    , m_color(QApplication::palette().color(QPalette::Button))
{
    Anchoring::setAnchors(this, Anchors::akLeft | Anchors::akTop);
    setFrameShape(QFrame::NoFrame);
    resize(194, 100);
    setAutoFillBackground(true);
    applyColor();
    setVisible(false);

    // The focus entering the panel from outside is its OnEnter.
    connect(qApp, &QApplication::focusChanged, this, &TRadioPanel::focusMoved);
}

TRadioPanel::~TRadioPanel()
{
    // A glyph of the panel that holds the focus gives it up while QWidget destroys the children,
    // when this object is no longer a panel: the notification must not reach focusMoved then.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void TRadioPanel::setRadioEnabled(bool value)
{
    m_radioEnabled = value;
}

void TRadioPanel::setLines(const QStringList &value)
{
    m_lines = value;
}

void TRadioPanel::setMemoHeight(int value)
{
    m_memoHeight = value;
}

void TRadioPanel::setFinalAnchors(TAnchors value)
{
    m_finalAnchors = value;
    if (m_inPopup)
        setAnchors(value);
}

TAnchors TRadioPanel::Anchors() const
{
    return Anchoring::anchors(this);
}

void TRadioPanel::setAnchors(TAnchors value)
{
    Anchoring::setAnchors(this, value);
}

void TRadioPanel::setInPopup(bool value)
{
    m_inPopup = value;
}

void TRadioPanel::showEvent(QShowEvent *event)
{
    // Shown for the first time (in its popup, where the popup's own buttons follow it), the panel
    // lets its glyphs take the focus after its other controls.
    if (!m_glyphsOrdered) {
        m_glyphsOrdered = true;
        orderGlyphsLast();
    }
    QFrame::showEvent(event);
}

void TRadioPanel::orderGlyphsLast()
{
    // The panel's other controls keep their order; the glyphs follow them, in reading order.
    QList<TTwoJumper *> glyphs = findChildren<TTwoJumper *>();
    const auto place = [this](const QWidget *w) { return w->mapTo(this, QPoint(0, 0)); };
    std::stable_sort(glyphs.begin(), glyphs.end(), [&](const QWidget *a, const QWidget *b) {
        const QPoint pa = place(a), pb = place(b);
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    for (TTwoJumper *glyph : std::as_const(glyphs))
        glyph->setFocusPolicy(Qt::StrongFocus);
    QWidget *previous = nullptr;
    for (QWidget *w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
        if (isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && !qobject_cast<TTwoJumper *>(w))
            previous = w;
    }
    for (TTwoJumper *glyph : std::as_const(glyphs)) {
        if (previous)
            QWidget::setTabOrder(previous, glyph);
        previous = glyph;
    }
}

void TRadioPanel::setColor(const QColor &value)
{
    m_colorFollowsSystem = false;
    if (m_color == value)
        return;
    m_color = value;
    applyColor();
}

void TRadioPanel::applyColor()
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, m_color);
    setPalette(pal);
    // The glyphs draw the panel's colour as their own background.
    for (QObject *child : children()) {
        if (auto *widget = qobject_cast<QWidget *>(child))
            widget->update();
    }
    update();
}

void TRadioPanel::setDesignMode(bool value)
{
    m_designMode = value;
}

bool TRadioPanel::servesGlyphs() const
{
    return metaObject() == &staticMetaObject;
}

void TRadioPanel::glyphClicked(TTwoJumper *glyph)
{
    if (m_radioEnabled)
        RadioSelect(glyph);
}

void TRadioPanel::RadioSelect(TTwoJumper *Jumper)
{
    bool changed = false;
    for (QObject *child : children()) {
        // Only the panel's own glyphs, and only the kit's glyph class itself.
        auto *glyph = KitObjects::exactly<TTwoJumper>(child);
        if (!glyph)
            continue;
        const bool target = glyph == Jumper;
        if (glyph->Closed() != target)
            changed = true;
        glyph->setClosed(target);
    }
    if (changed)
        emit OnRadioChange(Jumper);
}

void TRadioPanel::paintEvent(QPaintEvent *event)
{
    if (m_designMode && !m_designHidden) {
        m_designHidden = true;
        // Hiding from inside a paint would disturb the paint in progress.
        QTimer::singleShot(0, this, [this] { setVisible(false); });
    }
    QFrame::paintEvent(event);
}

bool TRadioPanel::event(QEvent *event)
{
    // A colour that follows the system's button face follows its changes too.
    if (event->type() == QEvent::ApplicationPaletteChange && m_colorFollowsSystem) {
        const QColor system = QApplication::palette().color(QPalette::Button);
        if (system != m_color) {
            m_color = system;
            applyColor();
        }
    }
    return QFrame::event(event);
}

void TRadioPanel::focusMoved(QWidget *, QWidget *now)
{
    // Judged within the panel's window, as each window keeps its own focus widget: the focus
    // leaving the window and coming back is no entry.
    if (!now || now->window() != window())
        return;
    const QPointer<QWidget> previous = m_lastFocus;
    m_lastFocus = now;
    const bool inside = now == this || isAncestorOf(now);
    const bool wasInside =
        previous && previous->window() == window() && (previous == this || isAncestorOf(previous));
    if (inside && !wasInside)
        emit OnEnter(this);
}
