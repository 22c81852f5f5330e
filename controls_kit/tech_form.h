#pragma once

#include "memo_window.h"

// The technical-support window: the maker's support details, closed with Close or Esc.
class TTechForm : public TMemoWindow
{
    Q_OBJECT
public:
    explicit TTechForm(QWidget *owner);

    QPlainTextEdit *TechMemo() const { return memo(); }
};
