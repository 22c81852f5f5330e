#pragma once

#include <QAccessibleWidget>

class TBoardHighlight;

// A highlight as a screen reader meets it: a button named by its title whose press opens and pins
// its group's popup, as a click on the ring does.
class TAccessibleBoardHighlight : public QAccessibleWidget
{
public:
    explicit TAccessibleBoardHighlight(TBoardHighlight *highlight);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    TBoardHighlight *highlight() const;
};
