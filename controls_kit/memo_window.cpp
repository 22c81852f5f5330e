#include "memo_window.h"

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
constexpr int Gap = 8;
} // namespace

TMemoWindow::TMemoWindow(QWidget *owner, const QString &memoName, int buttonLeft)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint)
{
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(memoName);
    m_memo->setReadOnly(true);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    m_closeButton = new QPushButton(QStringLiteral("Close"), this);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    setTabOrder(m_closeButton, m_memo);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::hide);
    auto *const escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, m_closeButton, &QPushButton::click);

    m_memo->setGeometry(0, 0, MemoWidth, MemoHeight);
    m_closeButton->setGeometry(buttonLeft, MemoHeight + Gap, ButtonWidth, ButtonHeight);
    resize(MemoWidth, MemoHeight + Gap + ButtonHeight);
    // The memo follows every edge; the button keeps its bottom gap and its proportional place.
    Anchoring::setAnchors(m_memo, Anchors::akLeft | Anchors::akTop | Anchors::akRight | Anchors::akBottom);
    Anchoring::setAnchors(m_closeButton, Anchors::akBottom);
    m_closeButton->setFocus();
}

// The window's shortcuts answer only while it is the active window; a key that reaches it
// otherwise (no window manager to activate it) is handled here, so the keys still work.
void TMemoWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        m_closeButton->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
