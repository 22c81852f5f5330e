#pragma once

#include "commissioning_check.h"
#include "write_result.h"

#include <QMessageBox>

// The port-resources panel's message boxes that tell a refusal or a failure: each names its
// cause and what to do, and none of them changes the panel.
namespace PortResourcesBoxes {

// A box of the panel; one that shows details shows them in a fixed-width font.
QMessageBox::StandardButton show(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                 const QString &text, QMessageBox::StandardButtons buttons,
                                 const QString &details = QString());

// The card's control base, as the edits write it, is below the lowest one that may be written.
void unusableControlBase(QWidget *parent, const QString &controlBaseText);
// The card cannot be reached at all: nothing is written.
void noPortAccess(QWidget *parent, Commissioning::AccessState access);
// A write sequence stopped early.
void writeFailure(QWidget *parent, const TWriteResult &result);

} // namespace PortResourcesBoxes
