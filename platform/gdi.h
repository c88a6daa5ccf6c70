// The window and palette calls of the drawing layer, over one simulated
// 256-colour screen: its device context, its system palette with the palette
// use (how many entries the system keeps static), logical palettes and the
// two windows a program can ask for. The state exists once per process.
//
// A device context from GetDC is owned by the caller until ReleaseDC; a
// palette from CreatePalette until DeleteObject. Stock objects are never
// freed. Every call takes a null handle without harm and answers failure.
//
// Realizing a palette follows the system's rule: an entry without
// PC_NOCOLLAPSE whose colour the system palette already holds is mapped onto
// that slot; every other entry takes the next free slot. Free slots are those
// the palette use leaves to programs: 1 to 254 with SYSPAL_NOSTATIC, 10 to
// 245 with SYSPAL_STATIC.
//
// GdiControl at the end lets tests arrange the screen and see what happened.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win_types.h"

namespace platform {

struct Window;
using HWND = Window*;
struct DeviceContext;
using HDC = DeviceContext*;
struct GdiObject;
using HGDIOBJ = GdiObject*;
using HPALETTE = GdiObject*;
using UINT = uint32_t;

// A rectangle of the drawing layer: left and top inside, right and bottom
// just outside.
struct RECT {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
  friend constexpr bool operator==(const RECT&, const RECT&) = default;
};

struct PALETTEENTRY {
  uint8_t peRed;
  uint8_t peGreen;
  uint8_t peBlue;
  uint8_t peFlags;
  friend constexpr bool operator==(const PALETTEENTRY&, const PALETTEENTRY&) = default;
};

// Palette entry flags.
constexpr uint8_t PC_RESERVED = 0x01;
constexpr uint8_t PC_EXPLICIT = 0x02;
constexpr uint8_t PC_NOCOLLAPSE = 0x04;

// A logical palette: the header and palNumEntries entries. Callers allocate
// room for all entries behind the header (palPalEntry is the first one).
struct LOGPALETTE {
  uint16_t palVersion;  // kLogPaletteVersion
  uint16_t palNumEntries;
  PALETTEENTRY palPalEntry[1];
};
constexpr uint16_t kLogPaletteVersion = 0x300;

// Palette use of the system palette.
constexpr UINT SYSPAL_ERROR = 0;
constexpr UINT SYSPAL_STATIC = 1;
constexpr UINT SYSPAL_NOSTATIC = 2;

constexpr int DEFAULT_PALETTE = 15;
constexpr UINT GDI_ERROR = 0xFFFFFFFF;

// The device context of `window`'s area; null means the whole screen. Null
// when the screen has none to give.
HDC GetDC(HWND window);
// Gives back a device context; 1 when it was one of ours, else 0.
int ReleaseDC(HWND window, HDC dc);

UINT GetSystemPaletteUse(HDC dc);
// Sets the palette use; answers the one before, or SYSPAL_ERROR.
UINT SetSystemPaletteUse(HDC dc, UINT use);
// Copies `count` system palette entries from `start` into `entries`;
// answers the number copied (0 on failure).
UINT GetSystemPaletteEntries(HDC dc, UINT start, UINT count, PALETTEENTRY* entries);

// A new logical palette with the entries of `palette`; null when the version
// is not kLogPaletteVersion or the count is not 1 to 256.
HPALETTE CreatePalette(const LOGPALETTE* palette);
// Selects `palette` into `dc` (foreground unless `forceBackground`);
// answers the palette selected before, or null.
HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground);
// Maps the selected palette into the system palette (see above); answers
// the number of entries that took a slot, or GDI_ERROR.
UINT RealizePalette(HDC dc);
// A stock object; DEFAULT_PALETTE is the 20 static colours.
HGDIOBJ GetStockObject(int which);
// Frees a palette. FALSE for a stock object, a null or unknown handle, and
// a palette that is still selected into a device context.
BOOL DeleteObject(HGDIOBJ object);

// The window the user works in, or null when there is none.
HWND GetForegroundWindow();
// The desktop window, or null when there is none.
HWND GetDesktopWindow();

// For tests: arranges the simulated screen and reports on it.
namespace gdi_control {

// Back to the start: a screen DC and both windows exist, SYSPAL_STATIC, the
// default colours, no change on a cooperative-level call.
void Reset();
void SetScreenDCAvailable(bool available);
void SetWindows(bool foreground, bool desktop);
// Sets all 256 system palette entries (flags as given) and the palette use.
void SetSystemPalette(const std::vector<PALETTEENTRY>& entries, UINT use);
std::vector<PALETTEENTRY> SystemPalette();
// The entries of the palette most recently realized (empty before any).
std::vector<PALETTEENTRY> LastRealizedPalette();
// Device contexts handed out and not given back; palettes not deleted.
int DCsInUse();
int PalettesInUse();

// What an exclusive full-screen cooperative level does to the palette: when
// set, such a call switches the palette use to SYSPAL_STATIC and resets the
// system palette to the default colours, as a display mode change does.
void SetExclusiveModeResetsPalette(bool resets);
// Called by the display layer when a program takes the screen exclusively.
void OnExclusiveMode();

}  // namespace gdi_control
}  // namespace platform
