#include "pci_form.h"

#include "anchors.h"
#include "kit_fonts.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace {
constexpr int MemoWidth = 305;
constexpr int MemoHeight = 89;
constexpr int ButtonWidth = 73;
constexpr int ButtonHeight = 25;
constexpr int Margin = 8;
// The button is centred on the window's initial outer width, before the controls are fitted.
constexpr int InitialOuterWidth = 320;
} // namespace

TPCIForm::TPCIForm(QWidget *owner, const QString &cardName)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint)
{
    registerKitFonts(); // Tahoma
    setObjectName(QStringLiteral("PCIForm"));
    setWindowTitle(cardName + QStringLiteral(" Cards installed"));

    m_pciMemo = new QPlainTextEdit(this);
    m_pciMemo->setObjectName(QStringLiteral("PCIMemo"));
    m_pciMemo->setReadOnly(true);
    m_pciMemo->setFont(QFont(QStringLiteral("Tahoma"), 10, QFont::Bold));
    m_pciMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    m_closeButton = new QPushButton(QStringLiteral("Close"), this);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    setTabOrder(m_closeButton, m_pciMemo);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::hide);
    auto *const escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, m_closeButton, &QPushButton::click);

    // Fitting the controls (memo at 8, 8) to the client area moves them up and left by 8.
    const int buttonLeft = (InitialOuterWidth - ButtonWidth) / 2;
    m_pciMemo->setGeometry(0, 0, MemoWidth, MemoHeight);
    m_closeButton->setGeometry(buttonLeft - Margin, MemoHeight + Margin, ButtonWidth, ButtonHeight);
    resize(MemoWidth, MemoHeight + Margin + ButtonHeight);
    // The memo follows every edge; the button keeps its bottom gap and its proportional place.
    Anchoring::setAnchors(m_pciMemo, Anchors::akLeft | Anchors::akTop | Anchors::akRight | Anchors::akBottom);
    Anchoring::setAnchors(m_closeButton, Anchors::akBottom);
    m_closeButton->setFocus();
}

// The window's shortcuts answer only while it is the active window; a key that reaches it
// otherwise (no window manager to activate it) is handled here, so the keys still work.
void TPCIForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        m_closeButton->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
