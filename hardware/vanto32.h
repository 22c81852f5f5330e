#ifndef VANTO32_H
#define VANTO32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Byte-wide I/O port access, the card maker's library contract. The port number is passed
   zero-extended to 32 bits; only the low 8 bits of an output value count. InPortB answers the
   byte read in the low 8 bits, or VANTO32_DRIVER_ABSENT when port access cannot be had. */
#define VANTO32_DRIVER_ABSENT 0xAA55u

uint16_t InPortB(uint32_t port);
void OutPortB(uint32_t port, uint32_t value);

#ifdef __cplusplus
}
#endif

#endif
