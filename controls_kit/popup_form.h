#pragma once

#include <QWidget>

class QStatusBar;
class TBoardHighlight;

Q_MOC_INCLUDE(<QStatusBar>)
Q_MOC_INCLUDE("board_highlight.h")

// The stay-on-top tool window a highlight group shows: the option panel, its explanation, a
// status bar and Previous, Next and Done. Closing hides it; it lives as long as its highlight.
class TPopupForm : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QStatusBar *PopupStatus READ PopupStatus)
    Q_PROPERTY(TBoardHighlight *Highlight READ Highlight)
    Q_PROPERTY(bool CloseOnLeave READ CloseOnLeave WRITE setCloseOnLeave)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)

public:
    explicit TPopupForm(TBoardHighlight *owner);

    QStatusBar *PopupStatus() const { return m_popupStatus; }
    void setPopupStatus(QStatusBar *value) { m_popupStatus = value; }
    TBoardHighlight *Highlight() const { return m_highlight; }
    bool CloseOnLeave() const { return m_closeOnLeave; }
    void setCloseOnLeave(bool value) { m_closeOnLeave = value; }
    int Tag() const { return m_tag; }
    void setTag(int value) { m_tag = value; }

    // The size: the client size a panel needs (widened and heightened to the least overall size
    // of 194 x 122), or, without a panel (an invalid size), the overall size 194 x 141. The least
    // overall size is also the smallest the user can make it. memoHeight is the explanation's.
    void setSizeRule(const QSize &panelClient, int memoHeight);
    // The outer top-left corner, moved as far as needed to keep the whole window on the screen.
    void setPlace(const QPoint &place);

signals:
    // The hosted panel's activation events, re-raised as the popup's own.
    void OnActivate(QObject *Sender);
    void OnDeactivate(QObject *Sender);
    // Raised before the popup hides on any close.
    void OnClose(QObject *Sender);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    QStatusBar *m_popupStatus = nullptr;
    TBoardHighlight *m_highlight = nullptr;
    bool m_closeOnLeave = false;
    int m_tag = 0;

    void applySize();
    void applyPlace();

    // The rules above count the window's frame, which most window managers make known only once
    // the window is shown, sometimes in steps; they are applied again whenever the frame changes
    // while the popup is first shown.
    QSize m_panelClient;
    int m_memoHeight = 58;
    QPoint m_place;
    QSize m_frame{0, 0};
    QSize m_outer;
    bool m_placeMemo = false;
    bool m_framed = false; // shown in its frame and hidden again
};
