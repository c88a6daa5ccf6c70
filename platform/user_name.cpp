#include "platform/user_name.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/last_error.h"
#include "platform/registry.h"

namespace platform {
namespace {

// The account name of the effective user, or empty when it has none.
std::string AccountName() {
  long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> scratch(hint > 0 ? static_cast<size_t>(hint) : 1024);
  for (;;) {
    passwd entry{};
    passwd* found = nullptr;
    int error = getpwuid_r(geteuid(), &entry, scratch.data(), scratch.size(), &found);
    if (error == ERANGE && scratch.size() < (1u << 20)) {
      scratch.resize(scratch.size() * 2);
      continue;
    }
    if (error != 0 || found == nullptr || found->pw_name == nullptr) return {};
    return found->pw_name;
  }
}

}  // namespace

BOOL GetUserNameA(char* buffer, DWORD* size) {
  if (size == nullptr || (buffer == nullptr && *size != 0)) {
    SetLastError(static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    return FALSE;
  }
  const std::string name = AccountName();
  if (name.empty()) {
    SetLastError(ERROR_NONE_MAPPED);
    return FALSE;
  }
  const DWORD needed = static_cast<DWORD>(name.size() + 1);
  if (*size < needed) {
    *size = needed;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(buffer, name.c_str(), needed);
  *size = needed;
  return TRUE;
}

}  // namespace platform
