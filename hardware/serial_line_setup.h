#pragma once

#include <QString>

// One serial line of the 8250 driver moved to a port of the card, as setserial does it: address,
// IRQ and baud base through TIOCSSERIAL, the driver's own probe of the UART there (TIOCSERCONFIG),
// which tells whether one answers, then UART type 16550A. Needs root (CAP_SYS_ADMIN).
namespace SerialLineSetup {

struct Line
{
    QString device; // "/dev/ttyS4"
    quint32 address = 0;
    int irq = 0;
    int baudBase = 0;
};

// Empty when the line holds a 16550A at the address afterwards; else why not, naming the device.
QString apply(const Line &line);

} // namespace SerialLineSetup
