#include "port_request.h"

#include <stdio.h>
#include <string.h>

static int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

/* Reads 1 to max_digits hexadecimal digits at *pos; the number must end at a space or the end. */
static int hex_field(const char *line, size_t length, size_t *pos, size_t max_digits, unsigned *value)
{
    size_t digits = 0;
    unsigned v = 0;
    while (*pos < length && line[*pos] != ' ') {
        const int d = hex_digit(line[*pos]);
        if (d < 0 || ++digits > max_digits)
            return 0;
        v = v * 16u + (unsigned)d;
        ++*pos;
    }
    *value = v;
    return digits > 0;
}

const char *port_request_check(const char *line, size_t length, struct port_request *request)
{
    if (length > PORT_REQUEST_LINE_MAX)
        return "request too long";
    if (length < 3 || line[1] != ' ' || (line[0] != PORT_REQUEST_READ && line[0] != PORT_REQUEST_WRITE))
        return "malformed request";
    size_t pos = 2;
    unsigned port = 0;
    if (!hex_field(line, length, &pos, 4, &port))
        return "malformed port number";
    if (line[0] == PORT_REQUEST_READ) {
        if (pos != length)
            return "malformed request";
        if (port != PORT_REQUEST_PROBE_PORT)
            return "port may not be read";
        request->kind = PORT_REQUEST_READ;
        request->port = port;
        request->value = 0;
        return NULL;
    }
    if (pos >= length || line[pos] != ' ')
        return "malformed request";
    ++pos;
    unsigned value = 0;
    if (!hex_field(line, length, &pos, 2, &value) || pos != length)
        return "malformed value";
    /* Only a card's index (base + 1) and data (base + 2) registers, and only at a base above the
       system board's ports. */
    const unsigned base = port & ~0xFu;
    const unsigned offset = port & 0xFu;
    if (offset != 1 && offset != 2)
        return "port is not a card register";
    if (base < PORT_REQUEST_BASE_MIN || base > PORT_REQUEST_BASE_MAX)
        return "control base address out of range";
    request->kind = PORT_REQUEST_WRITE;
    request->port = port;
    request->value = value;
    return NULL;
}

/* The NOACCESS answer's reason: the client tells the causes apart by these words. */
static const char *denial_reason(int denial)
{
    switch (denial) {
    case PORT_REQUEST_LOCKED_DOWN:
        return "kernel locked down";
    case PORT_REQUEST_NO_PORT_IO:
        return "no port I/O in this kernel";
    default:
        return "no capability";
    }
}

static void release(struct port_request_session *s)
{
    if (s->locked) {
        s->ops.unlock(s->ops.context);
        s->locked = 0;
    }
}

static size_t answer(char *reply, size_t capacity, const char *word, const char *reason)
{
    const int n =
        reason ? snprintf(reply, capacity, "%s %s\n", word, reason) : snprintf(reply, capacity, "%s\n", word);
    return n < 0 ? 0 : ((size_t)n < capacity ? (size_t)n : capacity - 1);
}

size_t port_request_handle(struct port_request_session *s, const char *line, size_t length, char *reply,
                           size_t capacity)
{
    port_request_idle(s);
    struct port_request request;
    const char *refusal = port_request_check(line, length, &request);
    if (refusal)
        return answer(reply, capacity, "REFUSED", refusal);

    if (request.kind == PORT_REQUEST_READ) {
        unsigned value = 0;
        const int denial = s->ops.in(s->ops.context, request.port, &value);
        if (denial != PORT_REQUEST_DONE)
            return answer(reply, capacity, "NOACCESS", denial_reason(denial));
        char byte[3];
        snprintf(byte, sizeof byte, "%02X", value & 0xFFu);
        return answer(reply, capacity, "OK", byte);
    }

    if (!s->locked) {
        if (!s->ops.lock(s->ops.context))
            return answer(reply, capacity, "BUSY", "another program is writing to the card");
        s->locked = 1;
    }
    if (s->written) {
        /* The card needs its settle time whatever pace the client keeps. */
        const int64_t since = s->ops.now_ns(s->ops.context) - s->last_write_ns;
        if (since < PORT_REQUEST_SPACING_NS)
            s->ops.sleep_ns(s->ops.context, PORT_REQUEST_SPACING_NS - since);
    }
    const int denial = s->ops.out(s->ops.context, request.port, request.value & 0xFFu);
    if (denial != PORT_REQUEST_DONE) {
        release(s);
        return answer(reply, capacity, "NOACCESS", denial_reason(denial));
    }
    s->last_write_ns = s->ops.now_ns(s->ops.context);
    s->written = 1;
    return answer(reply, capacity, "OK", NULL);
}

void port_request_feed(struct port_request_session *s, const char *data, size_t length,
                       port_request_reply_fn emit, void *emit_context)
{
    char reply[64];
    for (size_t i = 0; i < length; ++i) {
        const char c = data[i];
        if (c != '\n') {
            if (s->used < sizeof s->line)
                s->line[s->used++] = c;
            else
                s->overlong = 1;
            continue;
        }
        const size_t n = s->overlong ? answer(reply, sizeof reply, "REFUSED", "request too long")
                                     : port_request_handle(s, s->line, s->used, reply, sizeof reply);
        s->used = 0;
        s->overlong = 0;
        emit(emit_context, reply, n);
    }
}

int port_request_idle_ms(struct port_request_session *s)
{
    if (!s->locked)
        return -1;
    const int64_t left = s->last_write_ns + PORT_REQUEST_HOLD_NS - s->ops.now_ns(s->ops.context);
    if (left <= 0)
        return 0;
    return (int)((left + 999999) / 1000000);
}

void port_request_idle(struct port_request_session *s)
{
    if (s->locked && s->ops.now_ns(s->ops.context) - s->last_write_ns >= PORT_REQUEST_HOLD_NS)
        release(s);
}
