#include "kovocom/registration.h"

#include <cstdint>

#include "kovocom/kovo_component.h"
#include "platform/module.h"
#include "platform/registry.h"

namespace kovocom {
namespace {

constexpr char kVersionedProgId[] = "KovoCOM1.01";
constexpr char kProgId[] = "KovoCOM";
constexpr char kDescription[] = "KovoCOM - KovoComponent Dll";

// The class identifier's text, as StringFromGUID2 writes it, in ANSI.
std::string ClassIdText() {
  platform::OLECHAR wide[128];
  const int length = platform::StringFromGUID2(CLSID_KovoComponent, wide, 128);
  std::string text;
  for (int i = 0; i + 1 < length; ++i) text += static_cast<char>(wide[i]);  // all ASCII
  return text;
}

// Creates `path` and sets its default value to `value`; failures are ignored.
void WriteKey(const std::string& path, const std::string& value) {
  platform::HKEY key = nullptr;
  if (platform::RegCreateKeyExA(platform::HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr,
                                platform::REG_OPTION_NON_VOLATILE, platform::KEY_ALL_ACCESS,
                                nullptr, &key, nullptr) != platform::ERROR_SUCCESS) {
    return;
  }
  platform::RegSetValueExA(key, nullptr, 0, platform::REG_SZ,
                           reinterpret_cast<const uint8_t*>(value.c_str()),
                           static_cast<uint32_t>(value.size() + 1));
  platform::RegCloseKey(key);
}

}  // namespace

void RegisterServer(const std::string& libraryPath) {
  const std::string classId = ClassIdText();
  const std::string classKey = "CLSID\\" + classId;
  WriteKey(kVersionedProgId, kDescription);
  WriteKey(std::string(kVersionedProgId) + "\\CLSID", classId);
  WriteKey(kProgId, kDescription);
  WriteKey(std::string(kProgId) + "\\CurVer", kVersionedProgId);
  WriteKey(std::string(kProgId) + "\\CLSID", classId);
  WriteKey(classKey, kDescription);
  WriteKey(classKey + "\\ProgID", kVersionedProgId);
  WriteKey(classKey + "\\VersionIndependentProgID", kProgId);
  WriteKey(classKey + "\\InprocServer32", libraryPath);
  // A subkey with a default value, not a named value of InprocServer32.
  WriteKey(classKey + "\\InprocServer32\\ThreadingModel", "Both");
}

void UnregisterServer() {
  const std::string classKey = "CLSID\\" + ClassIdText();
  const std::string keys[] = {
      std::string(kProgId) + "\\CurVer",
      std::string(kProgId) + "\\CLSID",
      kProgId,
      std::string(kVersionedProgId) + "\\CLSID",
      kVersionedProgId,
      classKey + "\\ProgID",
      classKey + "\\VersionIndependentProgID",
      classKey + "\\InprocServer32\\ThreadingModel",
      classKey + "\\InprocServer32",
      classKey,
  };
  for (const std::string& key : keys)
    platform::RegDeleteKeyA(platform::HKEY_CLASSES_ROOT, key.c_str());
}

std::string ServerLibraryPath(platform::HINSTANCE instance) {
  if (instance != nullptr) return platform::GetModuleFileNameA(instance);
  platform::HINSTANCE self =
      platform::ModuleContaining(reinterpret_cast<const void*>(&ServerLibraryPath));
  std::string path = platform::GetModuleFileNameA(self);
  platform::FreeLibrary(self);
  return path;
}

}  // namespace kovocom
