#include "veskdd/driver_harness.h"

#include "platform/byte_order.h"
#include "platform/selector_table.h"
#include "veskdd/thunk_entries.h"

namespace veskdd {

using namespace platform;

namespace {

constexpr uint32_t kSegmentSize = 0x10000;
constexpr uint32_t kScriptChecksum = 0x13026;
constexpr char kThunkData16Name[] = "thk_ThunkData16";
// Where the harness keeps things in its segment.
constexpr WORD kSourceRectAt = 0x0000;
constexpr WORD kDestinationRectAt = 0x0010;
constexpr WORD kQueryOutAt = 0x0020;
// Any address inside this module: the library is searched beside it.
const char kInThisModule = 0;

void PutRect(uint8_t* at, const Rect16& rect) {
  WriteLE16(at, static_cast<uint16_t>(rect.left));
  WriteLE16(at + 2, static_cast<uint16_t>(rect.top));
  WriteLE16(at + 4, static_cast<uint16_t>(rect.right));
  WriteLE16(at + 6, static_cast<uint16_t>(rect.bottom));
}

}  // namespace

Frame16& Frame16::Word(WORD value) {
  bytes_.resize(bytes_.size() + 2);
  WriteLE16(bytes_.data() + bytes_.size() - 2, value);
  return *this;
}

Frame16& Frame16::Dword(DWORD value) {
  bytes_.resize(bytes_.size() + 4);
  WriteLE32(bytes_.data() + bytes_.size() - 4, value);
  return *this;
}

DriverHarness::DriverHarness(const char* driverFile, const char* libraryFile)
    : driverFile_(driverFile),
      libraryFile_(libraryFile),
      block_{{'S', 'L', '0', '1'}, kScriptChecksum, 0, 0, nullptr},
      segment_(kSegmentSize, 0) {
  selector_ = AllocSelectorFor(segment_.data(), kSegmentSize - 1);
}

DriverHarness::~DriverHarness() {
  Disconnect();
  FreeSelectorFor(selector_);
}

bool DriverHarness::Connect() {
  return ThunkConnect16To32(&block_, kThunkData16Name, driverFile_, libraryFile_,
                            DLL_PROCESS_ATTACH, &kInThisModule) != FALSE;
}

void DriverHarness::Disconnect() {
  ThunkConnect16To32(&block_, kThunkData16Name, driverFile_, libraryFile_, DLL_PROCESS_DETACH);
}

DWORD DriverHarness::Call(DWORD entry, const std::vector<uint8_t>& frame) {
  return CallThunkEntry32(&block_, entry, frame.data(), static_cast<DWORD>(frame.size()));
}

DWORD DriverHarness::ShowOverlay(WORD mode) {
  return Call(kShowOverlay, Frame16().Word(mode).bytes());
}

DWORD DriverHarness::QuerySurface(WORD kind, SEGPTR out, SEGPTR third) {
  return Call(kQuerySurface, Frame16().Word(kind).Far(out).Far(third).bytes());
}

DWORD DriverHarness::PositionOverlay(SEGPTR source, SEGPTR destination) {
  return Call(kPositionOverlay, Frame16().Far(source).Far(destination).bytes());
}

DWORD DriverHarness::SetOverlayColorKey(DWORD key) {
  return Call(kSetOverlayColorKey, Frame16().Dword(key).bytes());
}

void DriverHarness::DestroyOverlay() {
  Call(kDestroyOverlay, {});
}

DWORD DriverHarness::CreateOverlay(DWORD flag, DWORD fourCC, WORD width, WORD height) {
  return Call(kCreateOverlay, Frame16().Dword(flag).Dword(fourCC).Word(width).Word(height).bytes());
}

void DriverHarness::CloseDirectDraw() {
  Call(kCloseDirectDraw, {});
}

DWORD DriverHarness::OpenDirectDraw() {
  return Call(kOpenDirectDraw, {});
}

DWORD DriverHarness::RestoreSurfaces() {
  return Call(kRestoreSurfaces, {});
}

DWORD DriverHarness::PositionOverlay(const Rect16* source, const Rect16* destination) {
  if (source != nullptr) PutRect(Near(kSourceRectAt), *source);
  if (destination != nullptr) PutRect(Near(kDestinationRectAt), *destination);
  return PositionOverlay(source != nullptr ? Far(kSourceRectAt) : 0,
                         destination != nullptr ? Far(kDestinationRectAt) : 0);
}

uint8_t* DriverHarness::QueryAddress(WORD kind) {
  if (QuerySurface(kind, Far(kQueryOutAt)) == FALSE) return nullptr;
  const uint64_t address = static_cast<uint64_t>(ReadLE32(Near(kQueryOutAt))) |
                           static_cast<uint64_t>(ReadLE32(Near(kQueryOutAt + 4))) << 32;
  return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(address));
}

uint32_t DriverHarness::QueryPitch(WORD kind) {
  if (QuerySurface(kind, Far(kQueryOutAt)) == FALSE) return 0;
  return ReadLE32(Near(kQueryOutAt));
}

SEGPTR DriverHarness::Far(WORD offset) const {
  return static_cast<SEGPTR>(selector_) << 16 | offset;
}

}  // namespace veskdd
