#include "symbol_lookups.h"

#include <dlfcn.h>

#if defined(__SANITIZE_ADDRESS__)
#define SYMBOL_LOOKUPS_COUNTED 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SYMBOL_LOOKUPS_COUNTED 0
#endif
#endif
#ifndef SYMBOL_LOOKUPS_COUNTED
#define SYMBOL_LOOKUPS_COUNTED 1
#endif

#include <map>
#include <mutex>
#include <string>

namespace {

std::mutex &lock()
{
    static std::mutex m;
    return m;
}

std::map<std::string, int> &counts()
{
    static std::map<std::string, int> c;
    return c;
}

#if SYMBOL_LOOKUPS_COUNTED
using DlsymFunction = void *(*)(void *, const char *);

DlsymFunction realDlsym()
{
    // the C library's own, under its current or its older symbol version
    static const DlsymFunction real = [] {
        void *f = dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
        if (!f)
            f = dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
        return reinterpret_cast<DlsymFunction>(f);
    }();
    return real;
}

} // namespace

extern "C" void *dlsym(void *handle, const char *name) noexcept
{
    {
        const std::lock_guard<std::mutex> guard(lock());
        ++counts()[name];
    }
    const DlsymFunction real = realDlsym();
    return real ? real(handle, name) : nullptr;
}
#else
} // namespace
#endif

namespace SymbolLookups {

bool available()
{
    return SYMBOL_LOOKUPS_COUNTED;
}

int count(const char *name)
{
    if (!available())
        return -1;
    const std::lock_guard<std::mutex> guard(lock());
    const auto it = counts().find(name);
    return it == counts().end() ? 0 : it->second;
}

void clear()
{
    const std::lock_guard<std::mutex> guard(lock());
    counts().clear();
}

} // namespace SymbolLookups
