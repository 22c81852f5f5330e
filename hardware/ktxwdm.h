#pragma once

#include <cstdint>

// Run-time binding of the card maker's driver library (libKTXWDM.so, KTXWDM.dll). The library is
// loaded by its bare name on the first BindDriverLibrary() and never unloaded. Its 33 entry
// points are kept in a table in binding order; an entry whose name the library lacks stays empty
// and must never be called.
namespace KTXWDM {

constexpr int EntryCount = 33;

// The export names in binding order (GetNumCards first, RelOutPortDWord last).
const char *entryName(int index);
// The entry point found for index (0-based), or nullptr.
void *entry(int index);

void BindDriverLibrary();
// True once one binding found all 33 entry points.
bool DriverLibraryBound();

using TGetNumCards = std::int32_t (*)();
// The GetNumCards entry, or nullptr while it is empty.
TGetNumCards GetNumCards();

// The number of installed cards: binds the library, then asks GetNumCards once; 0 while its
// entry is empty (the library is missing or lacks the name).
int cardCount();

} // namespace KTXWDM
