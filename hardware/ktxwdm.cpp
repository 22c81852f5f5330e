#include "ktxwdm.h"

#include "hardware_logging.h"

#include <QLibrary>
#include <QStringList>

#include <array>

namespace KTXWDM {

namespace {

constexpr std::array<const char *, EntryCount> Names = {"GetNumCards",
                                                        "QueryCardInfo",
                                                        "QueryBARBase",
                                                        "WaitForIRQ",
                                                        "COSWaitForIRQ",
                                                        "WDGHandleIRQ",
                                                        "AbortRequest",
                                                        "CloseCard",
                                                        "WDGInit",
                                                        "WDGSetTimeout",
                                                        "WDGSetResetDuration",
                                                        "WDGPet",
                                                        "WDGReadTemp",
                                                        "WDGReadStatus",
                                                        "WDGStart",
                                                        "WDGStop",
                                                        "EmergencyReboot",
                                                        "InPortB",
                                                        "OutPortB",
                                                        "InPort",
                                                        "OutPort",
                                                        "InPortL",
                                                        "OutPortL",
                                                        "InPortDWord",
                                                        "OutPortDWord",
                                                        "RelInPortB",
                                                        "RelOutPortB",
                                                        "RelInPort",
                                                        "RelOutPort",
                                                        "RelInPortL",
                                                        "RelOutPortL",
                                                        "RelInPortDWord",
                                                        "RelOutPortDWord"};

// The entry table and the bound flag live for the whole run, like the library itself.
std::array<QFunctionPointer, EntryCount> entries = {};
bool bound = false;

} // namespace

const char *entryName(int index)
{
    return index >= 0 && index < EntryCount ? Names[std::size_t(index)] : nullptr;
}

void *entry(int index)
{
    if (index < 0 || index >= EntryCount)
        return nullptr;
    return reinterpret_cast<void *>(entries[std::size_t(index)]);
}

void BindDriverLibrary()
{
    if (bound)
        return;
    // The handle is not kept: the library is never unloaded, and a later QLibrary of the same
    // name shares the loaded one.
    QLibrary library(QStringLiteral("KTXWDM"));
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!library.load()) {
        qCDebug(lcHardware).noquote() << "the driver library is not loaded:" << library.errorString();
        return;
    }
    QStringList missing;
    for (int i = 0; i < EntryCount; ++i) {
        entries[std::size_t(i)] = library.resolve(Names[std::size_t(i)]);
        if (!entries[std::size_t(i)])
            missing.append(QString::fromLatin1(Names[std::size_t(i)]));
    }
    bound = missing.isEmpty();
    if (!bound)
        qCDebug(lcHardware).noquote() << "the driver library" << library.fileName() << "lacks"
                                      << missing.join(QLatin1String(", ")) << "and is not bound";
}

bool DriverLibraryBound()
{
    return bound;
}

TGetNumCards GetNumCards()
{
    return reinterpret_cast<TGetNumCards>(entries[0]);
}

int cardCount()
{
    BindDriverLibrary();
    const TGetNumCards getNumCards = GetNumCards();
    return getNumCards ? getNumCards() : 0;
}

} // namespace KTXWDM
