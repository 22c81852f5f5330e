#pragma once

#include <QMainWindow>

#include <array>
#include <memory>

class TCardFileActions;
class TPortResourcesPanel;
class TSetupSupporter;
class TTwoJumper;

namespace Ui {
class TMainForm;
}

// The TR-4410's main window: the photograph with its highlights, the eight option panels the
// highlights open, and the handlers that turn every option choice into jumper pictures and back.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    TSetupSupporter *SetSup() const { return m_setSup; }
    TPortResourcesPanel *portResources() const { return m_portResources; }
    TCardFileActions *cardFiles() const { return m_cardFiles; }
    // Whether the start-up presence test found the port driver.
    bool driverPresent() const { return m_driverPresent; }

public slots:
    void FormCreate(QObject *Sender = nullptr);
    void OpenCardFile1Click(QObject *Sender = nullptr);
    void SaveCardFile1Click(QObject *Sender = nullptr);
    void PrintJumperSheet1Click(QObject *Sender = nullptr);
    void Exit2Click(QObject *Sender = nullptr);
    void Howtousethisprogram1Click(QObject *Sender = nullptr);
    void TechnicalSupport1Click(QObject *Sender = nullptr);

    // Control base address.
    void BaseEditChange(QObject *Sender = nullptr);
    void BaseJumperClick(QObject *Sender = nullptr);

    // Protocol, termination, clock and port disable.
    void ModeComboChange(QObject *Sender = nullptr);
    void LoadComboChange(QObject *Sender = nullptr);
    void RS232JumperClick(QObject *Sender = nullptr);
    void RS4xxJumperClick(QObject *Sender = nullptr);
    void RS485JumperClick(QObject *Sender = nullptr);
    void RS422JumperClick(QObject *Sender = nullptr);
    void AutoRTSJumperClick(QObject *Sender = nullptr);
    void AutoRTSCheckClick(QObject *Sender = nullptr);
    void RLJumperClick(QObject *Sender = nullptr);
    void TLJumperClick(QObject *Sender = nullptr);
    void ClockComboChange(QObject *Sender = nullptr);
    void ClockJumperClick(QObject *Sender = nullptr);
    void DFComboChange(QObject *Sender = nullptr);
    void DFJumperClick(QObject *Sender = nullptr);

    // Port resources: handled by the panel's own logic.
    void ConfigButtonClick(QObject *Sender = nullptr);
    void UseButtonClick(QObject *Sender = nullptr);
    void BaseUDChangingEx(QObject *Sender, bool &AllowChange, int NewValue, int Direction);
    void BaseEditKeyDown(QObject *Sender, int Key, int Shift);
    void COMBasePanelEnter(QObject *Sender = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void resolveReferences();
    void connectChoices();
    void loadPhotograph();
    void setUpSupporter();
    void setUpPortResources();
    void setUpCardFiles();
    std::array<TTwoJumper *, 6> addressMasters() const;
    void setBaseEditValid(bool valid);
    void fitFrameToWorkArea();

    std::unique_ptr<Ui::TMainForm> ui;
    TSetupSupporter *m_setSup = nullptr;
    TPortResourcesPanel *m_portResources = nullptr;
    TCardFileActions *m_cardFiles = nullptr;
    bool m_driverPresent = true;
    bool m_fillWorkArea = false;
    bool m_fitting = false;
};
