#pragma once

#include "resource_rules.h"
#include "write_failure.h"

#include <QObject>

#include <functional>

// Writes the card's ten port-resource registers: exactly the port writes of
// ResourceRules::portWrites, index then data for each register. Every port write is followed by a
// settle wait during which the application keeps handling its events, so the window stays live;
// one sequence runs at a time.
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

    // True while a sequence runs (its waits let other handlers in).
    bool busy() const { return m_busy; }

    // Register k (1..10) := values[k - 1], a settle wait after each of the twenty writes. Refuses
    // (writes nothing, returns false) while another sequence runs. Also false if the writer was
    // destroyed during a wait; the caller must then not touch it again. The port layer's status is
    // asked after every write: at the first failure the sequence stops there, failure() tells why
    // and the result is false.
    bool write(quint16 controlBase, const ResourceRules::Values &values);

    // Why the last sequence stopped early: None when it did not.
    WriteFailure failure() const { return m_failure; }
    // After a Busy failure, who holds the card as the port layer named them; else empty.
    QString busyHolder() const { return m_busyHolder; }
    // The last register (1..10) whose index and data writes were both carried out; 0 for none.
    int lastRegister() const { return m_lastRegister; }

    // At least SettleMilliseconds by the monotonic clock, handling events as they arrive and
    // sleeping otherwise. False if this writer was destroyed meanwhile.
    bool settle();

signals:
    // The index and data writes of register `reg` (1..10) were both carried out.
    void registerWritten(int reg);

private:
    PortWriter m_portWriter;
    StatusReader m_statusReader;
    bool m_busy = false;
    WriteFailure m_failure = WriteFailure::None;
    QString m_busyHolder;
    int m_lastRegister = 0;
};
