#include "pci_form.h"

#include "kit_fonts.h"

#include <QPlainTextEdit>

namespace {
// Centred on the window's initial outer width of 320, (320 - 73) div 2 = 123, before fitting the
// controls to the client area moved them up and left by 8.
constexpr int ButtonLeft = 115;
} // namespace

TPCIForm::TPCIForm(QWidget *owner, const QString &cardName)
    : TMemoWindow(owner, QStringLiteral("PCIMemo"), ButtonLeft)
{
    registerKitFonts(); // Tahoma
    setObjectName(QStringLiteral("PCIForm"));
    setWindowTitle(cardName + QStringLiteral(" Cards installed"));
    PCIMemo()->setFont(QFont(QStringLiteral("Tahoma"), 10, QFont::Bold));
}
