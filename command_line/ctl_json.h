#pragma once

#include "commissioning_check.h"
#include "linux_setup.h"
#include "serial_port_test.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// The JSON documents tr4410ctl prints under --json, as tr4410ctl(1) (JSON OUTPUT) lists their keys.
// Every document carries "version" and "command"; a value that is not known is null, never "" or -1.
namespace CtlJson {

// The version of the documents' keys; raised only when a key changes meaning or goes.
constexpr int Version = 1;

// The card a finding or a port belongs to: {"file": ..., "controlBase": "0x300"}.
QJsonObject card(const QString &file, quint32 controlBase);

// check: the findings and whether none of them is a problem.
QByteArray checkDocument(const QList<Commissioning::Finding> &findings, bool passed);

// test: a port an entry (each result beside the device of the set-up it tested), the counts of
// the shared IRQs, and whether every port passed.
QByteArray testDocument(const QList<TLinuxSetup::Device> &devices,
                        const QList<TSerialPortTest::Result> &results,
                        const QList<TSerialPortTest::Interrupts> &counted, bool passed);

// A refusal or failure: the message (as on stderr, without the program's name) and the exit code.
// `command` is empty when no known command was given.
QByteArray errorDocument(const QString &command, int exitCode, const QString &message);

} // namespace CtlJson
