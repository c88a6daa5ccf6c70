// The 16-to-32 direction of flat-thunk links: a 16-bit driver calls the
// numbered entries of a 32-bit library. Each half has a data block made from
// one thunk script: the library exports its ThunkData32SL (signature "SL01",
// the script checksum, the entry table); the driver owns a ThunkData16SL with
// the same signature and checksum.
//
// Connecting: the driver calls ThunkConnect16To32 at its own start. That
// announces the driver's block under the driver's file name, loads the
// library by its file name and calls the library's exported DllMain with
// DLL_PROCESS_ATTACH. The library's DllMain calls ThunkConnect32 (thunk.h),
// which finds the announced block, checks signature and checksum, gives the
// library's entry table a selector and stores its 16:16 address in the
// driver's block. The driver then calls entries with CallThunkEntry32. At its
// end the driver calls ThunkConnect16To32 with DLL_PROCESS_DETACH, which runs
// DllMain with DLL_PROCESS_DETACH and unloads the library.
//
// The driver's block must stay alive and in place from the attach to the
// detach. veskdd/THUNK.md has the layouts and the argument frames.
#pragma once

#include <cstdint>

#include "platform/selector_table.h"
#include "platform/win_types.h"

namespace platform {

// A 32-bit entry. `frame` holds the 16-bit arguments as the driver pushed
// them: left to right, a WORD in 2 bytes, a DWORD or a 16:16 pointer in 4,
// little-endian. The result goes back to the driver whole.
using ThunkEntry32 = DWORD (*)(const uint8_t* frame, DWORD frameSize);

constexpr DWORD kMaxThunk32Entries = 8192;  // an entry table fits one 64 KiB segment

// The library's exported block (native layout).
struct ThunkData32SL {
  char signature[4];            // "SL01"
  uint32_t checksum;            // of the thunk script
  uint32_t entryCount;          // 1 to kMaxThunk32Entries
  const ThunkEntry32* entries;  // numbered from 0
  void* connected;              // set by the connection: the driver's block
};

// The driver's block (native layout).
struct ThunkData16SL {
  char signature[4];    // "SL01", as the library's block
  uint32_t checksum;    // as the library's block
  SEGPTR entryTable;    // set by the connection: 16:16 address of the entry table
  uint32_t entryCount;  // set by the connection
  HINSTANCE library;    // set by ThunkConnect16To32 while connected
};

// The library's DllMain, which the driver side calls.
using DllMainProc = BOOL (*)(HINSTANCE instance, DWORD reason, void* reserved);

// The driver side of the connection. At DLL_PROCESS_ATTACH: announces
// `thunkData16` as the block `thunkData16Name` of the driver `ownFile`,
// loads `libraryFile` (searched as LoadLibraryA does, `caller` naming the
// asking module) and runs its DllMain; TRUE when the library connected. At
// DLL_PROCESS_DETACH: runs DllMain with that code and unloads the library.
// Other codes answer whether the link is connected.
BOOL ThunkConnect16To32(ThunkData16SL* thunkData16, const char* thunkData16Name,
                        const char* ownFile, const char* libraryFile, DWORD reason,
                        const void* caller = nullptr);

// Calls entry `entry` of the library connected to `thunkData16` with the
// argument frame; 0 when the link is not connected or there is no such entry.
DWORD CallThunkEntry32(const ThunkData16SL* thunkData16, DWORD entry, const uint8_t* frame,
                       DWORD frameSize);

// Entry glue of the library: every entry runs between these two.
void K32Thk1632Prolog();
void K32Thk1632Epilog();
// Entries of this thread that are running now (for tests).
int Thk1632CallDepth();

// The flat address of a 16:16 pointer for the length of one entry call, or
// null when it names nothing; give it back with UnMapSLFixArray.
void* MapSLFix(SEGPTR segmented);
// Gives back `count` pointers fixed with MapSLFix; 0 entries are skipped.
void UnMapSLFixArray(WORD count, const SEGPTR* segmented);
// Pointers fixed and not given back (for tests).
uint32_t SegmentsFixed();

}  // namespace platform
