#pragma once

#include "jumper_sheet.h"

class QWidget;

// File > Print Jumper Sheet...: Qt's print dialog (whose "Print to File" gives a PDF), then the
// jumper sheet on the page chosen.
namespace SheetPrinter {

// Asks for the printer, on the locale's paper by default, and prints; a printer that cannot be
// opened is shown in a warning box.
void print(QWidget *window, const JumperSheet::Content &content, const QImage &photograph);

} // namespace SheetPrinter
