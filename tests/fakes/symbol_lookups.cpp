#include "symbol_lookups.h"

#include <dlfcn.h>

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

namespace SymbolLookups {

int count(const char *name)
{
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
