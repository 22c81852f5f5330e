#define _GNU_SOURCE
#include "vanto32.h"

/* The port-I/O library holds no port access itself: it is the client of tr4410-port-helper, a
   small program that alone carries the capability and checks every request (see helper/port_helper.c
   for the request format). The helper is started on the first call, with an empty environment,
   from the one path compiled in: the installed library's is the install's libexec folder, and
   only the build tree's own copy of the library names the build tree's helper. */

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

/* An answer takes at most the helper's 10 ms write spacing; anything near this is a hang. */
#define ANSWER_TIMEOUT_MS 3000

static int status = VANTO32_STATUS_OK;
static int helper_fd = -1;
static pid_t helper_pid = -1;
static int helper_answered; /* the running helper has answered at least once */
static char busy_holder[96];

static void fail(int code)
{
    if (status == VANTO32_STATUS_OK)
        status = code;
}

const char *PortBusyHolder(void)
{
    return busy_holder;
}

int PortStatus(void)
{
    const int s = status;
    status = VANTO32_STATUS_OK;
    return s;
}

static void stop_helper(void)
{
    if (helper_fd >= 0)
        close(helper_fd);
    if (helper_pid > 0) {
        kill(helper_pid, SIGKILL);
        while (waitpid(helper_pid, NULL, 0) < 0 && errno == EINTR) {
        }
    }
    helper_fd = -1;
    helper_pid = -1;
    helper_answered = 0;
}

static int start_helper(void)
{
    char path[] = VANTO32_HELPER;
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return -1;
    posix_spawn_file_actions_t files;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, pair[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&files, pair[1], STDOUT_FILENO);
    posix_spawnattr_init(&attributes);
    sigset_t none, piped;
    sigemptyset(&none);
    sigemptyset(&piped);
    sigaddset(&piped, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &piped);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char *argv[] = {path, NULL};
    char *envp[] = {NULL};
    pid_t pid = -1;
    const int error = posix_spawn(&pid, path, &files, &attributes, argv, envp);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    close(pair[1]);
    if (error != 0) {
        close(pair[0]);
        return -1;
    }
    helper_fd = pair[0];
    helper_pid = pid;
    helper_answered = 0;
    return 0;
}

/* Sends one request and reads its answer line. Returns 0 with the line (no newline) in answer,
   or a status code when the helper could not be reached. */
static int ask(const char *request, char *answer, size_t size)
{
    if (helper_fd < 0 && start_helper() != 0)
        return VANTO32_STATUS_NO_ACCESS;
    size_t length = strlen(request);
    const char *p = request;
    while (length > 0) {
        const ssize_t n = send(helper_fd, p, length, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            goto broken;
        p += n;
        length -= (size_t)n;
    }
    size_t used = 0;
    for (;;) {
        struct pollfd in = {helper_fd, POLLIN, 0};
        const int ready = poll(&in, 1, ANSWER_TIMEOUT_MS);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            goto broken;
        char c;
        const ssize_t n = recv(helper_fd, &c, 1, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            goto broken;
        if (c == '\n')
            break;
        if (used + 1 < size)
            answer[used++] = c;
    }
    answer[used] = '\0';
    helper_answered = 1;
    return 0;

broken : {
    /* A helper that never answered could not start for this user (not in the group, or the file
       is missing); one that answered before has gone away. */
    const int code = helper_answered ? VANTO32_STATUS_FAILED : VANTO32_STATUS_NO_ACCESS;
    stop_helper();
    return code;
}
}

static int classify(const char *answer)
{
    if (strncmp(answer, "OK", 2) == 0 && (answer[2] == '\0' || answer[2] == ' '))
        return VANTO32_STATUS_OK;
    if (strncmp(answer, "BUSY", 4) == 0) {
        /* "BUSY another program is writing to the card: HOLDER" */
        const char *holder = strstr(answer, ": ");
        snprintf(busy_holder, sizeof busy_holder, "%s", holder ? holder + 2 : "");
        return VANTO32_STATUS_BUSY;
    }
    if (strcmp(answer, "NOACCESS kernel locked down") == 0)
        return VANTO32_STATUS_LOCKED_DOWN;
    if (strncmp(answer, "NOACCESS", 8) == 0)
        return VANTO32_STATUS_NO_ACCESS;
    if (strncmp(answer, "REFUSED", 7) == 0)
        return VANTO32_STATUS_REFUSED;
    return VANTO32_STATUS_FAILED;
}

uint16_t InPortB(uint32_t port)
{
    if (port > 0xFFFFu) {
        fail(VANTO32_STATUS_REFUSED);
        return VANTO32_DRIVER_ABSENT;
    }
    char request[16], answer[64];
    snprintf(request, sizeof request, "R %X\n", (unsigned)port);
    int code = ask(request, answer, sizeof answer);
    if (code == 0)
        code = classify(answer);
    unsigned value = 0;
    if (code == VANTO32_STATUS_OK && sscanf(answer, "OK %2x", &value) != 1)
        code = VANTO32_STATUS_FAILED;
    if (code != VANTO32_STATUS_OK) {
        fail(code);
        return VANTO32_DRIVER_ABSENT;
    }
    return (uint16_t)(value & 0xFFu);
}

void OutPortB(uint32_t port, uint32_t value)
{
    if (port > 0xFFFFu) {
        fail(VANTO32_STATUS_REFUSED);
        return;
    }
    char request[24], answer[192];
    snprintf(request, sizeof request, "W %X %X\n", (unsigned)port, (unsigned)(value & 0xFFu));
    int code = ask(request, answer, sizeof answer);
    if (code == 0)
        code = classify(answer);
    if (code != VANTO32_STATUS_OK)
        fail(code);
}
