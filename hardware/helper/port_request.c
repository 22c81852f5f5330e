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

/* The request's fields, without any rule applied. */
static const char *parse(const char *line, size_t length, struct port_request *request)
{
    if (length > PORT_REQUEST_LINE_MAX)
        return "request too long";
    if (length < 3 || line[1] != ' ' || (line[0] != PORT_REQUEST_READ && line[0] != PORT_REQUEST_WRITE))
        return "malformed request";
    size_t pos = 2;
    request->kind = line[0];
    request->value = 0;
    if (!hex_field(line, length, &pos, 4, &request->port))
        return "malformed port number";
    if (request->kind == PORT_REQUEST_READ)
        return pos == length ? NULL : "malformed request";
    if (pos >= length || line[pos] != ' ')
        return "malformed request";
    ++pos;
    if (!hex_field(line, length, &pos, 2, &request->value) || pos != length)
        return "malformed value";
    return NULL;
}

static size_t base_slot(unsigned base)
{
    return (base - CARD_CONTROL_BASE_MIN) / CARD_CONTROL_BASE_STEP;
}

/* The card's register protocol for a write to base + 1 or + 2 of a usable base. */
static const char *register_refusal(const struct port_request_registers *registers, unsigned base,
                                    unsigned offset, unsigned value)
{
    if (offset == CARD_INDEX_OFFSET)
        return card_register_number_valid(value) ? NULL : "index must be a register number, 1 to 10";
    const int reg = registers->index[base_slot(base)];
    if (reg == 0)
        return "data write without an index write to this base";
    if (card_register_value_valid(reg, value))
        return NULL;
    return reg == CARD_REGISTER_IRQ ? "IRQ must be 2, 3, 4, 5, 6, 7, 10, 11, 12 or 15"
                                    : "port address code must be 20 to 7F";
}

const char *port_request_check(const char *line, size_t length,
                               const struct port_request_registers *registers, struct port_request *request)
{
    struct port_request parsed;
    const char *refusal = parse(line, length, &parsed);
    if (refusal)
        return refusal;
    if (parsed.kind == PORT_REQUEST_READ) {
        if (parsed.port != CARD_DRIVER_PROBE_PORT)
            return "port may not be read";
        *request = parsed;
        return NULL;
    }
    /* Only a card's index and data registers, only at a base above the system board's ports, and
       only what the card's protocol takes. */
    const unsigned offset = parsed.port % CARD_CONTROL_BASE_STEP;
    const unsigned base = parsed.port - offset;
    if (offset != CARD_INDEX_OFFSET && offset != CARD_DATA_OFFSET)
        return "port is not a card register";
    if (!card_control_base_valid(base))
        return "control base address out of range";
    refusal = register_refusal(registers, base, offset, parsed.value);
    if (refusal)
        return refusal;
    *request = parsed;
    return NULL;
}

void port_request_carried_out(struct port_request_registers *registers, const struct port_request *request)
{
    const unsigned offset = request->port % CARD_CONTROL_BASE_STEP;
    if (request->kind == PORT_REQUEST_WRITE && offset == CARD_INDEX_OFFSET)
        registers->index[base_slot(request->port - offset)] = (unsigned char)request->value;
}

/* The NOACCESS answer's reason: the client tells the causes apart by these words. */
static const char *denial_reason(int denial)
{
    switch (denial) {
    case PORT_REQUEST_LOCKED_DOWN:
        return "kernel locked down";
    case PORT_REQUEST_NO_PORT_IO:
        return "no port I/O in this kernel";
    case PORT_REQUEST_NO_LOCK:
        return "no write lock: " CARD_WRITE_LOCK_PATH " is missing";
    case PORT_REQUEST_OPEN_TO_ALL:
        return "the helper's file may be run by anyone";
    default:
        return "no capability";
    }
}

static size_t answer(char *reply, size_t capacity, const char *word, const char *reason)
{
    const int n =
        reason ? snprintf(reply, capacity, "%s %s\n", word, reason) : snprintf(reply, capacity, "%s\n", word);
    return n < 0 ? 0 : ((size_t)n < capacity ? (size_t)n : capacity - 1);
}

/* The card needs its settle time after the last write, whatever pace the client keeps; a helper
   before us waited it out before it gave the lock back. */
static void settle(struct port_request_session *s)
{
    if (s->last_write_ns <= 0)
        return;
    int64_t since = s->ops.now_ns(s->ops.context) - s->last_write_ns;
    if (since < 0)
        since = 0;
    if (since < PORT_REQUEST_SPACING_NS)
        s->ops.sleep_ns(s->ops.context, PORT_REQUEST_SPACING_NS - since);
}

/* The lock goes back only once the card has settled after our last write: the next holder starts
   at once. What we told the card's index registers no longer counts then. */
static void release(struct port_request_session *s)
{
    if (!s->locked)
        return;
    settle(s);
    s->ops.unlock(s->ops.context);
    s->locked = 0;
    memset(&s->registers, 0, sizeof s->registers);
}

/* Text another user chose (the holder's program name), fit for one answer line: printable ASCII. */
static void plain(char *text)
{
    for (; *text; ++text) {
        if (*text < 0x20 || *text > 0x7E)
            *text = '?';
    }
}

/* Takes the lock for a write: NULL when it is ours, else the answer's word, with its reason in
   reason (of PORT_REQUEST_REPLY_MAX bytes). */
static const char *take(struct port_request_session *s, char *reason)
{
    if (s->locked)
        return NULL;
    if (s->cut_off) {
        s->cut_off = 0;
        strcpy(reason, "the write lock was given back after 3 s, the longest one sequence may hold it: write "
                       "the sequence again");
        return "REFUSED";
    }
    char holder[PORT_REQUEST_HOLDER_MAX] = "";
    const int taken = s->ops.lock(s->ops.context, holder, sizeof holder);
    if (taken == 0) {
        holder[sizeof holder - 1] = '\0';
        plain(holder);
        snprintf(reason, PORT_REQUEST_REPLY_MAX, "another program is writing to the card%s%s",
                 holder[0] ? ": " : "", holder);
        return "BUSY";
    }
    if (taken < 0) {
        strcpy(reason, denial_reason(taken));
        return "NOACCESS";
    }
    s->locked = 1;
    s->locked_ns = s->ops.now_ns(s->ops.context);
    memset(&s->registers, 0, sizeof s->registers);
    return NULL;
}

size_t port_request_handle(struct port_request_session *s, const char *line, size_t length, char *reply,
                           size_t capacity)
{
    port_request_idle(s);
    struct port_request request;
    const char *refusal = port_request_check(line, length, &s->registers, &request);
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

    char reason[PORT_REQUEST_REPLY_MAX];
    const char *word = take(s, reason);
    if (word)
        return answer(reply, capacity, word, reason);
    settle(s);
    const int denial = s->ops.out(s->ops.context, request.port, request.value & 0xFFu);
    if (denial != PORT_REQUEST_DONE) {
        release(s);
        return answer(reply, capacity, "NOACCESS", denial_reason(denial));
    }
    port_request_carried_out(&s->registers, &request);
    s->last_write_ns = s->ops.now_ns(s->ops.context);
    return answer(reply, capacity, "OK", NULL);
}

void port_request_feed(struct port_request_session *s, const char *data, size_t length,
                       port_request_reply_fn emit, void *emit_context)
{
    char reply[PORT_REQUEST_REPLY_MAX];
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
    const int64_t idle_end = s->last_write_ns + PORT_REQUEST_HOLD_NS;
    const int64_t hold_end = s->locked_ns + PORT_REQUEST_HOLD_MAX_NS;
    const int64_t left = (idle_end < hold_end ? idle_end : hold_end) - s->ops.now_ns(s->ops.context);
    if (left <= 0)
        return 0;
    return (int)((left + 999999) / 1000000);
}

void port_request_idle(struct port_request_session *s)
{
    if (!s->locked)
        return;
    const int64_t now = s->ops.now_ns(s->ops.context);
    const int held_too_long = now - s->locked_ns >= PORT_REQUEST_HOLD_MAX_NS;
    if (held_too_long || now - s->last_write_ns >= PORT_REQUEST_HOLD_NS) {
        s->cut_off = held_too_long;
        release(s);
    }
}

void port_request_end(struct port_request_session *s)
{
    release(s);
}
