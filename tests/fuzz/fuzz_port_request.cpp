// The port helper's input handling over arbitrary bytes: whatever arrives, no port outside the
// allowed ones reaches the port layer, no data write without its index write within the same hold
// of the write lock and no value outside its register's range, writes stay 10 ms apart also across
// a release, the lock is held 3 s at most, every answer is one well-formed line, and nothing
// crashes.
#include "port_request.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Machine
{
    int64_t ns = 0;
    int64_t lastWrite = -1;
    bool locked = false;
    int64_t lockedAt = 0;
    unsigned calls = 0;
    // What reached each base's index register in this hold of the lock; 0 after a release, when
    // another helper may have selected any register.
    unsigned char index[CARD_CONTROL_BASE_COUNT] = {};
};

Machine &machine(void *c)
{
    return *static_cast<Machine *>(c);
}

// The card's protocol, as the port layer sees the writes arrive: each base's last index counts.
bool allowedWrite(Machine &m, unsigned port, unsigned value)
{
    const unsigned base = port & ~0xFu, offset = port & 0xFu;
    if ((offset != 1 && offset != 2) || !card_control_base_valid(base) || value > 0xFF)
        return false;
    unsigned char &index = m.index[(base - 0x100) / 0x10];
    if (offset == 1)
        index = static_cast<unsigned char>(value);
    return offset == 1 ? value >= 1 && value <= 10 : card_register_value_valid(index, value);
}

void checkAnswer(void *, const char *reply, size_t n)
{
    static const char *const words[] = {"OK", "REFUSED ", "BUSY ", "NOACCESS "};
    bool known = false;
    for (const char *w : words)
        known = known || (n > std::strlen(w) && std::memcmp(reply, w, std::strlen(w)) == 0);
    if (!known || reply[n - 1] != '\n' || std::memchr(reply, '\n', n) != reply + n - 1)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Machine m;
    port_request_session session{};
    session.ops.context = &m;
    session.ops.now_ns = [](void *c) { return machine(c).ns += 1000; };
    session.ops.sleep_ns = [](void *c, int64_t ns) {
        if (ns <= 0 || ns > PORT_REQUEST_SPACING_NS)
            std::abort();
        machine(c).ns += ns;
    };
    // Another writer holds the card now and then, and names itself with a line break in it.
    session.ops.lock = [](void *c, char *holder, size_t size) {
        Machine &m = machine(c);
        if (m.locked)
            std::abort();
        if (++m.calls % 3 == 0) {
            std::snprintf(holder, size, "x\n\x1b]0;ok\a");
            return 0;
        }
        m.locked = true;
        m.lockedAt = m.ns;
        return 1;
    };
    session.ops.unlock = [](void *c) {
        Machine &m = machine(c);
        // The card has settled before the next holder may write.
        if (!m.locked || (m.lastWrite >= 0 && m.ns - m.lastWrite < PORT_REQUEST_SPACING_NS))
            std::abort();
        m.locked = false;
        std::memset(m.index, 0, sizeof m.index);
    };
    session.ops.in = [](void *c, unsigned port, unsigned *value) {
        if (port != CARD_DRIVER_PROBE_PORT)
            std::abort();
        *value = machine(c).calls & 0xFFu;
        return 0;
    };
    session.ops.out = [](void *c, unsigned port, unsigned value) {
        Machine &m = machine(c);
        if (!m.locked || m.ns - m.lockedAt > PORT_REQUEST_HOLD_MAX_NS + 2 * PORT_REQUEST_SPACING_NS ||
            !allowedWrite(m, port, value))
            std::abort();
        if (m.lastWrite >= 0 && m.ns - m.lastWrite < PORT_REQUEST_SPACING_NS)
            std::abort();
        m.lastWrite = m.ns;
        return 0;
    };
    // Fed in pieces, as reads from a pipe arrive: the first byte chooses the piece size.
    const size_t piece = size > 0 ? 1 + data[0] % 40 : 1;
    for (size_t at = size > 0 ? 1 : 0; at < size; at += piece) {
        const size_t n = size - at < piece ? size - at : piece;
        port_request_feed(&session, reinterpret_cast<const char *>(data) + at, n, checkAnswer, nullptr);
        if (data[at] == '.')
            m.ns += PORT_REQUEST_HOLD_NS; // a pause: the lock may be given back
        if (data[at] == ',')
            m.ns += PORT_REQUEST_HOLD_NS - PORT_REQUEST_SPACING_NS; // a shorter one: the hold goes on
        port_request_idle(&session);
    }
    port_request_end(&session);
    return 0;
}
