#pragma once

#include "anchors.h"
#include "left_press.h"

#include <QColor>
#include <QImage>
#include <QWidget>

// The picture of one two-pin jumper position: a base with two pins, open or closed by a shunt.
class TTwoJumper : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Closed READ Closed WRITE setClosed)
    Q_PROPERTY(QColor BaseColor READ BaseColor WRITE setBaseColor)
    Q_PROPERTY(QColor PinColor READ PinColor WRITE setPinColor)
    Q_PROPERTY(QColor JumperColor READ JumperColor WRITE setJumperColor)
    Q_PROPERTY(TOrientationType Orientation READ Orientation WRITE setOrientation)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(TAnchors Anchors READ Anchors WRITE setAnchors)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool Visible READ isVisible WRITE setVisible)

public:
    enum TOrientationType { otUp, otDown, otLeft, otRight };
    Q_ENUM(TOrientationType)
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    explicit TTwoJumper(QWidget *parent = nullptr);

    bool Closed() const { return m_closed; }
    void setClosed(bool value);
    QColor BaseColor() const { return m_baseColor; }
    void setBaseColor(const QColor &value);
    QColor PinColor() const { return m_pinColor; }
    void setPinColor(const QColor &value);
    QColor JumperColor() const { return m_jumperColor; }
    void setJumperColor(const QColor &value);
    TOrientationType Orientation() const { return m_orientation; }
    void setOrientation(TOrientationType value);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle value);
    TAnchors Anchors() const;
    void setAnchors(TAnchors value);

    // The finished, turned picture of the last paint: Width x Height times the screen's device
    // pixel ratio, which the image carries.
    QImage outputImage() const { return m_output; }
    // Draws the picture into the output image, exactly as a paint does (also swapping the size
    // when the orientation changed pair after the first paint).
    void render();
    // The user's click: toggle, the panel's radio selection, then OnClick.
    void click();

signals:
    void OnClick(QObject *Sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor backgroundColor() const;
    // Draws the unturned picture of a w x h glyph into the frame, scaled to its device pixels.
    void drawFrame(int w, int h, qreal scale);
    void turnFrame();

    TOrientationType m_orientation = otUp;
    bool m_closed = false;
    QImage m_output;
    QImage m_frame;
    bool m_axisChangePending = false;
    bool m_paintedOnce = false;
    QColor m_baseColor{128, 128, 128};
    QColor m_jumperColor{128, 0, 0};
    QColor m_pinColor{255, 255, 0};
    TBorderStyle m_borderStyle = bsSingle;
    TLeftPress m_press;
};
