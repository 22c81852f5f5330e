#include "help_form.h"

#include "anchors.h"
#include "board_image.h"
#include "kit_fonts.h"
#include "rtf_reader.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QShortcut>
#include <QTextCursor>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

namespace {

constexpr int RichTop = 24;
constexpr int RichHeight = 73;
constexpr int StartWidth = 173;
constexpr int StartHeight = 25;
constexpr int StartTop = 105;
constexpr int BottomMargin = 8;

bool isBoardImage(const QObject *object)
{
    return qobject_cast<const TBoardImage *>(object) != nullptr;
}

QWidget *firstBoardImage(const QObject *parent)
{
    if (!parent)
        return nullptr;
    const QObjectList &children = parent->children();
    const auto it = std::find_if(children.cbegin(), children.cend(), isBoardImage);
    return it == children.cend() ? nullptr : static_cast<QWidget *>(*it);
}

} // namespace

THelpForm::THelpForm(QWidget *owner, const QSize &screenSize)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint)
{
    registerKitFonts(); // Verdana
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Instructions for Settings utility"));
    createControls();
    fitToScreen(screenSize);
    m_startButton->setFocus();
}

void THelpForm::createControls()
{
    m_helpRich = new QTextEdit(this);
    m_helpRich->setObjectName(QStringLiteral("HelpRich"));
    m_helpRich->setGeometry(0, RichTop, BaseClientWidth, RichHeight);
    m_helpRich->setReadOnly(true);
    m_helpRich->setAcceptRichText(true);
    m_helpRich->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_helpRich->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette richPalette = m_helpRich->palette();
    richPalette.setColor(QPalette::Base, QColor(221, 221, 221));
    m_helpRich->setPalette(richPalette);

    m_helpLabel = new QLabel(QStringLiteral("How to use this program"), this);
    m_helpLabel->setObjectName(QStringLiteral("HelpLabel"));
    m_helpLabel->setFont(QFont(QStringLiteral("Verdana"), 12, QFont::Bold));
    m_helpLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_helpLabel->setGeometry(0, 0, BaseClientWidth, std::min(m_helpLabel->sizeHint().height(), RichTop));

    m_startButton = new QPushButton(QStringLiteral("Start"), this);
    m_startButton->setObjectName(QStringLiteral("StartButton"));
    m_startButton->setGeometry(0, StartTop, StartWidth, StartHeight);
    m_startButton->setDefault(true);
    setTabOrder(m_startButton, m_helpRich);
    connect(m_startButton, &QPushButton::clicked, this, &THelpForm::StartButtonClick);

    // Start is both the default and the cancel button of this window.
    for (const QKeySequence &key :
         {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Escape)}) {
        auto *const shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, m_startButton, &QPushButton::click);
    }
}

void THelpForm::fitToScreen(const QSize &screenSize)
{
    // Fit the client area to the controls, with a margin below the button; the window then
    // grows with the screen, the text box taking up the extra room.
    const QRect box = m_helpRich->geometry() | m_helpLabel->geometry() | m_startButton->geometry();
    resize(box.right() + 1, box.bottom() + 1 + BottomMargin);
    m_startButton->move((width() - StartWidth) / 2, StartTop);
    // The text box keeps its distances to all four edges, the label spans the top and the button
    // stays centred at its distance from the bottom.
    Anchoring::setAnchors(m_helpLabel, Anchors::akLeft | Anchors::akTop | Anchors::akRight);
    Anchoring::setAnchors(m_helpRich,
                          Anchors::akLeft | Anchors::akTop | Anchors::akRight | Anchors::akBottom);
    Anchoring::setAnchors(m_startButton, Anchors::akBottom);
    resize(scaledClientSize(size(), screenSize));
    Anchoring::realign(this); // hidden, the window gets its resize event only when shown
}

QSize THelpForm::scaledClientSize(const QSize &client, const QSize &screenSize)
{
    double s = std::min(screenSize.height() / 450.0, screenSize.width() / 800.0);
    if (!(s >= 1.0)) // also for a screen of no size
        s = 1.0;
    // std::nearbyint rounds halves to the even neighbour in the default rounding mode.
    return QSize(int(std::nearbyint(client.width() * s)), int(std::nearbyint(client.height() * s)));
}

void THelpForm::setHelpText(const QByteArray &rtf)
{
    RtfReader::read(rtf, m_helpRich->document());
    m_helpRich->moveCursor(QTextCursor::Start);
    m_helpRich->ensureCursorVisible();
}

void THelpForm::StartButtonClick()
{
    hide();
    // The user goes on in the popup of the board picture's first highlight.
    const QWidget *const owner = parentWidget();
    if (!owner)
        return;
    QWidget *board = nullptr;
    if (const auto *const mainWindow = qobject_cast<const QMainWindow *>(owner))
        board = firstBoardImage(mainWindow->centralWidget());
    if (!board)
        board = firstBoardImage(owner);
    if (board) {
        QEvent request{QEvent::Type(KitObjects::ShowFirstMessage)};
        QCoreApplication::sendEvent(board, &request);
    }
}

// The window's shortcuts answer only while it is the active window; a key that reaches it
// otherwise (no window manager to activate it) is handled here, so the keys still work.
void THelpForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_startButton->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
