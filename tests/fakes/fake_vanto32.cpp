#include "vanto32.h"

// Placeholder until the recording double lands.
extern "C" uint16_t InPortB(uint32_t)
{
    return 0x00;
}

extern "C" void OutPortB(uint32_t, uint32_t)
{
}
