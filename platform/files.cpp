#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace platform {

struct FileSearch {
  DIR* folder = nullptr;
  std::string folderPath;
  std::string pattern;
};

const HANDLE INVALID_HANDLE_VALUE = nullptr;

namespace {

// "*.*" matches every name, with or without a dot, as the platform's
// searches do; other patterns match as shell patterns.
bool Matches(const std::string& pattern, const char* name) {
  if (pattern == "*.*" || pattern == "*") return true;
  return fnmatch(pattern.c_str(), name, 0) == 0;
}

bool Next(FileSearch* search, WIN32_FIND_DATAA* found) {
  while (dirent* entry = readdir(search->folder)) {
    if (!Matches(search->pattern, entry->d_name)) continue;
    const size_t length = std::strlen(entry->d_name);
    if (length >= MAX_PATH) continue;  // not representable; skipped, never cut
    std::memcpy(found->cFileName, entry->d_name, length + 1);
    struct stat st {};
    const std::string full = search->folderPath + "/" + entry->d_name;
    found->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (lstat(full.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) found->dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
      if ((st.st_mode & 0222) == 0) found->dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
    }
    return true;
  }
  return false;
}

}  // namespace

std::string NativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* found) {
  if (pattern == nullptr || found == nullptr) return INVALID_HANDLE_VALUE;
  const std::string path = NativePath(pattern);
  const size_t slash = path.rfind('/');
  auto* search = new FileSearch;
  search->folderPath =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  search->pattern = slash == std::string::npos ? path : path.substr(slash + 1);
  search->folder = opendir(search->folderPath.c_str());
  if (search->folder == nullptr || !Next(search, found)) {
    FindClose(search);
    return INVALID_HANDLE_VALUE;
  }
  return search;
}

bool FindNextFileA(HANDLE search, WIN32_FIND_DATAA* found) {
  return search != nullptr && found != nullptr && Next(search, found);
}

bool FindClose(HANDLE search) {
  if (search == nullptr) return false;
  if (search->folder != nullptr) closedir(search->folder);
  delete search;
  return true;
}

int OpenFile(const char* path, uint32_t style) {
  if (path == nullptr || style != OF_DELETE) return HFILE_ERROR;
  const std::string native = NativePath(path);
  struct stat st {};
  if (lstat(native.c_str(), &st) != 0) return HFILE_ERROR;
  if (S_ISDIR(st.st_mode)) return HFILE_ERROR;
  // Read-only files stay, also for a user whom the file system would let
  // delete them.
  if (!S_ISLNK(st.st_mode) && (st.st_mode & 0222) == 0) return HFILE_ERROR;
  return unlink(native.c_str()) == 0 ? 1 : HFILE_ERROR;
}

bool RemoveDirectoryA(const char* path) {
  return path != nullptr && rmdir(NativePath(path).c_str()) == 0;
}

uint32_t GetTempFileNameA(const char* path, const char* prefix, uint32_t unique, char* result) {
  if (path == nullptr || prefix == nullptr || result == nullptr) return 0;
  const std::string folder = path;
  const std::string stem = std::string(prefix).substr(0, 3);
  const char* separator =
      !folder.empty() && (folder.back() == '\\' || folder.back() == '/') ? "" : "\\";
  const auto compose = [&](uint32_t number, std::string* name) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", number & 0xFFFF);
    *name = folder + separator + stem + digits + ".TMP";
    return name->size() < MAX_PATH;
  };
  std::string name;
  if (unique != 0) {
    if (!compose(unique, &name)) return 0;
    std::memcpy(result, name.c_str(), name.size() + 1);
    return unique & 0xFFFF;
  }
  const uint32_t start =
      static_cast<uint32_t>(std::time(nullptr) ^ static_cast<uint32_t>(getpid())) & 0xFFFF;
  for (uint32_t i = 0; i < 0x10000; ++i) {
    const uint32_t number = ((start + i) & 0xFFFF) == 0 ? 1 : (start + i) & 0xFFFF;
    if (!compose(number, &name)) return 0;
    const int fd = open(NativePath(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      std::memcpy(result, name.c_str(), name.size() + 1);
      return number;
    }
    if (errno != EEXIST) return 0;
  }
  return 0;
}

}  // namespace platform
