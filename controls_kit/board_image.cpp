#include "board_image.h"

#include "jpeg_decoder.h"

#include <QCoreApplication>

#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

TBoardImage::TBoardImage(QWidget *parent)
    : QWidget(parent)
{
    // A fresh control is a square placeholder until it gets a picture; AutoSize is on from the
    // start (the field's initial value) without collapsing the empty control.
    resize(105, 105);
    watchParent();
}

TBoardImage::~TBoardImage() = default;

QWidget *TBoardImage::First() const
{
    return m_first.data();
}

void TBoardImage::setFirst(QWidget *value)
{
    m_first = value;
}

QMenuBar *TBoardImage::Menu() const
{
    return m_menu.data();
}

void TBoardImage::setMenu(QMenuBar *value)
{
    m_menu = value;
}

void TBoardImage::setCenterOnForm(bool value)
{
    // Takes effect at the next paint, like every placement of the control.
    m_centerOnForm = value;
}

void TBoardImage::setScale(bool value)
{
    if (m_scale == value)
        return;
    m_scale = value;
    pictureChanged();
}

void TBoardImage::setCenter(bool value)
{
    if (m_center == value)
        return;
    m_center = value;
    pictureChanged();
}

void TBoardImage::setStretch(bool value)
{
    if (m_stretch == value)
        return;
    m_stretch = value;
    pictureChanged();
}

void TBoardImage::setTransparent(bool value)
{
    if (m_transparent == value)
        return;
    m_transparent = value;
    pictureChanged();
}

void TBoardImage::setPicture(const QImage &value)
{
    m_picture = value;
    // Twice the size of another photograph is no picture of this one.
    m_highDensityJpeg.clear();
    m_highDensity = QImage();
    pictureChanged();
}

void TBoardImage::setAutoSize(bool value)
{
    if (m_autoSize == value)
        return;
    m_autoSize = value;
    // Only a picture gives a size to take; an empty control keeps its size rather than vanish.
    if (m_autoSize && !m_picture.isNull()) {
        int w = width();
        int h = height();
        if (CanAutoSize(w, h))
            resize(w, h);
    }
}

void TBoardImage::setDesignMode(bool value)
{
    if (m_designMode == value)
        return;
    m_designMode = value;
    update();
}

bool TBoardImage::loadJpeg(const QByteArray &jpegFile)
{
    const QImage decoded = decodeJpeg(jpegFile);
    if (decoded.isNull())
        return false;
    setPicture(decoded);
    return true;
}

void TBoardImage::setHighDensityJpeg(const QByteArray &jpegFile)
{
    m_highDensityJpeg = jpegFile;
    m_highDensity = QImage();
    m_scaledCache = QImage();
    update();
}

QImage TBoardImage::highDensityPicture() const
{
    if (m_highDensity.isNull() && !m_highDensityJpeg.isEmpty()) {
        m_highDensity = decodeJpeg(m_highDensityJpeg);
        // Decoding is not tried again; the ordinary picture serves.
        if (m_highDensity.isNull())
            const_cast<TBoardImage *>(this)->m_highDensityJpeg.clear();
    }
    return m_highDensity;
}

QRect TBoardImage::destRect() const
{
    const int pw = m_picture.width();
    const int ph = m_picture.height();
    if (m_stretch)
        return rect();
    if (m_center)
        return QRect((width() - pw) / 2, (height() - ph) / 2, pw, ph);
    return QRect(0, 0, pw, ph);
}

void TBoardImage::pictureChanged()
{
    const int pw = m_picture.width();
    const int ph = m_picture.height();
    m_scaledCache = QImage();

    if (pw > 0 && ph > 0) {
        const double ratio = double(ph) / double(pw);
        m_aspectRatio = std::isfinite(ratio) ? ratio : 1.0;
    }
    if (m_autoSize && pw > 0 && ph > 0)
        setGeometry(x(), y(), pw, ph);

    if (!m_picture.isNull()) {
        // A picture with its own alpha lets the background through just as a transparent one.
        const bool transparent = m_transparent || m_picture.hasAlphaChannel();
        const bool covers = m_stretch || (pw >= width() && ph >= height());
        setAttribute(Qt::WA_OpaquePaintEvent, !transparent && covers);
    } else {
        setAttribute(Qt::WA_OpaquePaintEvent, false);
    }

    if (!m_drawing)
        update();
}

bool TBoardImage::CanAutoSize(int &NewWidth, int &NewHeight) const
{
    if (m_designMode && m_picture.isNull())
        return true;
    // The control has no alignment of its own, so both sides follow the picture.
    NewWidth = m_picture.width();
    NewHeight = m_picture.height();
    return true;
}

void TBoardImage::ShowFirst()
{
    // The highlight opens its group's popup and pins it, as if hovered, clicked and left.
    if (m_first) {
        QEvent request(showFirstEvent());
        QCoreApplication::sendEvent(m_first, &request);
    }
}

const QImage &TBoardImage::scaledPicture(const QSize &size, qreal devicePixelRatio) const
{
    // From a ratio of 1.5 on, the photograph of twice the size is the nearer one in density.
    const QImage highDensity = devicePixelRatio >= 1.5 ? highDensityPicture() : QImage();
    const QImage &original = highDensity.isNull() ? m_picture : highDensity;
    if (m_scaledCache.isNull() || m_scaledCache.size() != size ||
        m_scaledCache.devicePixelRatio() != devicePixelRatio) {
        QImage source = original;
        if (m_transparent && !source.isNull()) {
            // A transparent graphic leaves out the colour of its bottom-left pixel.
            const QRgb key = source.pixel(0, source.height() - 1);
            source = source.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < source.height(); ++y) {
                auto *const line = reinterpret_cast<QRgb *>(source.scanLine(y));
                for (int x = 0; x < source.width(); ++x) {
                    if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                        line[x] = 0;
                }
            }
        }
        m_scaledCache = source.size() == size
                            ? source
                            : source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_scaledCache.setDevicePixelRatio(devicePixelRatio);
    }
    return m_scaledCache;
}

QSize TBoardImage::devicePixels(const QSize &size, qreal devicePixelRatio)
{
    return QSize(qRound(size.width() * devicePixelRatio), qRound(size.height() * devicePixelRatio));
}

QPoint TBoardImage::devicePictureOrigin(qreal devicePixelRatio) const
{
    const QPointF corner = QPointF(mapTo(window(), destRect().topLeft())) * devicePixelRatio;
    return QPoint(qRound(corner.x()), qRound(corner.y()));
}

QPoint TBoardImage::deviceOffsetInPicture(const QRect &r, qreal devicePixelRatio) const
{
    const QPointF offset = QPointF(r.topLeft() - destRect().topLeft()) * devicePixelRatio;
    return QPoint(qRound(offset.x()), qRound(offset.y()));
}

QPointF TBoardImage::areaOffset(const QRect &r, qreal devicePixelRatio) const
{
    const QPoint device = devicePictureOrigin(devicePixelRatio) + deviceOffsetInPicture(r, devicePixelRatio);
    return QPointF(device) / devicePixelRatio - QPointF(mapTo(window(), r.topLeft()));
}

void TBoardImage::drawControl(QPainter &painter, qreal devicePixelRatio, const QPointF &pictureAt) const
{
    const QRect dest = destRect();
    const bool picture = !m_picture.isNull() && dest.width() > 0 && dest.height() > 0;
    if (!picture || !testAttribute(Qt::WA_OpaquePaintEvent) || !dest.contains(rect()))
        painter.fillRect(rect(), palette().color(QPalette::Button));
    if (picture)
        painter.drawImage(pictureAt,
                          scaledPicture(devicePixels(dest.size(), devicePixelRatio), devicePixelRatio));
}

QImage TBoardImage::renderArea(const QRect &r, qreal devicePixelRatio) const
{
    if (r.isEmpty())
        return {};
    QImage area(devicePixels(r.size(), devicePixelRatio), QImage::Format_RGB32);
    area.setDevicePixelRatio(devicePixelRatio);
    area.fill(palette().color(QPalette::Button));
    QPainter painter(&area);
    painter.translate(-r.topLeft());
    // The picture's pixels fall onto whole device pixels of the area, as they do on the screen.
    const QPointF pictureAt =
        QPointF(r.topLeft()) - QPointF(deviceOffsetInPicture(r, devicePixelRatio)) / devicePixelRatio;
    drawControl(painter, devicePixelRatio, pictureAt);
    return area;
}

void TBoardImage::centerInParent()
{
    const QWidget *const parent = parentWidget();
    if (!parent)
        return;
    // A window's overall size counts its frame, caption and menu bar too.
    const QSize outer = parent->isWindow() ? parent->frameGeometry().size() : parent->size();
    move((outer.width() - width()) / 2, (outer.height() - height()) / 2);
}

void TBoardImage::paintEvent(QPaintEvent *)
{
    if (!m_positionRecorded) {
        m_homeLeft = x();
        m_homeTop = y();
        m_positionRecorded = true;
    }
    if (m_centerOnForm && !m_designMode) {
        const QPoint before = pos();
        centerInParent();
        // A paint that moved the control covers only what the old place shared with the new one.
        if (pos() != before)
            QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
    }

    QPainter painter(this);
    if (m_designMode) {
        if (m_scale)
            resize(width(), static_cast<int>(std::lrint(width() * m_aspectRatio)));
        painter.setPen(Qt::DashLine);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

    const bool saved = m_drawing;
    m_drawing = true;
    // Started on a whole device pixel of the window, the picture's pixels are the screen's own,
    // and a highlight's images, taken from it, fit them exactly (areaOffset).
    const qreal ratio = devicePixelRatioF();
    const QPointF pictureAt =
        QPointF(devicePictureOrigin(ratio)) / ratio - QPointF(mapTo(window(), QPoint(0, 0)));
    drawControl(painter, ratio, pictureAt);
    m_drawing = saved;
}

void TBoardImage::watchParent()
{
    if (m_watchedParent == parentWidget())
        return;
    if (m_watchedParent)
        m_watchedParent->removeEventFilter(this);
    m_watchedParent = parentWidget();
    if (m_watchedParent)
        m_watchedParent->installEventFilter(this);
}

bool TBoardImage::eventFilter(QObject *watched, QEvent *event)
{
    // A resized parent may not expose the control again; the next paint is what re-centres it.
    if (watched == m_watchedParent && event->type() == QEvent::Resize && m_centerOnForm)
        update();
    return QWidget::eventFilter(watched, event);
}

bool TBoardImage::event(QEvent *event)
{
    if (event->type() == showFirstEvent()) {
        ShowFirst();
        return true;
    }
    if (event->type() == QEvent::ParentChange)
        watchParent();
    return QWidget::event(event);
}

void TBoardImage::mousePressEvent(QMouseEvent *event)
{
    // Taking the press is what brings the release, and with it OnClick, to this control.
    event->accept();
}

void TBoardImage::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit OnClick(this);
    QWidget::mouseReleaseEvent(event);
}
