#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// A stay-on-top window of the supporter that shows a read-only text with a Close button centred
// below it; Close and Esc hide it. The text takes up any growth of the window.
class TMemoWindow : public QWidget
{
    Q_OBJECT
public:
    QPlainTextEdit *memo() const { return m_memo; }
    QPushButton *CloseButton() const { return m_closeButton; }

protected:
    // The controls are laid out at the window's client origin: the memo at (0, 0), the button
    // below it at buttonLeft.
    TMemoWindow(QWidget *owner, const QString &memoName, int buttonLeft);

    void keyPressEvent(QKeyEvent *event) override;

private:
    QPlainTextEdit *m_memo = nullptr;
    QPushButton *m_closeButton = nullptr;
};
