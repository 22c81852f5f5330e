#include "resource_writer.h"

#include "port_access_probe.h"
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

bool TResourceWriter::write(quint16 controlBase, const ResourceRules::Values &values)
{
    if (m_busy)
        return false;

    const QPointer<TResourceWriter> self(this);
    m_busy = true;
    // The writes are fixed for the whole sequence: a change of the address text during the waits
    // must not split index and data between two cards' registers.
    const QList<ResourceRules::PortWrite> writes = ResourceRules::portWrites(controlBase, values);
    const PortWriter portWriter = m_portWriter;
    const StatusReader status = m_statusReader;
    m_failure = WriteFailure::None;
    m_busyHolder.clear();
    m_lastRegister = 0;
    // Start a fresh count: a failed read at start-up is not this sequence's failure.
    status();
    for (qsizetype i = 0; i < writes.size(); ++i) {
        portWriter(writes.at(i).port, writes.at(i).value);
        m_failure = PortAccessProbe::failureOf(status());
        if (m_failure == WriteFailure::Busy)
            m_busyHolder = PortAccessProbe::busyHolder();
        // A failed write settles too: the card may have taken it.
        if (!settle())
            return false;
        // A refused or lost write ends the sequence at once: nothing more goes to the card.
        if (m_failure != WriteFailure::None)
            break;
        // The writes come in pairs, index then data: a register is done with its data write.
        if (i % 2 == 1) {
            m_lastRegister = int(i / 2) + 1;
            emit registerWritten(m_lastRegister);
            if (!self)
                return false;
        }
    }
    m_busy = false;
    return m_failure == WriteFailure::None;
}

bool TResourceWriter::settle()
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
