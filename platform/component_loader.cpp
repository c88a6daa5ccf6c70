#include "platform/component_loader.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/module.h"
#include "platform/registry.h"

namespace platform {
namespace {

// The registered path of the server of `clsid`, or empty.
std::string InprocServerPath(REFCLSID clsid) {
  char text[39];
  FormatGUID(clsid, text);
  const std::string keyPath = std::string("CLSID\\") + text + "\\InprocServer32";
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, keyPath.c_str(), &key) != ERROR_SUCCESS) return {};
  std::string path;
  uint32_t type = 0;
  uint32_t size = 0;
  if (RegQueryValueExA(key, "", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_SZ && size > 0) {
    std::vector<uint8_t> data(size);
    if (RegQueryValueExA(key, "", nullptr, &type, data.data(), &size) == ERROR_SUCCESS)
      path.assign(reinterpret_cast<const char*>(data.data()),
                  strnlen(reinterpret_cast<const char*>(data.data()), size));
  }
  RegCloseKey(key);
  return path;
}

// The libraries loaded through this layer, once each.
class ServerLibraries {
 public:
  // Loads and attaches `path`, or counts one more load of it. `byRuntime`
  // marks the runtime's own load (at most one per library).
  HINSTANCE Load(const char* path, bool byRuntime, HRESULT* failure) {
    std::lock_guard<std::mutex> lock(mutex_);
    return LoadLocked(path, byRuntime, failure);
  }

  bool Free(HINSTANCE library) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = libraries_.find(library);
    if (it == libraries_.end() || it->second.loads == (it->second.heldByRuntime ? 1 : 0))
      return false;
    Release(it);
    return true;
  }

  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    const std::string path = InprocServerPath(clsid);
    if (path.empty()) return REGDB_E_CLASSNOTREG;
    std::lock_guard<std::mutex> lock(mutex_);
    HRESULT failure = S_OK;
    HINSTANCE library = LoadLocked(path.c_str(), true, &failure);
    if (library == nullptr) return failure;
    auto getClassObject = GetProcAddressAs<DllGetClassObjectProc>(library, "DllGetClassObject");
    if (getClassObject == nullptr) return CO_E_ERRORINDLL;
    return getClassObject(clsid, iid, out);
  }

  void FreeRuntimeLoads(bool onlyUnused) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = libraries_.begin(); it != libraries_.end();) {
      auto next = std::next(it);
      if (it->second.heldByRuntime) {
        auto canUnloadNow = GetProcAddressAs<DllCanUnloadNowProc>(it->first, "DllCanUnloadNow");
        if (!onlyUnused || (canUnloadNow != nullptr && canUnloadNow() == S_OK)) {
          it->second.heldByRuntime = false;
          Release(it);
        }
      }
      it = next;
    }
  }

 private:
  struct Loaded {
    int loads = 0;
    bool heldByRuntime = false;
  };

  HINSTANCE LoadLocked(const char* path, bool byRuntime, HRESULT* failure) {
    HINSTANCE library = LoadLibraryA(path);
    if (library == nullptr) {
      *failure = CO_E_DLLNOTFOUND;
      return nullptr;
    }
    auto it = libraries_.find(library);
    if (it != libraries_.end()) {
      FreeLibrary(library);  // the library keeps the one load it had
      if (byRuntime && it->second.heldByRuntime) return library;
    } else {
      auto main = GetProcAddressAs<DllMainProc>(library, "DllMain");
      if (main != nullptr && main(library, DLL_PROCESS_ATTACH, nullptr) == FALSE) {
        // As the system loader does: a refused attach is followed by a
        // detach, so the library can undo what it had done before refusing.
        main(library, DLL_PROCESS_DETACH, nullptr);
        FreeLibrary(library);
        *failure = E_DLL_INIT_FAILED;
        return nullptr;
      }
      it = libraries_.emplace(library, Loaded{}).first;
    }
    ++it->second.loads;
    it->second.heldByRuntime = it->second.heldByRuntime || byRuntime;
    return library;
  }

  // Drops one load; the last one detaches and unloads the library.
  void Release(std::map<HINSTANCE, Loaded>::iterator it) {
    if (--it->second.loads > 0) return;
    HINSTANCE library = it->first;
    libraries_.erase(it);
    if (auto main = GetProcAddressAs<DllMainProc>(library, "DllMain"))
      main(library, DLL_PROCESS_DETACH, nullptr);
    FreeLibrary(library);
  }

  std::mutex mutex_;
  std::map<HINSTANCE, Loaded> libraries_;
};

ServerLibraries& Libraries() {
  static ServerLibraries* libraries = new ServerLibraries;  // lives until the process ends
  return *libraries;
}

}  // namespace

HINSTANCE CoLoadLibrary(const char* path) {
  HRESULT failure = S_OK;
  return Libraries().Load(path, false, &failure);
}

bool CoFreeLibrary(HINSTANCE library) {
  return Libraries().Free(library);
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if ((context & CLSCTX_INPROC_SERVER) == 0 || reserved != nullptr) return REGDB_E_CLASSNOTREG;
  return Libraries().GetClassObject(clsid, iid, out);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  void* object = nullptr;
  HRESULT result = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, &object);
  if (FAILED(result)) return result;
  auto* factory = static_cast<IClassFactory*>(object);
  result = factory->CreateInstance(outer, iid, out);
  factory->Release();
  return result;
}

void CoFreeUnusedLibraries() {
  Libraries().FreeRuntimeLoads(true);
}

void CoFreeAllLibraries() {
  Libraries().FreeRuntimeLoads(false);
}

}  // namespace platform
