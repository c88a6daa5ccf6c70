// The library's nine thunk entries, in the order of the thunk script, and
// the one OverlayState of the process that they work on. Each entry reads
// its 16-bit argument frame (THUNK.md), widens WORDs without sign, maps far
// pointers with MapSLFix for the length of the call and releases them with
// UnMapSLFixArray, and runs its operation between K32Thk1632Prolog and
// K32Thk1632Epilog. A frame of the wrong size answers 0 (206 for the entries
// that answer a status) without doing anything.
#pragma once

#include "platform/thunk_16to32.h"
#include "veskdd/overlay_state.h"

namespace veskdd {

enum Entry : DWORD {
  kShowOverlay = 0,
  kQuerySurface = 1,
  kPositionOverlay = 2,
  kSetOverlayColorKey = 3,
  kDestroyOverlay = 4,
  kCreateOverlay = 5,
  kCloseDirectDraw = 6,
  kOpenDirectDraw = 7,
  kRestoreSurfaces = 8,
};
constexpr DWORD kEntryCount = 9;

extern const platform::ThunkEntry32 kEntryTable[kEntryCount];

// The library's state; it lives until the library is unloaded.
OverlayState& BridgeState();

}  // namespace veskdd
