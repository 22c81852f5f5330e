#pragma once

#include "commissioning_check.h"
#include "resource_rules.h"
#include "write_result.h"

#include <cstdio>

class QTextStream;

// tr4410ctl write once the configuration is complete: the register values to be written, then
// either the dry run's twenty port writes, or the checks, the question and the write itself with
// each register told as it is done. Messages go to stderr, results to stdout.
class TWriteCommand
{
public:
    TWriteCommand(FILE *in, QTextStream &out, QTextStream &err);

    // Answers tr4410ctl's exit code.
    int run(const Commissioning::Setup &setup, quint8 rs422Mask, bool dryRun, bool yes, bool force);

private:
    void showValues(const Commissioning::Setup &setup, quint8 rs422Mask, const ResourceRules::Values &values);
    int showDryRun(quint16 controlBase, const ResourceRules::Values &values);
    bool checksPass(const Commissioning::Setup &setup, bool force);
    bool confirmed();
    int writeCard(quint16 controlBase, const ResourceRules::Values &values);
    static TWriteResult refusedAccess(WriteFailure failure);
    int failed(const TWriteResult &result);

    FILE *m_in;
    QTextStream &m_out;
    QTextStream &m_err;
};
