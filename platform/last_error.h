// The calling thread's last error code, as the system calls of this layer set
// it when they fail (GetUserNameA, ...). Each thread has its own code; a call
// that succeeds leaves it as it was.
#pragma once

#include "platform/win_types.h"

namespace platform {

constexpr DWORD ERROR_CALL_NOT_IMPLEMENTED = 120;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_NONE_MAPPED = 1332;  // the account has no name

DWORD GetLastError();
void SetLastError(DWORD error);

}  // namespace platform
