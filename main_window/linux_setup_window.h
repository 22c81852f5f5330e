#pragma once

#include "linux_setup.h"

#include <QWidget>

class QPlainTextEdit;

// The Linux set-up of the ports just written, in a window of its own that stays beside the main
// window: resizable, its text selectable and copyable, and Save... writes the same files as
// tr4410ctl linux --output into a folder the user picks.
class TLinuxSetupWindow : public QWidget
{
    Q_OBJECT
public:
    TLinuxSetupWindow(const TLinuxSetup &setup, QWidget *parent);

    QString text() const;
    // Writes the files into folder; a failure is shown in a warning box. True when all were written.
    bool saveInto(const QString &folder);

private slots:
    void saveButtonClick();

private:
    const TLinuxSetup m_setup;
    QPlainTextEdit *m_text = nullptr;
};
