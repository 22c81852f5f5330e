#include "card_file_actions.h"

#include "card_config.h"
#include "card_file.h"
#include "hex_address.h"
#include "message_box.h"
#include "port_resources_panel.h"
#include "sheet_printer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

namespace {
// A choice made as a user makes it: a new entry raises the list's change handler, the same one
// does nothing.
void choose(QComboBox *combo, int index)
{
    if (!combo || combo->currentIndex() == index)
        return;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

TPortResourceValues portResources(const TCardConfig &config)
{
    TPortResourceValues values;
    for (std::size_t port = 0; port < values.ports.size(); ++port)
        values.ports[port] = config.ports[port].value;
    values.irq = config.irq.value;
    values.rs422Mask = config.rs422Mask.value;
    return values;
}

// The termination's name in the card file for an entry of the protocol's list.
QString terminationName(int protocol, int index)
{
    static const QStringList rs422{QStringLiteral("none"), QStringLiteral("transmit"),
                                   QStringLiteral("receive"), QStringLiteral("both")};
    if (protocol == CardJumpers::RS485)
        return index == 1 ? QStringLiteral("on") : QStringLiteral("none");
    if (protocol == CardJumpers::RS422)
        return rs422.value(index, rs422.first());
    return QStringLiteral("none");
}
} // namespace

TCardFileActions::TCardFileActions(const TCardFileControls &controls, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
{
    setObjectName(QStringLiteral("CardFileActions"));
}

QString TCardFileActions::askFileName(bool saving)
{
    // Qt's own dialog, the same on every desktop.
    QFileDialog dialog(m_controls.window,
                       saving ? QStringLiteral("Save Card File") : QStringLiteral("Open Card File"),
                       m_lastFile, QStringLiteral("Card files (*.json)"));
    dialog.setObjectName(QStringLiteral("CardFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("json"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void TCardFileActions::warn(const QString &message, const QString &outcome) const
{
    showMessageBox(m_controls.window, QMessageBox::Warning, QStringLiteral("Card File"),
                   message + QStringLiteral("\n\n") + outcome, QMessageBox::Ok);
}

void TCardFileActions::open()
{
    const QString path = askFileName(false);
    if (!path.isEmpty())
        openFile(path);
}

bool TCardFileActions::openFile(const QString &path)
{
    TCardConfig config;
    TCardError error = CardFile::read(path, config);
    if (!error)
        error = config.check();
    if (error) {
        warn(error.message(), QStringLiteral("The card file has not been opened; nothing has changed."));
        return false;
    }
    m_lastFile = path;
    applyChoices(config);
    if (m_controls.portResources)
        m_controls.portResources->setPlannedResources(portResources(config));
    return true;
}

// The choices as the jumper plan reads them, the window's defaults where the file has none.
void TCardFileActions::applyChoices(const TCardConfig &config) const
{
    TCardError error;
    const std::optional<CardJumpers::Options> options = config.jumperOptions(&error);
    if (!options)
        return; // refused by the check before
    if (m_controls.baseEdit)
        m_controls.baseEdit->setText(CardJumpers::addressText(options->controlBase));
    choose(m_controls.modeCombo, options->protocol);
    // RS-232 hides the termination list, where no user can choose.
    if (options->protocol != CardJumpers::RS232)
        choose(m_controls.loadCombo, options->termination);
    if (options->protocol == CardJumpers::RS485 && m_controls.autoRtsCheck)
        m_controls.autoRtsCheck->setChecked(options->autoRts);
    choose(m_controls.clockCombo, options->clock);
    choose(m_controls.dfCombo, options->df);
}

TCardError TCardFileActions::windowConfig(TCardConfig &config) const
{
    const QString origin = QStringLiteral("the window");
    const QString baseText = m_controls.baseEdit ? m_controls.baseEdit->text() : QString();
    const std::optional<quint32> base = parseHexAddress(baseText);
    if (!base)
        return {{},
                QStringLiteral("Control base address"),
                QStringLiteral("\"%1\" is not a valid hexadecimal value").arg(baseText)};
    // The address the jumpers shown set.
    config.setControlBase(TCardConfig::addressText(CardJumpers::settableAddress(*base)), origin);
    const int protocol = m_controls.modeCombo ? m_controls.modeCombo->currentIndex() : CardJumpers::RS485;
    config.setProtocol(TCardConfig::protocolName(protocol), origin);
    config.setTermination(
        terminationName(protocol, m_controls.loadCombo ? m_controls.loadCombo->currentIndex() : 0), origin);
    if (protocol == CardJumpers::RS485 && m_controls.autoRtsCheck)
        config.setAutoRts(m_controls.autoRtsCheck->isChecked(), origin);
    config.setClock(TCardConfig::clockName(m_controls.clockCombo ? m_controls.clockCombo->currentIndex() : 0),
                    origin);
    config.setDf(m_controls.dfCombo && m_controls.dfCombo->currentIndex() == 1 ? QStringLiteral("fitted")
                                                                               : QStringLiteral("removed"),
                 origin);
    if (m_controls.portResources) {
        const TPortResourceValues resources = m_controls.portResources->validResources();
        for (std::size_t port = 0; port < resources.ports.size(); ++port)
            config.ports[port] = {resources.ports[port], origin};
        config.irq = {resources.irq, origin};
        config.rs422Mask = {resources.rs422Mask, origin};
    }
    return {};
}

void TCardFileActions::save()
{
    TCardConfig config;
    if (const TCardError error = windowConfig(config)) {
        warn(error.message(), QStringLiteral("Nothing has been saved."));
        return;
    }
    const QString path = askFileName(true);
    if (path.isEmpty())
        return;
    if (const TCardError error = CardFile::save(path, config)) {
        warn(error.message(), QStringLiteral("The card file has not been saved."));
        return;
    }
    m_lastFile = path;
}

void TCardFileActions::printSheet(const QImage &photograph)
{
    JumperSheet::Content content{{}, QFileInfo(m_lastFile).fileName(), QDate::currentDate()};
    if (const TCardError error = windowConfig(content.config)) {
        warn(error.message(), QStringLiteral("Nothing has been printed."));
        return;
    }
    SheetPrinter::print(m_controls.window, content, photograph);
}
