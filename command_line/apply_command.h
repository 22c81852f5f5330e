#pragma once

#include "linux_setup.h"
#include "system_state.h"

#include <QList>
#include <QString>

class QTextStream;

// tr4410ctl apply, the boot-time set-up the unit runs as root before the gettys: chooses the
// free lines of the running kernel for every card's ports, moves each line to its port
// (TIOCSSERIAL, as setserial does), writes the udev rules of the stable names
// (/dev/tr4410/<control base>/<letter>), has udev apply them to those lines, and logs one line
// per port on stdout and in /run/tr4410/ports.json. Lines that are another UART's are left alone.
class TApplyCommand
{
public:
    static constexpr const char *RulesFolder = "/run/udev/rules.d";
    static constexpr const char *RulesName = "60-tr4410.rules";
    static constexpr const char *LogFolder = "/run/tr4410";
    static constexpr const char *LogName = "ports.json";
    static constexpr const char *Udevadm = "/bin/udevadm";

    TApplyCommand(QTextStream &out, QTextStream &err);

    // Answers tr4410ctl's exit code.
    int run(const QList<TLinuxSetup::Card> &cards, const TSystemState &system);

    // The udev rules that name each port's line by its address, whatever line it got.
    static QByteArray udevRules(const QList<TLinuxSetup::Device> &devices);

private:
    struct Outcome
    {
        TLinuxSetup::Device device;
        QString reason; // empty when the line was set up
    };

    QList<Outcome> setUpLines(const TLinuxSetup &setup, const TSystemState &system);
    QString runUdev(const QList<Outcome> &outcomes);
    void logPorts(const QList<Outcome> &outcomes);
    static QByteArray portsJson(const QList<Outcome> &outcomes, const QList<TLinuxSetup::Skipped> &skipped);

    QTextStream &m_out;
    QTextStream &m_err;
};
