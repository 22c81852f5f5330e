#include "tech_form.h"

namespace {
// Centred below the memo in the fitted client area: (305 - 73) div 2.
constexpr int ButtonLeft = 116;
} // namespace

TTechForm::TTechForm(QWidget *owner)
    : TMemoWindow(owner, QStringLiteral("TechMemo"), ButtonLeft)
{
    setObjectName(QStringLiteral("TechForm"));
    setWindowTitle(QStringLiteral("Technical Support"));
}
