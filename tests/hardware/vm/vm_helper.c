/* Statically linked helper for the test VM's init:
     vm_helper setcap FILE          gives FILE the file capability cap_sys_rawio+ep and reads it back
     vm_helper getcap FILE          prints FILE's permitted file capabilities, or none
     vm_helper as UID[:GROUP] PROGRAM ARGS
                                    runs PROGRAM as UID (and group UID), with GROUP as its one
                                    supplementary group if given, and no capabilities
     vm_helper record BASE COUNT SECONDS [REQUEST]
                                    as root: puts the 16550 at BASE (hexadecimal) into loopback and
                                    prints each of COUNT bytes written to it with the time since
                                    the one before, in microseconds; from the first byte on, writes
                                    the line REQUEST to file 3 every half millisecond */

#define _GNU_SOURCE
#include <errno.h>
#include <grp.h>
#include <linux/capability.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/io.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#ifndef XATTR_NAME_CAPS
#define XATTR_NAME_CAPS "security.capability"
#endif

static int setRawIoCapability(const char *file)
{
    struct vfs_cap_data cap;
    memset(&cap, 0, sizeof cap);
    cap.magic_etc = VFS_CAP_REVISION_2 | VFS_CAP_FLAGS_EFFECTIVE;
    cap.data[0].permitted = 1u << CAP_SYS_RAWIO;
    if (setxattr(file, XATTR_NAME_CAPS, &cap, XATTR_CAPS_SZ_2, 0) != 0) {
        printf("VMHELPER setcap failed: %s\n", strerror(errno));
        return 1;
    }
    struct vfs_cap_data back;
    memset(&back, 0, sizeof back);
    const ssize_t size = getxattr(file, XATTR_NAME_CAPS, &back, sizeof back);
    if (size != XATTR_CAPS_SZ_2 || memcmp(&cap, &back, XATTR_CAPS_SZ_2) != 0) {
        printf("VMHELPER setcap not kept (size %ld)\n", (long)size);
        return 1;
    }
    printf("VMHELPER setcap ok\n");
    return 0;
}

static int showCapability(const char *file)
{
    struct vfs_cap_data cap;
    memset(&cap, 0, sizeof cap);
    const ssize_t size = getxattr(file, XATTR_NAME_CAPS, &cap, sizeof cap);
    if (size < 0)
        printf("VMHELPER getcap %s none\n", file);
    else
        printf("VMHELPER getcap %s permitted=0x%08x\n", file, (unsigned)cap.data[0].permitted);
    return 0;
}

static int runAs(const char *uidText, char **argv)
{
    char *rest = NULL;
    const uid_t uid = (uid_t)strtoul(uidText, &rest, 10);
    const gid_t extra = (gid_t)(*rest == ':' ? strtoul(rest + 1, NULL, 10) : 0);
    if (setgroups(*rest == ':' ? 1 : 0, &extra) != 0 || setgid(uid) != 0 || setuid(uid) != 0) {
        printf("VMHELPER cannot become %u: %s\n", (unsigned)uid, strerror(errno));
        return 1;
    }
    if (setuid(0) == 0) { /* leaving root must be final */
        printf("VMHELPER could regain root\n");
        return 1;
    }
    fflush(stdout);
    execv(argv[0], argv);
    printf("VMHELPER cannot run %s: %s\n", argv[0], strerror(errno));
    return 1;
}

static long long nowUs(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return (long long)ts.tv_sec * 1000000 + ts.tv_nsec / 1000;
}

static int recordUart(unsigned base, int count, int seconds, const char *request)
{
    if (ioperm(base, 8, 1) != 0)
        return printf("VMREC no port access: %s\n", strerror(errno)), 1;
    outb(0x00, base + 1); /* no interrupts, 8N1, no FIFO, loopback: what is written is received */
    outb(0x03, base + 3);
    outb(0x00, base + 2);
    outb(0x10, base + 4);
    while (inb(base + 5) & 1)
        inb(base);
    printf("VMREC ready\n");
    fflush(stdout);
    const long long deadline = nowUs() + seconds * 1000000LL;
    const struct timespec pause = {0, 200000};
    for (long long previous = -1, sent = 0; count > 0 && nowUs() < deadline;) {
        if (request && previous >= 0 && nowUs() - sent >= 500 && dprintf(3, "%s\n", request) > 0)
            sent = nowUs();
        if ((inb(base + 5) & 1) == 0) {
            nanosleep(&pause, NULL);
            continue;
        }
        const long long t = nowUs();
        printf("VMREC byte %02X gap_us=%lld\n", inb(base), previous < 0 ? 0 : t - previous);
        fflush(stdout);
        previous = t;
        --count;
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "setcap") == 0)
        return setRawIoCapability(argv[2]);
    if (argc == 3 && strcmp(argv[1], "getcap") == 0)
        return showCapability(argv[2]);
    if (argc >= 4 && strcmp(argv[1], "as") == 0)
        return runAs(argv[2], argv + 3);
    if ((argc == 5 || argc == 6) && strcmp(argv[1], "record") == 0)
        return recordUart((unsigned)strtoul(argv[2], NULL, 16), atoi(argv[3]), atoi(argv[4]), argv[5]);
    fprintf(stderr, "usage: vm_helper setcap FILE | getcap FILE | as UID[:GROUP] PROGRAM [ARGS...] | "
                    "record BASE COUNT SECONDS [REQUEST]\n");
    return 2;
}
