#pragma once

#include "commissioning_check.h"
#include "linux_setup.h"
#include "serial_port_test.h"

#include <QList>
#include <QString>

// What check and test print for people: one line a finding, one row a port.
namespace CtlText {

// Each finding on a line; with several cards, a card's own finding names its card first.
QString checkLines(const QList<Commissioning::Finding> &findings, bool nameCards);
// One row a port (the device of the same index), with its card and stable name, pass or the
// reason, and how each IRQ counted.
QString testTable(const QList<TLinuxSetup::Device> &devices, const QList<TSerialPortTest::Result> &results,
                  const QList<TSerialPortTest::Interrupts> &counted);

} // namespace CtlText
