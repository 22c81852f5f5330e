// The supporter's calibration cycle: the entries it fills, its passes on the tick and their
// start and stop buttons.
#include "setup_supporter.h"

#include "error_report.h"
#include "message_box.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <exception>

namespace {

// Replaces line number `line` (from 0) of the edit's text, adding empty lines when it is short.
void replaceLine(QPlainTextEdit *edit, int line, QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QTextDocument *const doc = edit->document();
    QTextCursor cursor(doc);
    if (doc->blockCount() <= line) {
        cursor.movePosition(QTextCursor::End);
        while (doc->blockCount() <= line)
            cursor.insertBlock();
    }
    cursor.setPosition(doc->findBlockByNumber(line).position());
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
}

} // namespace

void TSetupSupporter::addCalibrationEntry(QPlainTextEdit *readings, QPushButton *button,
                                          QWidget *hiddenDuringPass)
{
    m_calibEntries.append({readings, button, hiddenDuringPass});
}

void TSetupSupporter::startCalibration()
{
    m_calibrating = true;
    updateTimer();
}

void TSetupSupporter::stopCalibration()
{
    endRun();
    for (const CalibrationEntry &entry : std::as_const(m_calibEntries)) {
        if (entry.hiddenDuringPass)
            entry.hiddenDuringPass->show();
    }
}

void TSetupSupporter::endRun()
{
    m_calibrating = false;
    updateTimer();
}

void TSetupSupporter::calibrationPass()
{
    if (m_onBeginCalib)
        m_onBeginCalib(this);

    if (!m_onGetCalibString) {
        endRun();
        QMessageBox box(QMessageBox::Warning, QStringLiteral("OnGetCalibString Not Assigned"),
                        QStringLiteral("Error: calibration begun, but OnGetCalibString isn't assigned."),
                        QMessageBox::Ok, ownerWidget(), Qt::Dialog | Qt::WindowStaysOnTopHint);
        box.exec();
        resetCalibrationButtons();
        return;
    }

    for (const CalibrationEntry &entry : std::as_const(m_calibEntries)) {
        if (entry.hiddenDuringPass)
            entry.hiddenDuringPass->hide();
    }
    if (readChannels())
        askAfterTotalFailure();
}

bool TSetupSupporter::readChannels()
{
    bool itsAllBad = true;
    for (int channel = 0; channel < m_channels; ++channel) {
        const QString reading = m_onGetCalibString(this, quint8(channel), itsAllBad);
        const QString line =
            QStringLiteral("Channel ") + QString::number(channel) + QLatin1Char('\t') + reading;
        for (const CalibrationEntry &entry : std::as_const(m_calibEntries)) {
            if (entry.readings)
                replaceLine(entry.readings, channel, line);
        }
    }
    return itsAllBad;
}

void TSetupSupporter::askAfterTotalFailure()
{
    endRun();
    TMessageBoxExtras extras;
    extras.defaultButton = QMessageBox::Cancel;
    extras.escapeButton = QMessageBox::Cancel;
    extras.flags = Qt::Dialog | Qt::WindowStaysOnTopHint;
    const QPointer<TSetupSupporter> self(this);
    const auto answer =
        showMessageBox(ownerWidget(), QMessageBox::Warning, QStringLiteral("Total A/D failure"),
                       QStringLiteral("Total A/D failure. The card may not be installed, or it may be "
                                      "installed at a different base address."),
                       QMessageBox::Retry | QMessageBox::Cancel, extras);
    if (!self)
        return; // the owner went while the box waited, and the supporter with it
    if (answer == QMessageBox::Retry) {
        m_calibrating = true;
        updateTimer();
    } else {
        resetCalibrationButtons();
    }
}

void TSetupSupporter::resetCalibrationButtons()
{
    if (m_changeButtons) {
        for (const CalibrationEntry &entry : std::as_const(m_calibEntries)) {
            QPushButton *const button = entry.button;
            if (!button)
                continue;
            // The button gets this one click handler in place of whatever it had.
            disconnect(button, &QAbstractButton::clicked, nullptr, nullptr);
            if (m_onStartButtonClick) {
                connect(button, &QAbstractButton::clicked, this,
                        [handler = m_onStartButtonClick, button] { handler(button); });
            }
            button->setText(QStringLiteral("Start"));
        }
    }
    endRun();
    for (const CalibrationEntry &entry : std::as_const(m_calibEntries)) {
        if (entry.hiddenDuringPass)
            entry.hiddenDuringPass->show();
    }
}
