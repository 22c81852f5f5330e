#include "port_resources_boxes.h"

#include "card_jumpers.h"
#include "message_box.h"
#include "write_failure.h"

namespace PortResourcesBoxes {

QMessageBox::StandardButton show(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                 const QString &text, QMessageBox::StandardButtons buttons,
                                 const QString &details)
{
    TMessageBoxExtras extras;
    extras.details = details;
    return showMessageBox(parent, icon, caption, text, buttons, extras);
}

void unusableControlBase(QWidget *parent, const QString &controlBaseText)
{
    show(parent, QMessageBox::Critical, QStringLiteral("Invalid Control Base Address"),
         QStringLiteral("The card's control base address is %1, but it must be %2 "
                        "(hexadecimal) for the port resources to be written. Ports below %3 "
                        "belong to the computer's system board, such as its interrupt "
                        "controllers and clock, and writing there could upset the whole "
                        "computer.\n\nNothing has been written. Set the card's address "
                        "jumpers to %3 or above, enter that address under Settings | Base "
                        "Address, and start this program again to write the resources.")
             .arg(controlBaseText,
                  CardJumpers::rangeText(CardJumpers::ControlBaseRange, CardJumpers::RangeStyle::Digits),
                  CardJumpers::addressText(CardJumpers::LowestControlBase)),
         QMessageBox::Ok);
}

void noPortAccess(QWidget *parent, Commissioning::AccessState access)
{
    show(parent, QMessageBox::Critical, QStringLiteral("No Port Access"),
         WriteFailures::windowNoAccessText(access), QMessageBox::Ok);
}

void writeFailure(QWidget *parent, const TWriteResult &result)
{
    const WriteFailures::WindowBox box = WriteFailures::windowBox(result);
    show(parent, QMessageBox::Critical, box.caption, box.text, QMessageBox::Ok);
}

} // namespace PortResourcesBoxes
