#include "vanto32.h"

static int status = VANTO32_STATUS_OK;

static void fail(int code)
{
    if (status == VANTO32_STATUS_OK)
        status = code;
}

int PortStatus(void)
{
    const int s = status;
    status = VANTO32_STATUS_OK;
    return s;
}

/* Port access on Linux x86: ioperm() opens the I/O permission bitmap for exactly the port asked,
   which needs CAP_SYS_RAWIO. The right is dropped again after each access, so the process never
   holds more than the one port it is touching. Without the capability (or on a processor without
   an I/O port space) every read answers VANTO32_DRIVER_ABSENT and every write is skipped: an
   in/out instruction without permission would kill the program. */

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))

#include <sys/io.h>

#define VANTO32_LAST_PORT 0xFFFFu

static int grant(uint32_t port)
{
    return port <= VANTO32_LAST_PORT && ioperm(port, 1, 1) == 0;
}

static void revoke(uint32_t port)
{
    ioperm(port, 1, 0);
}

uint16_t InPortB(uint32_t port)
{
    if (!grant(port)) {
        fail(VANTO32_STATUS_NO_ACCESS);
        return VANTO32_DRIVER_ABSENT;
    }
    const uint16_t value = inb((unsigned short)port);
    revoke(port);
    return value;
}

void OutPortB(uint32_t port, uint32_t value)
{
    if (!grant(port)) {
        fail(VANTO32_STATUS_NO_ACCESS);
        return;
    }
    outb((unsigned char)(value & 0xFFu), (unsigned short)port);
    revoke(port);
}

#else

uint16_t InPortB(uint32_t port)
{
    (void)port;
    fail(VANTO32_STATUS_NO_ACCESS);
    return VANTO32_DRIVER_ABSENT;
}

void OutPortB(uint32_t port, uint32_t value)
{
    (void)port;
    (void)value;
    fail(VANTO32_STATUS_NO_ACCESS);
}

#endif
