#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include "resource_rules.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;
class TRadioPanel;
class TResourceWriter;
class TTwoJumper;
class TUpDown;

// The logic behind the port-resources panel: entering the configuration state, keeping the eight
// address edits and spinners in step, checking the choices and writing the card's resource
// registers. The main window's handlers of that panel forward here.
class TPortResourcesPanel : public QObject
{
    Q_OBJECT
public:
    TPortResourcesPanel(TRadioPanel *panel, QLineEdit *baseEdit, TTwoJumper *rs422Jumper, QObject *parent);

    // Whether the start-up presence test found port access; without it nothing is written.
    void setPortAccess(bool available);
    // The baud clock choice, for the Linux set-up shown after a write.
    void setClockCombo(QComboBox *clockCombo);
    bool PortAccess() const { return m_portAccess; }
    // True while a write sequence runs.
    bool Busy() const;
    // The card's control base address taken at the last entry into the configuration state.
    quint16 ControlBase() const { return m_controlBase; }
    // The procedure that writes the registers (tests may give it another port writer).
    TResourceWriter *Writer() const { return m_writer; }

    void ConfigButtonClick();
    void UseButtonClick();
    void BaseUDChangingEx(TUpDown *Sender, bool &AllowChange, int NewValue, int Direction);
    void BaseEditKeyDown(QLineEdit *Sender, int Key);
    void COMBasePanelEnter();

signals:
    // A write sequence has ended (the window may now close if it was asked to meanwhile).
    void SequenceFinished();

private:
    QWidget *dialogParent() const;
    void showNoPortAccess() const;
    void showWriteFailure() const;
    QLineEdit *portEdit(int port) const;
    TUpDown *portSpinner(int port) const;
    bool checkResource(const QString &text, const QString &label) const;
    void flipControls();
    void pairControls();
    quint8 rs422Mask() const;
    // The spinners' values, which are written.
    ResourceRules::Addresses portAddresses() const;

    QPointer<TRadioPanel> m_panel;
    QPointer<QLineEdit> m_baseEdit;
    QPointer<TTwoJumper> m_rs422Jumper;
    QPointer<QComboBox> m_clockCombo;
    TResourceWriter *m_writer;
    quint16 m_controlBase = 0;
    bool m_portAccess = true;
    bool m_sequenceRunning = false;
    // Set while ConfigButtonClick or UseButtonClick runs: their message boxes run nested event
    // loops, in which a second click would start the handler again.
    bool m_inClick = false;
    // Edit -> its spinner (the spinner's Associate is the way back).
    QHash<QLineEdit *, QPointer<TUpDown>> m_spinnerOfEdit;
    // The RS-422 boxes of ports A to H; box n gives bit n of the mask.
    QList<QPointer<QCheckBox>> m_rs422Checks;
};
