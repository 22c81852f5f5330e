#pragma once

#include "card_error.h"

#include <QObject>
#include <QPointer>

class QCheckBox;
class QImage;
class QComboBox;
class QLineEdit;
class QWidget;
class TCardConfig;
class TPortResourcesPanel;

// The main window's controls that a card file sets and saves.
struct TCardFileControls
{
    QPointer<QWidget> window; // owns the dialogs and message boxes
    QPointer<QLineEdit> baseEdit;
    QPointer<QComboBox> modeCombo;
    QPointer<QComboBox> loadCombo;
    QPointer<QCheckBox> autoRtsCheck;
    QPointer<QComboBox> clockCombo;
    QPointer<QComboBox> dfCombo;
    QPointer<TPortResourcesPanel> portResources;
};

// File > Open Card File..., Save Card File... and Print Jumper Sheet...: a card file's choices become the
// window's, made as a user makes them so that every handler runs, and its port resources the next entry's;
// the window's choices and valid port resources go into a card file, which tr4410ctl reads.
class TCardFileActions : public QObject
{
    Q_OBJECT
public:
    TCardFileActions(const TCardFileControls &controls, QObject *parent);

    // Ask for a file and open or save it; a problem is shown in a warning box.
    void open();
    void save();
    // Takes the card file into the window; false, with the warning shown, for a bad file.
    bool openFile(const QString &path);
    // Prints the jumper sheet of the window's choices and valid port resources, named after the
    // card file last opened or saved.
    void printSheet(const QImage &photograph);

private:
    QString askFileName(bool saving);
    void warn(const QString &message, const QString &outcome) const;
    void applyChoices(const TCardConfig &config) const;
    TCardError windowConfig(TCardConfig &config) const;

    const TCardFileControls m_controls;
    QString m_lastFile;
};
