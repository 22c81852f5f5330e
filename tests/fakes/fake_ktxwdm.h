#pragma once

// Test-side access to the fake driver library once the code under test has loaded it. The
// library is loaded privately (RTLD_LOCAL), so its controls are found through its own handle.

#include <QtGlobal>

#include <dlfcn.h>
#include <link.h>

#include <cstdint>
#include <cstring>

class FakeKtxwdm
{
public:
    static constexpr const char *FileName = "libKTXWDM.so";

    // True while a library of that name is loaded in the process.
    static bool loaded() { return Handle().get() != nullptr; }
    // How many times the library was mapped and initialised; -1 while it is not loaded.
    static int loadCount() { return call<int (*)()>("FakeKtxwdm_LoadCount", -1); }
    static bool partial() { return call<int (*)()>("FakeKtxwdm_IsPartial", 0) != 0; }
    static void setNumCards(std::int32_t count)
    {
        Handle h;
        if (auto f = h.find<void (*)(std::int32_t)>("FakeKtxwdm_SetNumCards"))
            f(count);
    }
    // Loaded copies of the library, counted by file name across all link maps.
    static int mappedCopies()
    {
        int n = 0;
        dl_iterate_phdr(
            [](dl_phdr_info *info, size_t, void *count) {
                const char *slash = info->dlpi_name ? std::strrchr(info->dlpi_name, '/') : nullptr;
                if (slash && std::strcmp(slash + 1, FileName) == 0)
                    ++*static_cast<int *>(count);
                return 0;
            },
            &n);
        return n;
    }

private:
    class Handle
    {
    public:
        Handle()
            : m_handle(dlopen(FileName, RTLD_LAZY | RTLD_NOLOAD))
        {
        }
        ~Handle()
        {
            if (m_handle)
                dlclose(m_handle);
        }
        Handle(const Handle &) = delete;
        Handle &operator=(const Handle &) = delete;
        void *get() const { return m_handle; }
        template<typename F>
        F find(const char *name) const
        {
            return m_handle ? reinterpret_cast<F>(dlsym(m_handle, name)) : nullptr;
        }

    private:
        void *m_handle;
    };

    template<typename F>
    static int call(const char *name, int otherwise)
    {
        Handle h;
        const F f = h.find<F>(name);
        return f ? f() : otherwise;
    }
};
