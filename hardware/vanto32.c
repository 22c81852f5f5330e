#include "vanto32.h"

/* Placeholder until the port-access layer lands: behaves as if access were absent. */
uint16_t InPortB(uint32_t port)
{
    (void)port;
    return VANTO32_DRIVER_ABSENT;
}

void OutPortB(uint32_t port, uint32_t value)
{
    (void)port;
    (void)value;
}
