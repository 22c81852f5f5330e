#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QPushButton;
class QStatusBar;
class TBoardHighlight;
class TRadioPanel;

Q_MOC_INCLUDE(<QStatusBar>)

// The stay-on-top tool window a highlight group shows: the option panel, its explanation, a
// status bar and Previous, Next and Done. Closing hides it; it lives as long as its highlight.
// Built and placed by itself, after KPopupFrame: setPanel() builds the contents, popup() places
// and shows the window. Its activation, closing and buttons are told by signals.
// Where the platform lets no client place a window (Wayland), the popup is drawn inside the main
// window instead, which fills the screen anyway: a sub-window with a caption strip of its own
// (TPopupCaption), placed by the same rule and active while the focus is inside it.
class TPopupForm : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QStatusBar *PopupStatus READ PopupStatus)
    Q_PROPERTY(bool CloseOnLeave READ CloseOnLeave WRITE setCloseOnLeave)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)

public:
    // highlight is the highlight that makes the popup; owner, the same highlight as a widget, owns
    // the window. The caption and the tag name the group's popup among the top-level windows.
    TPopupForm(TBoardHighlight *highlight, QWidget *owner, const QString &caption, int tag);
    ~TPopupForm() override;

    // A popup of the application, shown or hidden, with this caption and tag, or nullptr.
    static TPopupForm *find(const QString &caption, int tag);

    QStatusBar *PopupStatus() const { return m_popupStatus; }
    void setPopupStatus(QStatusBar *value) { m_popupStatus = value; }
    TBoardHighlight *Highlight() const { return m_highlight; }
    bool CloseOnLeave() const { return m_closeOnLeave; }
    void setCloseOnLeave(bool value) { m_closeOnLeave = value; }
    int Tag() const { return m_tag; }
    void setTag(int value) { m_tag = value; }

    // Takes panel in at the top-left corner (none: the explanation and the buttons alone), sizes
    // the window for it and builds the explanation, the buttons and the status bar below it.
    void setPanel(TRadioPanel *panel);
    // With a panel: where the panel stood on the main window, moved as far as the board picture
    // has moved since its first paint. Without one: just below the board picture.
    QPoint homePlace() const;
    // Shows the window with its outer top-left corner at pos, moved as far as needed to keep the
    // whole window on the screen, and makes it the active window.
    void popup(const QPoint &pos);
    // Brings the popup to the front and gives it the keyboard focus, as activating its window does.
    void activate();
    // The popup's outer rectangle (its frame included) in global coordinates.
    QRect outerRect() const;
    // Whether the popup is drawn inside its main window rather than in a window of its own.
    bool embedded() const { return m_embedded; }

signals:
    // The hosted panel's activation events, re-raised as the popup's own.
    void OnActivate(QObject *Sender);
    void OnDeactivate(QObject *Sender);
    // Raised before the popup hides on any close.
    void OnClose(QObject *Sender);
    // The Previous and Next buttons.
    void previousClicked();
    void nextClicked();

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
    QWidget *const m_owner;
    const bool m_embedded;
    // Inside the main window: the strip above the contents, and whether the focus is inside.
    int m_top = 0;
    bool m_focused = false;
    void focusChanged();
    void focusMoved();
    QSize frame() const;
    QRect bounds() const;

    // The size: the client size a panel needs (widened and heightened to the least overall size
    // of 194 x 122), or, without a panel (an invalid size), the overall size 194 x 141. The least
    // overall size is also the smallest the user can make it. memoHeight is the explanation's.
    void setSizeRule(const QSize &panelClient, int memoHeight);
    void buildControls(TRadioPanel *panel);
    void applySize();
    QPoint clampedPlace() const;
    void applyPlace();
    void lookAtFrame();
    bool settling() const;
    void watchFrame();

    // The rules above count the window's frame, which most window managers make known only once
    // the window is shown, sometimes in steps; they are applied again whenever the frame changes
    // while the popup is first shown.
    QSize m_panelClient;
    int m_memoHeight = 58;
    QPoint m_place;
    bool m_hasPanel = false;
    QPoint m_panelHome; // where the panel stood on the main window
    QWidget *m_firstFocus = nullptr;
    QSize m_frame{0, 0};
    QSize m_outer;
    bool m_placeMemo = false;
    bool m_framed = false; // shown in its frame and hidden again
    // Since the frame became known: the window manager may still move the window to where it
    // would have put it without the frame, which is then set right again.
    QElapsedTimer m_frameKnown;
    // From showing until the frame has settled, it is looked at every little while too.
    QTimer m_frameWatch;
    int m_frameLooks = 0;
};
