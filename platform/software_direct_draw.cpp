#include "platform/software_direct_draw.h"

#include <cstring>

#include "platform/display_control.h"
#include "platform/gdi.h"
#include "platform/software_display.h"
#include "platform/software_surface.h"

namespace platform {

using display_control::DisplayCall;

namespace {

constexpr DWORD kOverlayFormats = 2;  // YUY2 and UYVY
constexpr DWORD kMinStretch = 1;      // thousandths: 1/1000 to 1000 times
constexpr DWORD kMaxStretch = 1000000;

DDCAPS HardwareCaps(const SoftwareDisplay& display) {
  DDCAPS caps{};
  caps.dwSize = sizeof caps;
  caps.dwCaps = DDCAPS_OVERLAY | DDCAPS_OVERLAYFOURCC | DDCAPS_OVERLAYSTRETCH | DDCAPS_COLORKEY;
  caps.dwCKeyCaps = DDCKEYCAPS_DESTOVERLAY;
  caps.dwVidMemTotal = display.videoMemoryTotal();
  caps.dwVidMemFree = display.videoMemoryFree();
  caps.dwMaxVisibleOverlays = 1;
  for (const SoftwareSurface* surface : display.surfaces())
    if (surface->shown()) caps.dwCurrVisibleOverlays = 1;
  caps.dwNumFourCCCodes = kOverlayFormats;
  caps.dwAlignBoundarySrc = 2;
  caps.dwAlignSizeSrc = 2;
  caps.dwMinOverlayStretch = kMinStretch;
  caps.dwMaxOverlayStretch = kMaxStretch;
  caps.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY;
  return caps;
}

}  // namespace

SoftwareDirectDraw::SoftwareDirectDraw() {
  SoftwareDisplay::Get().AddDirectDraw();
}

SoftwareDirectDraw::~SoftwareDirectDraw() {
  SoftwareDisplay& display = SoftwareDisplay::Get();
  if (display.exclusiveOwner() == this) display.set_exclusiveOwner(nullptr);
  display.RemoveDirectDraw();
}

HRESULT SoftwareDirectDraw::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid != IID_IUnknown) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  *out = static_cast<IUnknown*>(this);
  return S_OK;
}

ULONG SoftwareDirectDraw::AddRef() {
  return ++references_;
}

ULONG SoftwareDirectDraw::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT SoftwareDirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
  SoftwareDisplay& display = SoftwareDisplay::Get();
  HRESULT arranged = DD_OK;
  if (display.Arranged(DisplayCall::kSetCooperativeLevel, &arranged)) return arranged;
  const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
  const bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
  const bool normal = (flags & DDSCL_NORMAL) != 0;
  if (exclusive != fullScreen || normal == exclusive || (exclusive && window == nullptr))
    return DDERR_INVALIDPARAMS;
  if (exclusive) {
    if (display.exclusiveOwner() != nullptr && display.exclusiveOwner() != this)
      return DDERR_EXCLUSIVEMODEALREADYSET;
    display.set_exclusiveOwner(this);
    gdi_control::OnExclusiveMode();
  } else if (display.exclusiveOwner() == this) {
    display.set_exclusiveOwner(nullptr);
  }
  levelSet_ = true;
  return DD_OK;
}

HRESULT SoftwareDirectDraw::CreateSurface(DDSURFACEDESC* description, IDirectDrawSurface** surface,
                                          IUnknown* outer) {
  if (surface == nullptr) return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  HRESULT arranged = DD_OK;
  bool storesSurface = false;
  const bool failing =
      SoftwareDisplay::Get().Arranged(DisplayCall::kCreateSurface, &arranged, &storesSurface);
  if (failing && !storesSurface) return arranged;
  if (description == nullptr || description->dwSize != sizeof(DDSURFACEDESC))
    return DDERR_INVALIDPARAMS;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  SoftwareSurface* made = nullptr;
  const HRESULT result = Make(*description, &made);
  *surface = made;
  return failing && made != nullptr ? arranged : result;
}

HRESULT SoftwareDirectDraw::Make(const DDSURFACEDESC& description, SoftwareSurface** surface) {
  if (!levelSet_) return DDERR_NOCOOPERATIVELEVELSET;
  if ((description.dwFlags & DDSD_CAPS) == 0) return DDERR_INVALIDPARAMS;
  const DWORD caps = description.ddsCaps.dwCaps;
  if ((caps & DDSCAPS_PRIMARYSURFACE) != 0 && (caps & DDSCAPS_OVERLAY) == 0) {
    if (hasPrimary_) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    hasPrimary_ = true;
    *surface = SoftwareSurface::MakePrimary(this);
    return DD_OK;
  }
  if ((caps & DDSCAPS_OVERLAY) == 0 || (caps & DDSCAPS_PRIMARYSURFACE) != 0)
    return DDERR_INVALIDPARAMS;
  constexpr DWORD kNeeded = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  if ((description.dwFlags & kNeeded) != kNeeded) return DDERR_INVALIDPARAMS;
  const DDPIXELFORMAT& format = description.ddpfPixelFormat;
  if (format.dwSize != sizeof(DDPIXELFORMAT) || (format.dwFlags & DDPF_FOURCC) == 0)
    return DDERR_INVALIDPIXELFORMAT;
  HRESULT result = DD_OK;
  *surface = SoftwareSurface::MakeOverlay(this, description.dwWidth, description.dwHeight,
                                          format.dwFourCC, &result);
  return result;
}

HRESULT SoftwareDirectDraw::GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) {
  SoftwareDisplay& display = SoftwareDisplay::Get();
  HRESULT arranged = DD_OK;
  if (display.Arranged(DisplayCall::kGetCaps, &arranged)) return arranged;
  if (driverCaps == nullptr && emulationCaps == nullptr) return DDERR_INVALIDPARAMS;
  if ((driverCaps != nullptr && driverCaps->dwSize != sizeof(DDCAPS)) ||
      (emulationCaps != nullptr && emulationCaps->dwSize != sizeof(DDCAPS)))
    return DDERR_INVALIDPARAMS;
  if (driverCaps != nullptr) *driverCaps = HardwareCaps(display);
  if (emulationCaps != nullptr) {
    *emulationCaps = DDCAPS{};
    emulationCaps->dwSize = sizeof(DDCAPS);
  }
  return DD_OK;
}

HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** directDraw, IUnknown* outer) {
  if (directDraw == nullptr) return DDERR_INVALIDPARAMS;
  *directDraw = nullptr;
  HRESULT arranged = DD_OK;
  if (SoftwareDisplay::Get().Arranged(DisplayCall::kDirectDrawCreate, &arranged)) return arranged;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (driver != nullptr) return DDERR_INVALIDDIRECTDRAWGUID;  // only the default display
  *directDraw = new SoftwareDirectDraw;
  return DD_OK;
}

}  // namespace platform
