#pragma once

class QCommandLineParser;

// tr4410ctl's help texts and option table.
namespace CtlOptions {

// The description, the options and the command argument, as --help shows them.
void addTo(QCommandLineParser &parser);

} // namespace CtlOptions
