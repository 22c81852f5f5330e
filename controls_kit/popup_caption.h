#pragma once

#include "left_press.h"

#include <QPoint>
#include <QWidget>

class QToolButton;

// The caption strip of a popup drawn inside its main window, where the platform lets no client
// place a window of its own: the popup's title and a close button, and dragging it moves the
// popup within the window, as a window manager's title bar would.
class TPopupCaption : public QWidget
{
    Q_OBJECT

public:
    explicit TPopupCaption(QWidget *popup);

    static constexpr int Height = 20;

signals:
    // Pressed anywhere, as a window manager activates the window whose title bar is pressed.
    void pressed();
    // Dragged: the popup's top-left corner the pointer asks for, in its parent's coordinates.
    void dragged(const QPoint &topLeft);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QToolButton *m_close = nullptr;
    TLeftPress m_press; // down while dragging
    QPoint m_grab;      // the pointer's offset in the popup while dragging
};
