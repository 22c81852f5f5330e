#include "port_resources_panel.h"

#include "card_jumpers.h"
#include "error_report.h"
#include "hex_address.h"
#include "linux_setup.h"
#include "linux_setup_window.h"
#include "message_box.h"
#include "port_resources_boxes.h"
#include "radio_panel.h"
#include "resource_rules.h"
#include "resource_writer.h"
#include "two_jumper.h"
#include "up_down.h"
#include "write_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaMethod>

#include <utility>

namespace {

using ResourceRules::PortCount;
constexpr int PortAddressMin = int(ResourceRules::PortAddressMin);
constexpr int PortAddressMax = int(ResourceRules::PortAddressMax);
// Asked of every spinner on entry: the register code 0xFF, which stands for every port.
constexpr int EntryRequest = 8 * 0xFF;
const QString Unchosen = QStringLiteral("***");

// A port address as the edits show it: three upper-case hexadecimal digits.
QString editText(int address)
{
    return QStringLiteral("%1").arg(address, 3, 16, QLatin1Char('0')).toUpper();
}

TPortResourceValues resourceValues(const ResourceRules::Addresses &addresses, std::optional<int> irq,
                                   quint8 rs422Mask)
{
    TPortResourceValues values;
    std::copy(addresses.begin(), addresses.end(), values.ports.begin());
    values.irq = irq;
    values.rs422Mask = rs422Mask;
    return values;
}

} // namespace

TPortResourcesPanel::TPortResourcesPanel(const TPortResourcesControls &controls, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_writer(new TResourceWriter(this))
{
    setObjectName(QStringLiteral("PortResources"));
    if (m_controls.panel) {
        const auto controls =
            m_controls.panel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        for (const QWidget *control : controls) {
            // isHidden() is a control's own flag, independent of whether the panel is on screen.
            if (!control->isHidden())
                m_overviewControls.insert(control);
        }
    }
    connect(m_writer, &TResourceWriter::finished, this, &TPortResourcesPanel::writeFinished);
    for (QLineEdit *edit : m_controls.portEdits) {
        if (edit)
            edit->installEventFilter(this);
    }
    // The focus entering the panel pairs the controls again; pairing now as well means the mask
    // and the keys work even if the panel is used before it ever had the focus.
    pairControls();
}

void TPortResourcesPanel::setPortAccess(bool available)
{
    // Without a cause, the one an ordinary user meets.
    m_access = available ? Commissioning::AccessState::Available : Commissioning::AccessState::NotInGroup;
}

TPortResourcesPanel::~TPortResourcesPanel()
{
    // A window that goes during a write stops it at once; there is nobody left to tell.
    disconnect(m_writer, nullptr, this, nullptr);
    m_writer->cancel();
}

QWidget *TPortResourcesPanel::dialogParent() const
{
    return m_controls.panel ? m_controls.panel->window() : nullptr;
}

QLineEdit *TPortResourcesPanel::portEdit(int port) const
{
    return m_controls.portEdits.at(std::size_t(port));
}

TUpDown *TPortResourcesPanel::portSpinner(int port) const
{
    return m_controls.portSpinners.at(std::size_t(port));
}

void TPortResourcesPanel::ConfigButtonClick()
{
    // Only from the overview: entering afresh while a sequence runs would move the register
    // address under it.
    if (m_state != State::Overview || !m_controls.panel)
        return;
    setState(State::Entering);
    const QPointer<TPortResourcesPanel> self(this);
    const auto answer = PortResourcesBoxes::show(
        dialogParent(), QMessageBox::Question, QStringLiteral("Access Warning"),
        QStringLiteral("The setup program will now try to access the card. Only continue if the base address "
                       "has been set correctly(Settings | Base Address) and the card is installed."),
        QMessageBox::Ok | QMessageBox::Cancel);
    // The box ran an event loop of its own, in which the window may have gone.
    if (self)
        enterAfterWarning(answer == QMessageBox::Ok);
}

void TPortResourcesPanel::enterAfterWarning(bool accepted)
{
    const QString text = m_controls.baseEdit ? m_controls.baseEdit->text() : QString();
    const std::optional<quint32> value = parseHexAddress(text);
    if (!accepted || !value) {
        setState(State::Overview);
        if (accepted)
            showException(QLatin1Char('"') + text + QLatin1Char('"') +
                              QStringLiteral(" is not a valid hexadecimal value."),
                          dialogParent());
        return;
    }
    // The card answers at the address its jumpers set, whatever else was typed.
    m_controlBase = quint16(CardJumpers::settableAddress(*value));
    startConfiguration();
}

// The configuration state afresh: every spinner asked for the code of every port, the edits at
// "***", no IRQ, the protocol's RS-422 marks, then the values of an opened card file.
void TPortResourcesPanel::startConfiguration()
{
    setState(State::Configuring);
    for (int port = 0; port < PortCount; ++port) {
        if (TUpDown *spinner = portSpinner(port))
            spinner->setPosition(EntryRequest);
    }
    for (int port = 0; port < PortCount; ++port) {
        if (QLineEdit *edit = portEdit(port))
            edit->setText(Unchosen);
    }
    if (QComboBox *irq = m_controls.irqCombo)
        irq->setCurrentIndex(-1);
    const bool rs422 = m_controls.rs422Jumper && m_controls.rs422Jumper->Closed();
    for (QCheckBox *check : m_controls.rs422Checks) {
        if (check)
            check->setChecked(rs422);
    }
    startWithPlanned();
}

// The values of an opened card file, once.
void TPortResourcesPanel::startWithPlanned()
{
    if (!m_planned)
        return;
    const TPortResourceValues planned = *std::exchange(m_planned, std::nullopt);
    for (int port = 0; port < PortCount; ++port) {
        const std::optional<quint16> address = planned.ports.at(std::size_t(port));
        if (!address || !portSpinner(port) || !portEdit(port))
            continue;
        // The edit is set as well: a set to the spinner's own value reports nothing.
        portSpinner(port)->setPosition(*address);
        portEdit(port)->setText(editText(*address));
    }
    if (planned.irq && m_controls.irqCombo) {
        const int item = int(ResourceRules::irqNumbers().indexOf(*planned.irq));
        m_controls.irqCombo->setCurrentIndex(
            m_controls.irqCombo->findText(ResourceRules::irqItems().value(item)));
    }
    for (int port = 0; planned.rs422Mask && port < PortCount; ++port) {
        if (QCheckBox *check = m_controls.rs422Checks.at(std::size_t(port)))
            check->setChecked(*planned.rs422Mask & (1u << port));
    }
}

TPortResourceValues TPortResourcesPanel::validResources() const
{
    const QComboBox *irq = m_controls.irqCombo;
    bool valid = !overviewShown() && irq && irq->currentIndex() >= 0;
    for (int port = 0; valid && port < PortCount; ++port)
        valid =
            portEdit(port) && portSpinner(port) && ResourceRules::resourceTextValid(portEdit(port)->text());
    if (!valid || ResourceRules::sharedAddress(portAddresses()))
        return m_written.value_or(TPortResourceValues{});
    return resourceValues(portAddresses(), ResourceRules::irqOfItem(irq->currentText()), rs422Mask());
}

// The closing box of a write; true when the user chose to save the values in a card file. The
// details hold the Linux set-up of the ports just written, for the user to copy.
bool TPortResourcesPanel::confirmWritten(const QString &linuxSetup) const
{
    bool save = false;
    TMessageBoxExtras extras;
    extras.details = linuxSetup;
    if (offersSave()) {
        extras.actionText = QStringLiteral("Save Card File...");
        extras.actionChosen = &save;
    }
    showMessageBox(dialogParent(), QMessageBox::Information, QStringLiteral("Confirmation"),
                   WriteTexts::windowWritten(), QMessageBox::Ok | QMessageBox::Cancel, extras);
    return save;
}

bool TPortResourcesPanel::offersSave() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&TPortResourcesPanel::saveWrittenRequested));
}

bool TPortResourcesPanel::checkResource(const QString &text, const QString &label) const
{
    if (ResourceRules::resourceTextValid(text))
        return true;
    PortResourcesBoxes::show(dialogParent(), QMessageBox::Warning, QStringLiteral("Invalid Setting"),
                             ResourceRules::invalidSettingText(label), QMessageBox::Ok);
    return false;
}

void TPortResourcesPanel::UseButtonClick()
{
    // Only in the configuration: the boxes before the write and the write itself let clicks in
    // again, and a second sequence would mix its index and data writes with the first one's.
    if (m_state != State::Configuring || !m_controls.panel)
        return;
    setState(State::Confirming);
    const QPointer<TPortResourcesPanel> self(this);
    const ResourceRules::Addresses addresses = portAddresses();
    const int irq =
        m_controls.irqCombo ? ResourceRules::irqOfItem(m_controls.irqCombo->currentText()).value_or(0) : 0;
    const bool confirmed = writeConfirmed(addresses, irq);
    // The boxes ran event loops of their own, in which the window may have gone.
    if (self && confirmed && m_controls.panel)
        startWrite(addresses, irq);
    else if (self)
        setState(State::Configuring);
}

// The checks of the choices and of the card's reach, then the question; a failed check has shown
// its box.
bool TPortResourcesPanel::writeConfirmed(const ResourceRules::Addresses &addresses, int irq) const
{
    if (!choicesValid())
        return false;
    if (!portAccess()) {
        // Writing would silently do nothing: say so instead of reporting success.
        PortResourcesBoxes::noPortAccess(dialogParent(), m_access);
        return false;
    }
    if (!CardJumpers::controlBaseUsable(m_controlBase)) {
        PortResourcesBoxes::unusableControlBase(dialogParent(), editText(m_controlBase));
        return false;
    }
    return confirmWrite(addresses, irq);
}

// The resource check of each port and the IRQ, and no two ports at one address; a failed check
// has shown its box.
bool TPortResourcesPanel::choicesValid() const
{
    const QPointer<const TPortResourcesPanel> self(this);
    for (int port = 0; port < PortCount; ++port) {
        const QLineEdit *edit = portEdit(port);
        // A port without its spinner has nothing to write: judged like an unchosen address.
        const QString text = edit && portSpinner(port) ? edit->text() : QString();
        const bool valid = checkResource(text, ResourceRules::portLabel(port));
        if (!self || !valid)
            return false;
    }
    const QComboBox *irq = m_controls.irqCombo;
    if (!irq || irq->currentIndex() < 0) {
        checkResource(QStringLiteral("*"), ResourceRules::irqLabel());
        return false;
    }
    // Two ports at one address would both stop working once the card takes the resources.
    if (const auto shared = ResourceRules::sharedAddress(portAddresses())) {
        PortResourcesBoxes::show(dialogParent(), QMessageBox::Warning, QStringLiteral("Invalid Setting"),
                                 ResourceRules::sharedAddressText(shared->first, shared->second),
                                 QMessageBox::Ok);
        return false;
    }
    return true;
}

// The question before the write; true when the user answered OK.
bool TPortResourcesPanel::confirmWrite(const ResourceRules::Addresses &addresses, int irq) const
{
    // The question stays as it always was; the checks' warnings and problems go into its details,
    // headed by a sentence when one is a problem.
    const QList<Commissioning::Finding> findings = commissioningFindings(addresses, irq);
    const bool problem = Commissioning::count(findings, Commissioning::Severity::Problem) > 0;
    const auto answer = PortResourcesBoxes::show(
        dialogParent(), QMessageBox::Question, QStringLiteral("Confirmation"), WriteTexts::windowQuestion(),
        QMessageBox::Ok | QMessageBox::Cancel,
        (problem ? QStringLiteral("The checks of this Linux found a problem:\n") : QString()) +
            Commissioning::wrapped(Commissioning::findingLines(findings, false), 56, 2));
    return answer == QMessageBox::Ok;
}

// The write sequence; writeFinished() tells how it ended.
void TPortResourcesPanel::startWrite(const ResourceRules::Addresses &addresses, int irq)
{
    // Everything is gathered before the first write: changes made during the waits do not alter
    // the sequence under way.
    const ResourceRules::Values values = ResourceRules::registerValues(addresses, irq, rs422Mask());
    m_linuxSetup.emplace(QList<TLinuxSetup::Card>{{QString(), m_controlBase, addresses, irq, x8Clock()}},
                         TSystemState::read());
    m_writing = resourceValues(addresses, irq, values.back());
    setState(State::Writing);
    // A refusal during the writes is explained by what the start-up test found.
    m_writer->setKnownAccess(m_access);
    m_writer->start(m_controlBase, values);
}

void TPortResourcesPanel::writeFinished(const TWriteResult &result)
{
    // The boxes, and the card file dialog the closing box may lead to, run event loops of their
    // own, in which the window may go, and the panel with it.
    const QPointer<TPortResourcesPanel> self(this);
    const bool save = reportEnd(result);
    if (self && result.succeeded())
        keepLinuxSetup(save);
    if (!self)
        return;
    setState(result.succeeded() ? State::Overview : State::Configuring);
    emit sequenceFinished();
}

// The box that ends a sequence; true when the user chose to save the values written.
bool TPortResourcesPanel::reportEnd(const TWriteResult &result)
{
    if (result.succeeded()) {
        // As gathered before the first write, whatever changed during the waits.
        m_written = m_writing;
        setState(State::Written);
        return confirmWritten(m_linuxSetup->textWithStableNames());
    }
    // Nothing more was written; the panel stays in configuration with the user's values.
    if (!result.cancelled)
        PortResourcesBoxes::writeFailure(dialogParent(), result);
    return false;
}

// The set-up stays at hand, beside the window, to copy or save while setting Linux up.
void TPortResourcesPanel::keepLinuxSetup(bool save)
{
    (new TLinuxSetupWindow(*m_linuxSetup, dialogParent()))->show();
    if (save)
        emit saveWrittenRequested();
}

bool TPortResourcesPanel::x8Clock() const
{
    return m_controls.clockCombo && CardJumpers::clockJumper(m_controls.clockCombo->currentIndex());
}

QList<Commissioning::Finding>
TPortResourcesPanel::commissioningFindings(const ResourceRules::Addresses &addresses, int irq) const
{
    return Commissioning::check({m_controlBase, addresses, irq, x8Clock()}, TSystemState::read(), m_access);
}

void TPortResourcesPanel::BaseUDChangingEx(TUpDown *Sender, bool &AllowChange, int NewValue, int Direction)
{
    Q_UNUSED(AllowChange)
    Q_UNUSED(Direction)
    if (!Sender)
        return;
    auto *edit = qobject_cast<QLineEdit *>(Sender->Associate());
    if (!edit)
        return;
    const int value = qBound(PortAddressMin, NewValue, PortAddressMax);
    edit->setText(editText(value));
}

void TPortResourcesPanel::BaseEditKeyDown(QLineEdit *Sender, int Key)
{
    int change = 0;
    switch (Key) {
    case Qt::Key_PageUp:
        change = 64;
        break;
    case Qt::Key_PageDown:
        change = -64;
        break;
    case Qt::Key_Up:
        change = 8;
        break;
    case Qt::Key_Down:
        change = -8;
        break;
    default:
        return;
    }
    for (int port = 0; port < PortCount; ++port) {
        TUpDown *const spinner = portSpinner(port);
        if (Sender && portEdit(port) == Sender && spinner) {
            spinner->setPosition(spinner->Position() + change);
            return;
        }
    }
}

void TPortResourcesPanel::COMBasePanelEnter()
{
    pairControls();
}

void TPortResourcesPanel::pairControls()
{
    for (int port = 0; port < PortCount; ++port) {
        if (TUpDown *spinner = portSpinner(port))
            spinner->setAssociate(portEdit(port));
    }
}

bool TPortResourcesPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            BaseEditKeyDown(edit, static_cast<const QKeyEvent *>(event)->key());
    }
    return QObject::eventFilter(watched, event);
}

void TPortResourcesPanel::setState(State state)
{
    m_state = state;
    showState();
}

bool TPortResourcesPanel::overviewShown() const
{
    return m_state == State::Overview || m_state == State::Entering || m_state == State::Written;
}

void TPortResourcesPanel::showState()
{
    if (!m_controls.panel)
        return;
    const bool overview = overviewShown();
    const auto controls = m_controls.panel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *control : controls)
        control->setVisible(m_overviewControls.contains(control) == overview);
}

ResourceRules::Addresses TPortResourcesPanel::portAddresses() const
{
    ResourceRules::Addresses addresses{};
    for (int port = 0; port < PortCount; ++port) {
        const TUpDown *spinner = portSpinner(port);
        addresses[std::size_t(port)] = quint16(spinner ? spinner->Position() : 0);
    }
    return addresses;
}

quint8 TPortResourcesPanel::rs422Mask() const
{
    quint8 mask = 0;
    for (int port = 0; port < PortCount; ++port) {
        const QCheckBox *check = m_controls.rs422Checks.at(std::size_t(port));
        if (check && check->isChecked())
            mask |= quint8(1u << port);
    }
    return mask;
}
