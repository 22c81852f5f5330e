#ifndef PORT_REQUEST_H
#define PORT_REQUEST_H

/* The request rules of the port helper, kept apart from its input and output so that they can be
   tested and fuzzed without a port in reach. The wire format is described at the top of
   port_helper.c. */

#include "card_registers.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PORT_REQUEST_LINE_MAX 32u        /* longest request line, newline not counted */
#define PORT_REQUEST_SPACING_NS 10000000 /* at least 10 ms from one write to the next */
#define PORT_REQUEST_HOLD_NS 500000000   /* the card stays ours until 0.5 s without a write */
/* The longest one conversation keeps the card: a whole sequence of 20 writes takes 0.2 s. */
#define PORT_REQUEST_HOLD_MAX_NS 3000000000
#define PORT_REQUEST_REPLY_MAX 160u /* longest answer, newline included */
#define PORT_REQUEST_HOLDER_MAX 80u /* longest description of the lock's holder */

enum port_request_kind { PORT_REQUEST_READ = 'R', PORT_REQUEST_WRITE = 'W' };

/* Why a port access was not carried out: what the in and out operations return. */
enum port_request_denial {
    PORT_REQUEST_DONE = 0,
    PORT_REQUEST_NO_CAPABILITY = -1, /* the process lacks cap_sys_rawio */
    PORT_REQUEST_LOCKED_DOWN = -2,   /* the kernel is locked down: no port access even for root */
    PORT_REQUEST_NO_PORT_IO = -3,    /* this kernel or processor has no port I/O */
    PORT_REQUEST_NO_LOCK = -4,       /* the machine-wide write lock cannot be opened */
    PORT_REQUEST_OPEN_TO_ALL = -5    /* the helper's file gives its privilege to anyone who runs it */
};

struct port_request
{
    int kind;
    unsigned port;
    unsigned value; /* writes only */
};

/* What one conversation has told the card since it took the write lock: per control base, the
   register number last written to its index register, 0 for none. Forgotten whenever the lock is
   given back, as another helper may select another register meanwhile. */
struct port_request_registers
{
    unsigned char index[CARD_CONTROL_BASE_COUNT];
};

/* Parses one request line (without its newline) and checks it against the rules, the card's
   register protocol included: an index write takes a register number, 1 to 10; a data write
   needs an earlier index write to the same base and a value that register takes. Returns NULL
   and fills *request when it may be carried out, else a short reason (a static string). */
const char *port_request_check(const char *line, size_t length,
                               const struct port_request_registers *registers, struct port_request *request);

/* Notes a request that has been carried out in the conversation's register state. */
void port_request_carried_out(struct port_request_registers *registers, const struct port_request *request);

/* What the helper does to the machine; replaced by recorders in tests. */
struct port_request_ops
{
    void *context;
    int64_t (*now_ns)(void *context); /* a monotonic clock that every process on the machine shares */
    void (*sleep_ns)(void *context, int64_t ns);
    /* 1: the machine-wide write lock is ours; 0: someone else holds it, and holder (of size bytes)
       names them as "PROGRAM (process PID, user NAME)", or is left empty; or a
       port_request_denial. */
    int (*lock)(void *context, char *holder, size_t size);
    void (*unlock)(void *context);
    /* 0 (PORT_REQUEST_DONE), or a port_request_denial without port access */
    int (*in)(void *context, unsigned port, unsigned *value);
    int (*out)(void *context, unsigned port, unsigned value);
};

/* One client's conversation with the helper: the card's register state, the write pacing, the
   write lock, and the input split into lines. Zero-initialise, then set ops. */
struct port_request_session
{
    struct port_request_ops ops;
    struct port_request_registers registers;
    int64_t last_write_ns; /* 0 while no write is known */
    int64_t locked_ns;     /* when the lock was taken */
    int locked;
    int cut_off; /* the lock was taken back at the bound: the next write is told so */
    char line[PORT_REQUEST_LINE_MAX];
    size_t used;
    int overlong; /* the line being read is too long and is skipped up to its newline */
};

typedef void (*port_request_reply_fn)(void *context, const char *reply, size_t length);

/* Handles a complete request line and writes the answer, newline included, into reply (at least
   PORT_REQUEST_REPLY_MAX bytes). Returns the answer's length. */
size_t port_request_handle(struct port_request_session *session, const char *line, size_t length, char *reply,
                           size_t capacity);

/* Feeds raw input; every complete line is handled and its answer passed to emit. */
void port_request_feed(struct port_request_session *session, const char *data, size_t length,
                       port_request_reply_fn emit, void *emit_context);

/* Milliseconds until the write lock is due to be given back, or -1 while none is held. */
int port_request_idle_ms(struct port_request_session *session);

/* Gives the write lock back once no write has followed for the hold time, or once it has been
   held for PORT_REQUEST_HOLD_MAX_NS. */
void port_request_idle(struct port_request_session *session);

/* Ends the conversation: the lock is given back, but not before the card's settle time after the
   last write has passed, so that the next holder's first write keeps the spacing too. */
void port_request_end(struct port_request_session *session);

#ifdef __cplusplus
}
#endif

#endif
