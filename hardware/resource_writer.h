#pragma once

#include "resource_rules.h"
#include "write_result.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

// Writes the card's ten port-resource registers: exactly the port writes of
// ResourceRules::portWrites, index then data for each register. Every port write is followed by a
// settle wait on a timer, so the event loop runs on while the card takes it; one sequence runs at
// a time.
class TResourceWriter : public QObject
{
    Q_OBJECT
public:
    static constexpr int SettleMilliseconds = 10;
    // One byte written to one port; OutPortB of the port-I/O library unless replaced.
    using PortWriter = std::function<void(quint32 port, quint8 value)>;
    // Whether the writes since the last call were carried out (a VANTO32_STATUS_* code);
    // PortStatus of the port-I/O library unless replaced.
    using StatusReader = std::function<int()>;

    explicit TResourceWriter(QObject *parent = nullptr);

    void setPortWriter(PortWriter writer);
    void setStatusReader(StatusReader reader);
    // What a start-up test found about port access, where the caller made one; a refusal during
    // the writes is then explained by it rather than by asking the system again.
    void setKnownAccess(std::optional<Commissioning::AccessState> access) { m_knownAccess = access; }

    // True from start() until finished.
    bool busy() const { return m_busy; }

    // Starts register k (1..10) := values[k - 1], a settle wait after each of the twenty writes,
    // and answers true; finished() follows once. Refuses (writes nothing, returns false) while
    // another sequence runs. The port layer's status is asked after every write: at the first
    // failure the sequence stops there, once that write has settled.
    bool start(quint16 controlBase, const ResourceRules::Values &values);
    // Ends a running sequence at once, no further write, and finishes it as cancelled.
    void cancel();

signals:
    // The index and data writes of register `reg` (1..10) were both carried out.
    void registerWritten(int reg);
    // The sequence has ended: all written, stopped at a failure, or cancelled.
    void finished(const TWriteResult &result);

private:
    void writeNext();
    void settle();
    void settled();
    void finish();

    PortWriter m_portWriter;
    StatusReader m_statusReader;
    std::optional<Commissioning::AccessState> m_knownAccess;
    bool m_busy = false;
    // The running sequence, fixed at its start.
    QList<ResourceRules::PortWrite> m_writes;
    PortWriter m_sequenceWriter;
    StatusReader m_sequenceStatus;
    qsizetype m_next = 0;
    QTimer m_settleTimer;
    QDeadlineTimer m_settleDeadline;
    TWriteResult m_result;
};
