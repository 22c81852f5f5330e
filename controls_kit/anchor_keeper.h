#pragma once

#include <QObject>

class QWidget;

// Watches one parent widget and re-places its anchored children whenever it is resized. A child
// of the parent it watches; it holds no per-child state, so children may come and go freely.
class AnchorKeeper : public QObject
{
    Q_OBJECT
public:
    // The keeper of the parent, created on first use.
    static AnchorKeeper *of(QWidget *parent);

    // Re-places every anchored child for the parent's current size.
    void realign();
    // The same for any parent, whether it has a keeper or not.
    static void realignChildren(QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit AnchorKeeper(QWidget *parent);

    QWidget *const m_parent;
};
