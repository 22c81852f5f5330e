#pragma once

#include "ctl_exit.h"

#include <QString>

#include <functional>

class QCommandLineParser;
class QTextStream;
class TCardConfig;

// tr4410ctl plan --sheet FILE [--paper A4|Letter]: the jumper sheet of the configuration given.
namespace SheetCommand {

// Whether the arguments ask for a sheet: drawing it takes Qt's fonts, so a QGuiApplication (on
// the offscreen platform, as no display is needed) instead of the QCoreApplication.
bool wanted(int argc, char **argv);

// The plan command: printPlan prints the text plan; with --sheet the sheet is written after it.
// --paper without --sheet, or a paper of another name, is refused before anything is printed.
int plan(const QCommandLineParser &parser, const TCardConfig &config, const std::function<int()> &printPlan,
         QTextStream &out, QTextStream &err);

} // namespace SheetCommand
