// Loading the suite's shared libraries by the file names the programs know
// them by. A name such as "KVTHUNK.DLL" or "veskCAP.DRV" maps to a shared
// library by one rule: the name in lower case with its extension replaced by
// ".so" ("kvthunk.so", "veskcap.so"); a name without an extension gets ".so"
// added. A name that contains a slash is a path and is loaded as it is.
//
// A mapped name is searched in this order: each folder of the environment
// variable KOVO_MODULE_PATH (colon-separated), the folder of the module that
// asks (the one containing `caller`), then the dynamic loader's own search.
//
// A module handle (HINSTANCE) is owned by whoever loaded it and given back
// with FreeLibrary; loads are counted, as the loader counts them.
#pragma once

#include <cstring>
#include <string>

#include "platform/win_types.h"

namespace platform {

// "KVTHUNK.DLL" -> "kvthunk.so"; a path is returned unchanged.
std::string SharedLibraryName(const char* moduleName);

// Loads the module `moduleName` (see above); `caller` is any address inside
// the asking module, or null to skip its folder. Null on failure.
HINSTANCE LoadLibraryA(const char* moduleName, const void* caller = nullptr);
// The address of the exported symbol `name`, or null.
void* GetProcAddress(HINSTANCE module, const char* name);
// The exported function `name` as a pointer of type `Function`, or null.
template <typename Function>
Function GetProcAddressAs(HINSTANCE module, const char* name) {
  void* address = GetProcAddress(module, name);
  Function function = nullptr;
  static_assert(sizeof function == sizeof address);
  std::memcpy(&function, &address, sizeof function);
  return function;
}
// Gives back one load; false for a null handle.
bool FreeLibrary(HINSTANCE module);
// The full path of the loaded module (empty when unknown).
std::string GetModuleFileNameA(HINSTANCE module);
// The handle of the loaded module that contains `address` (one more load of
// it, to be given back with FreeLibrary); null when none does.
HINSTANCE ModuleContaining(const void* address);
// The last loader error, for messages.
std::string LastLoadError();

}  // namespace platform
