#pragma once

#include <QAccessibleWidget>

class QLabel;
class TTwoJumper;

// A jumper glyph as a screen reader meets it: a check box named by the label beside it in its
// panel, checked while the shunt is fitted, unavailable when it only mirrors another glyph.
class TAccessibleTwoJumper : public QAccessibleWidget
{
public:
    explicit TAccessibleTwoJumper(TTwoJumper *glyph);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

    // The label that names a glyph: the nearest label of the same parent lined up with its middle,
    // above a standing glyph (a row of jumpers) or to the left of a lying one (a column).
    static const QLabel *labelOf(const TTwoJumper *glyph);

private:
    TTwoJumper *glyph() const;
};
