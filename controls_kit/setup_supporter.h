#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLabel;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWidget;
class THelpForm;
class TPCIForm;
class TTechForm;

// The non-visual helper that a setup utility's main window carries once. It holds the product's
// names and support details, builds at the first idle moment the header label and the help,
// technical-support and (with a card-string handler) cards-installed windows, shows the help
// window shortly after start-up, and drives calibration runs from a 100 ms tick.
class TSetupSupporter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString CompanyName READ CompanyName WRITE setCompanyName)
    Q_PROPERTY(QString CardNameA READ CardNameA WRITE setCardNameA)
    Q_PROPERTY(QString CardNameB READ CardNameB WRITE setCardNameB)
    Q_PROPERTY(bool UseCardNameB READ UseCardNameB WRITE setUseCardNameB)
    Q_PROPERTY(QString CallHow READ CallHow WRITE setCallHow)
    Q_PROPERTY(bool MultiPort READ MultiPort WRITE setMultiPort)
    Q_PROPERTY(int Channels READ Channels WRITE setChannels)
    Q_PROPERTY(bool ChangeButtons READ ChangeButtons WRITE setChangeButtons)
    Q_PROPERTY(bool bSeries READ bSeries WRITE setBSeries)

public:
    using TNotifyEvent = std::function<void(QObject *Sender)>;
    using TPCIEvent = std::function<QString(QObject *Sender, int CardIndex)>;
    using TCalibEvent = std::function<QString(QObject *Sender, quint8 Channel, bool &ItsAllBad)>;

    // owner is the main window: it owns the supporter, the header label and the three windows.
    explicit TSetupSupporter(QWidget *owner);
    ~TSetupSupporter() override;

    QString CompanyName() const { return m_companyName; }
    void setCompanyName(const QString &value);
    QString CardNameA() const { return m_cardNameA; }
    void setCardNameA(const QString &value);
    QString CardNameB() const { return m_cardNameB; }
    void setCardNameB(const QString &value);
    bool UseCardNameB() const { return m_useCardNameB; }
    void setUseCardNameB(bool value);
    QString CallHow() const { return m_callHow; }
    void setCallHow(const QString &value);
    bool MultiPort() const { return m_multiPort; }
    void setMultiPort(bool value);
    int Channels() const { return m_channels; }
    void setChannels(int value); // kept within 0..255
    bool ChangeButtons() const { return m_changeButtons; }
    void setChangeButtons(bool value);
    bool bSeries() const { return m_bSeries; }
    void setBSeries(bool value);

    TNotifyEvent OnBeginCalib() const { return m_onBeginCalib; }
    void setOnBeginCalib(TNotifyEvent handler); // also updates the tick
    TPCIEvent OnGetCardString() const { return m_onGetCardString; }
    void setOnGetCardString(TPCIEvent handler);
    TCalibEvent OnGetCalibString() const { return m_onGetCalibString; }
    void setOnGetCalibString(TCalibEvent handler);
    TNotifyEvent OnStopButtonClick() const { return m_onStopButtonClick; }
    void setOnStopButtonClick(TNotifyEvent handler);
    TNotifyEvent OnStartButtonClick() const { return m_onStartButtonClick; }
    void setOnStartButtonClick(TNotifyEvent handler);

    // Where the cards step gets the number of installed cards, asked once per build. The kit
    // knows no driver library: the main window hands in the one it binds. Without a source the
    // count is 0, and the step shows that no card was found.
    using CardCountSource = std::function<int()>;
    void setCardCountSource(CardCountSource source);

    // The windows and the header label; nullptr until the deferred start-up has run (PCIForm
    // stays nullptr without a card-string handler).
    THelpForm *HelpForm() const;
    TTechForm *TechForm() const;
    TPCIForm *PCIForm() const;
    QLabel *HeaderLabel() const;

    // CardNameB or CardNameA as UseCardNameB says.
    QString cardName() const;
    // " Series" when bSeries, else empty.
    QString seriesSuffix() const;
    // The rich text of the help window for the current property values.
    QByteArray helpText() const;
    // The whole text of the technical-support window, lines broken by CR LF.
    QString techText() const;

    // The deferred start-up, installed as the application's idle handler: uninstalls itself,
    // then builds the windows (once, however often it is called) and starts the tick that shows
    // the help window. Done is left as it is.
    void appIdle(QObject *Sender, bool &Done);
    bool built() const { return m_built; }

    // Calibration: the panels whose reading lines a pass fills (one line per channel), whose
    // button the run resets, and a control hidden during a pass.
    void addCalibrationEntry(QPlainTextEdit *readings, QPushButton *button, QWidget *hiddenDuringPass);
    int calibrationEntryCount() const { return int(m_calibEntries.size()); }
    void startCalibration();
    void stopCalibration();
    bool calibrating() const { return m_calibrating; }
    // True while the tick runs (help pending or calibrating).
    bool tickActive() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct CalibrationEntry
    {
        QPointer<QPlainTextEdit> readings;
        QPointer<QPushButton> button;
        QPointer<QWidget> hiddenDuringPass;
    };

    QWidget *ownerWidget() const;
    QWidget *clientArea() const;
    QMenuBar *mainMenu() const;
    void build();
    void buildHeaderLabel();
    bool listCards(); // the cards step: true when a card was found
    void updateTimer();
    void tick();
    void showHelpCentred();
    void calibrationPass();
    // Every channel's reading into the readings boxes; true when the handler found them all bad.
    bool readChannels();
    // "Total A/D failure": Retry runs the next pass, Cancel ends the calibration.
    void askAfterTotalFailure();
    void resetCalibrationButtons();
    void endRun();

    QString m_companyName;
    QString m_cardNameA;
    QString m_cardNameB;
    bool m_useCardNameB = false;
    QString m_callHow;
    bool m_multiPort = false;
    quint8 m_channels = 8;
    bool m_changeButtons = true;
    bool m_bSeries = true;
    TNotifyEvent m_onBeginCalib;
    TPCIEvent m_onGetCardString;
    TCalibEvent m_onGetCalibString;
    TNotifyEvent m_onStopButtonClick;
    TNotifyEvent m_onStartButtonClick;
    CardCountSource m_cardCountSource;

    bool m_showHelp = false;
    bool m_calibrating = false;
    bool m_built = false;
    bool m_inTick = false;
    QTimer *m_timer = nullptr;
    QPointer<QLabel> m_headerLabel;
    QPointer<TPCIForm> m_pciForm;
    QPointer<THelpForm> m_helpForm;
    QPointer<TTechForm> m_techForm;
    QList<CalibrationEntry> m_calibEntries;
};
