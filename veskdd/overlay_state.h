// The bridge's DirectDraw state and its nine operations: one DirectDraw
// object, one primary surface and one overlay surface, their descriptions,
// where the overlay was last placed and the flags it is shown with. The
// library keeps one OverlayState for the whole process (thunk_entries.h);
// the thunk entries widen the driver's 16-bit arguments and call these.
//
// The state owns one reference to each of its three objects and gives them
// back when it is destroyed, so a library unloaded without CloseDirectDraw
// leaves nothing behind on the display. Not thread-safe: the driver makes
// one call at a time.
#pragma once

#include <cstdint>

#include "platform/direct_draw.h"
#include "veskdd/bridge_variant.h"

namespace veskdd {

using platform::BOOL;
using platform::DWORD;
using platform::RECT;
using platform::WORD;

// Results of OpenDirectDraw and CreateOverlay.
constexpr WORD kStatusOk = 0;
constexpr WORD kStatusInvalidArgument = 205;
constexpr WORD kStatusOtherFailure = 206;
constexpr WORD kStatusNoHardware = 207;
constexpr WORD kStatusInvalidGuid = 208;
constexpr WORD kStatusOutOfMemory = 209;
constexpr WORD kStatusAlreadyCreated = 210;
constexpr WORD kStatusOutOfVideoMemory = 211;

// QuerySurface kinds.
constexpr DWORD kQueryPrimaryAddress = 0;
constexpr DWORD kQueryOverlayAddress = 1;
constexpr DWORD kQueryPrimaryPitch = 2;
constexpr DWORD kQueryOverlayPitch = 3;
constexpr DWORD kQueryCaps = 10;

// ShowOverlay modes; other modes keep the flags.
constexpr DWORD kShowModeHide = 0;
constexpr DWORD kShowModeShow = 1;

class OverlayState {
 public:
  explicit OverlayState(const BridgeVariant& variant);
  ~OverlayState();
  OverlayState(const OverlayState&) = delete;
  OverlayState& operator=(const OverlayState&) = delete;

  // Tears down what exists, makes the DirectDraw object, takes the screen and
  // makes the primary surface, keeping the system palette as it was. A status.
  WORD OpenDirectDraw();
  // Releases the overlay, the primary surface and the DirectDraw object.
  void CloseDirectDraw();
  // Makes a hidden overlay `width` x `height` in format `fourCC`, in place of
  // one that exists. `flag` has no effect. A status.
  WORD CreateOverlay(DWORD flag, DWORD fourCC, DWORD width, DWORD height);
  void DestroyOverlay();
  // Places the overlay with the current flags (null: the whole surface),
  // restoring lost surfaces and retrying once; remembers the rectangles.
  BOOL PositionOverlay(const RECT* source, const RECT* destination);
  // Hides (mode 0) or shows keyed (mode 1) the overlay where it was placed.
  BOOL ShowOverlay(DWORD mode);
  // Sets the primary surface's destination colour key to `key`.
  BOOL SetOverlayColorKey(DWORD key);
  // Stores the value of `kind` at `out`, which has room for OutSize(kind)
  // bytes: a 64-bit address (kinds 0, 1), a 32-bit pitch (kinds 2, 3) or the
  // DDCAPS record that `out` holds, dwSize set (kind 10). Values are stored
  // little-endian whatever the alignment of `out`.
  BOOL QuerySurface(DWORD kind, void* out);
  // Bytes QuerySurface stores for `kind`; 0 for a kind it does not know.
  static DWORD OutSize(DWORD kind);
  // Restores the lost surfaces.
  BOOL RestoreSurfaces();

  // For tests.
  DWORD overlayFlags() const { return overlayFlags_; }
  const RECT& sourceRect() const { return sourceRect_; }
  const RECT& destinationRect() const { return destinationRect_; }
  bool hasDirectDraw() const { return directDraw_ != nullptr; }
  bool hasPrimary() const { return primary_ != nullptr; }
  bool hasOverlay() const { return overlay_ != nullptr; }

 private:
  void ReleaseAll();
  platform::HRESULT Place(const RECT* source, const RECT* destination);

  const BridgeVariant& variant_;
  platform::IDirectDraw* directDraw_ = nullptr;
  platform::IDirectDrawSurface* primary_ = nullptr;
  platform::IDirectDrawSurface* overlay_ = nullptr;
  platform::DDSURFACEDESC primaryDescription_{};
  platform::DDSURFACEDESC overlayDescription_{};
  RECT sourceRect_{};
  RECT destinationRect_{};
  // A null rectangle given to PositionOverlay is remembered as null: the
  // whole surface, whatever its size is when the overlay is shown.
  bool sourceWhole_ = false;
  bool destinationWhole_ = false;
  DWORD overlayFlags_ = 0;
};

}  // namespace veskdd
