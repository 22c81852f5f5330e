#include "ctl_options.h"

#include "card_jumpers.h"

#include <QCommandLineParser>

namespace {

const char *const Description = R"(Sets up a TR-4410 eight-port serial card without a screen.

Commands:
  plan    print the jumpers to fit for a control base address, protocol,
          termination, Auto RTS, clock and DF
  check   check the configuration against this Linux before writing: kernel
          lockdown, port access, addresses and IRQ in use, serial lines,
          setserial, the control base address
  write   write the ports' base addresses, their shared IRQ and the RS-422 mask
          into the card (with the DF jumper fitted); runs the checks first
  linux   print the Linux set-up of the ports: kernel parameter, setserial
          lines and a systemd unit
  test    test each port after the set-up: its device, UART and IRQ, an
          internal loopback of a pattern, the modem lines and the interrupt
  apply   as root, at boot (the unit runs it): put every card's ports on free
          serial lines, as the card files in /etc/tr4410/cards.d say, and
          make their stable names /dev/tr4410/<control base>/<port letter>

Commissioning: check, write, restart without DF, linux (as root), restart,
test.

The configuration comes from a card file (--card) and the options below; an
option overrides the card file's value. Addresses are hexadecimal, with or
without 0x. check, linux and test work on every card of the stack, each port
on a free serial line and named /dev/tr4410/<control base>/<port letter>.

Exit status:
  0  done
  1  invalid input (an option, the card file or a value); nothing written
  2  the write was not confirmed; nothing written
  3  no access to the I/O ports
  4  another program is writing to the card
  5  the write broke off: the card may hold part of the new values
  6  check found a problem (write: nothing written; --force writes anyway);
     apply: a port could not be set up
  7  test: a port failed or is busy)";

struct OptionEntry
{
    QStringList names;
    QString description;
    const char *valueName;
};

const OptionEntry OptionTable[] = {
    {{QStringLiteral("card")},
     "Read the configuration from the card file <file>. check, linux and test take it once a card; "
     "without it they use the machine's cards (/etc/tr4410/cards.d/*.json, else /etc/tr4410/card.json).",
     "file"},
    {{QStringLiteral("base")},
     QStringLiteral("Control base address, ") +
         CardJumpers::rangeText(CardJumpers::SettableRange, CardJumpers::RangeStyle::WithSteps) +
         QStringLiteral(" (default 0x300)."),
     "address"},
    {{QStringLiteral("protocol")}, "RS-232, RS-485 (default) or RS-422.", "name"},
    {{QStringLiteral("termination")},
     "none (default); on for RS-485; transmit, receive or both for RS-422.",
     "name"},
    {{QStringLiteral("auto-rts")}, "Automatic RTS control in RS-485: on (default) or off.", "on|off"},
    {{QStringLiteral("clock")},
     "Baud clock: X1 (up to 115,200 baud, default) or X8 (up to 921,600).",
     "X1|X8"},
    {{QStringLiteral("df")}, "Port-disable jumper DF: fitted or removed (default).", "state"},
    {{QStringLiteral("ports")}, "Base addresses of ports A to H, eight separated by commas.", "list"},
    {{QStringLiteral("port")},
     "Base address of one port, such as C=0x3E8 (may be repeated).",
     "letter=address"},
    {{QStringLiteral("irq")}, "IRQ shared by all eight ports: 2, 3, 4, 5, 6, 7, 10, 11, 12 or 15.", "number"},
    {{QStringLiteral("rs422")},
     "Ports using RS-422, such as A,B or all or none (default: all with RS-422, else none).",
     "letters"},
    {{QStringLiteral("y"), QStringLiteral("yes")}, "write: do not ask before writing.", nullptr},
    {{QStringLiteral("n"), QStringLiteral("dry-run")},
     "write: print the twenty port writes, touch nothing.",
     nullptr},
    {{QStringLiteral("o"), QStringLiteral("output")},
     "linux: write the set-up as files into <dir> instead of printing it.",
     "dir"},
    {{QStringLiteral("sheet")},
     "plan: also draw the jumper sheet, one page to print, into <file> (a PDF or PNG by its name).",
     "file"},
    {{QStringLiteral("paper")}, "plan --sheet: the paper, A4 or Letter (default: the locale's).", "name"},
    {{QStringLiteral("force")}, "write: write even when the checks find a problem.", nullptr},
    {{QStringLiteral("json")}, "check, test: print the result as one JSON document.", nullptr},
    {{QStringLiteral("external")},
     "test: through a loopback plug (TX to RX, RTS to CTS) instead of the internal loopback.",
     nullptr},
};

} // namespace

namespace CtlOptions {

void addTo(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QString::fromUtf8(Description));
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help and exit.")));
    parser.addOption(
        QCommandLineOption(QStringLiteral("version"), QStringLiteral("Show the version and exit.")));
    for (const OptionEntry &entry : OptionTable) {
        parser.addOption(entry.valueName ? QCommandLineOption(entry.names, entry.description,
                                                              QString::fromUtf8(entry.valueName))
                                         : QCommandLineOption(entry.names, entry.description));
    }
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("plan, check, write, linux, test or apply."),
                                 QStringLiteral("plan|check|write|linux|test|apply"));
}

} // namespace CtlOptions
