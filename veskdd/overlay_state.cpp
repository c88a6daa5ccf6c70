#include "veskdd/overlay_state.h"

#include <cstddef>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/gdi.h"

namespace veskdd {

using namespace platform;

namespace {

constexpr DWORD kExclusiveLevel = DDSCL_FULLSCREEN | DDSCL_NOWINDOWCHANGES | DDSCL_EXCLUSIVE;
constexpr DWORD kSharedLevelBit = 0x20;  // asked for with the normal level; no effect here
constexpr DWORD kNormalLevel = DDSCL_NORMAL | DDSCL_NOWINDOWCHANGES | kSharedLevelBit;
constexpr DWORD kOverlayDescriptionFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
constexpr DWORD kOverlayCaps = DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY;
constexpr int kLockAttempts = 7;
constexpr UINT kPaletteEntries = 256;

static_assert(kExclusiveLevel == 0x15 && kNormalLevel == 0x2C &&
              kOverlayDescriptionFlags == 0x1007 && kOverlayCaps == 0x4080);

// The status that the driver sees for a failed DirectDraw call; 211 only
// where the primary surface could not be made.
WORD StatusFor(HRESULT result, bool makingPrimary) {
  switch (result) {
    case E_INVALIDARG:
      return kStatusInvalidArgument;
    case E_OUTOFMEMORY:
      return kStatusOutOfMemory;
    case DDERR_INVALIDDIRECTDRAWGUID:
      return kStatusInvalidGuid;
    case DDERR_DIRECTDRAWALREADYCREATED:
      return kStatusAlreadyCreated;
    case DDERR_NODIRECTDRAWHW:
      return kStatusNoHardware;
    case DDERR_OUTOFVIDEOMEMORY:
      return makingPrimary ? kStatusOutOfVideoMemory : kStatusOtherFailure;
    default:
      return kStatusOtherFailure;
  }
}

template <typename T>
void Release(T*& object) {
  if (object == nullptr) return;
  object->Release();
  object = nullptr;
}

// A logical palette with room for all 256 entries behind its header.
class FullPalette {
 public:
  FullPalette() {
    header()->palVersion = kLogPaletteVersion;
    header()->palNumEntries = kPaletteEntries;
  }
  LOGPALETTE* header() { return reinterpret_cast<LOGPALETTE*>(bytes_); }
  PALETTEENTRY* entries() {
    return reinterpret_cast<PALETTEENTRY*>(bytes_ + offsetof(LOGPALETTE, palPalEntry));
  }

 private:
  alignas(LOGPALETTE) uint8_t
      bytes_[offsetof(LOGPALETTE, palPalEntry) + kPaletteEntries * sizeof(PALETTEENTRY)] = {};
};

// The system palette as a logical palette whose entries 1 to 254 may not be
// collapsed onto others, so that realizing it puts every colour back into
// its own slot; entries 0 and 255 keep their flags.
HPALETTE SaveSystemPalette(HDC screen) {
  FullPalette palette;
  GetSystemPaletteEntries(screen, 0, kPaletteEntries, palette.entries());
  for (UINT i = 1; i + 1 < kPaletteEntries; ++i) palette.entries()[i].peFlags |= PC_NOCOLLAPSE;
  return CreatePalette(palette.header());
}

}  // namespace

OverlayState::OverlayState(const BridgeVariant& variant) : variant_(variant) {}

OverlayState::~OverlayState() {
  ReleaseAll();
}

void OverlayState::ReleaseAll() {
  Release(overlay_);
  Release(primary_);
  Release(directDraw_);
}

WORD OverlayState::OpenDirectDraw() {
  if (directDraw_ != nullptr) ReleaseAll();
  HDC screen = GetDC(nullptr);
  if (screen == nullptr && variant_.refusesWithoutScreen) return kStatusOtherFailure;
  const UINT paletteUse = GetSystemPaletteUse(screen);
  HPALETTE saved = paletteUse == SYSPAL_NOSTATIC ? SaveSystemPalette(screen) : nullptr;

  HRESULT result = DirectDrawCreate(nullptr, &directDraw_, nullptr);
  HWND window = GetForegroundWindow();
  if (window == nullptr) window = GetDesktopWindow();
  if (window == nullptr && variant_.refusesWithoutScreen) {
    ReleaseDC(nullptr, screen);
    if (saved != nullptr) DeleteObject(saved);
    return kStatusOtherFailure;
  }
  if (SUCCEEDED(result)) {
    result = directDraw_->SetCooperativeLevel(window, kExclusiveLevel);
    if (SUCCEEDED(result))
      result = directDraw_->SetCooperativeLevel(GetDesktopWindow(), kNormalLevel);
  }

  // Taking the screen may have changed the palette use; put it and the
  // colours back.
  if (GetSystemPaletteUse(screen) != paletteUse) {
    SetSystemPaletteUse(screen, paletteUse);
    if (saved != nullptr) {
      SelectPalette(screen, saved, FALSE);
      RealizePalette(screen);
      SelectPalette(screen, GetStockObject(DEFAULT_PALETTE), FALSE);
    }
  }
  if (saved != nullptr) DeleteObject(saved);
  ReleaseDC(nullptr, screen);
  if (FAILED(result)) return StatusFor(result, false);

  primaryDescription_ = DDSURFACEDESC{};
  primaryDescription_.dwSize = sizeof(DDSURFACEDESC);
  primaryDescription_.dwFlags = DDSD_CAPS;
  primaryDescription_.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  result = directDraw_->CreateSurface(&primaryDescription_, &primary_, nullptr);
  if (SUCCEEDED(result)) return primary_ != nullptr ? kStatusOk : kStatusOtherFailure;
  return primary_ != nullptr ? StatusFor(result, true) : kStatusOtherFailure;
}

void OverlayState::CloseDirectDraw() {
  // An overlay the driver did not destroy goes first: it belongs to the
  // DirectDraw object being closed.
  ReleaseAll();
}

WORD OverlayState::CreateOverlay(DWORD, DWORD fourCC, DWORD width, DWORD height) {
  overlayDescription_ = DDSURFACEDESC{};
  overlayDescription_.dwSize = sizeof(DDSURFACEDESC);
  overlayDescription_.dwFlags = kOverlayDescriptionFlags;
  overlayDescription_.dwHeight = height;
  overlayDescription_.dwWidth = width;
  overlayDescription_.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  overlayDescription_.ddpfPixelFormat.dwFlags = DDPF_FOURCC;
  overlayDescription_.ddpfPixelFormat.dwFourCC = fourCC;
  overlayDescription_.ddsCaps.dwCaps = kOverlayCaps;
  if (directDraw_ == nullptr) return kStatusOtherFailure;
  Release(overlay_);  // one overlay at a time: a new one replaces the old
  const HRESULT result = directDraw_->CreateSurface(&overlayDescription_, &overlay_, nullptr);
  if (SUCCEEDED(result) && overlay_ != nullptr) {
    overlayFlags_ = DDOVER_HIDE;
    return kStatusOk;
  }
  return overlay_ != nullptr ? StatusFor(result, false) : kStatusOtherFailure;
}

void OverlayState::DestroyOverlay() {
  Release(overlay_);
}

HRESULT OverlayState::Place(const RECT* source, const RECT* destination) {
  // UpdateOverlay takes writable rectangles; hand it copies.
  RECT from = source != nullptr ? *source : RECT{};
  RECT to = destination != nullptr ? *destination : RECT{};
  return overlay_->UpdateOverlay(source != nullptr ? &from : nullptr, primary_,
                                 destination != nullptr ? &to : nullptr, overlayFlags_, nullptr);
}

BOOL OverlayState::PositionOverlay(const RECT* source, const RECT* destination) {
  if (primary_ == nullptr || overlay_ == nullptr) return FALSE;
  if (FAILED(Place(source, destination))) {
    for (IDirectDrawSurface* surface : {primary_, overlay_})
      if (surface->IsLost() == DDERR_SURFACELOST && surface->Restore() != DD_OK) return FALSE;
    if (FAILED(Place(source, destination))) return FALSE;
  }
  sourceWhole_ = source == nullptr;
  sourceRect_ = source != nullptr ? *source : RECT{};
  destinationWhole_ = destination == nullptr;
  destinationRect_ = destination != nullptr ? *destination : RECT{};
  return TRUE;
}

BOOL OverlayState::ShowOverlay(DWORD mode) {
  if (overlay_ == nullptr || primary_ == nullptr) return FALSE;
  if (mode == kShowModeHide) overlayFlags_ = DDOVER_HIDE;
  if (mode == kShowModeShow) overlayFlags_ = DDOVER_SHOW | DDOVER_KEYDEST;
  return SUCCEEDED(Place(sourceWhole_ ? nullptr : &sourceRect_,
                         destinationWhole_ ? nullptr : &destinationRect_))
             ? TRUE
             : FALSE;
}

BOOL OverlayState::SetOverlayColorKey(DWORD key) {
  if (primary_ == nullptr) return FALSE;
  DDCOLORKEY colorKey{key, key};
  return SUCCEEDED(primary_->SetColorKey(DDCKEY_DESTOVERLAY, &colorKey)) ? TRUE : FALSE;
}

DWORD OverlayState::OutSize(DWORD kind) {
  switch (kind) {
    case kQueryPrimaryAddress:
    case kQueryOverlayAddress:
      return sizeof(uint64_t);
    case kQueryPrimaryPitch:
    case kQueryOverlayPitch:
      return sizeof(uint32_t);
    case kQueryCaps:
      return sizeof(DDCAPS);
    default:
      return 0;
  }
}

BOOL OverlayState::QuerySurface(DWORD kind, void* out) {
  auto* bytes = static_cast<uint8_t*>(out);
  if (OutSize(kind) == 0 || bytes == nullptr) return FALSE;
  if (kind == kQueryCaps) {
    if (directDraw_ == nullptr) return FALSE;
    // The caller's record may sit anywhere in its segment: fill an aligned
    // copy, which keeps the caller's dwSize, and copy it back on success.
    DDCAPS caps;
    std::memcpy(&caps, bytes, sizeof caps);
    if (FAILED(directDraw_->GetCaps(&caps, nullptr))) return FALSE;
    std::memcpy(bytes, &caps, sizeof caps);
    return TRUE;
  }
  const bool ofOverlay = kind == kQueryOverlayAddress || kind == kQueryOverlayPitch;
  if (primary_ == nullptr || (ofOverlay && overlay_ == nullptr)) return FALSE;
  IDirectDrawSurface* surface = ofOverlay ? overlay_ : primary_;
  DDSURFACEDESC& description = ofOverlay ? overlayDescription_ : primaryDescription_;
  for (int attempt = 0; attempt < kLockAttempts; ++attempt)
    if (SUCCEEDED(surface->Lock(nullptr, &description, 0, nullptr))) break;
  if (FAILED(surface->Unlock(description.lpSurface))) return FALSE;
  if (kind == kQueryPrimaryAddress || kind == kQueryOverlayAddress) {
    const auto address = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(description.lpSurface));
    WriteLE32(bytes, static_cast<uint32_t>(address));
    WriteLE32(bytes + 4, static_cast<uint32_t>(address >> 32));
  } else {
    WriteLE32(bytes, static_cast<uint32_t>(description.lPitch));
  }
  return TRUE;
}

BOOL OverlayState::RestoreSurfaces() {
  if (directDraw_ == nullptr) return FALSE;
  for (IDirectDrawSurface* surface : {primary_, overlay_})
    if (surface != nullptr && surface->IsLost() == DDERR_SURFACELOST && surface->Restore() != DD_OK)
      return FALSE;
  return TRUE;
}

}  // namespace veskdd
