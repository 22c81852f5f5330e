#pragma once

#include "memo_window.h"

// The cards-installed window: one line per installed card of the kind the program sets up.
class TPCIForm : public TMemoWindow
{
    Q_OBJECT
public:
    TPCIForm(QWidget *owner, const QString &cardName);

    QPlainTextEdit *PCIMemo() const { return memo(); }
};
