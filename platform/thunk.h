// Flat-thunk links between a 32-bit library and its 16-bit partner. A link is
// described by a thunk data block that the library exports: the block begins
// with a four-character signature that names the direction ("LS01": the
// library calls the partner's numbered entries; "SL01": the partner calls the
// library's numbered entries) and the checksum of the thunk script that both
// halves were built from. The library connects its block from its DllMain,
// for every reason code; pointers cross the link as 16:16 pointers of the
// process's selector table (selector_table.h).
//
// The 32-to-16 direction is declared in thunk_32to16.h, the 16-to-32
// direction in thunk_16to32.h.
#pragma once

#include "platform/win_types.h"

namespace platform {

// Connects (at DLL_PROCESS_ATTACH) or disconnects (at DLL_PROCESS_DETACH) the
// link described by the data block `thunkData32` with the partner's data
// block named `thunkData16Name` in the module `partnerFile`; `ownFile` is
// the calling library's file name, `instance` its module handle. Other reason
// codes change nothing and answer non-zero while the link is connected.
// Returns 0 when the partner cannot be found or loaded, its block is missing,
// or its signatures or checksum differ from ours.
BOOL ThunkConnect32(void* thunkData32, const char* thunkData16Name, const char* partnerFile,
                    const char* ownFile, HINSTANCE instance, DWORD reason);

}  // namespace platform
