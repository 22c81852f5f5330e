#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTextEdit;

// The help window that explains the highlights. Built by the setup supporter; hiding it with
// Start leads the user into the board picture's first popup.
class THelpForm : public QWidget
{
    Q_OBJECT
public:
    // owner is the main window, which owns this window. The window is enlarged for screenSize.
    THelpForm(QWidget *owner, const QSize &screenSize);

    QTextEdit *HelpRich() const { return m_helpRich; }
    QLabel *HelpLabel() const { return m_helpLabel; }
    QPushButton *CloseButton() const { return m_closeButton; } // never created: always nullptr
    QPushButton *StartButton() const { return m_startButton; }

    // Shows the rich text rtf, from its beginning.
    void setHelpText(const QByteArray &rtf);

    // The client size of the window on a screen of screenSize, from its size on an 800 x 600
    // screen: larger screens scale it up by the smaller of the two screen ratios.
    static QSize scaledClientSize(const QSize &client, const QSize &screenSize);
    static constexpr int BaseClientWidth = 305;
    static constexpr int BaseClientHeight = 138;

public slots:
    void StartButtonClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    // The client area fitted to the controls, then grown with the screen.
    void fitToScreen(const QSize &screenSize);

    QTextEdit *m_helpRich = nullptr;
    QLabel *m_helpLabel = nullptr;
    QPushButton *m_closeButton = nullptr;
    QPushButton *m_startButton = nullptr;
};
