// The 32-to-16 direction of flat-thunk links: a 32-bit library calls the
// numbered entries of its 16-bit partner. The library's exported block
// (signature "LS01") is laid out as the thunk compiler lays it out; the
// partner exports a ThunkData16 that offers its entries. The connection
// (ThunkConnect32 in thunk.h) loads the partner, checks that both blocks
// come from one script, gives the partner's jump table a selector, stores
// that 16:16 address in the library's block and writes the dispatcher into
// the block's first patch area. kovocom/THUNK.md has the byte layouts.
//
// The partner stays loaded while the link is connected; the block and the
// partner must outlive every entry call. Pointer arguments cross as 16:16
// pointers made for one call with the SMapLS_IP_EBP_* calls and released
// with the matching SUnMapLS_IP_EBP_* calls; the partner turns them back
// into flat pointers with MapSL (selector_table.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/selector_table.h"
#include "platform/win_types.h"

namespace platform {

// A 16-bit entry: `arguments` are its `count` 32-bit arguments, left to right.
using ThunkEntry16 = DWORD (*)(const DWORD* arguments, DWORD count);
// The partner's own half of the connection, told DLL_PROCESS_ATTACH (FALSE
// refuses the link) and DLL_PROCESS_DETACH.
using ThunkConnect16 = BOOL (*)(DWORD reason);

// The partner's exported data block (in memory, native layout).
struct ThunkData16 {
  char signature[4];            // "LS01", as the library's block
  uint32_t checksum;            // the script checksum, as the library's block
  char signature2[4];           // "LB01", as the library's block
  uint32_t entryCount;          // 1 to kMaxThunkEntries
  const ThunkEntry16* entries;  // entryCount entries, numbered from 0
  ThunkConnect16 connect;       // null: the partner accepts every connection
};

constexpr DWORD kMaxThunkEntries = 8192;  // a jump table fits one 64 KiB segment

// The call dispatcher that a connection writes into the first patch area:
// calls entry `entry` of the partner connected to `thunkData32` with `count`
// arguments and returns its result; 0 when the block is not connected or the
// partner has no such entry.
using ThunkDispatcher = DWORD (*)(const void* thunkData32, DWORD entry, const DWORD* arguments,
                                  DWORD count);

// The dispatcher written into the first patch area of `thunkData32`, or null
// while the block is not connected.
ThunkDispatcher ConnectedDispatcher(const void* thunkData32);

// 16:16 pointers for the first, second and third argument of one entry call.
SEGPTR SMapLS_IP_EBP_8(const void* flat);
SEGPTR SMapLS_IP_EBP_12(const void* flat);
SEGPTR SMapLS_IP_EBP_16(const void* flat);
// Release the pointers made by the matching mapping call; 0 is ignored.
void SUnMapLS_IP_EBP_8(SEGPTR segmented);
void SUnMapLS_IP_EBP_12(SEGPTR segmented);
void SUnMapLS_IP_EBP_16(SEGPTR segmented);

}  // namespace platform
