#include "veskdd/thunk_entries.h"

#include "platform/byte_order.h"

namespace veskdd {

using namespace platform;

namespace {

constexpr DWORD kRect16Size = 8;  // left, top, right, bottom: 16 bits each

// Reads one entry's 16-bit argument frame from left to right.
class FrameReader {
 public:
  FrameReader(const uint8_t* frame, DWORD size)
      : frame_(frame), size_(frame != nullptr ? size : 0) {}

  DWORD Word() {
    if (!Take(2)) return 0;
    return ReadLE16(frame_ + at_ - 2);  // widened without sign
  }
  DWORD Dword() {
    if (!Take(4)) return 0;
    return ReadLE32(frame_ + at_ - 4);
  }
  SEGPTR FarPointer() { return Dword(); }
  // True when every argument was there and nothing is left over.
  bool Complete() const { return !short_ && at_ == size_; }

 private:
  bool Take(DWORD bytes) {
    if (size_ - at_ < bytes) {
      short_ = true;
      return false;
    }
    at_ += bytes;
    return true;
  }

  const uint8_t* frame_;
  DWORD size_;
  DWORD at_ = 0;
  bool short_ = false;
};

// The length of one entry's operation.
class EntryScope {
 public:
  EntryScope() { K32Thk1632Prolog(); }
  ~EntryScope() { K32Thk1632Epilog(); }
  EntryScope(const EntryScope&) = delete;
  EntryScope& operator=(const EntryScope&) = delete;
};

// The far pointers of one call, fixed for its length.
class FixedPointers {
 public:
  FixedPointers() = default;
  ~FixedPointers() { UnMapSLFixArray(count_, fixed_); }
  FixedPointers(const FixedPointers&) = delete;
  FixedPointers& operator=(const FixedPointers&) = delete;

  // The flat address of `segmented` when its segment covers `size` bytes;
  // null for a null pointer and for one that names too little.
  void* Map(SEGPTR segmented, DWORD size) {
    void* flat = MapSLFix(segmented);
    if (flat == nullptr) return nullptr;
    fixed_[count_++] = segmented;
    return SegmentCovers(segmented, size) ? flat : nullptr;
  }

 private:
  SEGPTR fixed_[2] = {};
  WORD count_ = 0;
};

DWORD ShowOverlayEntry(const uint8_t* frame, DWORD size) {
  FrameReader arguments(frame, size);
  const DWORD mode = arguments.Word();
  if (!arguments.Complete()) return FALSE;
  EntryScope scope;
  return BridgeState().ShowOverlay(mode);
}

DWORD QuerySurfaceEntry(const uint8_t* frame, DWORD size) {
  FrameReader arguments(frame, size);
  const DWORD kind = arguments.Word();
  const SEGPTR out = arguments.FarPointer();
  const SEGPTR third = arguments.FarPointer();
  if (!arguments.Complete()) return FALSE;
  EntryScope scope;
  FixedPointers pointers;
  void* flatOut = pointers.Map(out, OverlayState::OutSize(kind));
  pointers.Map(third, 0);  // mapped as the script says; not used
  // A kind the bridge does not know answers 0 whatever the pointer.
  if (OverlayState::OutSize(kind) == 0 || flatOut == nullptr) return FALSE;
  return BridgeState().QuerySurface(kind, flatOut);
}

// Copies a 16-bit RECT into a 32-bit one, widening every value without sign.
RECT WidenRect(const uint8_t* rect16) {
  return RECT{ReadLE16(rect16), ReadLE16(rect16 + 2), ReadLE16(rect16 + 4), ReadLE16(rect16 + 6)};
}

DWORD PositionOverlayEntry(const uint8_t* frame, DWORD size) {
  FrameReader arguments(frame, size);
  const SEGPTR source16 = arguments.FarPointer();
  const SEGPTR destination16 = arguments.FarPointer();
  if (!arguments.Complete()) return FALSE;
  EntryScope scope;
  FixedPointers pointers;
  const auto* flatSource = static_cast<const uint8_t*>(pointers.Map(source16, kRect16Size));
  const auto* flatDestination =
      static_cast<const uint8_t*>(pointers.Map(destination16, kRect16Size));
  // A pointer that names no whole rectangle is refused, not taken as null.
  if ((source16 != 0 && flatSource == nullptr) ||
      (destination16 != 0 && flatDestination == nullptr))
    return FALSE;
  RECT source{};
  RECT destination{};
  if (flatSource != nullptr) source = WidenRect(flatSource);
  if (flatDestination != nullptr) destination = WidenRect(flatDestination);
  return BridgeState().PositionOverlay(flatSource != nullptr ? &source : nullptr,
                                       flatDestination != nullptr ? &destination : nullptr);
}

DWORD SetOverlayColorKeyEntry(const uint8_t* frame, DWORD size) {
  FrameReader arguments(frame, size);
  const DWORD key = arguments.Dword();
  if (!arguments.Complete()) return FALSE;
  EntryScope scope;
  return BridgeState().SetOverlayColorKey(key);
}

DWORD DestroyOverlayEntry(const uint8_t* frame, DWORD size) {
  if (!FrameReader(frame, size).Complete()) return 0;
  EntryScope scope;
  BridgeState().DestroyOverlay();
  return 0;
}

DWORD CreateOverlayEntry(const uint8_t* frame, DWORD size) {
  FrameReader arguments(frame, size);
  const DWORD flag = arguments.Dword();
  const DWORD fourCC = arguments.Dword();
  const DWORD width = arguments.Word();
  const DWORD height = arguments.Word();
  if (!arguments.Complete()) return kStatusOtherFailure;
  EntryScope scope;
  return BridgeState().CreateOverlay(flag, fourCC, width, height);
}

DWORD CloseDirectDrawEntry(const uint8_t* frame, DWORD size) {
  if (!FrameReader(frame, size).Complete()) return 0;
  EntryScope scope;
  BridgeState().CloseDirectDraw();
  return 0;
}

DWORD OpenDirectDrawEntry(const uint8_t* frame, DWORD size) {
  if (!FrameReader(frame, size).Complete()) return kStatusOtherFailure;
  EntryScope scope;
  return BridgeState().OpenDirectDraw();
}

DWORD RestoreSurfacesEntry(const uint8_t* frame, DWORD size) {
  if (!FrameReader(frame, size).Complete()) return FALSE;
  EntryScope scope;
  return BridgeState().RestoreSurfaces();
}

}  // namespace

const ThunkEntry32 kEntryTable[kEntryCount] = {
    &ShowOverlayEntry,        &QuerySurfaceEntry,   &PositionOverlayEntry,
    &SetOverlayColorKeyEntry, &DestroyOverlayEntry, &CreateOverlayEntry,
    &CloseDirectDrawEntry,    &OpenDirectDrawEntry, &RestoreSurfacesEntry,
};

OverlayState& BridgeState() {
  static OverlayState state(ThisBridge());
  return state;
}

}  // namespace veskdd
