// The 32-bit side of the link to the 16-bit partner KVTHUNK: the exported
// thunk data block thk_ThunkData32 (connected by DllMain through
// ThunkConnect32) and one call of a numbered partner entry. Pointer
// arguments are mapped to 16:16 pointers for the one call and released
// after it; values and results pass unchanged. THUNK.md has the layouts.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "kovocom/kvthunk_entries.h"
#include "platform/win_types.h"

extern "C" {
// The thunk data block: signature, checksum, jump table, patch areas.
extern __attribute__((visibility("default"))) uint8_t thk_ThunkData32[100];
}

namespace kovocom {

// One argument of an entry call.
struct EntryArgument {
  platform::DWORD value;  // passed unchanged when `pointer` is false
  const void* flat;       // mapped to a 16:16 pointer when `pointer` is true
  bool pointer;
};
inline EntryArgument Value(platform::DWORD value) {
  return {value, nullptr, false};
}
inline EntryArgument Pointer(const void* flat) {
  return {0, flat, true};
}

// Calls partner entry `entry` with up to three arguments, left to right, and
// returns its 32-bit result; 0 when the link is not connected.
platform::DWORD CallEntry(KvthunkEntry entry, std::initializer_list<EntryArgument> arguments);

}  // namespace kovocom
