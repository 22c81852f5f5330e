#pragma once

#include "card_jumpers.h"
#include "resource_rules.h"
#include "system_state.h"

#include <QList>
#include <QString>

// What Linux needs to know about the card's eight ports once they are written: a kernel parameter
// that gives the 8250 driver enough ports, one setserial line per port with its address, the
// shared IRQ and the UART type, and a systemd unit that applies those lines at every boot.
//
// A port at one of the four standard addresses keeps the standard device (0x3F8 ttyS0,
// 0x2F8 ttyS1, 0x3E8 ttyS2, 0x2E8 ttyS3). Every other port takes the lowest line from ttyS4 up
// that the running kernel does not already use for a UART at another address and that no earlier
// port took, cards ordered by control base, then ports A to H: the same machine gives the same lines.
class TLinuxSetup
{
public:
    // One card of the stack, as its card file gives it.
    struct Card
    {
        QString file;
        quint32 controlBase = CardJumpers::DefaultControlBase;
        ResourceRules::Addresses addresses{};
        int irq = 0;
        bool x8Clock = false;
    };
    struct Device
    {
        int card; // its index in cards()
        QString cardFile;
        quint32 controlBase;
        int port;      // 0 = A ... 7 = H
        int ttyNumber; // ttyS<n>
        quint16 address;
        int irq;
        int baudBase;
    };
    // A line passed over: the kernel has a UART there at another address.
    struct Skipped
    {
        int ttyNumber;
        quint32 port;
    };

    static constexpr int StandardPortCount = 4;
    // A 16550 clocked for X1 divides down from 115,200 baud; the X8 clock is eight times faster.
    static constexpr int X1BaudBase = 115200;
    static constexpr int X8BaudBase = 921600;
    static constexpr const char *UnitName = "tr4410-serial.service";
    static constexpr const char *GrubDropIn = "/etc/default/grub.d/tr4410.cfg";

    // One card at the default control base on a machine with nothing but COM1 to COM4.
    TLinuxSetup(const ResourceRules::Addresses &addresses, int irq, bool x8Clock);
    TLinuxSetup(const QList<Card> &cards, const TSystemState &system);

    // "/dev/tr4410/300/A": the link udev keeps to whichever line the port got.
    static QString stableName(quint32 controlBase, int port);

    const QList<Card> &cards() const { return m_cards; }
    // Cards by control base, then ports A to H.
    const QList<Device> &devices() const { return m_devices; }
    const QList<Skipped> &skipped() const { return m_skipped; }
    // What stops the set-up, such as no free line left under the kernel's build limit.
    const QStringList &problems() const { return m_problems; }
    // Ports the 8250 driver must be able to hold: one past the highest device number, at least 4.
    int uartCount() const;
    // "8250.nr_uarts=<n>"
    QString kernelParameter() const;
    // "setserial /dev/ttyS4 port 0x100 irq 5 uart 16550A baud_base 115200 autoconfig", ports A to H:
    // autoconfig has the driver probe the UART there, which sets its FIFO up.
    QStringList setserialLines() const;
    // A shell script of the setserial lines, to apply them at once.
    QString setserialScript() const;
    // "udevadm trigger --action=change --settle /sys/class/tty/ttyS4 ...": after setserial the
    // rules run again, so systemd marks the devices ready that it took for empty lines at port 0.
    QString udevTrigger() const;
    // Runs tr4410ctl apply before every serial getty, so none holds a port open while it changes.
    QString systemdUnit() const;
    // The GRUB drop-in that adds the kernel parameter.
    QString grubDropIn() const;
    // The stable names, for the window's box after a write: a comment line a port with the line it
    // has now.
    QString stableNameText() const;
    // text() and the stable names, as the window shows them after a write.
    QString textWithStableNames() const { return text() + QLatin1Char('\n') + stableNameText(); }
    // All three with short instructions, for printing or copying: as a whole it is a shell script
    // that sets the ports up now and at every boot (the kernel parameter takes
    // update-grub and a restart).
    QString text() const;

private:
    void assignLines(const TSystemState &system);
    QString portComment(const Device &device) const;
    QString subject(bool of = false) const;

    QList<Card> m_cards;
    QList<Device> m_devices;
    QList<Skipped> m_skipped;
    QStringList m_problems;
};
