// The library's two exports: its thunk data block and DllMain, which
// connects the block to the 16-bit driver for every reason code.
#include "platform/thunk.h"
#include "platform/thunk_16to32.h"
#include "veskdd/bridge_variant.h"
#include "veskdd/thunk_entries.h"

namespace {

constexpr uint32_t kScriptChecksum = 0x13026;

// Identifies the library to someone reading its file; nothing reads it.
[[gnu::used]] const char kIdentification[] = "KovoVIDEO EDITING DirectDraw 32 bit thunks";

}  // namespace

extern "C" {

[[gnu::visibility("default")]] platform::ThunkData32SL thk_ThunkData32 = {
    {'S', 'L', '0', '1'}, kScriptChecksum, veskdd::kEntryCount, veskdd::kEntryTable, nullptr};

[[gnu::visibility("default")]] platform::BOOL DllMain(platform::HINSTANCE instance,
                                                      platform::DWORD reason, void*) {
  const veskdd::BridgeVariant& bridge = veskdd::ThisBridge();
  return platform::ThunkConnect32(&thk_ThunkData32, "thk_ThunkData16", bridge.driverFile,
                                  bridge.ownFile, instance, reason) != 0
             ? platform::TRUE
             : platform::FALSE;
}

}  // extern "C"
