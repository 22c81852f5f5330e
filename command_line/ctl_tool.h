#pragma once

#include "card_config.h"
#include "commissioning_check.h"
#include "ctl_exit.h"
#include "linux_setup.h"

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
    explicit TCtlTool(FILE *in = stdin, FILE *out = stdout, FILE *err = stderr, QObject *parent = nullptr);
    ~TCtlTool() override;

    int run(const QStringList &arguments);

private:
    QString commandOf(const QCommandLineParser &parser);
    bool readConfig(const QCommandLineParser &parser, const QString &command);
    TCardError setChoiceOptions(const QCommandLineParser &parser);
    TCardError setPortOptions(const QCommandLineParser &parser);
    TCardError setIrqOptions(const QCommandLineParser &parser);
    bool requireResources(ResourceRules::Addresses &addresses, int &irq);
    bool stackCards(QList<TLinuxSetup::Card> &cards);
    int plan();
    bool commissioningSetup(Commissioning::Setup &setup);
    int check(bool json);
    int write(bool dryRun, bool yes, bool force);
    int test(bool json, bool external);
    int linuxSetup(const QString &outputDir);
    int apply(const QCommandLineParser &parser);
    int fail(CtlExit::Code code, const QString &message);

    FILE *m_in;
    std::unique_ptr<QTextStream> m_out;
    std::unique_ptr<QTextStream> m_err;
    TCardConfig m_config;
    QString m_cardFile;               // the one card file read into m_config, if any
    QList<TLinuxSetup::Card> m_stack; // the cards of several card files
    bool m_json = false;              // --json: results and errors as JSON documents
    QString m_command;                // the command given, once it is known
};
