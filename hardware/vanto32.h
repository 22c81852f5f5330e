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

/* Whether every InPortB/OutPortB since the previous call was carried out; the call starts a new
   count. OutPortB returns nothing, so a caller that must not report a failed write as done asks
   here. The first failure since the last call is the one reported. */
#define VANTO32_STATUS_OK 0
#define VANTO32_STATUS_NO_ACCESS 1   /* no port access for this user or process */
#define VANTO32_STATUS_REFUSED 2     /* a port or value that may not be used */
#define VANTO32_STATUS_BUSY 3        /* another program is writing to the card */
#define VANTO32_STATUS_FAILED 4      /* the access broke off (the port layer went away) */
#define VANTO32_STATUS_LOCKED_DOWN 5 /* the kernel is locked down (Secure Boot): not even root */

int PortStatus(void);

/* Who holds the card, as the port helper named them in its latest BUSY answer ("flock (process
   812, user ann)"), or "" when it could not. PortStatus() leaves it as it is. */
const char *PortBusyHolder(void);

#ifdef __cplusplus
}
#endif

#endif
