/* tr4410-port-helper: the one program of this package that may touch I/O ports.
 *
 * It holds cap_sys_rawio as a file capability and is installed root:tr4410, mode 0750, so only
 * root and members of group tr4410 can start it. libvanto32 starts it as a child on its first
 * port access and talks to it over its standard input and output. Nothing with a toolkit in it
 * ever holds the capability.
 *
 * Requests, one per line, ASCII, at most 32 characters before the newline:
 *
 *     R <port>            read one byte; <port> is 1 to 4 hexadecimal digits
 *     W <port> <value>    write one byte; <value> is 1 or 2 hexadecimal digits
 *
 * Fields are separated by exactly one space; digits may be upper or lower case. Every request
 * gets one answer line:
 *
 *     OK <byte>           a read, the byte as two upper-case hexadecimal digits
 *     OK                  a write, carried out
 *     REFUSED <reason>    malformed or not allowed; no port was touched
 *     BUSY <reason>       another program is writing to the card; nothing was written
 *     NOACCESS <reason>   this process may not use the port; the reason is one of
 *                         "no capability", "kernel locked down", "no port I/O in this kernel"
 *
 * What is allowed:
 *   - reads of port 0x61 only (the driver presence test);
 *   - writes to control base + 1 and + 2 only, for a base that is a multiple of 0x10 from 0x100
 *     to 0x3F0; ports 0x000 to 0x0FF belong to the system board;
 *   - at least 10 ms from one write to the next, by the helper's own monotonic clock: an early
 *     write waits;
 *   - one writer per machine: the first write takes an exclusive lock on the helper's own file,
 *     which only root and the group can open, and keeps it until 0.5 s pass without a write. A
 *     write from another helper meanwhile is answered BUSY. Reads are never locked out.
 *
 * At start it clears its environment, keeps CAP_SYS_RAWIO only (permitted and effective; the
 * inheritable and ambient sets empty), sets no-new-privileges and closes every other file. It
 * takes no options. It exits when its input closes. Each port is opened with ioperm() for the one
 * access and given back right after.
 */

#define _GNU_SOURCE
#include "port_request.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#if defined(PORT_HELPER_WITHOUT_PORTS)
/* The benchmark's build: every allowed access is carried out as a no-op. Never installed. */
#define HAVE_PORTS 0
#define NO_PORTS_RESULT 0
#elif defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define HAVE_PORTS 1
#else
#define HAVE_PORTS 0
#define NO_PORTS_RESULT PORT_REQUEST_NO_PORT_IO
#endif

#if HAVE_PORTS
/* Whether the kernel is locked down (as under Secure Boot), which refuses ioperm() even to root. */
static int locked_down(void)
{
    char text[128];
    const int fd = open("/sys/kernel/security/lockdown", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0)
        return 0;
    text[n] = '\0';
    /* "none [integrity] confidentiality": the bracketed word is in force. */
    return strstr(text, "[integrity]") != NULL || strstr(text, "[confidentiality]") != NULL;
}

/* Why ioperm() refused, in the terms of the request rules. */
static int denial(void)
{
    if (errno == ENOSYS || errno == EINVAL)
        return PORT_REQUEST_NO_PORT_IO;
    return locked_down() ? PORT_REQUEST_LOCKED_DOWN : PORT_REQUEST_NO_CAPABILITY;
}
#endif

static int lock_fd = -1;

static int64_t now_ns(void *context)
{
    (void)context;
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000000000 + ts.tv_nsec;
}

static void sleep_ns(void *context, int64_t ns)
{
    (void)context;
    struct timespec ts = {(time_t)(ns / 1000000000), (long)(ns % 1000000000)};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

static int take_lock(void *context)
{
    (void)context;
    return lock_fd >= 0 && flock(lock_fd, LOCK_EX | LOCK_NB) == 0;
}

static void give_lock(void *context)
{
    (void)context;
    if (lock_fd >= 0)
        flock(lock_fd, LOCK_UN);
}

static int port_in(void *context, unsigned port, unsigned *value)
{
    (void)context;
#if HAVE_PORTS
    if (ioperm(port, 1, 1) != 0)
        return denial();
    *value = inb((unsigned short)port);
    ioperm(port, 1, 0);
    return 0;
#else
    (void)port;
    *value = 0;
    return NO_PORTS_RESULT;
#endif
}

static int port_out(void *context, unsigned port, unsigned value)
{
    (void)context;
#if HAVE_PORTS
    if (ioperm(port, 1, 1) != 0)
        return denial();
    outb((unsigned char)value, (unsigned short)port);
    ioperm(port, 1, 0);
    return 0;
#else
    (void)port;
    (void)value;
    return NO_PORTS_RESULT;
#endif
}

/* Permitted and effective: CAP_SYS_RAWIO if it was there, nothing else; inheritable and ambient
   empty; no privilege can be gained by exec from here on. */
static int restrict_privileges(void)
{
    struct __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    struct __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {{0, 0, 0}, {0, 0, 0}};
    if (syscall(SYS_capget, &header, data) != 0)
        return -1;
    const unsigned rawio = 1u << CAP_SYS_RAWIO; /* below 32: the first word */
    const unsigned kept = data[0].permitted & rawio;
    for (int i = 0; i < _LINUX_CAPABILITY_U32S_3; ++i)
        data[i].permitted = data[i].effective = data[i].inheritable = 0;
    data[0].permitted = data[0].effective = kept;
    if (syscall(SYS_capset, &header, data) != 0)
        return -1;
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0); /* fails harmlessly on old kernels */
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
}

static void send_reply(void *context, const char *reply, size_t length)
{
    (void)context;
    while (length > 0) {
        const ssize_t n = write(STDOUT_FILENO, reply, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            exit(0); /* the client went away */
        reply += n;
        length -= (size_t)n;
    }
}

int main(int argc, char **argv)
{
    (void)argv;
    if (clearenv() != 0)
        return 1;
    if (argc != 1) {
        static const char usage[] = "tr4410-port-helper takes no options; libvanto32 starts it\n";
        if (write(STDERR_FILENO, usage, sizeof usage - 1) < 0)
            return 2;
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    syscall(SYS_close_range, 3u, ~0u, 0u);
    /* The helper's own file is the machine-wide write lock: only those who may run it can open it. */
    lock_fd = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    if (restrict_privileges() != 0)
        return 1;

    struct port_request_session session = {0};
    session.ops.now_ns = now_ns;
    session.ops.sleep_ns = sleep_ns;
    session.ops.lock = take_lock;
    session.ops.unlock = give_lock;
    session.ops.in = port_in;
    session.ops.out = port_out;

    char buffer[256];
    for (;;) {
        struct pollfd input = {STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, 1, port_request_idle_ms(&session));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return 1;
        if (ready == 0) {
            port_request_idle(&session);
            continue;
        }
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 0;
        port_request_feed(&session, buffer, (size_t)n, send_reply, NULL);
    }
}
