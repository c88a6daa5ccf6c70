// The display layer: DirectDraw objects and surfaces over one software
// screen. DirectDrawCreate makes a DirectDraw object; it makes a primary
// surface, whose memory is the screen's framebuffer, and overlay surfaces in
// the FourCC formats of a capture board (YUY2, UYVY), whose memory it
// allocates. An overlay placed and shown with UpdateOverlay appears, scaled
// from its source to its destination rectangle, wherever the primary surface
// holds its destination colour key; display_control.h composes that picture.
//
// Interfaces follow the object model of component.h: an object lives until
// its last Release. A surface holds a reference to the DirectDraw object that
// made it, and a shown overlay one to its destination surface, so nothing is
// freed while something still points at it. Lock hands out the surface's
// memory, which stays valid until the surface is freed.
//
// The screen is 32-bit XRGB (0x00RRGGBB); its size is set with
// display_control.h, 640x480 unless told.
#pragma once

#include <cstdint>

#include "platform/component.h"
#include "platform/gdi.h"
#include "platform/win_types.h"

namespace platform {

using LONG = int32_t;

constexpr HRESULT DD_OK = 0;
constexpr HRESULT MakeDDError(uint32_t code) {
  return static_cast<HRESULT>(0x88760000u | code);
}
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005);
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001);
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDError(130);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDDError(145);
constexpr HRESULT DDERR_INVALIDRECT = MakeDDError(150);
constexpr HRESULT DDERR_NOCOLORKEY = MakeDDError(215);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MakeDDError(212);
constexpr HRESULT DDERR_NOTAOVERLAYSURFACE = MakeDDError(580);
constexpr HRESULT DDERR_NOTLOCKED = MakeDDError(584);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDDError(380);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDDError(564);
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = MakeDDError(581);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDDError(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDDError(450);
constexpr HRESULT DDERR_INVALIDDIRECTDRAWGUID = MakeDDError(561);
constexpr HRESULT DDERR_DIRECTDRAWALREADYCREATED = MakeDDError(562);
constexpr HRESULT DDERR_NODIRECTDRAWHW = MakeDDError(563);
static_assert(DDERR_OUTOFVIDEOMEMORY == static_cast<HRESULT>(0x8876017C));
static_assert(DDERR_SURFACELOST == static_cast<HRESULT>(0x887601C2));
static_assert(DDERR_NODIRECTDRAWHW == static_cast<HRESULT>(0x88760233));

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};

struct DDSCAPS {
  DWORD dwCaps;
};

struct DDPIXELFORMAT {
  DWORD dwSize;  // sizeof(DDPIXELFORMAT)
  DWORD dwFlags;
  DWORD dwFourCC;
  DWORD dwRGBBitCount;
  DWORD dwRBitMask;
  DWORD dwGBitMask;
  DWORD dwBBitMask;
  DWORD dwRGBAlphaBitMask;
};
static_assert(sizeof(DDPIXELFORMAT) == 32);

// A surface description: what CreateSurface is asked for (the fields that
// dwFlags names) and what Lock reports. Packed to 4 bytes so that its size is
// 108 whatever the size of a pointer.
#pragma pack(push, 4)
struct DDSURFACEDESC {
  DWORD dwSize;  // sizeof(DDSURFACEDESC)
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;  // bytes from one line to the next
  DWORD dwBackBufferCount;
  DWORD dwRefreshRate;
  DWORD dwAlphaBitDepth;
  void* lpSurface;  // the surface's memory, while locked
  DDCOLORKEY ddckCKDestOverlay;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS ddsCaps;
};
#pragma pack(pop)
static_assert(sizeof(DDSURFACEDESC) == 108);

// The capabilities of the display. Only 32-bit fields, so a 16-bit caller
// may hand over its own record.
struct DDCAPS {
  DWORD dwSize;  // sizeof(DDCAPS)
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCKeyCaps;
  DWORD dwFXCaps;
  DWORD dwPalCaps;
  DWORD dwVidMemTotal;
  DWORD dwVidMemFree;
  DWORD dwMaxVisibleOverlays;
  DWORD dwCurrVisibleOverlays;
  DWORD dwNumFourCCCodes;
  DWORD dwAlignBoundarySrc;
  DWORD dwAlignSizeSrc;
  DWORD dwMinOverlayStretch;  // in thousandths
  DWORD dwMaxOverlayStretch;
  DDSCAPS ddsCaps;
};
static_assert(sizeof(DDCAPS) == 64);

struct DDOVERLAYFX;  // effects are not supported; callers pass null

// DDSURFACEDESC::dwFlags.
constexpr DWORD DDSD_CAPS = 0x1;
constexpr DWORD DDSD_HEIGHT = 0x2;
constexpr DWORD DDSD_WIDTH = 0x4;
constexpr DWORD DDSD_PITCH = 0x8;
constexpr DWORD DDSD_PIXELFORMAT = 0x1000;
constexpr DWORD DDSD_LPSURFACE = 0x800;
// DDPIXELFORMAT::dwFlags.
constexpr DWORD DDPF_FOURCC = 0x4;
constexpr DWORD DDPF_RGB = 0x40;
// DDSCAPS::dwCaps.
constexpr DWORD DDSCAPS_OVERLAY = 0x80;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x4000;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x800;
// DDCAPS::dwCaps and dwCKeyCaps.
constexpr DWORD DDCAPS_COLORKEY = 0x400000;
constexpr DWORD DDCAPS_OVERLAY = 0x800;
constexpr DWORD DDCAPS_OVERLAYFOURCC = 0x2000;
constexpr DWORD DDCAPS_OVERLAYSTRETCH = 0x4000;
constexpr DWORD DDCKEYCAPS_DESTOVERLAY = 0x40;
// SetCooperativeLevel; other bits are accepted and have no effect here.
constexpr DWORD DDSCL_FULLSCREEN = 0x1;
constexpr DWORD DDSCL_NOWINDOWCHANGES = 0x4;
constexpr DWORD DDSCL_NORMAL = 0x8;
constexpr DWORD DDSCL_EXCLUSIVE = 0x10;
// UpdateOverlay.
constexpr DWORD DDOVER_HIDE = 0x200;
constexpr DWORD DDOVER_KEYDEST = 0x400;
constexpr DWORD DDOVER_SHOW = 0x4000;
// SetColorKey.
constexpr DWORD DDCKEY_COLORSPACE = 0x1;
constexpr DWORD DDCKEY_DESTOVERLAY = 0x4;

// The overlay formats, as FOURCC numbers.
constexpr DWORD kFourCCYUY2 = 0x32595559;  // "YUY2": Y0 U Y1 V
constexpr DWORD kFourCCUYVY = 0x59565955;  // "UYVY": U Y0 V Y1

class IDirectDrawSurface;

class IDirectDraw : public IUnknown {
 public:
  // Connects the object to `window` with the DDSCL flags. FULLSCREEN and
  // EXCLUSIVE go together and need a window; NORMAL excludes them. Only one
  // object of the process holds the screen exclusively.
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  // Makes a surface as `description` asks: DDSCAPS_PRIMARYSURFACE (one per
  // object) or DDSCAPS_OVERLAY with width, height and a FourCC format.
  // Stores it in *surface with one reference, or null on failure. `outer`
  // must be null.
  virtual HRESULT CreateSurface(DDSURFACEDESC* description, IDirectDrawSurface** surface,
                                IUnknown* outer) = 0;
  // Fills the records given (dwSize set by the caller) with the capabilities
  // of the hardware and of the emulation; at least one is needed.
  virtual HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) = 0;

 protected:
  ~IDirectDraw() = default;
};

class IDirectDrawSurface : public IUnknown {
 public:
  // Places an overlay: `source` inside this surface (null: all of it) onto
  // `destination` inside `destinationSurface` (null: all of it), with the
  // DDOVER flags (show, hide, key with the destination's colour key).
  // Rectangles must lie inside their surfaces unless the overlay is hidden.
  virtual HRESULT UpdateOverlay(RECT* source, IDirectDrawSurface* destinationSurface,
                                RECT* destination, DWORD flags, DDOVERLAYFX* effects) = 0;
  // Sets (or, with `key` null, clears) the colour key named by the flags.
  virtual HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
  // Locks the surface (`rect` must be null: the whole surface) and fills
  // `description` (dwSize set by the caller) with its memory and pitch.
  virtual HRESULT Lock(RECT* rect, DDSURFACEDESC* description, DWORD flags, void* event) = 0;
  // Ends a lock; `memory` is the address Lock gave, or null.
  virtual HRESULT Unlock(void* memory) = 0;
  // DD_OK, or DDERR_SURFACELOST when the memory was taken away.
  virtual HRESULT IsLost() = 0;
  // Gives a lost surface its memory back (contents undefined).
  virtual HRESULT Restore() = 0;

 protected:
  ~IDirectDrawSurface() = default;
};

// Makes a DirectDraw object for the display `driver` (null: the default one)
// and stores it in *directDraw with one reference.
HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** directDraw, IUnknown* outer);

}  // namespace platform
