#pragma once

// Test-side access to the fake port-I/O library. The code under test links libvanto32 by name;
// a test registered with FAKE_PORTS finds the fake first on its library path. The fake's control
// exports are looked up at run time, so a test that got the real library instead fails clearly:
//
//     QVERIFY2(FakePorts::available(), FakePorts::unavailableReason());

#include <QList>
#include <QtGlobal>

#include <dlfcn.h>

#include <cstdint>

struct PortCall
{
    bool write;
    quint32 port, value;
    qint64 ns;
};

class FakePorts
{
public:
    static constexpr quint32 NoCard = 0xFFFFFFFFu;

    static bool available() { return api().complete; }
    static const char *unavailableReason()
    {
        return "the fake port-I/O library is not loaded: the test must be registered with FAKE_PORTS "
               "so that tests/fakes/vanto32/libvanto32.so stands in for the real library";
    }

    // Forgets every call, the registers and the card base; reads answer 0x00 again.
    static void reset()
    {
        if (available())
            api().reset();
    }
    // What InPortB answers from now on (0xAA55: driver absent).
    static void setInValue(quint16 value)
    {
        if (available())
            api().setInValue(value);
    }
    // The control base address set on the card's jumpers; NoCard: no card answers.
    static void setCardBase(quint32 base)
    {
        if (available())
            api().setCardBase(base);
    }

    static int callCount() { return available() ? api().callCount() : 0; }
    static QList<PortCall> calls()
    {
        QList<PortCall> list;
        const int n = callCount();
        for (int i = 0; i < n; ++i) {
            int isWrite = 0;
            uint32_t port = 0, value = 0;
            int64_t ns = 0;
            if (api().call(i, &isWrite, &port, &value, &ns))
                list.append({isWrite != 0, port, value, ns});
        }
        return list;
    }
    static QList<PortCall> writes()
    {
        QList<PortCall> list;
        for (const PortCall &c : calls()) {
            if (c.write)
                list.append(c);
        }
        return list;
    }
    static QList<PortCall> reads()
    {
        QList<PortCall> list;
        for (const PortCall &c : calls()) {
            if (!c.write)
                list.append(c);
        }
        return list;
    }

    // Resource register k (1 to 10) as the card holds it, or -1 while it was never written.
    static int resourceRegister(int k) { return available() ? api().registerValue(k) : -1; }
    static QList<int> resourceRegisters()
    {
        QList<int> list;
        for (int k = 1; k <= 10; ++k)
            list.append(resourceRegister(k));
        return list;
    }
    // Writes that reached no register: other ports, bad indexes, data without an index.
    static int strayWrites() { return available() ? api().strayWrites() : 0; }

private:
    struct Api
    {
        void (*reset)() = nullptr;
        void (*setInValue)(uint16_t) = nullptr;
        void (*setCardBase)(uint32_t) = nullptr;
        int (*callCount)() = nullptr;
        int (*call)(int, int *, uint32_t *, uint32_t *, int64_t *) = nullptr;
        int (*registerValue)(int) = nullptr;
        int (*strayWrites)() = nullptr;
        bool complete = false;
    };

    template<typename F>
    static void find(F &f, const char *name)
    {
        f = reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
    }

    static const Api &api()
    {
        static const Api a = [] {
            Api r;
            find(r.reset, "FakeVanto_Reset");
            find(r.setInValue, "FakeVanto_SetInValue");
            find(r.setCardBase, "FakeVanto_SetCardBase");
            find(r.callCount, "FakeVanto_CallCount");
            find(r.call, "FakeVanto_Call");
            find(r.registerValue, "FakeVanto_Register");
            find(r.strayWrites, "FakeVanto_StrayWrites");
            r.complete = r.reset && r.setInValue && r.setCardBase && r.callCount && r.call &&
                         r.registerValue && r.strayWrites;
            return r;
        }();
        return a;
    }
};
