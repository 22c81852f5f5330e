#pragma once

class QMouseEvent;
class QWidget;

// The left button from its press on a widget to its release, followed as a push button follows
// it: the release completes a click when the press began on the widget and the pointer is still
// inside it. Other buttons neither start nor end a press.
class TLeftPress
{
public:
    // Starts a press when event is the left button's.
    void press(const QMouseEvent *event);
    // Ends the press on the left button's release; whether that completes a click on widget.
    bool release(const QMouseEvent *event, const QWidget *widget);
    bool down() const { return m_down; }

private:
    bool m_down = false;
};
