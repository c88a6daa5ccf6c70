// GetUserNameA: the name of the user the process runs as, from the system's
// user database (the account of the effective user id).
#pragma once

#include "platform/win_types.h"

namespace platform {

// Copies the name and its terminating zero into `buffer`, which holds *size
// characters, and sets *size to the characters written, zero included.
// When the buffer is too small nothing is written, *size becomes the size
// needed (zero included) and the last error ERROR_INSUFFICIENT_BUFFER. A null
// `size`, or a null `buffer` with a non-zero *size, fails with
// ERROR_INVALID_PARAMETER; an account without a name with ERROR_NONE_MAPPED.
BOOL GetUserNameA(char* buffer, DWORD* size);

}  // namespace platform
