#pragma once

#include "jumper_sheet.h"

#include <QPageSize>

#include <optional>

class QLocale;

// The jumper sheet as a file (PDF or PNG) and the paper it is drawn for.
namespace SheetFile {

// Letter where the locale measures in inches and feet (the US system), else A4.
QPageSize localePaper(const QLocale &locale);
// "A4" or "Letter", in any letter case; nothing for another name.
std::optional<QPageSize> paperNamed(const QString &name);

// The board photograph kept in the program, at print size; null when it cannot be decoded.
QImage photograph();

// Whether the file's name ends in .pdf or .png, in any letter case.
bool knownFormat(const QString &path);

// Writes the sheet on paper to path, a PDF or a PNG by the name's ending: empty when written,
// else why not.
QString write(const QString &path, const QPageSize &paper, const JumperSheet::Content &content,
              const QImage &photograph);

} // namespace SheetFile
