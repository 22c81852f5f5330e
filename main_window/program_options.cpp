#include "program_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace ProgramOptions {

std::optional<int> answer(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sets up the jumpers and port resources of a TR-4410 eight-port serial card, on a "
                       "photograph of the card; tr4410ctl does the same from a shell."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // Qt's own options are unknown here and stay for QApplication; read as words, so that
    // -platformpluginpath is not taken for -p -l ... -h.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.parse(arguments);
    const bool helpAsked = parser.isSet(help) || parser.isSet(QStringLiteral("help-all"));
    if (!helpAsked && !parser.isSet(version))
        return std::nullopt;
    // The texts name the program as Qt names it; a core application needs no display.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tr4410-settings"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TR4410_VERSION));
    const QString text =
        parser.isSet(help) ? parser.helpText() : QStringLiteral("tr4410-settings %1\n").arg(TR4410_VERSION);
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace ProgramOptions
