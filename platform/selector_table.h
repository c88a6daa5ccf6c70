// 16:16 pointers for calls that cross between 32-bit code and a 16-bit
// partner. A 16:16 pointer is a selector in the high word and an offset in
// the low word; the selector names a segment of up to 64 KiB whose base is a
// flat address. This table is the process's one set of such segments: both
// sides of a thunk link (the 32-bit library and the partner it calls, or a
// 16-bit driver and the 32-bit library it calls) resolve the same selectors,
// so the table lives in the shared platform library, once per process.
//
// Selectors have the form (index << 3) | 7 (a local-table selector at the
// lowest privilege, as 16-bit code sees them); selector 0 is the null
// selector and 0:0 is the null pointer. All calls are thread-safe.
#pragma once

#include <cstdint>

namespace platform {

using SEGPTR = uint32_t;

// Gives `base` a selector whose segment covers `limit` + 1 bytes (at most
// 64 KiB, so `limit` <= 0xFFFF). Returns 0 when `base` is null or the table
// is full (8191 selectors).
uint16_t AllocSelectorFor(const void* base, uint32_t limit);
// Frees a selector; false when it was not allocated.
bool FreeSelectorFor(uint16_t selector);
// Selectors in use now (for tests: every mapping of a call is released).
uint32_t SelectorsInUse();

// The flat address that the 16:16 pointer `segmented` names, or null when it
// is 0:0, its selector is not allocated, or its offset lies past the
// segment's limit.
void* MapSL(SEGPTR segmented);

// True when the segment of `segmented` covers `size` bytes from its offset,
// so that a call may read or write that many there (always for size 0).
bool SegmentCovers(SEGPTR segmented, uint32_t size);

// A new 16:16 pointer for the flat pointer `flat` (null gives 0), covering
// 64 KiB from it; 0 when the table is full. Release it with UnMapLS.
SEGPTR MapLS(const void* flat);
// Releases a pointer made by MapLS; 0 is ignored.
void UnMapLS(SEGPTR segmented);

}  // namespace platform
