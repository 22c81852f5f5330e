#pragma once

#include "card_config.h"
#include "commissioning_check.h"

#include <QObject>
#include <QStringList>

#include <cstdio>
#include <memory>

class QCommandLineParser;
class QTextStream;

// tr4410ctl: the TR-4410's jumper plan, the port-resource write and the Linux set-up of the
// ports, from a shell. Messages go to stderr, results to stdout; the exit code tells the outcome.
class TCtlTool : public QObject
{
    Q_OBJECT
public:
    enum ExitCode {
        Success = 0,
        InvalidInput = 1, // a bad option, card file or value, or a file that cannot be written
        NotConfirmed = 2, // the question before the write was not answered yes
        NoPortAccess = 3,
        CardBusy = 4,    // another program is writing to the card
        WriteFailed = 5, // the port layer refused a write or broke off: the card may be half written
        CheckFailed = 6, // a check found a problem (check, or write without --force)
        TestFailed = 7,  // a port failed its test
    };
    Q_ENUM(ExitCode)

    explicit TCtlTool(FILE *in = stdin, FILE *out = stdout, FILE *err = stderr, QObject *parent = nullptr);
    ~TCtlTool() override;

    int run(const QStringList &arguments);

    // "tr4410ctl: " and the message on `err`; answers the code.
    static int fail(QTextStream &err, ExitCode code, const QString &message);

private:
    QString commandOf(const QCommandLineParser &parser);
    bool readConfig(const QCommandLineParser &parser);
    TCardError setChoiceOptions(const QCommandLineParser &parser);
    TCardError setPortOptions(const QCommandLineParser &parser);
    TCardError setIrqOptions(const QCommandLineParser &parser);
    bool requireResources(ResourceRules::Addresses &addresses, int &irq);
    int plan();
    bool commissioningSetup(Commissioning::Setup &setup);
    int check(bool json);
    int write(bool dryRun, bool yes, bool force);
    int test(bool json, bool external);
    int linuxSetup(const QString &outputDir);
    int fail(ExitCode code, const QString &message);

    FILE *m_in;
    std::unique_ptr<QTextStream> m_out;
    std::unique_ptr<QTextStream> m_err;
    TCardConfig m_config;
};
