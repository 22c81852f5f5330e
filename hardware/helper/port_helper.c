/* tr4410-port-helper: the one program of this package that may touch I/O ports.
 *
 * It holds cap_sys_rawio as a file capability and is installed root:tr4410, mode 0750, so only
 * root and members of group tr4410 can start it. libvanto32 starts it as a child on its first
 * port access and talks to it over its standard input and output. Nothing with a toolkit in it
 * ever holds the capability.
 *
 * This folder is the privileged wing, the only code that runs with a capability. What goes here
 * is plain C with the C library alone: no Qt, no C++, nothing from the rest of the tree but the
 * card's facts in card_registers/card_registers.h, plain C that the program shares. Every request
 * is checked before a port is touched, and one that cannot be checked is refused.
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
 *     BUSY <reason>       another program is writing to the card; nothing was written. The
 *                         reason names the holder where it can be found:
 *                         "another program is writing to the card: flock (process 812, user ann)"
 *     NOACCESS <reason>   this process may not use the port; the reason is one of
 *                         "no capability", "kernel locked down", "no port I/O in this kernel",
 *                         "no write lock: ... is missing", "the helper's file may be run by anyone"
 *
 * What is allowed:
 *   - reads of CARD_DRIVER_PROBE_PORT only (the driver presence test);
 *   - writes to control base + 1 and + 2 only, for a control base the card can take
 *     (card_control_base_valid in card_registers.h); the ports below CARD_CONTROL_BASE_MIN
 *     belong to the system board;
 *   - the card's register protocol, per conversation: an index write (base + 1) takes a register
 *     number, 1 to 10; a data write (base + 2) needs an index write to the same base before it,
 *     and a value that register takes: a port address code 0x20 to 0x7F for registers 1 to 8, an
 *     IRQ the card can drive for register 9, any byte for register 10 (card_registers.h);
 *   - one writer per machine: the first write takes an exclusive lock on CARD_WRITE_LOCK_PATH
 *     (made at boot by the package's tmpfiles.d entry, root:tr4410 0640: the group may open it
 *     to lock it, nobody but root may write into it; the helper makes nothing, and opens it read
 *     only) and keeps it until 0.5 s pass without a write, 3 s at most. A write from another
 *     helper meanwhile is answered BUSY, with the holder as /proc/locks names it. A conversation
 *     that held the lock for 3 s loses it, and its next write is refused with that reason. Reads
 *     are never locked out;
 *   - the card's register protocol holds within one continuous hold of the lock only: what was
 *     written to an index register is forgotten when the lock is given back or taken anew;
 *   - at least 10 ms from one write to the next, whichever helper made it: a helper gives the
 *     lock back only 10 ms after its last write, also when it ends;
 *   - a reply that cannot be written within a second gives the lock back and ends the helper, so
 *     a client that stops reading cannot keep the card from others.
 *
 * At start it clears its environment, makes sure standard input, output and error are open, and
 * ends at once, saying why, when it runs set-user-ID or set-group-ID (its file mode, or real and
 * effective IDs that differ): only the capability may give it privilege. It closes every other
 * file, and refuses to work when its own file gives privilege (a file capability) to anyone who
 * may run it: then it says so on standard error and answers NOACCESS. It keeps CAP_SYS_RAWIO
 * only (permitted and effective; the inheritable and ambient sets empty) and sets
 * no-new-privileges. It takes no options. It exits when its input closes. Each port is opened
 * with ioperm() for the one access and given back right after.
 */

#define _GNU_SOURCE
#include "port_request.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#ifndef PORT_HELPER_LOCK_PATH
#define PORT_HELPER_LOCK_PATH CARD_WRITE_LOCK_PATH
#endif
#define REPLY_TIMEOUT_MS 1000

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
static int open_to_all; /* the helper's own file gives privilege to anyone: refuse every access */

static void say(const char *text)
{
    if (write(STDERR_FILENO, text, strlen(text)) < 0)
        return; /* nobody to tell */
}

static int64_t now_ns(void *context)
{
    (void)context;
    /* CLOCK_BOOTTIME: one clock for every process, also across a suspend. */
    struct timespec ts;
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return (int64_t)ts.tv_sec * 1000000000 + ts.tv_nsec;
}

static void sleep_ns(void *context, int64_t ns)
{
    (void)context;
    struct timespec ts = {(time_t)(ns / 1000000000), (long)(ns % 1000000000)};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

/* The lock file is opened when first needed, so a helper started before the boot made it still
   finds it later. It must be a regular file; nothing is created. */
static int open_lock(void)
{
    if (lock_fd >= 0)
        return 0;
    const int fd = open(PORT_HELPER_LOCK_PATH, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
    struct stat st;
    if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        lock_fd = fd;
        return 0;
    }
    const int error = fd >= 0 ? EINVAL : errno;
    if (fd >= 0)
        close(fd);
    say("tr4410-port-helper: cannot open the write lock " PORT_HELPER_LOCK_PATH ": ");
    say(strerror(error));
    say("\ntr4410-port-helper: the package makes it at boot (systemd-tmpfiles --create tr4410-settings.conf)"
        "; for a build tree, scripts/grant-port-access.sh makes it\n");
    return -1;
}

/* Reads at most size - 1 bytes of a small file of /proc; "" when it cannot be read. */
static void read_proc(const char *path, char *text, size_t size)
{
    text[0] = '\0';
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return;
    const ssize_t n = read(fd, text, size - 1);
    close(fd);
    text[n > 0 ? n : 0] = '\0';
}

/* The process that holds an flock on the write lock, by /proc/locks; 0 when none is found. */
static long lock_holder(void)
{
    struct stat st;
    FILE *locks = fstat(lock_fd, &st) == 0 ? fopen("/proc/locks", "re") : NULL;
    if (!locks)
        return 0;
    char line[256], kind[16];
    long pid = 0, found = 0;
    unsigned maj = 0, min = 0;
    unsigned long inode = 0;
    while (found == 0 && fgets(line, sizeof line, locks)) {
        /* "1: FLOCK  ADVISORY  WRITE 812 00:19:1042 0 EOF"; a waiter's line has "->" after the number. */
        if (sscanf(line, "%*d: %15s %*s %*s %ld %x:%x:%lu", kind, &pid, &maj, &min, &inode) == 5 &&
            strcmp(kind, "FLOCK") == 0 && maj == major(st.st_dev) && min == minor(st.st_dev) &&
            inode == st.st_ino)
            found = pid;
    }
    fclose(locks);
    return found;
}

/* "PROGRAM (process PID, user NAME)" for the lock's holder, "" when none is found. */
static void describe_holder(char *out, size_t size)
{
    out[0] = '\0';
    const long pid = lock_holder();
    if (pid <= 0)
        return;
    char path[64], comm[32], status[1024], user[40];
    snprintf(path, sizeof path, "/proc/%ld/comm", pid);
    read_proc(path, comm, sizeof comm);
    comm[strcspn(comm, "\n")] = '\0';
    snprintf(path, sizeof path, "/proc/%ld/status", pid);
    read_proc(path, status, sizeof status);
    const char *uid_line = strstr(status, "\nUid:");
    unsigned long uid = 0;
    if (!uid_line || sscanf(uid_line, "\nUid: %lu", &uid) != 1) {
        snprintf(out, size, "process %ld", pid);
        return;
    }
    const struct passwd *account = getpwuid((uid_t)uid);
    if (account)
        snprintf(user, sizeof user, "%s", account->pw_name);
    else
        snprintf(user, sizeof user, "%lu", uid);
    snprintf(out, size, "%s (process %ld, user %s)", comm[0] ? comm : "?", pid, user);
}

static int take_lock(void *context, char *holder, size_t size)
{
    (void)context;
    if (open_to_all)
        return PORT_REQUEST_OPEN_TO_ALL;
    if (open_lock() != 0)
        return PORT_REQUEST_NO_LOCK;
    if (flock(lock_fd, LOCK_EX | LOCK_NB) == 0)
        return 1;
    describe_holder(holder, size);
    return 0;
}

static void give_lock(void *context)
{
    (void)context;
    if (lock_fd >= 0)
        flock(lock_fd, LOCK_UN);
}

/* Opens the one port for one access: 0, or why it cannot be opened. */
static int open_port(unsigned port)
{
    if (open_to_all)
        return PORT_REQUEST_OPEN_TO_ALL;
#if HAVE_PORTS
    return ioperm(port, 1, 1) == 0 ? 0 : denial();
#else
    (void)port;
    return NO_PORTS_RESULT;
#endif
}

static int port_in(void *context, unsigned port, unsigned *value)
{
    (void)context;
    *value = 0;
    const int refused = open_port(port);
    if (refused != 0)
        return refused;
#if HAVE_PORTS
    *value = inb((unsigned short)port);
    ioperm(port, 1, 0);
#endif
    return 0;
}

static int port_out(void *context, unsigned port, unsigned value)
{
    (void)context;
    const int refused = open_port(port);
    if (refused != 0)
        return refused;
#if HAVE_PORTS
    outb((unsigned char)value, (unsigned short)port);
    ioperm(port, 1, 0);
#else
    (void)value;
#endif
    return 0;
}

/* Permitted and effective: CAP_SYS_RAWIO if it was there (and may be kept), nothing else; inheritable and
   ambient empty; no privilege can be gained by exec from here on. */
static int restrict_privileges(int keep_none)
{
    struct __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    struct __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {{0, 0, 0}, {0, 0, 0}};
    if (syscall(SYS_capget, &header, data) != 0)
        return -1;
    const unsigned rawio = 1u << CAP_SYS_RAWIO; /* below 32: the first word */
    const unsigned kept = keep_none ? 0 : data[0].permitted & rawio;
    for (int i = 0; i < _LINUX_CAPABILITY_U32S_3; ++i)
        data[i].permitted = data[i].effective = data[i].inheritable = 0;
    data[0].permitted = data[0].effective = kept;
    if (syscall(SYS_capset, &header, data) != 0)
        return -1;
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0); /* fails harmlessly on old kernels */
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
}

/* A file that grants privilege and that anyone may run hands that privilege to anyone. */
static int file_open_to_all(void)
{
    struct stat st;
    if (stat("/proc/self/exe", &st) != 0)
        return 1; /* cannot tell: do not risk it */
    if ((st.st_mode & S_IXOTH) == 0)
        return 0;
    struct vfs_cap_data caps;
    memset(&caps, 0, sizeof caps);
    const ssize_t n = getxattr("/proc/self/exe", "security.capability", &caps, sizeof caps);
    const int has_caps =
        n >= (ssize_t)XATTR_CAPS_SZ_1 && (caps.data[0].permitted != 0 || caps.data[0].inheritable != 0);
    return has_caps;
}

/* Set-user-ID or set-group-ID, by the file's mode or by the IDs it runs with: then someone else's
   rights than its caller's come with it, which the capability alone is meant to give. */
static int runs_set_id(void)
{
    struct stat st;
    const int set_id_mode = stat("/proc/self/exe", &st) == 0 && (st.st_mode & (S_ISUID | S_ISGID)) != 0;
    return set_id_mode || getuid() != geteuid() || getgid() != getegid();
}

/* Standard input, output and error must be open before any other file is: a file opened later
   must never become one of them. */
static int open_standard_files(void)
{
    for (int fd = 0; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF && open("/dev/null", O_RDWR) != fd)
            return -1;
    }
    return 0;
}

static int close_other_files(void)
{
    if (syscall(SYS_close_range, 3u, ~0u, 0u) == 0)
        return 0;
    if (errno != ENOSYS)
        return -1;
    const long max = sysconf(_SC_OPEN_MAX);
    for (long fd = 3; fd < (max > 0 && max < 65536 ? max : 65536); ++fd)
        close((int)fd);
    return 0;
}

/* Writes a reply within a second, or gives the lock back and ends: a client that does not read
   its replies must not keep the card from everyone else. */
static void send_reply(void *context, const char *reply, size_t length)
{
    const int64_t deadline = now_ns(NULL) + (int64_t)REPLY_TIMEOUT_MS * 1000000;
    while (length > 0) {
        const int64_t left_ms = (deadline - now_ns(NULL)) / 1000000;
        struct pollfd out = {STDOUT_FILENO, POLLOUT, 0};
        const int ready = left_ms > 0 ? poll(&out, 1, (int)left_ms) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || (out.revents & (POLLERR | POLLHUP)) != 0)
            break;
        const ssize_t n = write(STDOUT_FILENO, reply, length);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break; /* the client went away */
        reply += n;
        length -= (size_t)n;
    }
    if (length > 0) {
        port_request_end(context);
        _exit(0);
    }
}

/* Answers the requests on standard input until it closes (0) or cannot be read (1); in between,
   the write lock goes back once no write has followed for the hold time. */
static int serve(struct port_request_session *session)
{
    char buffer[256];
    for (;;) {
        struct pollfd input = {STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, 1, port_request_idle_ms(session));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            port_request_end(session);
            return 1;
        }
        if (ready == 0) {
            port_request_idle(session);
            continue;
        }
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            port_request_end(session);
            return 0;
        }
        port_request_feed(session, buffer, (size_t)n, send_reply, session);
    }
}

int main(int argc, char **argv)
{
    (void)argv;
    if (clearenv() != 0 || open_standard_files() != 0)
        return 1;
    if (runs_set_id()) {
        say("tr4410-port-helper: refusing to run set-user-ID or set-group-ID: its cap_sys_rawio capability "
            "alone gives it port access. Make it root:tr4410, mode 0750 (chmod 0750 on its file).\n");
        return 1;
    }
    if (argc != 1) {
        say("tr4410-port-helper takes no options; libvanto32 starts it\n");
        return 2;
    }
    if (signal(SIGPIPE, SIG_IGN) == SIG_ERR || close_other_files() != 0)
        return 1;
    open_to_all = file_open_to_all();
    if (open_to_all)
        say("tr4410-port-helper: refusing to work: anyone may run this file, and it gives the port "
            "capability to whoever does. Make it root:tr4410, mode 0750, or take the "
            "capability away with setcap -r.\n");
    if (restrict_privileges(open_to_all) != 0)
        return 1;

    struct port_request_session session = {0};
    session.ops.now_ns = now_ns;
    session.ops.sleep_ns = sleep_ns;
    session.ops.lock = take_lock;
    session.ops.unlock = give_lock;
    session.ops.in = port_in;
    session.ops.out = port_out;

    return serve(&session);
}
