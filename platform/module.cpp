#include "platform/module.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

thread_local std::string lastError;

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

HINSTANCE Open(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* error = dlerror();
    lastError = error != nullptr ? error : "cannot load " + path;
  }
  return handle;
}

}  // namespace

std::string SharedLibraryName(const char* moduleName) {
  std::string name = moduleName != nullptr ? moduleName : "";
  if (name.find('/') != std::string::npos) return name;
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name + ".so";
}

HINSTANCE LoadLibraryA(const char* moduleName, const void* caller) {
  if (moduleName == nullptr || *moduleName == '\0') {
    lastError = "no module name";
    return nullptr;
  }
  std::string name = SharedLibraryName(moduleName);
  if (name.find('/') != std::string::npos) return Open(name);

  if (const char* searchPath = std::getenv("KOVO_MODULE_PATH")) {
    std::string_view folders(searchPath);
    while (!folders.empty()) {
      size_t colon = folders.find(':');
      std::string folder(folders.substr(0, colon));
      folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
      if (folder.empty()) continue;
      std::string path = folder + "/" + name;
      if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD)) return handle;
      if (access(path.c_str(), F_OK) == 0) return Open(path);
    }
  }
  Dl_info info;
  if (caller != nullptr && dladdr(caller, &info) != 0 && info.dli_fname != nullptr) {
    std::string folder = FolderOf(info.dli_fname);
    if (!folder.empty()) {
      std::string path = folder + "/" + name;
      if (access(path.c_str(), F_OK) == 0) return Open(path);
    }
  }
  return Open(name);
}

void* GetProcAddress(HINSTANCE module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  return dlsym(module, name);
}

bool FreeLibrary(HINSTANCE module) {
  return module != nullptr && dlclose(module) == 0;
}

std::string GetModuleFileNameA(HINSTANCE module) {
  if (module == nullptr) return {};
  link_map* map = nullptr;
  if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr)
    return {};
  std::string path = map->l_name;
  if (path.empty() || path[0] == '/') return path;
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string absolute = resolved;
  std::free(resolved);
  return absolute;
}

HINSTANCE ModuleContaining(const void* address) {
  Dl_info info;
  if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr)
    return nullptr;
  return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
}

std::string LastLoadError() {
  return lastError;
}

}  // namespace platform
