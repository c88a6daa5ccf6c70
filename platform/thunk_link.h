// Private to the thunk layer: ThunkConnect32 hands each block to the code of
// its direction.
#pragma once

#include "platform/win_types.h"

namespace platform::thunk_link {

BOOL Connect32To16(void* thunkData32, const char* thunkData16Name, const char* partnerFile,
                   const char* ownFile, HINSTANCE instance, DWORD reason);
BOOL Connect16To32(void* thunkData32, const char* thunkData16Name, const char* partnerFile,
                   const char* ownFile, HINSTANCE instance, DWORD reason);

}  // namespace platform::thunk_link
