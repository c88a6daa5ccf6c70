// tmpsweep: run after an installation. It gives the installation source path
// that the setup saved aside back to the system's Setup key, then empties and
// removes the setup's temporary folder (one level deep). It reads everything
// from the settings store, ignores its command line, shows nothing and
// always exits with 0.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/registry.h"

namespace {

using namespace platform;

constexpr char kInstallKey[] = "software\\Kovo Computer Products\\install";
constexpr char kSetupKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup";
constexpr uint32_t kPathBuffer = 256;
// A folder path this short (a drive's root, "C:\") is never emptied.
constexpr size_t kShortestFolder = 4;

// Reads the text value `name` into a buffer of kPathBuffer bytes; false when
// it is missing or does not fit.
bool ReadPath(HKEY key, const char* name, char (&buffer)[kPathBuffer]) {
  uint32_t size = kPathBuffer;
  std::memset(buffer, 0, kPathBuffer);
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<uint8_t*>(buffer), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  buffer[kPathBuffer - 1] = '\0';
  return true;
}

// Composes "%s\%s" into a kPathBuffer buffer; false when it would not fit
// (such a path is skipped, never cut into another name).
bool Compose(char (&out)[kPathBuffer], const char* folder, const char* name) {
  const int n = std::snprintf(out, kPathBuffer, "%s\\%s", folder, name);
  return n >= 0 && static_cast<uint32_t>(n) < kPathBuffer;
}

// Moves the saved source path and its type from the install key to the
// Setup key. The saved values leave the install key only once they have
// been written to the Setup key; false when the Setup key cannot be opened
// (the folder is then left alone).
bool RestoreSourcePath(HKEY install, const char (&sourcePath)[kPathBuffer],
                       const uint8_t (&sourcePathType)[4]) {
  HKEY setup = nullptr;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSetupKey, &setup) != ERROR_SUCCESS) return false;
  const bool written =
      RegSetValueExA(setup, "SourcePath", 0, REG_SZ, reinterpret_cast<const uint8_t*>(sourcePath),
                     kPathBuffer) == ERROR_SUCCESS &&
      RegSetValueExA(setup, "SourcePathType", 0, REG_BINARY, sourcePathType, 4) == ERROR_SUCCESS &&
      RegFlushKey(setup) == ERROR_SUCCESS;
  RegCloseKey(setup);
  if (written) {
    RegDeleteValueA(install, "SourcePath");
    RegDeleteValueA(install, "SourcePathType");
    RegFlushKey(install);
  }
  return true;
}

void EmptyAndRemove(const char (&folder)[kPathBuffer]) {
  char pattern[kPathBuffer];
  if (!Compose(pattern, folder, "*.*")) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    char path[kPathBuffer];
    if (Compose(path, folder, found.cFileName)) OpenFile(path, OF_DELETE);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  RemoveDirectoryA(folder);
}

void Sweep() {
  HKEY install = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, kInstallKey, &install) != ERROR_SUCCESS) return;
  char folder[kPathBuffer];
  if (!ReadPath(install, "KovoTmpPath", folder) || std::strlen(folder) < kShortestFolder) {
    RegCloseKey(install);
    return;
  }
  char sourcePath[kPathBuffer];
  if (ReadPath(install, "SourcePath", sourcePath)) {
    uint8_t sourcePathType[4] = {};
    uint32_t size = sizeof sourcePathType;
    // Without its type the saved path stays where it is; the folder still goes.
    if (RegQueryValueExA(install, "SourcePathType", nullptr, nullptr, sourcePathType, &size) ==
            ERROR_SUCCESS &&
        size == sizeof sourcePathType) {
      if (!RestoreSourcePath(install, sourcePath, sourcePathType)) {
        RegCloseKey(install);
        return;
      }
    }
  }
  RegCloseKey(install);
  EmptyAndRemove(folder);
}

}  // namespace

int main() {
  Sweep();
  return 0;
}
