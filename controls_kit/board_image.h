#pragma once

#include "kit_objects.h"

#include <QEvent>
#include <QImage>
#include <QPointer>
#include <QWidget>

class QMenuBar;
class QPainter;

Q_MOC_INCLUDE(<QMenuBar>)

// The photograph of the card, carrying the highlights as children so that each sits at a fixed
// place over the picture. Keeps itself centred in its parent and remembers where it stood first.
class TBoardImage : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QWidget *First READ First WRITE setFirst)
    Q_PROPERTY(QMenuBar *Menu READ Menu WRITE setMenu)
    Q_PROPERTY(bool CenterOnForm READ CenterOnForm WRITE setCenterOnForm)
    Q_PROPERTY(bool Scale READ Scale WRITE setScale)
    Q_PROPERTY(bool Center READ Center WRITE setCenter)
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(QImage Picture READ Picture WRITE setPicture)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(double AspectRatio READ AspectRatio)
    Q_PROPERTY(bool Drawing READ Drawing)
    Q_PROPERTY(bool PositionRecorded READ PositionRecorded)
    Q_PROPERTY(int HomeLeft READ HomeLeft)
    Q_PROPERTY(int HomeTop READ HomeTop)
    Q_PROPERTY(bool DesignMode READ DesignMode WRITE setDesignMode)

public:
    // The ShowFirst request: a custom event of this type with no arguments.
    static constexpr int ShowFirstMessage = KitObjects::ShowFirstMessage;
    static QEvent::Type showFirstEvent() { return QEvent::Type(ShowFirstMessage); }

    explicit TBoardImage(QWidget *parent = nullptr);
    ~TBoardImage() override;

    // The first highlight (a TBoardHighlight), which ShowFirst hands the request on to.
    QWidget *First() const;
    void setFirst(QWidget *value);
    QMenuBar *Menu() const;
    void setMenu(QMenuBar *value);
    bool CenterOnForm() const { return m_centerOnForm; }
    void setCenterOnForm(bool value);
    bool Scale() const { return m_scale; }
    void setScale(bool value);
    bool Center() const { return m_center; }
    void setCenter(bool value);
    bool Stretch() const { return m_stretch; }
    void setStretch(bool value);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool value);
    QImage Picture() const { return m_picture; }
    void setPicture(const QImage &value);
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool value);
    double AspectRatio() const { return m_aspectRatio; }
    bool Drawing() const { return m_drawing; }
    bool PositionRecorded() const { return m_positionRecorded; }
    int HomeLeft() const { return m_homeLeft; }
    int HomeTop() const { return m_homeTop; }
    bool DesignMode() const { return m_designMode; }
    void setDesignMode(bool value);

    // Decodes a JPEG file's bytes with libjpeg into Picture; false (picture unchanged) when the
    // bytes are not a JPEG that libjpeg can decode. A new picture drops the high-density one.
    bool loadJpeg(const QByteArray &jpegFile);
    // The same photograph at twice Picture's size, drawn instead of it on screens whose device pixel
    // ratio is 1.5 or more. Decoded when first needed; bytes libjpeg cannot decode leave Picture
    // in use everywhere.
    void setHighDensityJpeg(const QByteArray &jpegFile);
    QImage highDensityPicture() const;

    QRect destRect() const;
    void pictureChanged();
    bool CanAutoSize(int &NewWidth, int &NewHeight) const;
    // Opens and pins the popup of First (enter, click, leave); nothing without First.
    void ShowFirst();

    // The control's own drawing (background and picture, no children) of the area r, in the
    // control's coordinates: what a highlight covering r sits on. At a device pixel ratio above 1
    // the image has r's size in device pixels and carries the ratio.
    QImage renderArea(const QRect &r, qreal devicePixelRatio = 1.0) const;
    // The size in device pixels of an area of the given size at a device pixel ratio.
    static QSize devicePixels(const QSize &size, qreal devicePixelRatio);
    // Where a highlight covering the area r draws renderArea(r) in its own coordinates: (0, 0),
    // unless a fractional ratio puts corners between device pixels. The picture then starts on the
    // window's nearest device pixel, and this is the offset (under one device pixel) that puts the
    // area's pixels onto the picture's own.
    QPointF areaOffset(const QRect &r, qreal devicePixelRatio) const;

signals:
    void OnClick(QObject *Sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Background where the picture does not cover, then the picture in destRect.
    void drawControl(QPainter &painter, qreal devicePixelRatio, const QPointF &pictureAt) const;
    // The device pixel of the window at which the picture starts.
    QPoint devicePictureOrigin(qreal devicePixelRatio) const;
    // The distance in device pixels from the picture's start to the corner of the area r.
    QPoint deviceOffsetInPicture(const QRect &r, qreal devicePixelRatio) const;
    // The picture at the size of destRect in device pixels, scaled once and kept until the picture,
    // the size or the ratio changes.
    const QImage &scaledPicture(const QSize &size, qreal devicePixelRatio) const;
    void centerInParent();
    void watchParent();

    QImage m_picture;
    bool m_stretch = false;
    bool m_center = false;
    bool m_transparent = false;
    bool m_drawing = false;
    double m_aspectRatio = 1.0;
    bool m_scale = true;
    QPointer<QMenuBar> m_menu; // the highlights' menus live in it; owned by the window
    bool m_centerOnForm = true;
    bool m_positionRecorded = false;
    QPointer<QWidget> m_first;
    int m_homeLeft = 0;
    int m_homeTop = 0;
    bool m_autoSize = true;
    bool m_designMode = false;
    QByteArray m_highDensityJpeg;      // undecoded until a screen needs it
    mutable QImage m_highDensity;      // decoded from m_highDensityJpeg
    mutable QImage m_scaledCache;      // the picture as drawn into destRect, kept between paints
    QPointer<QWidget> m_watchedParent; // whose resizing re-centres the control
};
