#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The technical-support window: the maker's support details, closed with Close or Esc.
class TTechForm : public QWidget
{
    Q_OBJECT
public:
    explicit TTechForm(QWidget *owner);

    QPlainTextEdit *TechMemo() const { return m_techMemo; }
    QPushButton *CloseButton() const { return m_closeButton; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPlainTextEdit *m_techMemo = nullptr;
    QPushButton *m_closeButton = nullptr;
};
