#pragma once

#include "anchors.h"
#include "jumper_host.h"

#include <QColor>
#include <QFrame>
#include <QPointer>
#include <QStringList>

class TTwoJumper;

// The container of one option group: its controls, jumper glyphs and explanation text. Hidden on
// the main window; a highlight's popup takes it in and shows it.
class TRadioPanel : public QFrame, public TJumperHost
{
    Q_OBJECT
    Q_INTERFACES(TJumperHost)
    Q_PROPERTY(bool RadioEnabled READ RadioEnabled WRITE setRadioEnabled)
    Q_PROPERTY(QStringList Lines READ Lines WRITE setLines)
    Q_PROPERTY(int MemoHeight READ MemoHeight WRITE setMemoHeight)
    Q_PROPERTY(TAnchors FinalAnchors READ FinalAnchors WRITE setFinalAnchors)
    Q_PROPERTY(TAnchors Anchors READ Anchors WRITE setAnchors)
    Q_PROPERTY(bool InPopup READ InPopup WRITE setInPopup)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(bool Visible READ isVisible WRITE setVisible)
    Q_PROPERTY(bool DesignMode READ DesignMode WRITE setDesignMode)

public:
    explicit TRadioPanel(QWidget *parent = nullptr);
    ~TRadioPanel() override;

    bool RadioEnabled() const { return m_radioEnabled; }
    void setRadioEnabled(bool value);
    QStringList Lines() const { return m_lines; }
    void setLines(const QStringList &value);
    int MemoHeight() const { return m_memoHeight; }
    void setMemoHeight(int value);
    TAnchors FinalAnchors() const { return m_finalAnchors; }
    void setFinalAnchors(TAnchors value);
    TAnchors Anchors() const;
    void setAnchors(TAnchors value);
    bool InPopup() const { return m_inPopup; }
    void setInPopup(bool value);
    QColor Color() const { return m_color; }
    void setColor(const QColor &value);
    bool DesignMode() const { return m_designMode; }
    void setDesignMode(bool value);

    // Called when a direct-child glyph was clicked while RadioEnabled is set.
    void RadioSelect(TTwoJumper *Jumper);

    bool servesGlyphs() const override;
    QColor glyphBackground() const override { return m_color; }
    void glyphClicked(TTwoJumper *glyph) override;

signals:
    void OnRadioChange(QObject *Sender);
    void OnActivate(QObject *Sender);
    void OnDeactivate(QObject *Sender);
    void OnEnter(QObject *Sender); // the focus entered the panel

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void applyColor();
    // Lets the glyphs take the focus, after the panel's other controls in the tab order.
    void orderGlyphsLast();
    void focusMoved(QWidget *old, QWidget *now);

    bool m_radioEnabled = false;
    QStringList m_lines;
    int m_memoHeight = 58;
    bool m_designHidden = false;
    TAnchors m_finalAnchors = Anchors::akLeft | Anchors::akTop;
    bool m_inPopup = false;
    QColor m_color;
    bool m_designMode = false;
    bool m_colorFollowsSystem = true;
    bool m_glyphsOrdered = false;
    QPointer<QWidget> m_lastFocus; // the last focus widget in the panel's window
};
