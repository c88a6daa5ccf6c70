// The client side of in-process servers, as a program gets it from the
// component runtime: the class is looked up in the settings store under
// HKEY_CLASSES_ROOT\CLSID\{class id}\InprocServer32, whose default value is
// the server library's path (or a module name, found as LoadLibraryA finds
// it); the library is loaded, its DllMain is run with DLL_PROCESS_ATTACH
// (FALSE refuses the load; the library is then told DLL_PROCESS_DETACH and
// unloaded) and DllGetClassObject gives the class object.
//
// Every library is loaded and attached once per process however many times
// it is asked for, and detached (DllMain with DLL_PROCESS_DETACH) and
// unloaded when its last load is given back. A load made by
// CoGetClassObject is held by the runtime until CoFreeUnusedLibraries finds
// that the server's DllCanUnloadNow answers S_OK, or CoFreeAllLibraries
// runs at the end of the program. All calls are thread-safe.
#pragma once

#include "platform/component.h"

namespace platform {

constexpr DWORD CLSCTX_INPROC_SERVER = 1;

// The entry points of an in-process server library.
using DllMainProc = BOOL (*)(HINSTANCE instance, DWORD reason, void* reserved);
using DllGetClassObjectProc = HRESULT (*)(REFCLSID clsid, REFIID iid, void** out);
using DllCanUnloadNowProc = HRESULT (*)();
using DllRegisterServerProc = HRESULT (*)();

// Loads the server library `path` (as LoadLibraryA does) and attaches it.
// Null when it cannot be loaded or its DllMain answered FALSE. The caller
// owns the load and gives it back with CoFreeLibrary; the library's other
// entries (DllRegisterServer, ...) are found with GetProcAddress.
HINSTANCE CoLoadLibrary(const char* path);
// Gives back a load made by CoLoadLibrary; false for a handle it did not make.
bool CoFreeLibrary(HINSTANCE library);

// Stores the class object of `clsid` as its interface `iid` in *out (one
// reference, owned by the caller). `context` must include
// CLSCTX_INPROC_SERVER; `reserved` must be null. Results besides the
// server's own: REGDB_E_CLASSNOTREG (not registered), CO_E_DLLNOTFOUND (the
// library does not load), E_DLL_INIT_FAILED (its DllMain refused),
// CO_E_ERRORINDLL (it has no DllGetClassObject), E_POINTER.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID iid, void** out);
// Gets the class object, creates one object through it and releases it.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out);

// Unloads every library loaded by CoGetClassObject whose DllCanUnloadNow
// answers S_OK (and no CoLoadLibrary load is left).
void CoFreeUnusedLibraries();
// Gives back every load that CoGetClassObject made, whatever the servers
// answer; for the end of a program.
// REQUIRES: no object or class object of those servers is still referenced.
void CoFreeAllLibraries();

}  // namespace platform
