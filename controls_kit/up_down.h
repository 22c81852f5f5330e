#pragma once

#include <QWidget>

class QToolButton;

// A small up-down spinner (two arrow buttons, no text of its own). Every change request, from its
// arrows or from a set by code, is first reported through OnChangingEx with the requested value,
// which may lie outside Min..Max (also when the spinner already stands at that bound); then the
// spinner takes the value bounded to its range. Setting the value it already holds reports
// nothing. No wrap-around.
class TUpDown : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Min READ Min WRITE setMin)
    Q_PROPERTY(int Max READ Max WRITE setMax)
    Q_PROPERTY(int Increment READ Increment WRITE setIncrement)
    Q_PROPERTY(int Position READ Position WRITE setPosition)
    Q_PROPERTY(bool Wrap READ Wrap WRITE setWrap)
    Q_PROPERTY(bool Thousands READ Thousands WRITE setThousands)
    Q_PROPERTY(QWidget *Associate READ Associate WRITE setAssociate)

public:
    enum TUpDownDirection { updNone, updUp, updDown };
    Q_ENUM(TUpDownDirection)

    explicit TUpDown(QWidget *parent = nullptr);

    int Min() const { return m_min; }
    void setMin(int value);
    int Max() const { return m_max; }
    void setMax(int value);
    int Increment() const { return m_increment; }
    void setIncrement(int value);
    int Position() const { return m_position; }
    // A change request from code: reported, then bounded.
    void setPosition(int value);
    bool Wrap() const { return m_wrap; }
    void setWrap(bool value) { m_wrap = value; }
    bool Thousands() const { return m_thousands; }
    void setThousands(bool value) { m_thousands = value; }
    // The control this spinner works with; stored only, the spinner does not drive it.
    QWidget *Associate() const { return m_associate; }
    void setAssociate(QWidget *value) { m_associate = value; }

    // The arrow buttons' requests: Position +/- Increment.
    void stepUp();
    void stepDown();

signals:
    // NewValue is the requested value, before bounding. A handler may clear AllowChange.
    void OnChangingEx(QObject *Sender, bool &AllowChange, int NewValue, int Direction);
    void OnChanged(QObject *Sender);

private:
    void request(int value, TUpDownDirection direction);

    int m_min = 0;
    int m_max = 100;
    int m_increment = 1;
    int m_position = 0;
    bool m_wrap = false;
    bool m_thousands = true;
    QWidget *m_associate = nullptr;
    QToolButton *m_up = nullptr;
    QToolButton *m_down = nullptr;
};
