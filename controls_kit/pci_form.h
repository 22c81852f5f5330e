#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The cards-installed window: one line per installed card of the kind the program sets up.
class TPCIForm : public QWidget
{
    Q_OBJECT
public:
    TPCIForm(QWidget *owner, const QString &cardName);

    QPlainTextEdit *PCIMemo() const { return m_pciMemo; }
    QPushButton *CloseButton() const { return m_closeButton; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPlainTextEdit *m_pciMemo = nullptr;
    QPushButton *m_closeButton = nullptr;
};
