#include "platform/thunk_link.h"

namespace platform::thunk_link {

// Not built yet.
BOOL Connect16To32(void*, const char*, const char*, const char*, HINSTANCE, DWORD) {
  return FALSE;
}

}  // namespace platform::thunk_link
