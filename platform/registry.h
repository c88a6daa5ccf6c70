// The settings store: a hierarchical, typed key-value store with the
// semantics of the Windows registry calls that the deliverables make, shared
// by every program of the suite on this machine.
//
// Keys form trees under three roots. Key paths are separated by backslashes
// and compared without regard to case ("software\Kovo Computer Products" and
// "Software\kovo computer products" are one key). Values have names (the
// empty name is the key's default value) and kinds (REG_SZ, REG_DWORD,
// REG_BINARY, or any other number), and hold bytes as they were stored.
//
// Behind it are two SQLite databases: a per-user one for HKEY_CURRENT_USER,
// in the folder "kovo" of $XDG_CONFIG_HOME (else ~/.config), and a machine
// one for HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT, in the folder that
// $KOVO_MACHINE_DIR names (default /var/lib/kovo). Every write is one
// transaction, so processes writing at once all succeed and a process killed
// in the middle of a write leaves the store as it was before or after it.
//
// An HKEY returned by an open or create call is owned by the caller, who
// gives it back with RegCloseKey. The three roots are never closed.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct RegistryKey;
using HKEY = RegistryKey*;

extern const HKEY HKEY_CLASSES_ROOT;
extern const HKEY HKEY_CURRENT_USER;
extern const HKEY HKEY_LOCAL_MACHINE;

using LONG = int32_t;
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;  // no such key or value
constexpr LONG ERROR_ACCESS_DENIED =
    5;  // the store cannot be opened or written; a key with subkeys
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;     // the value is larger than the caller's buffer
constexpr LONG ERROR_BADDB = 1009;        // the store is damaged
constexpr LONG ERROR_KEY_DELETED = 1018;  // the key of this handle was deleted

constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;

constexpr uint32_t REG_OPTION_NON_VOLATILE = 0;
constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;
constexpr uint32_t REG_CREATED_NEW_KEY = 1;
constexpr uint32_t REG_OPENED_EXISTING_KEY = 2;

// Opens the existing key `subKey` below `key` (none or "" opens `key` again).
LONG RegOpenKeyA(HKEY key, const char* subKey, HKEY* result);
// Opens `subKey`, creating it and any missing parents.
LONG RegCreateKeyA(HKEY key, const char* subKey, HKEY* result);
LONG RegCreateKeyExA(HKEY key, const char* subKey, uint32_t reserved, const char* keyClass,
                     uint32_t options, uint32_t access, const void* security, HKEY* result,
                     uint32_t* disposition);
// Reads value `name` (none or "" for the default value). With `data` none,
// only the type and size are reported. When the value is larger than
// *size, nothing is read, *size becomes the value's size and the result is
// ERROR_MORE_DATA.
LONG RegQueryValueExA(HKEY key, const char* name, uint32_t* reserved, uint32_t* type, uint8_t* data,
                      uint32_t* size);
// Stores `size` bytes as value `name` of kind `type`.
LONG RegSetValueExA(HKEY key, const char* name, uint32_t reserved, uint32_t type,
                    const uint8_t* data, uint32_t size);
// Sets the default value of `subKey` (created if need be) to the text `data`.
LONG RegSetValueA(HKEY key, const char* subKey, uint32_t type, const char* data, uint32_t size);
LONG RegDeleteValueA(HKEY key, const char* name);
// Deletes `subKey` and its values; a key that still has subkeys is refused
// with ERROR_ACCESS_DENIED.
LONG RegDeleteKeyA(HKEY key, const char* subKey);
// Deletes `subKey` with everything below it.
LONG RegDeleteTreeA(HKEY key, const char* subKey);
// Names of the subkeys and values of `key`, by zero-based index; ERROR_FILE_NOT_FOUND
// past the last one (the calls' "no more items").
LONG RegEnumKey(HKEY key, uint32_t index, std::string* name);
LONG RegEnumValue(HKEY key, uint32_t index, std::string* name);
// Every write is already durable when it returns; flushing only checks the key.
LONG RegFlushKey(HKEY key);
LONG RegCloseKey(HKEY key);

// Where the two databases are (for tools and tests).
std::string UserRegistryPath();
std::string MachineRegistryPath();

}  // namespace platform
