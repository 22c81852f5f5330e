#pragma once

// Counts the symbol lookups (dlsym) that the process makes by name, so that a test can tell
// whether a library's exports were looked up again. Link symbol_lookups.cpp into the test
// executable: its dlsym stands in front of the C library's for every library of the process.
//
// Sanitizer runtimes look up the functions they wrap with dlsym(RTLD_NEXT, ...), whose answer
// depends on the caller; a stand-in cannot keep that, so sanitized builds do not count.
namespace SymbolLookups {

// False where lookups are not counted; count() then answers -1.
bool available();
int count(const char *name);
void clear();

} // namespace SymbolLookups

// In a Qt test: compares the lookups of name where they are counted.
#define COMPARE_LOOKUPS(name, expected)                                                                      \
    do {                                                                                                     \
        if (SymbolLookups::available())                                                                      \
            QCOMPARE(SymbolLookups::count(name), expected);                                                  \
    } while (false)
