#include "setup_supporter.h"

#include "application_idle.h"
#include "error_report.h"
#include "help_form.h"
#include "kit_fonts.h"
#include "pci_form.h"
#include "tech_form.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace {

constexpr int TickInterval = 100; // ms
// A driver library that claims more cards than a PC/104 stack can hold is answering nonsense;
// asking for each of them could take forever.
constexpr int MaxCards = 1024;

// Text for the help's rich text: the characters that RTF reserves are escaped, and anything
// beyond ASCII is written as an escape, so that no name can break the markup around it.
QByteArray rtfEscaped(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += char(u);
        } else if (u < 0x80) {
            out += char(u);
        } else {
            // \uN takes a signed 16-bit number; \uc1 in the header makes readers skip the '?'.
            out += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
    }
    return out;
}

} // namespace

TSetupSupporter::TSetupSupporter(QWidget *owner)
    : QObject(owner)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(TickInterval);
    connect(m_timer, &QTimer::timeout, this, &TSetupSupporter::tick);
}

TSetupSupporter::~TSetupSupporter()
{
    m_calibrating = false;
    m_timer->stop();
}

void TSetupSupporter::setCompanyName(const QString &value)
{
    m_companyName = value;
}

void TSetupSupporter::setCardNameA(const QString &value)
{
    m_cardNameA = value;
}

void TSetupSupporter::setCardNameB(const QString &value)
{
    m_cardNameB = value;
}

void TSetupSupporter::setUseCardNameB(bool value)
{
    m_useCardNameB = value;
}

void TSetupSupporter::setCallHow(const QString &value)
{
    m_callHow = value;
}

void TSetupSupporter::setMultiPort(bool value)
{
    m_multiPort = value;
}

void TSetupSupporter::setChannels(int value)
{
    m_channels = quint8(std::clamp(value, 0, 255));
}

void TSetupSupporter::setChangeButtons(bool value)
{
    m_changeButtons = value;
}

void TSetupSupporter::setBSeries(bool value)
{
    m_bSeries = value;
}

void TSetupSupporter::setOnBeginCalib(TNotifyEvent handler)
{
    m_onBeginCalib = std::move(handler);
    updateTimer();
}

void TSetupSupporter::setOnGetCardString(TPCIEvent handler)
{
    m_onGetCardString = std::move(handler);
}

void TSetupSupporter::setCardCountSource(CardCountSource source)
{
    m_cardCountSource = std::move(source);
}

void TSetupSupporter::setOnGetCalibString(TCalibEvent handler)
{
    m_onGetCalibString = std::move(handler);
}

void TSetupSupporter::setOnStopButtonClick(TNotifyEvent handler)
{
    m_onStopButtonClick = std::move(handler);
}

void TSetupSupporter::setOnStartButtonClick(TNotifyEvent handler)
{
    m_onStartButtonClick = std::move(handler);
}

THelpForm *TSetupSupporter::HelpForm() const
{
    return m_helpForm;
}

TTechForm *TSetupSupporter::TechForm() const
{
    return m_techForm;
}

TPCIForm *TSetupSupporter::PCIForm() const
{
    return m_pciForm;
}

QLabel *TSetupSupporter::HeaderLabel() const
{
    return m_headerLabel;
}

QString TSetupSupporter::cardName() const
{
    return m_useCardNameB ? m_cardNameB : m_cardNameA;
}

QString TSetupSupporter::seriesSuffix() const
{
    return m_bSeries ? QStringLiteral(" Series") : QString();
}

QByteArray TSetupSupporter::helpText() const
{
    const QByteArray crlf("\r\n");
    const QByteArray card = rtfEscaped(cardName());
    QByteArray t;
    t += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Verdana;}}"
         "{\\colortbl\\red64\\green64\\blue64;\\red255\\green255\\blue64;\\red64\\green64\\blue255;"
         "\\red255\\green64\\blue64;}\\viewkind4\\uc1\\pard\\f0\\fs32\\cf0" +
         crlf + "{\\b ";
    t += rtfEscaped(m_companyName);
    t += " ";
    t += card;
    t += rtfEscaped(seriesSuffix());
    t += " Settings Program}\\par\\par\\fs24" + crlf;
    t += "This program will help you configure the option jumpers and settings associated with this "
         "product. You should have the product in-hand when first using this program.\\par\\par" +
         crlf;
    t +=
        "{\\cf1\\fs24\\b Yellow circles} provide information on configuring jumpers and switches.\\par\\par" +
        crlf;
    t += "{\\cf2\\fs24\\b Blue circles} are informational only. They provide information on standard and "
         "optional features of the product family.\\par\\par" +
         crlf;
    t += "{\\cf3\\fs24\\b Red circles} handle calibration and types of configuration that require actually "
         "controlling the hardware device. Run this settings program again once the card is installed. ";
    t += "Repeat the {\\cf1 setup circles} (using the same settings) to configure this program, then perform "
         "the {\\cf3 calibration circles}.\\par\\par" +
         crlf;
    t += "Mouse over the highlight circles to see configuration or information popups for {\\cf1 setup}, "
         "{\\cf2 features}, and {\\cf3 calibration}. Click a highlight circle to make its popup remain "
         "on-screen. ";
    t += "You can have all or as many of these popups onscreen at the same time as you desire.\\par\\par" +
         crlf;
    if (m_multiPort) {
        t += "{\\fs32\\b Note:} Make sure to set the jumpers for each option group \\emdash  the "
             "configuration "
             "options for each port are handled identically; ";
        t += "this program only shows the setup once, but you need to perform this setup for each group of "
             "options on your device.\\par\\par" +
             crlf;
    }
    if (m_onGetCardString) {
        t += "To see a list of ";
        t += card;
        t += " cards installed, click \"Display ";
        t += card;
        t += " Cards Installed\" under the File menu.\\par\\par" + crlf;
    }
    t += "}";
    return t;
}

QString TSetupSupporter::techText() const
{
    return QStringLiteral("There are several ways to get technical support. First and fastest is to skim the "
                          "relevant sections of the manual. However, some questions require personal "
                          "assistance, and ") +
           m_companyName + QStringLiteral(" stands ready to provide that help. You can call us ") +
           m_callHow +
           QStringLiteral(
               " for any of your product questions.\r\n\r\nIn order to provide the best and fastest "
               "support possible, we ask that you be at your computer when you call, and have the ") +
           m_companyName + QStringLiteral(" product manual and Utility Collection CD at hand.");
}

QWidget *TSetupSupporter::ownerWidget() const
{
    return qobject_cast<QWidget *>(parent());
}

QWidget *TSetupSupporter::clientArea() const
{
    QWidget *const owner = ownerWidget();
    if (const auto *const mainWindow = qobject_cast<const QMainWindow *>(owner)) {
        if (QWidget *const central = mainWindow->centralWidget())
            return central;
    }
    return owner;
}

QMenuBar *TSetupSupporter::mainMenu() const
{
    QWidget *const owner = ownerWidget();
    if (!owner)
        return nullptr;
    // menuBar() would create a menu bar for a main window that has none.
    if (const auto *const mainWindow = qobject_cast<const QMainWindow *>(owner))
        return qobject_cast<QMenuBar *>(mainWindow->menuWidget());
    return owner->findChild<QMenuBar *>(QString(), Qt::FindDirectChildrenOnly);
}

void TSetupSupporter::appIdle(QObject *Sender, bool &Done)
{
    Q_UNUSED(Sender);
    Q_UNUSED(Done);
    ApplicationIdle::setOnIdle(nullptr);
    if (m_built)
        return;
    m_built = true;
    try {
        build();
    } catch (const std::exception &e) {
        showException(QString::fromLocal8Bit(e.what()), ownerWidget());
    }
}

void TSetupSupporter::build()
{
    QWidget *const owner = ownerWidget();
    if (!owner)
        return;
    const QString card = cardName();

    buildHeaderLabel();

    const QScreen *const screen = QGuiApplication::primaryScreen();
    m_helpForm = new THelpForm(owner, screen ? screen->size() : QSize());
    m_helpForm->setHelpText(helpText());

    m_techForm = new TTechForm(owner);
    m_techForm->TechMemo()->setPlainText(techText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    const bool found = m_onGetCardString ? listCards() : true;
    if (found)
        m_headerLabel->setText(card + seriesSuffix() + QStringLiteral(" Settings Program"));

    m_showHelp = true;
    updateTimer();
}

void TSetupSupporter::buildHeaderLabel()
{
    registerKitFonts(); // Tahoma
    QWidget *const area = clientArea();
    m_headerLabel = new QLabel(area);
    m_headerLabel->setObjectName(QStringLiteral("HeaderLabel"));
    m_headerLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_headerLabel->setFont(QFont(QStringLiteral("Tahoma"), 18, QFont::Bold));
    QPalette palette = m_headerLabel->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    m_headerLabel->setPalette(palette);
    m_headerLabel->setGeometry(0, 0, area->width(), m_headerLabel->fontMetrics().height());
    m_headerLabel->show();
    // The label spans the top of the client area whatever its width.
    area->installEventFilter(this);
}

bool TSetupSupporter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && m_headerLabel && watched == m_headerLabel->parent())
        m_headerLabel->resize(static_cast<QWidget *>(watched)->width(), m_headerLabel->height());
    return QObject::eventFilter(watched, event);
}

bool TSetupSupporter::listCards()
{
    QWidget *const owner = ownerWidget();
    const QString card = cardName();

    m_pciForm = new TPCIForm(owner, card);
    if (QMenuBar *const bar = mainMenu()) {
        const QList<QAction *> items = bar->actions();
        const auto file = std::find_if(items.cbegin(), items.cend(),
                                       [](const QAction *a) { return a->text() == QLatin1String("&File"); });
        if (file != items.cend() && (*file)->menu()) {
            QMenu *const menu = (*file)->menu();
            auto *const displayPCI =
                new QAction(QStringLiteral("Display ") + card + QStringLiteral(" Cards Installed"), owner);
            displayPCI->setObjectName(QStringLiteral("DisplayPCI"));
            connect(displayPCI, &QAction::triggered, m_pciForm, &QWidget::show);
            menu->insertAction(menu->actions().value(0, nullptr), displayPCI);
        }
    }
    m_pciForm->show();

    const int count = m_cardCountSource ? std::min(m_cardCountSource(), MaxCards) : 0;

    QPlainTextEdit *const memo = m_pciForm->PCIMemo();
    bool found = false;
    if (count > 0) {
        memo->clear();
        for (int card = 0; card < count; ++card) {
            const QString line = m_onGetCardString(this, card);
            if (!line.isEmpty()) {
                memo->appendPlainText(line);
                found = true;
            }
        }
    }
    if (!found) {
        memo->setPlainText(QStringLiteral("No Card Found"));
        m_headerLabel->setText(QStringLiteral("No ") + card +
                               (m_bSeries ? QStringLiteral(" Series Card") : QString()) +
                               QStringLiteral(" Found"));
    }
    return found;
}

bool TSetupSupporter::tickActive() const
{
    return m_timer->isActive();
}

void TSetupSupporter::updateTimer()
{
    m_timer->stop();
    if (m_calibrating || m_showHelp) {
        m_timer->start();
        if (!m_timer->isActive())
            showException(QStringLiteral("Not enough timers available"), ownerWidget());
    }
}

void TSetupSupporter::tick()
{
    // A tick that arrives while a message box of the previous one is open waits its turn.
    if (m_inTick)
        return;
    m_inTick = true;
    try {
        if (m_showHelp) {
            showHelpCentred();
            m_showHelp = false;
            updateTimer();
        } else if (m_calibrating) {
            calibrationPass();
        }
    } catch (const std::exception &e) {
        showException(QString::fromLocal8Bit(e.what()), ownerWidget());
    } catch (...) {
        showException(QStringLiteral("Unexpected error during the supporter tick"), ownerWidget());
    }
    m_inTick = false;
}

void TSetupSupporter::showHelpCentred()
{
    if (!m_helpForm)
        return;
    m_helpForm->show();
    if (const QWidget *const owner = ownerWidget()) {
        const QRect ownerFrame = owner->isVisible() ? owner->frameGeometry() : owner->geometry();
        m_helpForm->move(m_helpForm->pos() + ownerFrame.center() - m_helpForm->frameGeometry().center());
    }
    m_helpForm->raise();
}
