#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>

// Shared pieces of the benchmark programs: the port library they use, the machine they run on,
// and medians.
namespace Bench {

// Runs this program again with the test double of the port-I/O library first on the library
// search path (when it was built), so that the main window's driver presence test passes without
// a modal warning. Returns at once when that is already so.
void useFakePorts(char **argv);
// The same with the port-I/O library found in dir.
void usePortLibrary(const QByteArray &dir, char **argv);
// The directory of the fake port library, or empty when it was not built.
QString fakePortsDir();

// Processor count and model, memory and the load average, as recorded beside the figures.
QString machineSummary();
// The command line that reproduces the figures of this run.
QString commandLine(int argc, char **argv);

// The number after "-n" on the command line, at least 1, or fallback.
int runsArgument(int argc, char **argv, int fallback);
// Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
void defaultToOffscreen();

// What a benchmark on the main window does first: useFakePorts, then its reproducing command line
// and number of runs, and the offscreen platform by default.
struct Start
{
    QString command;
    int runs;
};
Start start(int argc, char **argv, int fallbackRuns);
double msSince(const QElapsedTimer &timer);

double median(QList<double> values);
double maximum(const QList<double> &values);

} // namespace Bench
