#include "sheet_command.h"

#include "card_config.h"
#include "sheet_file.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>

#include <cstring>

namespace SheetCommand {

bool wanted(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--sheet") == 0 || std::strncmp(argv[i], "--sheet=", 8) == 0)
            return true;
    return false;
}

namespace {
CtlExit::Code refuse(QTextStream &err, const QString &message)
{
    return CtlExit::Code(CtlExit::fail(err, CtlExit::InvalidInput, message));
}
} // namespace

int plan(const QCommandLineParser &parser, const TCardConfig &config, const std::function<int()> &printPlan,
         QTextStream &out, QTextStream &err)
{
    const QString paper = parser.value(QStringLiteral("paper"));
    if (parser.isSet(QStringLiteral("paper")) && !parser.isSet(QStringLiteral("sheet")))
        return refuse(err, QStringLiteral("--paper applies to --sheet only"));
    const std::optional<QPageSize> size =
        paper.isEmpty() ? SheetFile::localePaper(QLocale::system()) : SheetFile::paperNamed(paper);
    if (!size)
        return refuse(err, QStringLiteral("--paper: \"%1\" is not one of A4, Letter").arg(paper));
    const QString path = parser.value(QStringLiteral("sheet"));
    if (parser.isSet(QStringLiteral("sheet")) && !SheetFile::knownFormat(path))
        return refuse(
            err,
            QStringLiteral("--sheet: \"%1\" names no PDF or PNG: end the name in .pdf or .png").arg(path));
    const int planned = printPlan();
    if (planned != CtlExit::Success || !parser.isSet(QStringLiteral("sheet")))
        return planned;
    const QImage photograph = SheetFile::photograph();
    if (photograph.isNull())
        return refuse(err, QStringLiteral("the board photograph cannot be decoded: Qt's JPEG image plugin "
                                          "(package libqt6gui6) is missing"));
    const JumperSheet::Content content{
        config, config.file.isEmpty() ? QString() : QFileInfo(config.file).fileName(), QDate::currentDate()};
    const QString error = SheetFile::write(path, *size, content, photograph);
    if (!error.isEmpty())
        return refuse(err, QStringLiteral("%1: the jumper sheet cannot be written: %2").arg(path, error));
    out << path << Qt::endl;
    return CtlExit::Success;
}

} // namespace SheetCommand
