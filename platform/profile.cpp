#include "platform/profile.h"

#include <dirent.h>
#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

namespace platform {
namespace {

constexpr char kDefaultWindowsDirectory[] = "/etc/kovo";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The value of `key` in the first section named `section`, or nothing.
std::optional<std::string_view> FindValue(std::string_view text, std::string_view section,
                                          std::string_view key) {
  if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) text.remove_prefix(kUtf8Mark.size());
  bool inSection = false;
  bool sectionSeen = false;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      if (inSection) return std::nullopt;  // the first section of the name ended
      inSection = !sectionSeen && SameName(Trim(line.substr(1, close - 1)), section);
      sectionSeen = sectionSeen || inSection;
      continue;
    }
    if (!inSection) continue;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos || !SameName(Trim(line.substr(0, equals)), key)) continue;
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return std::nullopt;
}

DWORD CopyOut(std::string_view value, char* buffer, DWORD size) {
  size_t count = value.size() < size - 1 ? value.size() : size - 1;
  if (count > 0) std::memcpy(buffer, value.data(), count);
  buffer[count] = '\0';
  return static_cast<DWORD>(count);
}

// The path of `fileName` (see the header), or empty when there is none.
std::string ProfilePath(const char* fileName) {
  std::string name = fileName;
  if (name.find('/') != std::string::npos) return name;
  const std::string folder = WindowsDirectory();
  std::string exact = folder + "/" + name;
  if (std::ifstream(exact).good()) return exact;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return {};
  std::string found;
  while (dirent* entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = folder + "/" + entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

}  // namespace

std::string WindowsDirectory() {
  const char* folder = std::getenv("KOVO_WINDOWS_DIR");
  return folder != nullptr && *folder != '\0' ? folder : kDefaultWindowsDirectory;
}

DWORD GetProfileStringFromText(std::string_view text, const char* section, const char* key,
                               const char* defaultValue, char* buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  if (section == nullptr || key == nullptr) return CopyOut({}, buffer, size);
  if (std::optional<std::string_view> value = FindValue(text, section, key))
    return CopyOut(*value, buffer, size);
  std::string_view fallback = defaultValue != nullptr ? defaultValue : "";
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  return CopyOut(fallback, buffer, size);
}

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD size, const char* fileName) {
  std::string text;
  if (fileName != nullptr && *fileName != '\0') {
    std::string path = ProfilePath(fileName);
    std::ifstream file(path, std::ios::binary);
    if (!path.empty() && file) {
      std::ostringstream content;
      content << file.rdbuf();
      text = content.str();
    }
  }
  return GetProfileStringFromText(text, section, key, defaultValue, buffer, size);
}

}  // namespace platform
