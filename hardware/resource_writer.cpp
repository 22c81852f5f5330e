#include "resource_writer.h"

#include "vanto32.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <algorithm>

TResourceWriter::TResourceWriter(QObject *parent)
    : QObject(parent)
    , m_portWriter([](quint32 port, quint8 value) { OutPortB(port, value); })
    , m_statusReader([] { return PortStatus(); })
{
}

void TResourceWriter::setPortWriter(PortWriter writer)
{
    m_portWriter = std::move(writer);
}

void TResourceWriter::setStatusReader(StatusReader reader)
{
    m_statusReader = std::move(reader);
}

bool TResourceWriter::Write(quint16 controlBase, const Values &values)
{
    if (m_busy)
        return false;

    const QPointer<TResourceWriter> self(this);
    m_busy = true;
    // The register addresses are fixed for the whole sequence: a change of the address text
    // during the waits must not split index and data between two cards' registers.
    const quint32 indexPort = quint32(controlBase) + 1;
    const quint32 dataPort = quint32(controlBase) + 2;
    const PortWriter write = m_portWriter;
    const StatusReader status = m_statusReader;
    m_failure = VANTO32_STATUS_OK;
    m_lastRegister = 0;
    // Start a fresh count: a failed read at start-up is not this sequence's failure.
    status();
    // A refused or lost write ends the sequence at once: nothing more goes to the card.
    const auto writeOne = [&](quint32 port, quint8 value) {
        write(port, value);
        m_failure = status();
        return m_failure == VANTO32_STATUS_OK;
    };
    for (int k = 1; k <= RegisterCount; ++k) {
        const bool indexWritten = writeOne(indexPort, quint8(k));
        if (!Settle())
            return false;
        if (!indexWritten)
            break;
        const bool dataWritten = writeOne(dataPort, values[std::size_t(k - 1)]);
        if (!Settle())
            return false;
        if (!dataWritten)
            break;
        m_lastRegister = k;
    }
    m_busy = false;
    return m_failure == VANTO32_STATUS_OK;
}

bool TResourceWriter::Settle()
{
    const QPointer<TResourceWriter> self(this);
    const QDeadlineTimer deadline(SettleMilliseconds, Qt::PreciseTimer);
    // The timer only wakes the event dispatcher at the deadline: in between the thread sleeps
    // until an event arrives, handles it and sleeps again, instead of polling. (A nested
    // QEventLoop would return at once once the application has been told to quit.)
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (!deadline.hasExpired()) {
        wake.start(int(std::max<qint64>(1, deadline.remainingTime())));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (!self)
            return false;
    }
    return true;
}
