#include "ctl_tool.h"

#include "apply_command.h"
#include "card_file.h"
#include "card_stack.h"
#include "ctl_cards.h"
#include "ctl_json.h"
#include "ctl_options.h"
#include "ctl_text.h"
#include "linux_setup.h"
#include "linux_setup_files.h"
#include "port_access_probe.h"
#include "serial_port_test.h"
#include "sheet_command.h"
#include "write_command.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

using namespace CtlExit;

namespace {

const QString Program = QStringLiteral("tr4410ctl");

} // namespace

TCtlTool::TCtlTool(FILE *in, FILE *out, FILE *err, QObject *parent)
    : QObject(parent)
    , m_in(in)
    , m_out(std::make_unique<QTextStream>(out))
    , m_err(std::make_unique<QTextStream>(err))
{
}

TCtlTool::~TCtlTool() = default;

int TCtlTool::fail(CtlExit::Code code, const QString &message)
{
    // A script asking for JSON gets its error as JSON too; people still read it on stderr.
    if (m_json)
        *m_out << CtlJson::errorDocument(m_command, code, message) << Qt::flush;
    return CtlExit::fail(*m_err, code, message);
}

int TCtlTool::run(const QStringList &arguments)
{
    QCommandLineParser parser;
    CtlOptions::addTo(parser);

    const bool parsed = parser.parse(arguments);
    m_json =
        parsed ? parser.isSet(QStringLiteral("json")) : arguments.mid(1).contains(QStringLiteral("--json"));
    if (!parsed)
        return fail(InvalidInput, parser.errorText() + QStringLiteral("\nTry 'tr4410ctl --help'."));
    if (parser.isSet(QStringLiteral("help"))) {
        *m_out << parser.helpText() << Qt::flush;
        return Success;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        *m_out << Program << ' ' << QCoreApplication::applicationVersion() << Qt::endl;
        return Success;
    }

    const QString command = commandOf(parser);
    if (command.isEmpty())
        return InvalidInput;
    if (command == QLatin1String("apply"))
        return apply(parser);
    if (!readConfig(parser, command))
        return InvalidInput;
    // A card file whose values do not fit together is refused whatever the command.
    if (const TCardError error = m_config.check())
        return fail(InvalidInput, error.message());
    if (command == QLatin1String("plan"))
        return SheetCommand::plan(
            parser, m_config, [this] { return plan(); }, *m_out, *m_err);
    const bool json = parser.isSet(QStringLiteral("json"));
    if (command == QLatin1String("check"))
        return check(json);
    if (command == QLatin1String("write"))
        return write(parser.isSet(QStringLiteral("dry-run")), parser.isSet(QStringLiteral("yes")),
                     parser.isSet(QStringLiteral("force")));
    if (command == QLatin1String("test"))
        return test(json, parser.isSet(QStringLiteral("external")));
    return linuxSetup(parser.value(QStringLiteral("output")));
}

// The one command given, with the options that belong to it; empty after a refusal.
QString TCtlTool::commandOf(const QCommandLineParser &parser)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        fail(InvalidInput,
             (positional.isEmpty()
                  ? QStringLiteral("no command given")
                  : QStringLiteral("one command only, not '%1'").arg(positional.join(QLatin1Char(' ')))) +
                 QStringLiteral("\nTry 'tr4410ctl --help'."));
        return {};
    }
    const QString command = positional.first();
    const QStringList commands{QStringLiteral("plan"),  QStringLiteral("check"), QStringLiteral("write"),
                               QStringLiteral("linux"), QStringLiteral("test"),  QStringLiteral("apply")};
    if (!commands.contains(command)) {
        fail(InvalidInput,
             QStringLiteral("unknown command '%1' (plan, check, write, linux, test or apply)\nTry 'tr4410ctl "
                            "--help'.")
                 .arg(command));
        return {};
    }
    m_command = command;

    // Options that belong to some commands only.
    const std::pair<const char *, const char *> onlyFor[] = {
        {"yes", "write"},       {"dry-run", "write"}, {"force", "write"}, {"output", "linux"},
        {"json", "check|test"}, {"external", "test"}, {"sheet", "plan"},  {"paper", "plan"}};
    for (const auto &[option, owners] : onlyFor) {
        const QStringList owner = QString::fromLatin1(owners).split(QLatin1Char('|'));
        if (parser.isSet(QString::fromLatin1(option)) && !owner.contains(command)) {
            fail(InvalidInput, QStringLiteral("--%1 applies to '%2' only")
                                   .arg(QLatin1String(option), owner.join(QStringLiteral("' and '"))));
            return {};
        }
    }
    return command;
}

namespace {
TCardError optionError(const char *option, const QString &reason)
{
    return {{}, QStringLiteral("--") + QLatin1String(option), reason};
}

// An error of one port among several given by one option: the port's letter goes first.
TCardError portError(TCardError error, QChar letter)
{
    error.reason = QStringLiteral("port %1: %2").arg(letter).arg(error.reason);
    return error;
}
} // namespace

bool TCtlTool::readConfig(const QCommandLineParser &parser, const QString &command)
{
    const QStringList files = CtlCards::files(parser, command, TSystemState::rootFromEnvironment());
    if (const QString refusal = CtlCards::refusal(files, parser, command); !refusal.isEmpty()) {
        fail(InvalidInput, refusal + QStringLiteral("; nothing has been done"));
        return false;
    }
    if (files.size() > 1) {
        if (const TCardError error = CardStack::read(files, m_stack)) {
            fail(InvalidInput, error.message() + QStringLiteral("; nothing has been done"));
            return false;
        }
        return true;
    }
    m_cardFile = files.value(0);
    if (!m_cardFile.isEmpty()) {
        if (const TCardError error = CardFile::read(m_cardFile, m_config)) {
            fail(InvalidInput, error.message() + QStringLiteral("; nothing has been done"));
            return false;
        }
    }
    // An option overrides the card file's value. Each check names the option.
    TCardError error = setChoiceOptions(parser);
    if (!error)
        error = setPortOptions(parser);
    if (!error)
        error = setIrqOptions(parser);
    if (error)
        fail(InvalidInput, error.message());
    return !error;
}

TCardError TCtlTool::setChoiceOptions(const QCommandLineParser &parser)
{
    using Setter = TCardError (TCardConfig::*)(const QString &, const QString &);
    const std::pair<const char *, Setter> choices[] = {{"base", &TCardConfig::setControlBase},
                                                       {"protocol", &TCardConfig::setProtocol},
                                                       {"termination", &TCardConfig::setTermination},
                                                       {"clock", &TCardConfig::setClock},
                                                       {"df", &TCardConfig::setDf}};
    for (const auto &[name, setter] : choices) {
        const QString option = QString::fromLatin1(name);
        if (!parser.isSet(option))
            continue;
        if (TCardError error = (m_config.*setter)(parser.value(option), QStringLiteral("--") + option))
            return error;
    }
    if (parser.isSet(QStringLiteral("auto-rts"))) {
        const QString value = parser.value(QStringLiteral("auto-rts"));
        if (value != QLatin1String("on") && value != QLatin1String("off"))
            return optionError("auto-rts", QStringLiteral("\"%1\" is not one of on, off").arg(value));
        return m_config.setAutoRts(value == QLatin1String("on"), QStringLiteral("--auto-rts"));
    }
    return {};
}

TCardError TCtlTool::setPortOptions(const QCommandLineParser &parser)
{
    if (parser.isSet(QStringLiteral("ports"))) {
        const QStringList list = parser.value(QStringLiteral("ports")).split(QLatin1Char(','));
        if (list.size() != ResourceRules::PortCount)
            return optionError(
                "ports",
                QStringLiteral("%1 addresses given; it takes eight, for ports A to H").arg(list.size()));
        for (int port = 0; port < ResourceRules::PortCount; ++port) {
            if (TCardError error = m_config.setPort(port, list.at(port).trimmed(), QStringLiteral("--ports")))
                return portError(error, ResourceRules::portLetter(port));
        }
    }
    for (const QString &value : parser.values(QStringLiteral("port"))) {
        const qsizetype equals = value.indexOf(QLatin1Char('='));
        const QString letter = value.left(equals).trimmed().toUpper();
        if (equals < 0 || letter.size() != 1 || letter.at(0) < QLatin1Char('A') ||
            letter.at(0) > QLatin1Char('H'))
            return optionError(
                "port", QStringLiteral("\"%1\" is not a port letter A to H, '=' and an address").arg(value));
        const int port = letter.at(0).unicode() - 'A';
        if (TCardError error =
                m_config.setPort(port, value.mid(equals + 1).trimmed(), QStringLiteral("--port")))
            return portError(error, letter.at(0));
    }
    return {};
}

TCardError TCtlTool::setIrqOptions(const QCommandLineParser &parser)
{
    if (parser.isSet(QStringLiteral("irq"))) {
        bool number = false;
        const QString value = parser.value(QStringLiteral("irq"));
        const int irq = value.toInt(&number, 10);
        if (!number)
            return optionError("irq", QStringLiteral("\"%1\" is not a decimal number").arg(value));
        if (TCardError error = m_config.setIrq(irq, QStringLiteral("--irq")))
            return error;
    }
    if (parser.isSet(QStringLiteral("rs422"))) {
        const QString value = parser.value(QStringLiteral("rs422")).trimmed();
        QStringList letters;
        if (value == QLatin1String("all"))
            letters = QStringList{"A", "B", "C", "D", "E", "F", "G", "H"};
        else if (value != QLatin1String("none"))
            for (const QString &part : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
                letters.append(part.trimmed());
        return m_config.setRs422(letters, QStringLiteral("--rs422"));
    }
    return {};
}

bool TCtlTool::requireResources(ResourceRules::Addresses &addresses, int &irq)
{
    // The window's own messages, with where the value is missing from.
    for (int port = 0; port < ResourceRules::PortCount; ++port) {
        const auto &value = m_config.ports[std::size_t(port)].value;
        if (!value) {
            fail(InvalidInput, ResourceRules::invalidSettingText(ResourceRules::portLabel(port)) +
                                   QStringLiteral(" No address given (\"ports\" in the card file, --ports or "
                                                  "--port %1=ADDRESS).")
                                       .arg(ResourceRules::portLetter(port)));
            return false;
        }
        addresses[std::size_t(port)] = *value;
    }
    if (!m_config.irq.value) {
        fail(InvalidInput, ResourceRules::invalidSettingText(ResourceRules::irqLabel()) +
                               QStringLiteral(" No IRQ given (\"irq\" in the card file or --irq)."));
        return false;
    }
    // Two ports at one address were refused with the other checks of the values together.
    irq = *m_config.irq.value;
    return true;
}

// The cards of the command: those of several card files, else the one of the card file and options.
bool TCtlTool::stackCards(QList<TLinuxSetup::Card> &cards)
{
    if (!m_stack.isEmpty()) {
        cards = m_stack;
        return true;
    }
    TLinuxSetup::Card card;
    card.file = m_cardFile;
    card.controlBase = m_config.controlBaseOrDefault();
    card.x8Clock = m_config.x8Clock();
    if (!requireResources(card.addresses, card.irq))
        return false;
    cards = {card};
    return true;
}

int TCtlTool::plan()
{
    TCardError error;
    const std::optional<CardJumpers::Options> options = m_config.jumperOptions(&error);
    if (!options)
        return fail(InvalidInput, error.message());
    const auto print = [this](const QList<CardJumpers::Jumper> &jumpers) {
        for (const CardJumpers::Jumper &jumper : jumpers) {
            *m_out << "  " << jumper.label.leftJustified(4) << (jumper.fitted ? "fit " : "open");
            if (!jumper.meaning.isEmpty())
                *m_out << "  " << jumper.meaning;
            *m_out << '\n';
        }
    };
    *m_out << "TR-4410 jumpers (fit: shunt installed; open: no shunt)\n\n"
           << "Jumper row A4 A5 A6 A7 A8 A9 DF X8 (control base address "
           << TCardConfig::addressText(CardJumpers::settableAddress(options->controlBase)) << "):\n";
    print(CardJumpers::jumperRow(*options));
    *m_out << "\nPort jumpers 32 85 R8 4x 42 RL TL, the same on each of the eight ports:\n";
    print(CardJumpers::portColumn(*options));
    *m_out << Qt::flush;
    return Success;
}

bool TCtlTool::commissioningSetup(Commissioning::Setup &setup)
{
    setup.controlBase = m_config.controlBaseOrDefault();
    setup.x8Clock = m_config.x8Clock();
    return requireResources(setup.addresses, setup.irq);
}

int TCtlTool::check(bool json)
{
    QList<TLinuxSetup::Card> cards;
    if (!stackCards(cards))
        return InvalidInput;
    const TSystemState system = TSystemState::read();
    const QList<Commissioning::Finding> findings =
        Commissioning::checkStack(cards, system, PortAccessProbe::probe(system));
    const bool problem = Commissioning::count(findings, Commissioning::Severity::Problem) > 0;
    if (json) {
        *m_out << CtlJson::checkDocument(findings, !problem) << Qt::flush;
    } else {
        *m_out << CtlText::checkLines(findings, cards.size() > 1) << Commissioning::severityList(findings)
               << Qt::endl;
    }
    return problem ? CheckFailed : Success;
}

int TCtlTool::write(bool dryRun, bool yes, bool force)
{
    const quint32 controlBase = m_config.controlBaseOrDefault();
    if (!CardJumpers::controlBaseUsable(controlBase)) {
        const QString origin = m_config.controlBase.origin;
        return fail(InvalidInput,
                    m_config
                        .errorAt(origin.isEmpty() ? QStringLiteral("--base") : origin,
                                 QStringLiteral("the control base address must be %1: below "
                                                "%2 the PC's own devices answer; nothing "
                                                "has been written")
                                     .arg(CardJumpers::rangeText(CardJumpers::ControlBaseRange,
                                                                 CardJumpers::RangeStyle::Prefixed),
                                          TCardConfig::addressText(CardJumpers::LowestControlBase)))
                        .message());
    }
    Commissioning::Setup setup;
    if (!commissioningSetup(setup))
        return InvalidInput;
    return TWriteCommand(m_in, *m_out, *m_err).run(setup, m_config.rs422MaskOrDefault(), dryRun, yes, force);
}

int TCtlTool::linuxSetup(const QString &outputDir)
{
    QList<TLinuxSetup::Card> cards;
    if (!stackCards(cards))
        return InvalidInput;
    const TLinuxSetup setup(cards, TSystemState::read());
    if (!setup.problems().isEmpty())
        return fail(InvalidInput,
                    setup.problems().join(QLatin1Char('\n')) + QStringLiteral("; nothing has been done"));
    if (outputDir.isEmpty()) {
        *m_out << setup.text() << Qt::flush;
        return Success;
    }
    QStringList written;
    const QString error = LinuxSetupFiles::write(setup, outputDir, &written);
    for (const QString &path : written)
        *m_out << path << '\n';
    if (!error.isEmpty())
        return fail(InvalidInput, error);
    *m_out << Qt::flush;
    return Success;
}

int TCtlTool::test(bool json, bool external)
{
    QList<TLinuxSetup::Card> cards;
    if (!stackCards(cards))
        return InvalidInput;
    const TSystemState system = TSystemState::read();
    const TLinuxSetup setup(cards, system);
    QList<TSerialPortTest::Port> ports;
    for (const TLinuxSetup::Device &device : setup.devices()) {
        QList<int> speeds{TLinuxSetup::X1BaudBase};
        if (device.baudBase == TLinuxSetup::X8BaudBase)
            speeds.append(TLinuxSetup::X8BaudBase);
        ports.append({device.port, device.address, device.irq, speeds, external});
    }
    QList<TSerialPortTest::Interrupts> counted;
    QElapsedTimer took;
    took.start();
    const QList<TSerialPortTest::Result> results = TSerialPortTest(system).run(ports, &counted);
    const qint64 ms = took.elapsed();
    const bool passed = std::all_of(results.begin(), results.end(), [](const auto &r) { return r.passed; });
    if (json)
        *m_out << CtlJson::testDocument(setup.devices(), results, counted, passed) << Qt::flush;
    else
        *m_out << CtlText::testTable(setup.devices(), results, counted)
               << QStringLiteral("Tested in %1 ms.\n").arg(ms) << Qt::flush;
    return passed ? Success : TestFailed;
}

// The card files as they are, every card of the machine unless --card names some.
int TCtlTool::apply(const QCommandLineParser &parser)
{
    for (const QString &option : parser.optionNames()) {
        if (option != QLatin1String("card"))
            return fail(InvalidInput, QStringLiteral("--%1 does not apply to 'apply', which sets up the "
                                                     "cards as their card files say")
                                          .arg(option));
    }
    const TSystemState system = TSystemState::read();
    const QStringList files = parser.isSet(QStringLiteral("card")) ? parser.values(QStringLiteral("card"))
                                                                   : CardStack::cardFiles(system.root);
    if (files.isEmpty())
        return fail(InvalidInput, QStringLiteral("no card file in %1: put one there for each card of the "
                                                 "machine (or give --card)")
                                      .arg(CardStack::cardsFolder(system.root)));
    QList<TLinuxSetup::Card> cards;
    if (const TCardError error = CardStack::read(files, cards))
        return fail(InvalidInput, error.message() + QStringLiteral("; no line has been changed"));
    return TApplyCommand(*m_out, *m_err).run(cards, system);
}
