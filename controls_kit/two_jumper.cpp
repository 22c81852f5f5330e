#include "two_jumper.h"

#include "jumper_host.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// x to the nearest integer, a tie going to the even neighbour.
int nearestEven(double x)
{
    const double lower = std::floor(x);
    const double fraction = x - lower;
    const int base = int(lower);
    if (fraction > 0.5)
        return base + 1;
    if (fraction < 0.5)
        return base;
    return (base % 2 == 0) ? base : base + 1;
}

// The direct parent when it is an option panel itself (a subclass does not count).
TJumperHost *owningPanel(const QWidget *glyph)
{
    auto *const host = qobject_cast<TJumperHost *>(glyph->parentWidget());
    return host && host->servesGlyphs() ? host : nullptr;
}

// Whether pixel (x, y) lies inside the ellipse of bounding box (l, t, r, b), right and bottom
// exclusive: its centre must fall inside the ellipse.
bool inEllipse(int x, int y, double l, double t, double r, double b)
{
    const double rx = (r - l) / 2.0;
    const double ry = (b - t) / 2.0;
    if (rx <= 0 || ry <= 0)
        return false;
    const double dx = (x + 0.5 - (l + rx)) / rx;
    const double dy = (y + 0.5 - (t + ry)) / ry;
    return dx * dx + dy * dy <= 1.0;
}

// The pixels of a shape inside its bounding box, as a mask the size of the frame.
class ShapeMask
{
public:
    ShapeMask(const QRect &box, const QSize &frame)
        : m_box(box.intersected(QRect(QPoint(0, 0), frame)))
        , m_frame(frame)
        , m_bits(size_t(frame.width()) * size_t(frame.height()), false)
    {
    }

    static ShapeMask rectangle(int l, int t, int r, int b, const QSize &frame)
    {
        ShapeMask mask(QRect(l, t, r - l, b - t), frame);
        mask.fill([](int, int) { return true; });
        return mask;
    }

    static ShapeMask ellipse(int l, int t, int r, int b, const QSize &frame)
    {
        ShapeMask mask(QRect(l, t, r - l, b - t), frame);
        mask.fill([=](int x, int y) { return inEllipse(x, y, l, t, r, b); });
        return mask;
    }

    // A rectangle whose corners are quarters of an ew x eh ellipse.
    static ShapeMask roundRect(int l, int t, int r, int b, int ew, int eh, const QSize &frame)
    {
        ew = std::min(ew, r - l);
        eh = std::min(eh, b - t);
        ShapeMask mask(QRect(l, t, r - l, b - t), frame);
        const double cxLeft = l + ew / 2.0;
        const double cxRight = r - ew / 2.0;
        const double cyTop = t + eh / 2.0;
        const double cyBottom = b - eh / 2.0;
        mask.fill([=](int x, int y) {
            const double px = x + 0.5;
            const double py = y + 0.5;
            const bool left = px < cxLeft;
            const bool right = px > cxRight;
            const bool top = py < cyTop;
            const bool bottom = py > cyBottom;
            if (!(left || right) || !(top || bottom))
                return true;
            const int el = left ? l : r - ew;
            const int et = top ? t : b - eh;
            return inEllipse(x, y, el, et, el + ew, et + eh);
        });
        return mask;
    }

    bool contains(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= m_frame.width() || y >= m_frame.height())
            return false;
        return m_bits[size_t(y) * size_t(m_frame.width()) + size_t(x)];
    }

    // Fills the shape with fill and gives it an edge of outline, thickness pixels wide: the pixels
    // of the shape that are that few steps (left, right, up, down) from a pixel outside it.
    void paint(QImage &image, QRgb fill, QRgb outline, int thickness = 1) const
    {
        for (int y = m_box.top(); y <= m_box.bottom(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = m_box.left(); x <= m_box.right(); ++x) {
                if (!contains(x, y))
                    continue;
                line[x] = onEdge(x, y, thickness) ? outline : fill;
            }
        }
    }

private:
    bool onEdge(int x, int y, int thickness) const
    {
        for (int dy = -thickness; dy <= thickness; ++dy) {
            const int reach = thickness - std::abs(dy);
            for (int dx = -reach; dx <= reach; ++dx) {
                if (!contains(x + dx, y + dy))
                    return true;
            }
        }
        return false;
    }

    template<typename Inside>
    void fill(Inside inside)
    {
        for (int y = m_box.top(); y <= m_box.bottom(); ++y)
            for (int x = m_box.left(); x <= m_box.right(); ++x)
                m_bits[size_t(y) * size_t(m_frame.width()) + size_t(x)] = inside(x, y);
    }

    QRect m_box;
    QSize m_frame;
    std::vector<bool> m_bits;
};

bool isVertical(TTwoJumper::TOrientationType orientation)
{
    return orientation == TTwoJumper::otLeft || orientation == TTwoJumper::otRight;
}

} // namespace

TTwoJumper::TTwoJumper(QWidget *parent)
    : QWidget(parent)
{
    // Every pixel is painted from the finished picture in one copy.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(34, 18);
    // A check box of its own kind: Tab reaches it, Space toggles it. Mirrors are disabled and so
    // never take the focus. In an option panel the panel lets it take the focus when it is first
    // shown, after its other controls; any earlier, it would disturb the order that the window's
    // layout gives those.
    if (!qobject_cast<TJumperHost *>(parent))
        setFocusPolicy(Qt::StrongFocus);
}

void TTwoJumper::setClosed(bool value)
{
    if (m_closed == value)
        return;
    m_closed = value;
    update();
    // A screen reader speaks the new state, whoever set it.
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void TTwoJumper::setBaseColor(const QColor &value)
{
    if (m_baseColor == value)
        return;
    m_baseColor = value;
    update();
}

void TTwoJumper::setPinColor(const QColor &value)
{
    if (m_pinColor == value)
        return;
    m_pinColor = value;
    update();
}

void TTwoJumper::setJumperColor(const QColor &value)
{
    if (m_jumperColor == value)
        return;
    m_jumperColor = value;
    update();
}

void TTwoJumper::setOrientation(TOrientationType value)
{
    if (m_orientation == value)
        return;
    // The size fits the pair the glyph was last painted in; a change back before the next paint
    // makes it fit again.
    if (isVertical(m_orientation) != isVertical(value))
        m_axisChangePending = !m_axisChangePending;
    m_orientation = value;
    update();
}

void TTwoJumper::setBorderStyle(TBorderStyle value)
{
    if (m_borderStyle == value)
        return;
    m_borderStyle = value;
    update();
}

TAnchors TTwoJumper::Anchors() const
{
    return Anchoring::anchors(this);
}

void TTwoJumper::setAnchors(TAnchors value)
{
    Anchoring::setAnchors(this, value);
}

QColor TTwoJumper::backgroundColor() const
{
    if (const TJumperHost *panel = owningPanel(this))
        return panel->glyphBackground();
    return QApplication::palette().color(QPalette::Button);
}

void TTwoJumper::drawFrame(int w, int h, qreal scale)
{
    // The shapes are worked out at the glyph's own size and every coordinate is then scaled to
    // device pixels; a coordinate in the right or lower half is scaled as its distance from that
    // edge, so that the picture stays symmetric where the scale is not a whole number.
    const int dw = m_frame.width();
    const int dh = m_frame.height();
    const auto sx = [=](int x) { return 2 * x > w ? dw - qRound((w - x) * scale) : qRound(x * scale); };
    const auto sy = [=](int y) { return 2 * y > h ? dh - qRound((h - y) * scale) : qRound(y * scale); };
    const int line = qMax(1, qRound(scale));
    const QSize size(dw, dh);
    const QRgb black = qRgb(0, 0, 0);
    const bool outlined = m_borderStyle == bsSingle;

    m_frame.fill(backgroundColor());

    if (m_closed) {
        const QRgb shunt = m_jumperColor.rgb();
        ShapeMask::rectangle(0, 0, dw, dh, size).paint(m_frame, shunt, outlined ? black : shunt, line);
    } else {
        const QRgb base = m_baseColor.rgb();
        const int corner = qRound((h / 2) * scale);
        ShapeMask::roundRect(sx(1), sy(1), sx(w - 1), sy(h - 1), corner, corner, size)
            .paint(m_frame, base, outlined ? black : base, line);
    }

    const int t = nearestEven(w / 3.5);
    const int x1 = t + 1;
    const int x2 = w - x1;
    const int y = h / 2;
    const int r = std::min(t / 3, nearestEven(h / 4.0));
    const QRgb pin = m_pinColor.rgb();
    for (const int x : {x1, x2})
        ShapeMask::ellipse(sx(x - r), sy(y - r), sx(x + r), sy(y + r), size).paint(m_frame, pin, pin);
}

void TTwoJumper::turnFrame()
{
    const int w = m_frame.width();
    const int h = m_frame.height();
    if (m_orientation == otUp) {
        m_output = m_frame.copy();
        return;
    }
    m_output =
        isVertical(m_orientation) ? QImage(h, w, QImage::Format_RGB32) : QImage(w, h, QImage::Format_RGB32);
    for (int j = 0; j < h; ++j) {
        const auto *source = reinterpret_cast<const QRgb *>(m_frame.constScanLine(j));
        for (int i = 0; i < w; ++i) {
            switch (m_orientation) {
            case otDown:
                m_output.setPixel(w - 1 - i, h - 1 - j, source[i]);
                break;
            case otLeft:
                m_output.setPixel(j, w - 1 - i, source[i]);
                break;
            case otRight:
                m_output.setPixel(h - 1 - j, i, source[i]);
                break;
            case otUp:
                break;
            }
        }
    }
}

void TTwoJumper::render()
{
    // The frame is drawn with its long side horizontal and turned afterwards, at the screen's
    // pixels so that a high-density screen shows it sharp.
    const QSize frameSize = isVertical(m_orientation) ? QSize(height(), width()) : size();
    const qreal scale = devicePixelRatioF();
    const QSize devicePixels(qRound(frameSize.width() * scale), qRound(frameSize.height() * scale));
    if (frameSize.isEmpty() || devicePixels.isEmpty()) {
        m_frame = QImage();
        m_output = QImage();
    } else {
        if (m_frame.size() != devicePixels)
            m_frame = QImage(devicePixels, QImage::Format_RGB32);
        drawFrame(frameSize.width(), frameSize.height(), scale);
        turnFrame();
        m_output.setDevicePixelRatio(scale);
    }

    if (m_axisChangePending) {
        m_axisChangePending = false;
        // Before the first paint the layout's size already fits the orientation.
        if (m_paintedOnce)
            resize(height(), width());
    }
    m_paintedOnce = true;
}

void TTwoJumper::paintEvent(QPaintEvent *)
{
    render();
    if (m_output.isNull())
        return;
    QPainter painter(this);
    // At a fractional ratio the picture's edge may fall short of the glyph's last device pixel by
    // one; that pixel shows the background, as the picture's own margin does.
    const qreal ratio = m_output.devicePixelRatio();
    if (ratio != std::floor(ratio))
        painter.fillRect(rect(), backgroundColor());
    painter.drawImage(QPoint(0, 0), m_output);
    // The keyboard's place is marked over the picture, in the colour of a selection, plain to see
    // on the shunt and on the base alike; the picture itself stays as it is. As with Qt's own
    // controls, only while the keyboard moves the focus.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void TTwoJumper::click()
{
    // Mirrors are disabled so that only their owner's code sets them.
    if (!isEnabled())
        return;
    setClosed(!m_closed);
    QPointer<TTwoJumper> guard(this);
    if (TJumperHost *panel = owningPanel(this))
        panel->glyphClicked(this);
    if (guard)
        emit OnClick(this);
}

void TTwoJumper::keyPressEvent(QKeyEvent *event)
{
    // Space clicks the glyph as a check box's Space does; holding it down clicks only once.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TTwoJumper::mousePressEvent(QMouseEvent *event)
{
    // Accepted, so that the glyph also receives the release.
    m_press.press(event);
    event->accept();
}

void TTwoJumper::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (m_press.release(event, this) && isEnabled())
        click();
}
