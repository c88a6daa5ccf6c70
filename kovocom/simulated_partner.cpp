// A stand-in for the 16-bit partner KVTHUNK that answers as a capture board
// with its driver installed would: the three capture drivers open, links
// open, and every request on an open handle succeeds (0); a request on a
// handle that is not open answers E_HANDLE. Built as kvthunk.so beside
// kovocom.so, where kovocom finds it when $KOVO_MODULE_PATH names no other.
#include <array>
#include <cstring>
#include <mutex>
#include <set>

#include "kovocom/kvthunk_entries.h"
#include "platform/thunk_32to16.h"

namespace {

using platform::DWORD;
using namespace kovocom;

constexpr DWORD kHandleError = 0x80070006;  // E_HANDLE
constexpr const char* kDrivers[] = {"KOVOQX62.DRV", "QX63CAP.DRV", "VESKCAP.DRV"};

std::mutex mutex;
std::set<DWORD> openHandles;
DWORD nextHandle = 0x00010001;

DWORD Open() {
  std::lock_guard<std::mutex> lock(mutex);
  DWORD handle = nextHandle++;
  openHandles.insert(handle);
  return handle;
}

DWORD Close(const DWORD* arguments, DWORD count) {
  std::lock_guard<std::mutex> lock(mutex);
  if (count >= 1) openHandles.erase(arguments[0]);
  return 0;
}

DWORD Request(const DWORD* arguments, DWORD count) {
  std::lock_guard<std::mutex> lock(mutex);
  return count >= 1 && openHandles.count(arguments[0]) != 0 ? 0 : kHandleError;
}

DWORD OpenLink(const DWORD*, DWORD) {
  return Open();
}

DWORD OpenDriver(const DWORD* arguments, DWORD count) {
  const char* name = count == 1 ? static_cast<const char*>(platform::MapSL(arguments[0])) : nullptr;
  if (name == nullptr) return 0;
  for (const char* driver : kDrivers) {
    if (std::strcmp(name, driver) == 0) return Open();
  }
  return 0;
}

constexpr std::array<platform::ThunkEntry16, kEntryCount> kEntries = {
    Request,    // 0
    Request,    // 1
    Close,      // 2
    OpenLink,   // 3
    Request,    // 4
    Request,    // 5
    Request,    // 6
    Request,    // 7
    Close,      // 8
    OpenLink,   // 9
    Close,      // 10
    OpenLink,   // 11
    Request,    // 12
    Request,    // 13
    Request,    // 14
    Request,    // 15
    Close,      // 16
    OpenDriver  // 17
};

}  // namespace

extern "C" {
__attribute__((visibility("default"))) platform::ThunkData16 thk_ThunkData16 = {
    {'L', 'S', '0', '1'}, kThunkScriptChecksum, {'L', 'B', '0', '1'},
    kEntryCount,          kEntries.data(),      nullptr};
}
