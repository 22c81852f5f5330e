#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// What a message box may have beyond its icon, caption, text and buttons.
struct TMessageBoxExtras
{
    // Shown under "Show Details..." line for line, in a fixed-width font, as it is to be copied.
    QString details;
    QString objectName;
    // Plain text unless a box asks otherwise: its text may hold a card file's keys, values and
    // path, which are never markup.
    Qt::TextFormat textFormat = Qt::PlainText;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
    Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint;
    // A button of the box's own beside the standard ones, such as "Save Card File...". When it
    // closes the box, showMessageBox returns NoButton and sets *actionChosen.
    QString actionText;
    bool *actionChosen = nullptr;
};

// Shows a modal message box and returns the button that closed it (NoButton when the box went
// without an answer). The box is made on the heap and watched: the window that owns it may be
// destroyed while the box waits for its answer, and the box goes with it.
QMessageBox::StandardButton showMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                           const QString &text, QMessageBox::StandardButtons buttons,
                                           const TMessageBoxExtras &extras = {});
