// File-system calls in the form the programs of the suite expect: a search
// over a folder that reports "." and ".." too, deletion with OpenFile's
// OF_DELETE rules, removal of an empty folder, and temporary file names.
// Backslashes and slashes both separate path parts, so "%s\%s" paths work as
// they are composed.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

constexpr uint32_t MAX_PATH = 260;
constexpr uint32_t OF_DELETE = 0x200;
constexpr int HFILE_ERROR = -1;

struct WIN32_FIND_DATAA {
  uint32_t dwFileAttributes = 0;
  char cFileName[MAX_PATH] = {};
};
constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;

struct FileSearch;
using HANDLE = FileSearch*;
extern const HANDLE INVALID_HANDLE_VALUE;

// A path with every backslash turned into a slash.
std::string NativePath(const std::string& path);

// Starts a search for `pattern` ("folder\*.*"; the name part may use * and
// ?); the first match, "." included, goes to `found`. INVALID_HANDLE_VALUE
// when the folder cannot be read or nothing matches.
HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* found);
// The next match; false when there is none.
bool FindNextFileA(HANDLE search, WIN32_FIND_DATAA* found);
bool FindClose(HANDLE search);

// With OF_DELETE: deletes the file `path`. A folder, a read-only file (one
// without write permission) and a file that does not exist are refused with
// HFILE_ERROR; 1 on success. Other modes are not supported here.
int OpenFile(const char* path, uint32_t style);
// Removes an empty folder; false when it is not there, not empty or not a folder.
bool RemoveDirectoryA(const char* path);

// GetTempFileNameA: "path\PPPXXXX.TMP" with the first three characters of
// `prefix` and `unique` in four hex digits. With `unique` 0, numbers are
// tried until a name that does not exist yet is found and that file is
// created empty. Returns the number used, 0 on failure. `result` must hold
// MAX_PATH characters; a name that would not fit fails.
uint32_t GetTempFileNameA(const char* path, const char* prefix, uint32_t unique, char* result);

}  // namespace platform
