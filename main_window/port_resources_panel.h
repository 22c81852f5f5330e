#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>

#include <array>
#include <optional>

#include "commissioning_check.h"
#include "linux_setup.h"
#include "resource_rules.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QEvent;
class QWidget;
class TRadioPanel;
class TResourceWriter;
class TTwoJumper;
struct TWriteResult;
class TUpDown;

// The main window's controls that the port-resources logic reads and sets.
struct TPortResourcesControls
{
    QPointer<TRadioPanel> panel;      // COMBasePanel, whose direct children flip on entry and after a write
    QPointer<QLineEdit> baseEdit;     // the card's control base address
    QPointer<TTwoJumper> rs422Jumper; // the protocol's RS-422 glyph, which presets the RS-422 boxes
    QPointer<QComboBox> irqCombo;
    QPointer<QComboBox> clockCombo; // the baud clock choice, for the Linux set-up shown after a write
    // Ports A to H.
    std::array<QPointer<QLineEdit>, ResourceRules::PortCount> portEdits;
    std::array<QPointer<TUpDown>, ResourceRules::PortCount> portSpinners;
    // Box n gives bit n of the RS-422 mask.
    std::array<QPointer<QCheckBox>, ResourceRules::PortCount> rs422Checks;
};

// Port resources as a card file holds them: each value may be missing.
struct TPortResourceValues
{
    std::array<std::optional<quint16>, ResourceRules::PortCount> ports;
    std::optional<int> irq;
    std::optional<quint8> rs422Mask; // bit 0 port A ... bit 7 port H
};

// The logic behind the port-resources panel: entering the configuration state, keeping the eight
// address edits and spinners in step, checking the choices and writing the card's resource
// registers. The main window's handlers of that panel forward here.
class TPortResourcesPanel : public QObject
{
    Q_OBJECT
public:
    // Where the panel stands; its controls show the overview or the configuration accordingly.
    // Each click is taken in one state only, so a click during a box or a write is ignored.
    enum class State {
        Overview,    // the RS-422 boxes and the configure button
        Entering,    // the access warning before an entry is open, over the overview
        Configuring, // the address edits, spinners and IRQ, and the use button
        Confirming,  // the checks and the question before a write are open
        Writing,     // the write sequence runs, then the box of its failure
        Written,     // the closing box of a write that went through, over the overview
    };

    TPortResourcesPanel(const TPortResourcesControls &controls, QObject *parent);
    ~TPortResourcesPanel() override;

    State state() const { return m_state; }

    // Whether the start-up presence test found port access; without it nothing is written.
    void setPortAccess(bool available);
    bool portAccess() const { return m_access == Commissioning::AccessState::Available; }
    // The same with the cause of a refusal, which the messages name with its remedy.
    void setPortAccessState(Commissioning::AccessState access) { m_access = access; }
    // True from the first write until the box that ends the sequence has closed.
    bool busy() const { return m_state == State::Writing || m_state == State::Written; }
    // The card's control base address taken at the last entry into the configuration state.
    quint16 controlBase() const { return m_controlBase; }
    // The procedure that writes the registers (tests may give it another port writer).
    TResourceWriter *writer() const { return m_writer; }

    // The values the next entry into the configuration state starts with, where given, in place
    // of "***", no IRQ and the protocol's RS-422 marks.
    void setPlannedResources(const TPortResourceValues &planned) { m_planned = planned; }
    // The resources the panel holds when they are valid: eight addresses at eight places and an
    // IRQ in the configuration state, else those last written; else nothing.
    TPortResourceValues validResources() const;

    void ConfigButtonClick();
    void UseButtonClick();
    void BaseUDChangingEx(TUpDown *Sender, bool &AllowChange, int NewValue, int Direction);
    void BaseEditKeyDown(QLineEdit *Sender, int Key);
    void COMBasePanelEnter();

signals:
    // A write sequence has ended (the window may now close if it was asked to meanwhile).
    void sequenceFinished();
    // The closing box of a write offers to save the values written; the user took the offer.
    // The box has the offer only while something listens to this.
    void saveWrittenRequested();

protected:
    // The port edits' keys step their spinners; the keys then go on to the edits.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *dialogParent() const;
    // The checks against this Linux, for the details of the question before the write.
    QList<Commissioning::Finding> commissioningFindings(const ResourceRules::Addresses &addresses,
                                                        int irq) const;
    bool choicesValid() const;
    // The X8 clock jumper as the clock choice sets it.
    bool x8Clock() const;
    bool writeConfirmed(const ResourceRules::Addresses &addresses, int irq) const;
    bool confirmWrite(const ResourceRules::Addresses &addresses, int irq) const;
    void startWrite(const ResourceRules::Addresses &addresses, int irq);
    void writeFinished(const TWriteResult &result);
    bool reportEnd(const TWriteResult &result);
    void keepLinuxSetup(bool save);
    void enterAfterWarning(bool accepted);
    QLineEdit *portEdit(int port) const;
    TUpDown *portSpinner(int port) const;
    bool checkResource(const QString &text, const QString &label) const;
    void setState(State state);
    // The controls of the overview or of the configuration, as the state has it.
    void showState();
    bool overviewShown() const;
    void startConfiguration();
    void startWithPlanned();
    bool offersSave() const;
    bool confirmWritten(const QString &linuxSetup) const;
    void pairControls();
    quint8 rs422Mask() const;
    // The spinners' values, which are written.
    ResourceRules::Addresses portAddresses() const;

    const TPortResourcesControls m_controls;
    TResourceWriter *m_writer;
    quint16 m_controlBase = 0;
    std::optional<TPortResourceValues> m_planned;
    std::optional<TPortResourceValues> m_written;
    Commissioning::AccessState m_access = Commissioning::AccessState::Available;
    State m_state = State::Overview;
    // The panel's controls that the overview shows, as the layout left them; the others belong
    // to the configuration.
    QSet<const QWidget *> m_overviewControls;
    // The sequence under way: its values and the Linux set-up of its ports, gathered before the
    // first write.
    std::optional<TPortResourceValues> m_writing;
    std::optional<TLinuxSetup> m_linuxSetup;
};
