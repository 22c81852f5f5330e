// Test double of the port-I/O library. It has the real library's name and exports, records every
// call, answers reads with a value the test chooses, and models the card's register interface:
// an index register at control base + 1 and a data register at control base + 2 that together
// reach ten resource registers. Tests drive it through the FakeVanto_* exports (see fake_ports.h).

#include "vanto32.h"

#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <array>
#include <vector>

namespace {

struct Call
{
    bool write;
    uint32_t port;
    uint32_t value;
    int64_t ns;
};

constexpr uint32_t NoCard = 0xFFFFFFFFu;
constexpr int RegisterCount = 10;

struct Card
{
    uint16_t inValue = 0x00; // "driver present"
    uint32_t base = NoCard;
    int index = 0; // last index written; 0 while none (or a bad one) is selected
    std::array<int, RegisterCount> registers;
    int strayWrites = 0;
    int status = VANTO32_STATUS_OK;         // what the next PortStatus() answers
    int failAfterWrites = -1;               // writes carried out before every later one fails, or -1
    int failStatus = VANTO32_STATUS_FAILED; // what those later writes report
    bool lockedDown = false;                // the kernel refuses every access, as under Secure Boot
    std::vector<Call> calls;

    Card() { registers.fill(-1); }
};

// A program under test in a process of its own is set up through the environment, and leaves
// what reached the card in a report file when it ends:
//   FAKE_VANTO32_CARD_BASE   control base address of the card, hexadecimal
//   FAKE_VANTO32_IN_VALUE    what InPortB answers, hexadecimal (AA55: no port access)
//   FAKE_VANTO32_STATUS      what the first PortStatus() answers
//   FAKE_VANTO32_FAIL_AFTER  writes carried out before every later one fails
//   FAKE_VANTO32_FAIL_STATUS what those writes report (default VANTO32_STATUS_FAILED)
//   FAKE_VANTO32_LOCKED_DOWN 1: every access is refused with VANTO32_STATUS_LOCKED_DOWN
//   FAKE_VANTO32_BUSY_HOLDER what PortBusyHolder() answers
//   FAKE_VANTO32_REPORT      the report file: "call R|W port value" lines, then "register k value"
//                            for the ten registers (-1: never written) and "stray n"
void configureFromEnvironment(Card &c)
{
    if (const char *base = getenv("FAKE_VANTO32_CARD_BASE"))
        c.base = uint32_t(strtoul(base, nullptr, 16));
    if (const char *in = getenv("FAKE_VANTO32_IN_VALUE"))
        c.inValue = uint16_t(strtoul(in, nullptr, 16));
    if (const char *status = getenv("FAKE_VANTO32_STATUS"))
        c.status = atoi(status);
    if (const char *failAfter = getenv("FAKE_VANTO32_FAIL_AFTER"))
        c.failAfterWrites = atoi(failAfter);
    if (const char *failStatus = getenv("FAKE_VANTO32_FAIL_STATUS"))
        c.failStatus = atoi(failStatus);
    if (const char *locked = getenv("FAKE_VANTO32_LOCKED_DOWN"))
        c.lockedDown = atoi(locked) != 0;
}

// A refused access: reported by the next PortStatus(), nothing reaches the card.
bool refused(Card &c)
{
    if (c.lockedDown && c.status == VANTO32_STATUS_OK)
        c.status = VANTO32_STATUS_LOCKED_DOWN;
    return c.lockedDown;
}

struct Report
{
    const Card &card;
    ~Report()
    {
        const char *path = getenv("FAKE_VANTO32_REPORT");
        FILE *file = path ? fopen(path, "w") : nullptr;
        if (!file)
            return;
        for (const Call &call : card.calls)
            fprintf(file, "call %c 0x%X 0x%X\n", call.write ? 'W' : 'R', unsigned(call.port),
                    unsigned(call.value));
        for (int k = 0; k < RegisterCount; ++k)
            fprintf(file, "register %d %d\n", k + 1, card.registers[size_t(k)]);
        fprintf(file, "stray %d\n", card.strayWrites);
        fclose(file);
    }
};

Card &card()
{
    static Card c = [] {
        Card configured;
        configureFromEnvironment(configured);
        return configured;
    }();
    // Made after the card, so ended before it.
    static const Report report{c};
    return c;
}

int64_t now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

} // namespace

extern "C" {

uint16_t InPortB(uint32_t port)
{
    Card &c = card();
    c.calls.push_back({false, port, c.inValue, now()});
    return refused(c) ? VANTO32_DRIVER_ABSENT : c.inValue;
}

void OutPortB(uint32_t port, uint32_t value)
{
    Card &c = card();
    c.calls.push_back({true, port, value, now()});
    if (refused(c))
        return;
    if (c.failAfterWrites >= 0) {
        if (c.failAfterWrites == 0) {
            if (c.status == VANTO32_STATUS_OK)
                c.status = c.failStatus;
            return;
        }
        --c.failAfterWrites;
    }
    const uint32_t byte = value & 0xFFu; // only the low byte reaches the bus
    if (c.base != NoCard && port == c.base + 1) {
        if (byte >= 1 && byte <= RegisterCount) {
            c.index = int(byte);
        } else {
            // an index the card does not have selects nothing
            c.index = 0;
            ++c.strayWrites;
        }
    } else if (c.base != NoCard && port == c.base + 2 && c.index != 0) {
        c.registers[c.index - 1] = int(byte);
    } else {
        ++c.strayWrites;
    }
}

const char *PortBusyHolder(void)
{
    const char *holder = getenv("FAKE_VANTO32_BUSY_HOLDER");
    return holder ? holder : "";
}

int PortStatus(void)
{
    Card &c = card();
    const int s = c.status;
    c.status = VANTO32_STATUS_OK;
    return s;
}

void FakeVanto_Reset()
{
    card() = Card();
}

void FakeVanto_SetInValue(uint16_t value)
{
    card().inValue = value;
}

void FakeVanto_SetCardBase(uint32_t base)
{
    card().base = base;
    card().index = 0;
}

// The next PortStatus() answers `status` (a failure the port layer saw outside the fake's model).
void FakeVanto_SetStatus(int status)
{
    card().status = status;
}

// After `writes` more writes reach the card, every later write is lost and PortStatus() reports
// VANTO32_STATUS_FAILED, as when the port layer goes away halfway through a sequence; -1 ends it.
void FakeVanto_FailAfterWrites(int writes)
{
    card().failAfterWrites = writes;
}

int FakeVanto_CallCount()
{
    return int(card().calls.size());
}

int FakeVanto_Call(int i, int *isWrite, uint32_t *port, uint32_t *value, int64_t *ns)
{
    const std::vector<Call> &calls = card().calls;
    if (i < 0 || size_t(i) >= calls.size())
        return 0;
    const Call &call = calls[size_t(i)];
    if (isWrite)
        *isWrite = call.write ? 1 : 0;
    if (port)
        *port = call.port;
    if (value)
        *value = call.value;
    if (ns)
        *ns = call.ns;
    return 1;
}

int FakeVanto_Register(int k)
{
    if (k < 1 || k > RegisterCount)
        return -1;
    return card().registers[size_t(k - 1)];
}

int FakeVanto_StrayWrites()
{
    return card().strayWrites;
}

} // extern "C"
