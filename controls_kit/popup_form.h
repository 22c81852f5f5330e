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

private:
    QStatusBar *m_popupStatus = nullptr;
    TBoardHighlight *m_highlight = nullptr;
    bool m_closeOnLeave = false;
    int m_tag = 0;
};
