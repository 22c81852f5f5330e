#include "up_down.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

TUpDown::TUpDown(QWidget *parent)
    : QWidget(parent)
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
{
    // Two arrows that share the height, as a classic spinner draws them; holding one repeats.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *button : {m_up, m_down}) {
        button->setArrowType(button == m_up ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        button->setIconSize(QSize(5, 5));
        layout->addWidget(button);
    }
    m_up->setObjectName(QStringLiteral("UpButton"));
    m_down->setObjectName(QStringLiteral("DownButton"));
    connect(m_up, &QToolButton::clicked, this, &TUpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &TUpDown::stepDown);
}

void TUpDown::setMin(int value)
{
    if (value == m_min)
        return;
    m_min = value;
    // A new range silently bounds the position; only requests are reported.
    m_position = std::clamp(m_position, m_min, std::max(m_min, m_max));
}

void TUpDown::setMax(int value)
{
    if (value == m_max)
        return;
    m_max = value;
    m_position = std::clamp(m_position, std::min(m_min, m_max), m_max);
}

void TUpDown::setIncrement(int value)
{
    if (value == m_increment)
        return;
    m_increment = value;
}

void TUpDown::setPosition(int value)
{
    if (value == m_position)
        return;
    request(value, updNone);
}

void TUpDown::stepUp()
{
    request(m_position + m_increment, updUp);
}

void TUpDown::stepDown()
{
    request(m_position - m_increment, updDown);
}

void TUpDown::request(int value, TUpDownDirection direction)
{
    bool allowChange = true;
    emit OnChangingEx(this, allowChange, value, int(direction));
    if (!allowChange)
        return;
    // No wrap-around: a request beyond a bound stops at the bound.
    const int bounded = std::clamp(value, std::min(m_min, m_max), m_max);
    if (bounded == m_position)
        return;
    m_position = bounded;
    emit OnChanged(this);
}
