#include "sheet_printer.h"

#include "message_box.h"
#include "sheet_file.h"

#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace SheetPrinter {

void print(QWidget *window, const JumperSheet::Content &content, const QImage &photograph)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(SheetFile::localePaper(QLocale::system()));
    // The sheet keeps its own margins, the same on every printer.
    printer.setFullPage(true);
    printer.setDocName(QStringLiteral("TR-4410 jumper sheet"));
    QPrintDialog dialog(&printer, window);
    dialog.setObjectName(QStringLiteral("PrintJumperSheetDialog"));
    dialog.setWindowTitle(QStringLiteral("Print Jumper Sheet"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        showMessageBox(
            window, QMessageBox::Warning, QStringLiteral("Print Jumper Sheet"),
            QStringLiteral("The printer could not be opened, so the jumper sheet has not been "
                           "printed.\n\nCheck the printer (or the file's folder, when printing to a "
                           "file) and print again."),
            QMessageBox::Ok);
        return;
    }
    JumperSheet::paint(painter, printer.pageLayout().fullRect(QPageLayout::Millimeter).size(), content,
                       photograph);
}

} // namespace SheetPrinter
