#pragma once

#include <QObject>
#include <QPointer>

class QLineEdit;
class TRadioPanel;
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
    // True while a write sequence runs.
    bool Busy() const;

    void ConfigButtonClick();
    void UseButtonClick();
    void BaseUDChangingEx(TUpDown *Sender, bool &AllowChange, int NewValue, int Direction);
    void BaseEditKeyDown(QLineEdit *Sender, int Key);
    void COMBasePanelEnter();

signals:
    // A write sequence has ended (the window may now close if it was asked to meanwhile).
    void SequenceFinished();
};
