#include "tech_form.h"

#include "anchors.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace {
constexpr int MemoWidth = 305;
constexpr int MemoHeight = 89;
constexpr int ButtonWidth = 73;
constexpr int ButtonHeight = 25;
} // namespace

TTechForm::TTechForm(QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TechForm"));
    setWindowTitle(QStringLiteral("Technical Support"));

    m_techMemo = new QPlainTextEdit(this);
    m_techMemo->setObjectName(QStringLiteral("TechMemo"));
    m_techMemo->setReadOnly(true);
    m_techMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_techMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    m_closeButton = new QPushButton(QStringLiteral("Close"), this);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    setTabOrder(m_closeButton, m_techMemo);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::hide);
    auto *const escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, m_closeButton, &QPushButton::click);

    // The controls fitted to the client area: memo at the origin, button centred below it.
    m_techMemo->setGeometry(0, 0, MemoWidth, MemoHeight);
    m_closeButton->setGeometry((MemoWidth - ButtonWidth) / 2, MemoHeight + 8, ButtonWidth, ButtonHeight);
    resize(MemoWidth, MemoHeight + 8 + ButtonHeight);
    // The memo takes up any growth; the button stays centred at the bottom.
    Anchoring::setAnchors(m_techMemo,
                          Anchors::akLeft | Anchors::akTop | Anchors::akRight | Anchors::akBottom);
    Anchoring::setAnchors(m_closeButton, Anchors::akBottom);
    m_closeButton->setFocus();
}

// The window's shortcuts answer only while it is the active window; a key that reaches it
// otherwise (no window manager to activate it) is handled here, so the keys still work.
void TTechForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        m_closeButton->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
