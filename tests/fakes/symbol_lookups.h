#pragma once

// Counts the symbol lookups (dlsym) that the process makes by name, so that a test can tell
// whether a library's exports were looked up again. Link symbol_lookups.cpp into the test
// executable: its dlsym stands in front of the C library's for every library of the process.
namespace SymbolLookups {

int count(const char *name);
void clear();

} // namespace SymbolLookups
