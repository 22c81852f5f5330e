#pragma once

#include <QPointer>
#include <QWidget>

// The frame and shadow around a popup drawn inside its main window (where the platform lets no
// client place a window): without them two popups that overlap would merge into one block. It
// stands just under the popup among the window's children and follows its place, size, showing
// and stacking.
class TPopupFrame : public QWidget
{
    Q_OBJECT

public:
    explicit TPopupFrame(QWidget *popup);

    static constexpr int Border = 2;
    static constexpr int Shadow = 5;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void follow();

    QPointer<QWidget> m_popup;
};
