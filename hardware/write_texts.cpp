#include "write_texts.h"

namespace WriteTexts {

namespace {

QString conflictWarning()
{
    return QStringLiteral(
        "The setup program will now write the port resources. If they conflict with another "
        "device in your system, neither may function once the DF jumper is removed.");
}

} // namespace

QString windowQuestion()
{
    return conflictWarning() + QStringLiteral(" Are you sure you want to use these resources?");
}

QString commandLineQuestion()
{
    return conflictWarning() + QStringLiteral("\nWrite them to the card? [y/N] ");
}

QString windowWritten()
{
    return QStringLiteral("The resources have been written to the card. You will now need to shut down the "
                          "stack, remove the DF jumper, and start back up. Your card will then be ready for "
                          "use!");
}

QString commandLineWritten()
{
    return windowWritten() +
           QStringLiteral("\nThe Linux set-up of these ports: tr4410ctl linux with the same settings.\n");
}

} // namespace WriteTexts
