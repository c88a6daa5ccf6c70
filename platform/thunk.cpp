#include "platform/thunk.h"

#include <cstring>

#include "platform/thunk_link.h"

namespace platform {

BOOL ThunkConnect32(void* thunkData32, const char* thunkData16Name, const char* partnerFile,
                    const char* ownFile, HINSTANCE instance, DWORD reason) {
  if (thunkData32 == nullptr) return FALSE;
  char signature[4];
  std::memcpy(signature, thunkData32, sizeof signature);
  if (std::memcmp(signature, "LS01", 4) == 0)
    return thunk_link::Connect32To16(thunkData32, thunkData16Name, partnerFile, ownFile, instance,
                                     reason);
  if (std::memcmp(signature, "SL01", 4) == 0)
    return thunk_link::Connect16To32(thunkData32, thunkData16Name, partnerFile, ownFile, instance,
                                     reason);
  return FALSE;
}

}  // namespace platform
