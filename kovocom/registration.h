// The server's registration under HKEY_CLASSES_ROOT: the ProgIDs
// "KovoCOM1.01" and "KovoCOM", the class key with its ProgIDs and the
// library's path under InprocServer32. Failed writes and deletions are
// ignored, as the callers (DllRegisterServer, DllUnregisterServer) promise.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace kovocom {

// Writes the ten keys; `libraryPath` is the server library's full path.
void RegisterServer(const std::string& libraryPath);
// Deletes the ten keys, deepest first; keys that others have added
// subkeys to stay.
void UnregisterServer();

// The path of the server library `instance`, or of this library when
// `instance` is null.
std::string ServerLibraryPath(platform::HINSTANCE instance);

}  // namespace kovocom
