#pragma once

#include <QAction>

// A menu item that the highlights create at run time. A class of its own so that a highlight can
// tell a click from its menu item apart from a call by another highlight.
//
// Its check mark belongs to its owner: choosing the item does not toggle it. The owner reads the
// mark as it was before the click and sets it through setChecked when the state it shows changes.
class TMenuItem : public QAction
{
    Q_OBJECT
public:
    explicit TMenuItem(QObject *parent = nullptr);
    TMenuItem(const QString &text, QObject *parent);

    // Whether anything handles OnClick.
    bool hasClickHandler() const;
    // Runs the click handler with Sender, as a click would with the item itself.
    void click(QObject *Sender);

signals:
    void OnClick(QObject *Sender);

private:
    void triggeredByUser(bool checked);
};
