#include "main_form.h"
#include "ui_main_form.h"

#include "application_idle.h"
#include "board_highlight.h"
#include "board_image.h"
#include "card_file_actions.h"
#include "card_jumpers.h"
#include "frame_hints.h"
#include "help_form.h"
#include "hex_address.h"
#include "kit_accessibility.h"
#include "kit_fonts.h"
#include "ktxwdm.h"
#include "message_box.h"
#include "new_choice.h"
#include "port_access_probe.h"
#include "port_resources_panel.h"
#include "radio_panel.h"
#include "setup_supporter.h"
#include "tech_form.h"
#include "two_jumper.h"
#include "up_down.h"
#include "window_placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScreen>
#include <QWindow>

namespace {
const QStringList &twoEntryLoadList()
{
    static const QStringList list{QStringLiteral("No Termination"), QStringLiteral("Termination")};
    return list;
}

const QStringList &fourEntryLoadList()
{
    static const QStringList list{QStringLiteral("No Termination"), QStringLiteral("Terminate Transmit"),
                                  QStringLiteral("Terminate Receive"), QStringLiteral("Terminate Both")};
    return list;
}

void replaceItems(QComboBox *combo, const QStringList &items)
{
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItems(items);
}

// Shows a jumper on its glyph and on the two glyphs that mirror it.
void setClosedAlike(TTwoJumper *glyph, TTwoJumper *mirror, TTwoJumper *secondMirror, bool closed)
{
    glyph->setClosed(closed);
    mirror->setClosed(glyph->Closed());
    secondMirror->setClosed(glyph->Closed());
}
} // namespace

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::TMainForm>())
{
    // The fixed layout is measured for its face; it must be known before the first polish.
    registerLayoutFont();
    // Screen readers meet the kit's controls as the standard controls they act like.
    KitAccessibility::install();
    ui->setupUi(this);
    resolveReferences();
    connectChoices();
    // The design's client area is 804 x 589 below the menu bar.
    resize(804, 589 + ui->MainMenu1->sizeHint().height());
    loadPhotograph();
    setUpSupporter();
    setUpPortResources();
    setUpCardFiles();

    // A panel takes its controls into its popup in the order in which they follow the panel in
    // the window's focus chain, and Tab from the panel visits them so: the protocol list, first in
    // its panel's tab order, must come right behind the panel. setTabOrder passes over widgets
    // that take no focus, hence the panel's policy for the moment.
    ui->ModePanel->setFocusPolicy(Qt::TabFocus);
    QWidget::setTabOrder(ui->ModePanel, ui->ModeCombo);
    ui->ModePanel->setFocusPolicy(Qt::NoFocus);

    FormCreate(this);
}

TMainForm::~TMainForm() = default;

// The form names a highlight's panel, the board picture's first highlight and its menu bar by
// name; the objects exist only once the whole form is built.
void TMainForm::resolveReferences()
{
    const auto highlights = ui->BoardImage1->findChildren<TBoardHighlight *>(Qt::FindDirectChildrenOnly);
    for (TBoardHighlight *highlight : highlights) {
        const QString panelName = highlight->property("RadioPanelName").toString();
        if (!panelName.isEmpty())
            highlight->setRadioPanel(ui->centralwidget->findChild<TRadioPanel *>(panelName));
    }
    const QString firstName = ui->BoardImage1->property("FirstName").toString();
    ui->BoardImage1->setFirst(ui->BoardImage1->findChild<TBoardHighlight *>(firstName));
    const QString menuName = ui->BoardImage1->property("MenuName").toString();
    ui->BoardImage1->setMenu(findChild<QMenuBar *>(menuName));
}

// A list's change handler answers a new choice; picking the entry already chosen changes nothing.
void TMainForm::connectChoices()
{
    const auto connectChoice = [this](QComboBox *combo, void (TMainForm::*handler)(QObject *)) {
        connect(new TNewChoice(combo), &TNewChoice::made, this,
                [this, combo, handler] { (this->*handler)(combo); });
    };
    connectChoice(ui->ModeCombo, &TMainForm::ModeComboChange);
    connectChoice(ui->LoadCombo, &TMainForm::LoadComboChange);
    connectChoice(ui->ClockCombo, &TMainForm::ClockComboChange);
    connectChoice(ui->DFCombo, &TMainForm::DFComboChange);
}

void TMainForm::loadPhotograph()
{
    QFile photograph(QStringLiteral(":/board.jpg"));
    if (photograph.open(QIODevice::ReadOnly))
        ui->BoardImage1->loadJpeg(photograph.readAll());
    // Read here, decoded only when a high-density screen shows it.
    QFile highDensity(QStringLiteral(":/board@2x.jpg"));
    if (highDensity.open(QIODevice::ReadOnly))
        ui->BoardImage1->setHighDensityJpeg(highDensity.readAll());
}

void TMainForm::setUpSupporter()
{
    m_setSup = new TSetupSupporter(this);
    m_setSup->setObjectName(QStringLiteral("SetSup"));
    m_setSup->setCompanyName(QStringLiteral("VANTO"));
    m_setSup->setCardNameA(QStringLiteral("TR-4410"));
    m_setSup->setCardNameB(QStringLiteral("TR-4410/B"));
    m_setSup->setCallHow(QStringLiteral("between 8 am and 5 pm Pacific Time at 1-800-555-0142"));
    m_setSup->setMultiPort(true);
    m_setSup->setChangeButtons(true);
    m_setSup->setCardCountSource(&KTXWDM::cardCount);
}

void TMainForm::setUpPortResources()
{
    TPortResourcesControls controls;
    controls.panel = ui->COMBasePanel;
    controls.baseEdit = ui->BaseEdit;
    controls.rs422Jumper = ui->RS422JumperA;
    controls.irqCombo = ui->IRQCombo;
    controls.clockCombo = ui->ClockCombo;
    controls.portEdits = {ui->BaseEditA, ui->BaseEditB, ui->BaseEditC, ui->BaseEditD,
                          ui->BaseEditE, ui->BaseEditF, ui->BaseEditG, ui->BaseEditH};
    controls.portSpinners = {ui->BaseUDA, ui->BaseUDB, ui->BaseUDC, ui->BaseUDD,
                             ui->BaseUDE, ui->BaseUDF, ui->BaseUDG, ui->BaseUDH};
    controls.rs422Checks = {ui->LockRTSCheckA, ui->LockRTSCheckB, ui->LockRTSCheckC, ui->LockRTSCheckD,
                            ui->LockRTSCheckE, ui->LockRTSCheckF, ui->LockRTSCheckG, ui->LockRTSCheckH};
    m_portResources = new TPortResourcesPanel(controls, this);
}

void TMainForm::setUpCardFiles()
{
    TCardFileControls controls;
    controls.window = this;
    controls.baseEdit = ui->BaseEdit;
    controls.modeCombo = ui->ModeCombo;
    controls.loadCombo = ui->LoadCombo;
    controls.autoRtsCheck = ui->AutoRTSCheck;
    controls.clockCombo = ui->ClockCombo;
    controls.dfCombo = ui->DFCombo;
    controls.portResources = m_portResources;
    m_cardFiles = new TCardFileActions(controls, this);
    // The closing box of a write offers the values just written for a card file.
    connect(m_portResources, &TPortResourcesPanel::saveWrittenRequested, m_cardFiles,
            &TCardFileActions::save);
}

void TMainForm::FormCreate(QObject *)
{
    // The supporter's deferred start-up runs on the first idle moment of the message loop.
    const QPointer<TSetupSupporter> supporter = m_setSup;
    ApplicationIdle::setOnIdle([supporter](QObject *Sender, bool &Done) {
        if (supporter)
            supporter->appIdle(Sender, Done);
        else
            ApplicationIdle::setOnIdle({}); // the window went before its first idle moment
    });

    // Selections set from code raise no handler: the layout's glyphs already show these choices.
    ui->ModeCombo->setCurrentIndex(CardJumpers::RS485);
    ui->LoadCombo->setCurrentIndex(0);
    ui->ClockCombo->setCurrentIndex(CardJumpers::X1);
    ui->DFCombo->setCurrentIndex(CardJumpers::PortsEnabled);

    QFont dittoFont = ui->DittoLabel->font();
    dittoFont.setBold(true);
    ui->DittoLabel->setFont(dittoFont);

    // The probe port answers the driver-absent value when the maker's kernel driver is not loaded.
    const QPointer<TMainForm> self(this);
    const PortAccessProbe::Answer probe = PortAccessProbe::read();
    m_driverPresent = probe.driverPresent;
    auto access = Commissioning::AccessState::Available;
    if (!m_driverPresent) {
        access = PortAccessProbe::cause(probe.failure, TSystemState::read());
        // The text is the maker's; the details say what it means here, with what to do.
        TMessageBoxExtras extras;
        extras.details = Commissioning::wrapped(
            QStringLiteral("On this machine: %1, so the port resources cannot be written.\n\n%2")
                .arg(Commissioning::accessCause(access), Commissioning::accessRemedy(access)));
        showMessageBox(this, QMessageBox::NoIcon, QStringLiteral("Warning"),
                       QStringLiteral("ROREDIR.OVO not detected. Please copy ROREDIR.OVO into "
                                      "[NT]/system32/drivers and re-run this setup program."),
                       QMessageBox::Ok | QMessageBox::Cancel, extras); // either answer carries on
        if (!self)
            return;
    }
    m_portResources->setPortAccessState(access);
}

void TMainForm::OpenCardFile1Click(QObject *)
{
    m_cardFiles->open();
}

void TMainForm::SaveCardFile1Click(QObject *)
{
    m_cardFiles->save();
}

void TMainForm::PrintJumperSheet1Click(QObject *)
{
    // The photograph at twice its size, as high-density screens show it, for the printer.
    const QImage sharp = ui->BoardImage1->highDensityPicture();
    m_cardFiles->printSheet(sharp.isNull() ? ui->BoardImage1->Picture() : sharp);
}

void TMainForm::Exit2Click(QObject *)
{
    close();
}

void TMainForm::Howtousethisprogram1Click(QObject *)
{
    if (QWidget *help = m_setSup->HelpForm()) {
        help->show();
        help->raise();
        help->activateWindow();
    }
}

void TMainForm::TechnicalSupport1Click(QObject *)
{
    if (QWidget *tech = m_setSup->TechForm()) {
        tech->show();
        tech->raise();
        tech->activateWindow();
    }
}

void TMainForm::setBaseEditValid(bool valid)
{
    // A bad entry is shown by the edit taking on its panel's colour, nothing else.
    QWidget *const panel = ui->BaseEdit->parentWidget();
    QColor colour = QApplication::palette(ui->BaseEdit).color(QPalette::Base);
    if (!valid) {
        const auto *radioPanel = qobject_cast<const TRadioPanel *>(panel);
        colour = radioPanel && radioPanel->Color().isValid()
                     ? radioPanel->Color()
                     : QApplication::palette(panel).color(QPalette::Button);
    }
    QPalette palette = ui->BaseEdit->palette();
    palette.setColor(QPalette::Base, colour);
    ui->BaseEdit->setPalette(palette);
}

// The master glyphs of the address lines A4 to A9, lowest bit first.
std::array<TTwoJumper *, 6> TMainForm::addressMasters() const
{
    return {ui->BaseJumper4A, ui->BaseJumper5A, ui->BaseJumper6A,
            ui->BaseJumper7A, ui->BaseJumper8A, ui->BaseJumper9A};
}

void TMainForm::BaseEditChange(QObject *)
{
    const QString text = ui->BaseEdit->text();
    const std::optional<quint32> value = parseHexAddress(text);
    if (!value) {
        setBaseEditValid(false);
        return;
    }
    ui->BaseLabelFeedback->setText(CardJumpers::addressFeedback(text, *value));

    const auto fitted = CardJumpers::addressJumpers(CardJumpers::settableAddress(*value));
    const auto masters = addressMasters();
    for (std::size_t line = 0; line < masters.size(); ++line)
        masters[line]->setClosed(fitted[line]);
    setBaseEditValid(true);

    ui->BaseJumper8B->setClosed(ui->BaseJumper8A->Closed());
    ui->BaseJumper9B->setClosed(ui->BaseJumper9A->Closed());
    ui->BaseJumper9C->setClosed(ui->BaseJumper9A->Closed());
}

void TMainForm::BaseJumperClick(QObject *)
{
    std::array<bool, CardJumpers::AddressLineCount> fitted{};
    const auto masters = addressMasters();
    for (std::size_t line = 0; line < masters.size(); ++line)
        fitted[line] = masters[line]->Closed();
    // The text change runs BaseEditChange, which sets every address glyph again.
    ui->BaseEdit->setText(CardJumpers::addressText(CardJumpers::addressFromJumpers(fitted)));
}

void TMainForm::ModeComboChange(QObject *)
{
    const int index = ui->ModeCombo->currentIndex();
    const CardJumpers::ProtocolJumpers jumpers = CardJumpers::protocolJumpers(index);
    // No selection, or anything unknown, counts as RS-232.
    if (index != jumpers.protocol)
        ui->ModeCombo->setCurrentIndex(jumpers.protocol);
    const bool rs485 = jumpers.protocol == CardJumpers::RS485;

    ui->RS232JumperA->setClosed(jumpers.rs232);
    ui->RS4xxJumperA->setClosed(jumpers.rs4xx);
    ui->RS485JumperA->setClosed(jumpers.rs485);
    ui->RS422JumperA->setClosed(jumpers.rs422);
    ui->AutoRTSCheck->setVisible(jumpers.autoRts);
    ui->AutoRTSCheck->setChecked(jumpers.autoRts); // raises AutoRTSCheckClick when it changes
    ui->AutoRTSJumperA->setClosed(jumpers.autoRts);
    ui->AutoRTSJumperB->setClosed(jumpers.autoRts);
    ui->AutoRTSJumperA->setEnabled(jumpers.autoRts);
    ui->LoadCombo->setVisible(jumpers.loadUsed);
    if (jumpers.loadUsed) {
        // RS-232 leaves the termination list as it was, hidden.
        replaceItems(ui->LoadCombo, rs485 ? twoEntryLoadList() : fourEntryLoadList());
        ui->LoadCombo->setCurrentIndex(0);
    }

    ui->RS232JumperB->setClosed(ui->RS232JumperA->Closed());
    ui->RS4xxJumperB->setClosed(ui->RS4xxJumperA->Closed());
    ui->RS485JumperB->setClosed(ui->RS485JumperA->Closed());
    ui->RS422JumperB->setClosed(ui->RS422JumperA->Closed());

    const bool loadShown = !ui->LoadCombo->isHidden();
    ui->TLLabelB->setEnabled(loadShown);
    ui->RLLabelB->setEnabled(loadShown);
    ui->TLJumperA->setEnabled(loadShown);
    ui->RLJumperA->setEnabled(loadShown);

    LoadComboChange(this);
}

void TMainForm::LoadComboChange(QObject *)
{
    const CardJumpers::LoadJumpers jumpers = CardJumpers::loadJumpers(ui->LoadCombo->currentIndex());
    ui->TLJumperA->setClosed(jumpers.tl);
    ui->TLJumperB->setClosed(ui->TLJumperA->Closed());
    ui->RLJumperA->setClosed(jumpers.rl);
    ui->RLJumperB->setClosed(ui->RLJumperA->Closed());
}

void TMainForm::RS232JumperClick(QObject *)
{
    ui->ModeCombo->setCurrentIndex(ui->RS232JumperA->Closed() ? CardJumpers::RS232 : CardJumpers::RS485);
    ModeComboChange(this);
}

void TMainForm::RS4xxJumperClick(QObject *)
{
    ui->ModeCombo->setCurrentIndex(ui->RS4xxJumperA->Closed() ? CardJumpers::RS485 : CardJumpers::RS232);
    ModeComboChange(this);
}

void TMainForm::RS485JumperClick(QObject *)
{
    ui->ModeCombo->setCurrentIndex(ui->RS485JumperA->Closed() ? CardJumpers::RS485 : CardJumpers::RS422);
    ModeComboChange(this);
}

void TMainForm::RS422JumperClick(QObject *)
{
    ui->ModeCombo->setCurrentIndex(ui->RS422JumperA->Closed() ? CardJumpers::RS422 : CardJumpers::RS485);
    ModeComboChange(this);
}

void TMainForm::AutoRTSJumperClick(QObject *)
{
    ui->AutoRTSCheck->setChecked(ui->AutoRTSJumperA->Closed());
    ui->AutoRTSJumperB->setClosed(ui->AutoRTSJumperA->Closed());
}

void TMainForm::AutoRTSCheckClick(QObject *)
{
    ui->AutoRTSJumperA->setClosed(ui->AutoRTSCheck->isChecked());
    ui->AutoRTSJumperB->setClosed(ui->AutoRTSCheck->isChecked());
}

void TMainForm::RLJumperClick(QObject *)
{
    const int index = ui->LoadCombo->currentIndex();
    // RS-485 uses TL alone: a click on RL toggles the one termination.
    if (ui->ModeCombo->currentIndex() == CardJumpers::RS485)
        ui->LoadCombo->setCurrentIndex(
            CardJumpers::withLoadLine(index, CardJumpers::TL, !ui->TLJumperA->Closed()));
    else
        ui->LoadCombo->setCurrentIndex(
            CardJumpers::withLoadLine(index, CardJumpers::RL, ui->RLJumperA->Closed()));
    LoadComboChange(this);
}

void TMainForm::TLJumperClick(QObject *)
{
    const int index = ui->LoadCombo->currentIndex();
    ui->LoadCombo->setCurrentIndex(
        CardJumpers::withLoadLine(index, CardJumpers::TL, ui->TLJumperA->Closed()));
    LoadComboChange(this);
}

void TMainForm::ClockComboChange(QObject *)
{
    setClosedAlike(ui->ClockJumperA, ui->ClockJumperB, ui->ClockJumperC,
                   CardJumpers::clockJumper(ui->ClockCombo->currentIndex()));
}

void TMainForm::ClockJumperClick(QObject *)
{
    ui->ClockCombo->setCurrentIndex(CardJumpers::clockOfJumper(ui->ClockJumperA->Closed()));
    ClockComboChange(this);
}

void TMainForm::DFComboChange(QObject *)
{
    setClosedAlike(ui->DFJumperA, ui->DFJumperB, ui->DFJumperC,
                   CardJumpers::dfJumper(ui->DFCombo->currentIndex()));
}

void TMainForm::DFJumperClick(QObject *)
{
    ui->DFCombo->setCurrentIndex(CardJumpers::portSwitchOfJumper(ui->DFJumperA->Closed()));
    DFComboChange(this);
}

void TMainForm::ConfigButtonClick(QObject *)
{
    m_portResources->ConfigButtonClick();
}

void TMainForm::UseButtonClick(QObject *)
{
    m_portResources->UseButtonClick();
}

void TMainForm::BaseUDChangingEx(QObject *Sender, bool &AllowChange, int NewValue, int Direction)
{
    if (auto *upDown = qobject_cast<TUpDown *>(Sender))
        m_portResources->BaseUDChangingEx(upDown, AllowChange, NewValue, Direction);
}

void TMainForm::BaseEditKeyDown(QObject *Sender, int Key, int)
{
    if (auto *edit = qobject_cast<QLineEdit *>(Sender))
        m_portResources->BaseEditKeyDown(edit, Key);
}

void TMainForm::COMBasePanelEnter(QObject *)
{
    m_portResources->COMBasePanelEnter();
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle())
        fitFrameToWorkArea();
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    // A resource write cut short would leave the card half configured: close once it has ended.
    if (m_portResources && m_portResources->busy()) {
        // Not from inside the write's own call chain.
        connect(m_portResources, &TPortResourcesPanel::sequenceFinished, this, &QWidget::close,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection | Qt::SingleShotConnection));
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Opened maximised, the window fills the work area with a fixed frame (fitFrameToWorkArea).
    // Where the compositor sizes a maximised window, a size of the program's own breaks the
    // protocol: the maximised state alone fills the work area there.
    m_fillWorkArea = isMaximized() && WindowPlacement::clientPlacesWindows();
    if (QWindow *const window = windowHandle())
        window->installEventFilter(this);
}

bool TMainForm::event(QEvent *event)
{
    const bool done = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        fitFrameToWorkArea();
        break;
    default:
        break;
    }
    return done;
}

// The frame fills the work area and its size is fixed, so that the window manager offers no
// resizing. The window manager frames and places the window first, and may drop the maximised
// state once the size is fixed; each time the frame then no longer fills the work area, the
// window is fitted again from the frame's real size.
void TMainForm::fitFrameToWorkArea()
{
    const QWindow *const window = windowHandle();
    const QScreen *const workScreen = screen();
    if (!m_fillWorkArea || !window || !window->isExposed() || !workScreen || m_fitting)
        return;
    const QRect workArea = workScreen->availableGeometry();
    const QSize client = workArea.size() - (frameGeometry().size() - size());
    if (frameGeometry() == workArea && minimumSize() == client && maximumSize() == client)
        return;
    const QScopedValueRollback<bool> fitting(m_fitting, true);
    setFixedSize(client);
    FrameHints::forbidResizing(windowHandle());
    move(workArea.topLeft());
}
