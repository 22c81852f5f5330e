/* Statically linked helper for the test VM's init:
     vm_helper setcap FILE          gives FILE the file capability cap_sys_rawio+ep and reads it back
     vm_helper getcap FILE          prints FILE's permitted file capabilities, or none
     vm_helper as UID[:GROUP] PROGRAM ARGS
                                    runs PROGRAM as UID (and group UID), with GROUP as its one
                                    supplementary group if given, and no capabilities
     vm_helper trigger BASE REQUEST as root: puts the 16550 at BASE (hexadecimal) into loopback;
                                    once a byte is written to it, writes the line REQUEST to file
                                    3 every half millisecond, 100 times */

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

/* The moment a byte is written to the 16550 at base (looped back to its receiver), writes the
   line request to file 3 every half millisecond, 100 times. */
static int triggerOnUart(unsigned base, const char *request)
{
    if (ioperm(base, 8, 1) != 0)
        return printf("VMHELPER trigger: no port access: %s\n", strerror(errno)), 1;
    outb(0x00, base + 1); /* no interrupts, 8N1, no FIFO, loopback: what is written is received */
    outb(0x03, base + 3);
    outb(0x00, base + 2);
    outb(0x10, base + 4);
    while (inb(base + 5) & 1)
        inb(base);
    printf("VMHELPER trigger ready\n");
    fflush(stdout);
    const struct timespec poll = {0, 200000}, pause = {0, 500000};
    while ((inb(base + 5) & 1) == 0)
        nanosleep(&poll, NULL);
    for (int i = 0; i < 100 && dprintf(3, "%s\n", request) > 0; ++i)
        nanosleep(&pause, NULL);
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
    if (argc == 4 && strcmp(argv[1], "trigger") == 0)
        return triggerOnUart((unsigned)strtoul(argv[2], NULL, 16), argv[3]);
    fprintf(stderr, "usage: vm_helper setcap FILE | getcap FILE | as UID[:GROUP] PROGRAM [ARGS...] | "
                    "trigger BASE REQUEST\n");
    return 2;
}
