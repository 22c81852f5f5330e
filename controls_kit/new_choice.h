#pragma once

#include <QObject>

class QComboBox;

// Tells a drop-down list's new choices apart from re-choices. QComboBox raises activated also when
// the user picks, in the opened list, the entry that is already chosen; that changes nothing and
// must not run the list's change handler. made is emitted only for a choice that changed the
// entry.
class TNewChoice : public QObject
{
    Q_OBJECT
public:
    // Watches combo; a child of it.
    explicit TNewChoice(QComboBox *combo);

signals:
    void made(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Whether the entry changed since the list was last opened. Choices made with the list closed
    // (arrow keys, typing, the wheel) always change it.
    bool m_changed = true;
};
