#pragma once

#include "left_press.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QWidget>

class QMenuBar;
class QMenu;
class QAction;
class TPopupForm;
class TRadioPanel;

Q_MOC_INCLUDE("radio_panel.h")

// A soft coloured ring over one feature of the photographed card. Hovering lights its group and
// opens the group's popup; a click pins it. Registers its group in the menu bar at first paint.
class TBoardHighlight : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Title READ Title WRITE setTitle)
    Q_PROPERTY(THighlightType HighlightType READ HighlightType WRITE setHighlightType)
    Q_PROPERTY(bool CreatePopup READ CreatePopup WRITE setCreatePopup)
    Q_PROPERTY(TRadioPanel *RadioPanel READ RadioPanel WRITE setRadioPanel)
    Q_PROPERTY(QString PopupCaption READ PopupCaption)
    Q_PROPERTY(QString NameStem READ NameStem)
    Q_PROPERTY(bool Hovered READ Hovered)
    Q_PROPERTY(bool Pinned READ Pinned)
    Q_PROPERTY(bool Active READ Active)
    Q_PROPERTY(bool Initialized READ Initialized)

public:
    enum THighlightType : quint8 { htOptions = 0, htSettings = 1, htCalibration = 2 };
    Q_ENUM(THighlightType)

    explicit TBoardHighlight(QWidget *parent = nullptr);
    ~TBoardHighlight() override;

    QString Title() const { return m_title; }
    void setTitle(const QString &value);
    THighlightType HighlightType() const { return m_highlightType; }
    void setHighlightType(THighlightType value);
    bool CreatePopup() const { return m_createPopup; }
    void setCreatePopup(bool value) { m_createPopup = value; }
    TRadioPanel *RadioPanel() const;
    void setRadioPanel(TRadioPanel *value);
    QString PopupCaption() const { return m_popupCaption; }
    QString NameStem() const { return m_nameStem; }
    bool Hovered() const { return m_hovered; }
    bool Pinned() const { return m_pinned; }
    bool Active() const { return m_active; }
    bool Initialized() const { return m_initialized; }

    QColor ringColor() const { return m_ringColor; }
    float idleIntensity() const { return m_idleIntensity; }
    float litIntensity() const { return m_litIntensity; }
    float glowIntensity() const { return m_glowIntensity; }
    QImage idleImage() const { return m_idleImage; }
    QImage litImage() const { return m_litImage; }
    QImage glowImage() const { return m_glowImage; }
    TPopupForm *popup() const;
    QMenuBar *menu() const { return m_menu; }

    // The members of this highlight's group in the parent's child order (this one included).
    QList<TBoardHighlight *> group() const;
    // Derived strings of a title.
    static QString popupCaptionOf(const QString &title);
    static QString nameStemOf(const QString &title);

    void BuildImages();
    void Enter(bool Propagated);
    void Leave(bool Propagated);
    void click();
    void Pin();
    void pinAndFocus();
    void SetActive(bool Value, bool Propagate);
    void clearHover();
    void popupClosed();
    void showPopup();
    // Menus and the guided walk.
    void registerMenuItem();
    void checkMenuItem(bool Value);
    void menuItemClick(QObject *Sender);
    void previousClick();
    void nextClick();
    // The group's item in its type menu, or none; typeMenu, when given, receives that menu.
    QAction *menuItem(QMenu **typeMenu = nullptr) const;

signals:
    void OnClick(QObject *Sender);

protected:
    // Takes the board picture's ShowFirst request (KitObjects::ShowFirstMessage).
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Group walks hold guarded pointers: a reaction may raise members (reordering the children)
    // or, through a handler, delete one.
    QList<QPointer<TBoardHighlight>> guardedGroup() const;
    void applyTypeColours();
    QObject *menuOwner() const;
    void addMenuItem(QMenu *typeMenu);
    // Closes the popup and opens the group step items away in the type menu, wrapping around.
    void walk(int step);

    QImage m_idleImage;
    QImage m_glowImage;
    QImage m_litImage;
    float m_idleIntensity = 0.5f;
    float m_glowIntensity = 1.0f;
    float m_litIntensity = 0.75f;
    QColor m_ringColor{255, 255, 0};
    THighlightType m_highlightType = htSettings;
    bool m_hovered = false;
    QPointer<TPopupForm> m_popup;
    QString m_title;
    QString m_popupCaption;
    QString m_nameStem;
    QMenuBar *m_menu = nullptr;
    bool m_initialized = false;
    bool m_createPopup = true;
    bool m_pinned = false;
    QPointer<TRadioPanel> m_radioPanel;
    bool m_active = false;
    TLeftPress m_press;
};
