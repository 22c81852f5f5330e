#pragma once

#include "card_registers.h"

#include <QObject>

#include <array>
#include <functional>

// Writes the card's ten port-resource registers through its index register (control base
// address + 1) and data register (+ 2). Every port write is followed by a settle wait during
// which the application keeps handling its events, so the window stays live; one sequence runs
// at a time.
class TResourceWriter : public QObject
{
    Q_OBJECT
public:
    static constexpr int RegisterCount = CARD_REGISTER_COUNT;
    static constexpr int SettleMilliseconds = 10;
    using Values = std::array<quint8, RegisterCount>;
    // One byte written to one port; OutPortB of the port-I/O library unless replaced.
    using PortWriter = std::function<void(quint32 port, quint8 value)>;
    // Whether the writes since the last call were carried out (a VANTO32_STATUS_* code);
    // PortStatus of the port-I/O library unless replaced.
    using StatusReader = std::function<int()>;

    explicit TResourceWriter(QObject *parent = nullptr);

    void setPortWriter(PortWriter writer);
    void setStatusReader(StatusReader reader);

    // True while a sequence runs (its waits let other handlers in).
    bool Busy() const { return m_busy; }

    // Register k (1..10) := values[k - 1], index then data, a settle wait after each of the twenty
    // writes. Refuses (writes nothing, returns false) while another sequence runs. Also false if
    // the writer was destroyed during a wait; the caller must then not touch it again. The port
    // layer's status is asked after every write: at the first failure the sequence stops there,
    // Failure() tells why and the result is false.
    bool Write(quint16 controlBase, const Values &values);

    // Why the last sequence stopped early: VANTO32_STATUS_OK when it did not.
    int Failure() const { return m_failure; }
    // The last register (1..10) whose index and data writes were both carried out; 0 for none.
    int LastRegister() const { return m_lastRegister; }

    // At least SettleMilliseconds by the monotonic clock, handling events as they arrive and
    // sleeping otherwise. False if this writer was destroyed meanwhile.
    bool Settle();

private:
    PortWriter m_portWriter;
    StatusReader m_statusReader;
    bool m_busy = false;
    int m_failure = 0;
    int m_lastRegister = 0;
};
