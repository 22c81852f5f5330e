/* Runs inside the test VM, linked against the real port-I/O library. Reads the driver probe port
   and a port beyond the I/O space, prints the answers on the console and writes "<tag>\n" byte by
   byte into the transmit register of the second serial port, which the VM records in a file. */

#include "vanto32.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s TAG\n", argv[0]);
        return 2;
    }
    const char *tag = argv[1];
    const unsigned probe = InPortB(0x61);
    const unsigned beyond = InPortB(0x10000);
    const size_t n = strlen(tag);
    for (size_t i = 0; i < n; ++i)
        OutPortB(0x2F8, (unsigned char)tag[i]);
    OutPortB(0x2F8, '\n');
    printf("PROBE %s uid=%d euid=%d port61=0x%04X beyond=0x%04X\n", tag, (int)getuid(), (int)geteuid(), probe,
           beyond);
    fflush(stdout);
    return 0;
}
