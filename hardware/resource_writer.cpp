#include "resource_writer.h"

#include "port_access_probe.h"
#include "vanto32.h"

TResourceWriter::TResourceWriter(QObject *parent)
    : QObject(parent)
    , m_portWriter([](quint32 port, quint8 value) { OutPortB(port, value); })
    , m_statusReader([] { return PortStatus(); })
{
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_settleTimer, &QTimer::timeout, this, &TResourceWriter::settled);
}

void TResourceWriter::setPortWriter(PortWriter writer)
{
    m_portWriter = std::move(writer);
}

void TResourceWriter::setStatusReader(StatusReader reader)
{
    m_statusReader = std::move(reader);
}

bool TResourceWriter::start(quint16 controlBase, const ResourceRules::Values &values)
{
    if (m_busy)
        return false;
    m_busy = true;
    // The writes are fixed for the whole sequence: a change of the address text during the waits
    // must not split index and data between two cards' registers.
    m_writes = ResourceRules::portWrites(controlBase, values);
    m_sequenceWriter = m_portWriter;
    m_sequenceStatus = m_statusReader;
    m_next = 0;
    m_result = TWriteResult();
    // Start a fresh count: a failed read at start-up is not this sequence's failure.
    m_sequenceStatus();
    writeNext();
    return true;
}

void TResourceWriter::cancel()
{
    if (!m_busy)
        return;
    m_settleTimer.stop();
    m_result.cancelled = true;
    finish();
}

void TResourceWriter::writeNext()
{
    const ResourceRules::PortWrite &write = m_writes.at(m_next++);
    m_sequenceWriter(write.port, write.value);
    // The wait counts from the moment the write returned, whatever the status read then takes.
    m_settleDeadline = QDeadlineTimer(SettleMilliseconds, Qt::PreciseTimer);
    m_result.failure = PortAccessProbe::failureOf(m_sequenceStatus());
    if (m_result.failure == WriteFailure::Busy)
        m_result.busyHolder = PortAccessProbe::busyHolder();
    // A failed write settles too: the card may have taken it.
    settle();
}

void TResourceWriter::settle()
{
    // Rounded up to whole milliseconds, so the timer does not fire before the deadline; one that
    // has passed already (a slow status read) goes on at the next pass of the event loop.
    m_settleTimer.start(int(m_settleDeadline.remainingTime()));
}

void TResourceWriter::settled()
{
    if (!m_settleDeadline.hasExpired())
        return settle();
    // A refused or lost write ends the sequence at once: nothing more goes to the card.
    if (m_result.failure != WriteFailure::None)
        return finish();
    // The writes come in pairs, index then data: a register is done with its data write.
    if (m_next % 2 == 0) {
        m_result.lastRegister = int(m_next / 2);
        emit registerWritten(m_result.lastRegister);
        // Its receiver may have cancelled the sequence.
        if (!m_busy)
            return;
    }
    if (m_next < m_writes.size())
        writeNext();
    else
        finish();
}

void TResourceWriter::finish()
{
    m_result.access = PortAccessProbe::failureCause(m_result.failure, m_knownAccess);
    m_busy = false;
    // A copy: a receiver may start the next sequence.
    const TWriteResult result = m_result;
    emit finished(result);
}
