#pragma once

#include "card_registers.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the running Linux says about its serial lines, I/O port claims, interrupts and kernel,
// read from /sys, /proc and /boot below a root folder: "/" on a real machine, a prepared tree in
// the tests (the variable TR4410_SYSTEM_ROOT names it, in a build configured with
// TR4410_TEST_SYSTEM_ROOT only). Nothing here needs privilege: a file that
// cannot be read leaves its part empty or unknown.
class TSystemState
{
public:
    struct SerialLine
    {
        int number = 0; // ttyS<number>
        quint32 port = 0;
        int irq = 0;
        int type = 0; // the kernel's UART type; 0: no UART found there
    };
    struct PortClaim
    {
        quint32 first = 0;
        quint32 last = 0;
        QString name;
    };
    struct InterruptLine
    {
        int irq = 0;
        quint64 count = 0; // summed over the processors
        QStringList devices;
    };

    // TR4410_SYSTEM_ROOT in a build for the tests, else "/".
    static QString rootFromEnvironment();
    static TSystemState read(const QString &root = rootFromEnvironment());
    // /proc/interrupts alone, for counting during a test.
    static QList<InterruptLine> readInterrupts(const QString &root = rootFromEnvironment());
    static QList<InterruptLine> parseInterrupts(const QByteArray &text);
    static std::optional<quint64> interruptCount(const QList<InterruptLine> &lines, int irq);
    // "16550A", "unknown", ... as setserial names the types.
    static QString uartName(int type);

    QString root;
    QString lockdown; // the mode in force ("none", "integrity", ...); empty: no lockdown in this kernel
    QList<SerialLine> serialLines;
    QList<PortClaim> portClaims;  // the innermost claims of /proc/ioports
    bool portClaimsShown = false; // false when /proc/ioports hides the addresses (not root)
    QList<InterruptLine> interrupts;
    std::optional<int> nrUarts;       // the 8250 driver's lines
    std::optional<int> buildLimit;    // CONFIG_SERIAL_8250_NR_UARTS
    std::optional<bool> kernelPortIo; // CONFIG_X86_IOPL_IOPERM, where the kernel's config is found
    QString setserial;                // its path, empty when not installed
    bool writeLock = false;           // the port helper's lock file is there

    bool lockedDown() const { return !lockdown.isEmpty() && lockdown != QLatin1String("none"); }
    // The line Linux has at this address, if any.
    std::optional<SerialLine> lineAt(quint32 address) const;
    QString path(const QString &absolute) const;

    // The port helper's machine-wide write lock, made at boot by the package's tmpfiles.d entry.
    static constexpr const char *WriteLockPath = CARD_WRITE_LOCK_PATH;

private:
    void readSerialLines();
    void readPortClaims();
    void readKernelConfig();
};
