#include "kovoreg/key_path.h"

#include <strings.h>

namespace kovoreg {

std::optional<KeyPath> ParseKeyPath(const std::string& text) {
  const size_t slash = text.find('\\');
  const std::string root = text.substr(0, slash);
  std::string rest = slash == std::string::npos ? "" : text.substr(slash + 1);
  while (!rest.empty() && rest.back() == '\\') rest.pop_back();
  const struct {
    const char* shortName;
    const char* longName;
    platform::HKEY key;
  } roots[] = {{"HKCU", "HKEY_CURRENT_USER", platform::HKEY_CURRENT_USER},
               {"HKLM", "HKEY_LOCAL_MACHINE", platform::HKEY_LOCAL_MACHINE},
               {"HKCR", "HKEY_CLASSES_ROOT", platform::HKEY_CLASSES_ROOT}};
  for (const auto& r : roots) {
    if (strcasecmp(root.c_str(), r.shortName) == 0 || strcasecmp(root.c_str(), r.longName) == 0) {
      return KeyPath{r.key, r.longName, rest};
    }
  }
  return std::nullopt;
}

std::string DescribeResult(platform::LONG result) {
  switch (result) {
    case platform::ERROR_SUCCESS:
      return "done";
    case platform::ERROR_FILE_NOT_FOUND:
      return "not found";
    case platform::ERROR_ACCESS_DENIED:
      return "the settings store cannot be written here, or the key still has subkeys";
    case platform::ERROR_MORE_DATA:
      return "the value is larger than expected";
    case platform::ERROR_BADDB:
      return "the settings store is damaged";
    case platform::ERROR_KEY_DELETED:
      return "the key was deleted";
    default:
      return "error " + std::to_string(result);
  }
}

}  // namespace kovoreg
