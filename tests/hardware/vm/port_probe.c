/* Runs inside the test VM, linked against the real port-I/O library (the port helper's client).
   Reads the driver probe port, selects register 10 (the RS-422 mask, which takes any byte) and
   writes "<tag>\n" byte by byte into the data register of a card at control base 0x300 (port
   0x302, where the VM records what arrives), and prints the answers, the
   status of the writes and the process's effective capabilities on the console. */

#include "vanto32.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

static void effective_capabilities(char *out, size_t size)
{
    snprintf(out, size, "?");
    FILE *status = fopen("/proc/self/status", "r");
    if (!status)
        return;
    char line[256];
    while (fgets(line, sizeof line, status)) {
        if (sscanf(line, "CapEff: %63s", out) == 1)
            break;
    }
    fclose(status);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s TAG\n", argv[0]);
        return 2;
    }
    const char *tag = argv[1];
    const unsigned probe = InPortB(0x61);
    const int readStatus = PortStatus();
    const unsigned beyond = InPortB(0x10000);
    PortStatus();
    const size_t n = strlen(tag);
    OutPortB(0x301, 10);
    for (size_t i = 0; i < n; ++i)
        OutPortB(0x302, (unsigned char)tag[i]);
    OutPortB(0x302, '\n');
    const int writeStatus = PortStatus();
    char caps[64];
    effective_capabilities(caps, sizeof caps);
    printf("PROBE %s uid=%d euid=%d port61=0x%04X beyond=0x%04X read=%d write=%d capeff=%s\n", tag,
           (int)getuid(), (int)geteuid(), probe, beyond, readStatus, writeStatus, caps);
    fflush(stdout);
    return 0;
}
