// Full key paths as people type them: a root, long or short
// (HKEY_CURRENT_USER or HKCU, HKEY_LOCAL_MACHINE or HKLM, HKEY_CLASSES_ROOT
// or HKCR, in any case), then the key path below it.
#pragma once

#include <optional>
#include <string>

#include "platform/registry.h"

namespace kovoreg {

struct KeyPath {
  platform::HKEY root;
  std::string rootName;  // the long name
  std::string subKey;    // below the root, without a leading backslash
  std::string Full() const { return subKey.empty() ? rootName : rootName + "\\" + subKey; }
};

std::optional<KeyPath> ParseKeyPath(const std::string& text);
// A result code as words ("the key does not exist", ...).
std::string DescribeResult(platform::LONG result);

}  // namespace kovoreg
