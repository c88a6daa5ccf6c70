#include "platform/thunk_16to32.h"

#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/module.h"
#include "platform/thunk_link.h"

namespace platform {
namespace {

constexpr char kSignature[4] = {'S', 'L', '0', '1'};

std::string Lower(const char* text) {
  std::string lower = text != nullptr ? text : "";
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// A driver's block waiting for, or connected to, its library.
struct Announcement {
  ThunkData16SL* block;
  std::string libraryFile;  // lower case
};

// Blocks announced by drivers, by driver file name and block name.
class Announcements {
 public:
  bool Add(const std::string& key, const Announcement& announcement) {
    std::lock_guard<std::mutex> lock(mutex_);
    return blocks_.emplace(key, announcement).second;
  }
  void Remove(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    blocks_.erase(key);
  }
  bool Find(const std::string& key, Announcement* found) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = blocks_.find(key);
    if (it == blocks_.end()) return false;
    *found = it->second;
    return true;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, Announcement> blocks_;
};

Announcements& TheAnnouncements() {
  static Announcements* announcements = new Announcements;  // lives until the process ends
  return *announcements;
}

std::string KeyOf(const char* driverFile, const char* blockName) {
  return Lower(driverFile) + '\n' + (blockName != nullptr ? blockName : "");
}

// Fixed pointers by selector.
std::mutex fixedMutex;
std::map<uint16_t, uint32_t> fixed;
thread_local int callDepth = 0;

BOOL Connect(ThunkData32SL* library, const char* thunkData16Name, const char* partnerFile,
             const char* ownFile) {
  if (library->connected != nullptr) return TRUE;
  Announcement announcement{};
  if (!TheAnnouncements().Find(KeyOf(partnerFile, thunkData16Name), &announcement) ||
      announcement.libraryFile != Lower(ownFile))
    return FALSE;
  ThunkData16SL* driver = announcement.block;
  if (std::memcmp(driver->signature, kSignature, 4) != 0 || driver->checksum != library->checksum ||
      library->entryCount == 0 || library->entryCount > kMaxThunk32Entries ||
      library->entries == nullptr)
    return FALSE;
  const uint32_t tableSize = library->entryCount * static_cast<uint32_t>(sizeof(ThunkEntry32));
  const uint16_t selector = AllocSelectorFor(library->entries, tableSize - 1);
  if (selector == 0) return FALSE;
  driver->entryTable = static_cast<SEGPTR>(selector) << 16;
  driver->entryCount = library->entryCount;
  library->connected = driver;
  return TRUE;
}

void Disconnect(ThunkData32SL* library) {
  auto* driver = static_cast<ThunkData16SL*>(library->connected);
  if (driver == nullptr) return;
  FreeSelectorFor(static_cast<uint16_t>(driver->entryTable >> 16));
  driver->entryTable = 0;
  driver->entryCount = 0;
  library->connected = nullptr;
}

DllMainProc DllMainOf(HINSTANCE library) {
  return GetProcAddressAs<DllMainProc>(library, "DllMain");
}

}  // namespace

BOOL ThunkConnect16To32(ThunkData16SL* thunkData16, const char* thunkData16Name,
                        const char* ownFile, const char* libraryFile, DWORD reason,
                        const void* caller) {
  if (thunkData16 == nullptr) return FALSE;
  const std::string key = KeyOf(ownFile, thunkData16Name);
  if (reason == DLL_PROCESS_DETACH) {
    if (thunkData16->library == nullptr) return TRUE;
    DllMainOf(thunkData16->library)(thunkData16->library, DLL_PROCESS_DETACH, nullptr);
    FreeLibrary(thunkData16->library);
    thunkData16->library = nullptr;
    thunkData16->entryTable = 0;
    thunkData16->entryCount = 0;
    TheAnnouncements().Remove(key);
    return TRUE;
  }
  if (reason != DLL_PROCESS_ATTACH) return thunkData16->library != nullptr ? TRUE : FALSE;
  if (thunkData16->library != nullptr) return TRUE;
  if (std::memcmp(thunkData16->signature, kSignature, 4) != 0) return FALSE;
  thunkData16->entryTable = 0;
  thunkData16->entryCount = 0;
  if (!TheAnnouncements().Add(key, Announcement{thunkData16, Lower(libraryFile)})) return FALSE;
  HINSTANCE library = LoadLibraryA(libraryFile, caller);
  DllMainProc dllMain = library != nullptr ? DllMainOf(library) : nullptr;
  if (dllMain != nullptr && dllMain(library, DLL_PROCESS_ATTACH, nullptr) != FALSE &&
      thunkData16->entryTable != 0) {
    thunkData16->library = library;
    return TRUE;
  }
  // A library that refused (or connected nothing) is told to detach before
  // it is unloaded, as the loader does.
  if (dllMain != nullptr) dllMain(library, DLL_PROCESS_DETACH, nullptr);
  if (library != nullptr) FreeLibrary(library);
  TheAnnouncements().Remove(key);
  thunkData16->entryTable = 0;
  thunkData16->entryCount = 0;
  return FALSE;
}

DWORD CallThunkEntry32(const ThunkData16SL* thunkData16, DWORD entry, const uint8_t* frame,
                       DWORD frameSize) {
  if (thunkData16 == nullptr || thunkData16->entryTable == 0 || entry >= thunkData16->entryCount)
    return 0;
  const void* slot =
      MapSL(thunkData16->entryTable + entry * static_cast<DWORD>(sizeof(ThunkEntry32)));
  if (slot == nullptr) return 0;
  ThunkEntry32 function;
  std::memcpy(&function, slot, sizeof function);
  return function != nullptr ? function(frame, frameSize) : 0;
}

void K32Thk1632Prolog() {
  ++callDepth;
}

void K32Thk1632Epilog() {
  --callDepth;
}

int Thk1632CallDepth() {
  return callDepth;
}

void* MapSLFix(SEGPTR segmented) {
  void* flat = MapSL(segmented);
  if (flat == nullptr) return nullptr;
  std::lock_guard<std::mutex> lock(fixedMutex);
  ++fixed[static_cast<uint16_t>(segmented >> 16)];
  return flat;
}

void UnMapSLFixArray(WORD count, const SEGPTR* segmented) {
  if (segmented == nullptr) return;
  std::lock_guard<std::mutex> lock(fixedMutex);
  for (WORD i = 0; i < count; ++i) {
    if (segmented[i] == 0) continue;
    auto it = fixed.find(static_cast<uint16_t>(segmented[i] >> 16));
    if (it == fixed.end()) continue;
    if (--it->second == 0) fixed.erase(it);
  }
}

uint32_t SegmentsFixed() {
  std::lock_guard<std::mutex> lock(fixedMutex);
  uint32_t total = 0;
  for (const auto& [selector, count] : fixed) total += count;
  return total;
}

namespace thunk_link {

BOOL Connect16To32(void* thunkData32, const char* thunkData16Name, const char* partnerFile,
                   const char* ownFile, HINSTANCE, DWORD reason) {
  auto* library = static_cast<ThunkData32SL*>(thunkData32);
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return Connect(library, thunkData16Name, partnerFile, ownFile);
    case DLL_PROCESS_DETACH:
      Disconnect(library);
      return TRUE;
    default:
      return library->connected != nullptr ? TRUE : FALSE;
  }
}

}  // namespace thunk_link
}  // namespace platform
