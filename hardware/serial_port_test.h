#pragma once

#include "system_state.h"

#include <QList>
#include <QString>

// The test of one configured port after the set-up: the device Linux gave it (by address), the
// UART type and IRQ the driver reports, a pattern through the UART's internal loopback (or a
// loopback plug on the connector) at each speed, and the modem lines. A port that another
// program has open is not touched. Plain termios and serial ioctls.
class TSerialPortTest
{
public:
    struct Port
    {
        int port = 0; // 0 = A ... 7 = H
        quint16 address = 0;
        int irq = 0;
        QList<int> speeds;     // baud rates to pass the pattern at
        bool external = false; // a loopback plug: TX to RX, RTS to CTS
    };
    struct Result
    {
        int port = 0;
        quint16 address = 0;
        QString device; // "ttyS4", empty when Linux has none at the address
        QString uart;   // as the driver reports it
        int irq = -1;
        bool busy = false;
        bool passed = false;
        QString reason; // why it failed, empty when it passed
    };

    // The count of an IRQ in /proc/interrupts before and after the tests.
    struct Interrupts
    {
        int irq = 0;
        quint64 before = 0;
        quint64 after = 0;
    };

    static constexpr int PatternBytes = 256;
    static constexpr int DeadlineMs = 1000;

    explicit TSerialPortTest(const TSystemState &system);
    // Tests the ports one after the other; one result each, in the given order.
    QList<Result> run(const QList<Port> &ports, QList<Interrupts> *counted = nullptr) const;
    // One port, in this thread.
    Result run(const Port &port) const;
    // The pattern at each speed, then the modem lines, through a device already opened (O_NONBLOCK);
    // empty when they came back right, else why not.
    static QString exercise(int fd, const Port &port);

private:
    // Why the port cannot be tested before its device is opened; sets the result's device.
    QString deviceReason(const Port &port, Result &result) const;
    QString busyReason(const QString &device) const;
    // The UART and IRQ the driver reports for the opened device, then the exercise; sets them in
    // the result.
    QString openedReason(int fd, const Port &port, Result &result) const;

    TSystemState m_system;
};
