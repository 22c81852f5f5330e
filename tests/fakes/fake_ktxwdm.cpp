// Test double of the card maker's driver library. Built twice: complete, and without
// RelOutPortDWord (FAKE_KTXWDM_PARTIAL). Tests reach its controls with dlopen(RTLD_NOLOAD).

#include <cstdint>

namespace {
std::int32_t numCards = 0;
int loads = 0;

// Counts how often the library was really loaded (mapped and initialised), not dlopen calls.
__attribute__((constructor)) void countLoad()
{
    ++loads;
}
} // namespace

extern "C" {

std::int32_t GetNumCards()
{
    return numCards;
}

void FakeKtxwdm_SetNumCards(std::int32_t count)
{
    numCards = count;
}

int FakeKtxwdm_LoadCount()
{
    return loads;
}

int FakeKtxwdm_IsPartial()
{
#ifdef FAKE_KTXWDM_PARTIAL
    return 1;
#else
    return 0;
#endif
}

// The entry points the program binds but never calls: present by name only.
#define FAKE_ENTRY(name)                                                                                     \
    int name()                                                                                               \
    {                                                                                                        \
        return 0;                                                                                            \
    }
FAKE_ENTRY(QueryCardInfo)
FAKE_ENTRY(QueryBARBase)
FAKE_ENTRY(WaitForIRQ)
FAKE_ENTRY(COSWaitForIRQ)
FAKE_ENTRY(WDGHandleIRQ)
FAKE_ENTRY(AbortRequest)
FAKE_ENTRY(CloseCard)
FAKE_ENTRY(WDGInit)
FAKE_ENTRY(WDGSetTimeout)
FAKE_ENTRY(WDGSetResetDuration)
FAKE_ENTRY(WDGPet)
FAKE_ENTRY(WDGReadTemp)
FAKE_ENTRY(WDGReadStatus)
FAKE_ENTRY(WDGStart)
FAKE_ENTRY(WDGStop)
FAKE_ENTRY(EmergencyReboot)
FAKE_ENTRY(InPortB)
FAKE_ENTRY(OutPortB)
FAKE_ENTRY(InPort)
FAKE_ENTRY(OutPort)
FAKE_ENTRY(InPortL)
FAKE_ENTRY(OutPortL)
FAKE_ENTRY(InPortDWord)
FAKE_ENTRY(OutPortDWord)
FAKE_ENTRY(RelInPortB)
FAKE_ENTRY(RelOutPortB)
FAKE_ENTRY(RelInPort)
FAKE_ENTRY(RelOutPort)
FAKE_ENTRY(RelInPortL)
FAKE_ENTRY(RelOutPortL)
FAKE_ENTRY(RelInPortDWord)
#ifndef FAKE_KTXWDM_PARTIAL
FAKE_ENTRY(RelOutPortDWord)
#endif

} // extern "C"
