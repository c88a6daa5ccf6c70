// For tests and examples: arranges the software screen behind the display
// layer (direct_draw.h), makes its calls fail on purpose, and shows what is
// on the screen. The screen and these settings exist once per process; the
// display layer and this interface are not thread-safe (one call at a time).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/direct_draw.h"

namespace platform::display_control {

// The calls whose failures can be arranged and which are counted.
enum class DisplayCall {
  kDirectDrawCreate,
  kSetCooperativeLevel,
  kCreateSurface,
  kGetCaps,
  kUpdateOverlay,
  kSetColorKey,
  kLock,
  kUnlock,
  kIsLost,
  kRestore,
};
constexpr int kDisplayCallCount = 10;

// Back to the start: a black 640x480 screen, no arranged failures, counts
// and the call record cleared. Objects still alive stay as they are.
void Reset();
// Sets the screen size (and clears it); false while a primary surface lives
// or when a side is 0 or above 4096.
bool ConfigureScreen(DWORD width, DWORD height);
DWORD ScreenWidth();
DWORD ScreenHeight();

// The next `times` calls of `call` answer `result` without doing their work;
// a success code makes CreateSurface succeed without a surface. With
// `storesSurface`, CreateSurface does make the surface and stores it, then
// answers `result` nevertheless.
void FailCalls(DisplayCall call, HRESULT result, int times, bool storesSurface = false);
// Takes the memory of every surface away, as a display mode change does.
void LoseSurfaces();
// Calls of each kind since Reset (arranged failures included).
int CallCount(DisplayCall call);

// The arguments of the most recent UpdateOverlay call, as received.
struct UpdateOverlayCall {
  bool hasSource = false;
  RECT source{};
  bool hasDestination = false;
  RECT destination{};
  DWORD flags = 0;
  HRESULT result = 0;
};
UpdateOverlayCall LastUpdateOverlay();

// Objects not yet freed by their last Release.
int LiveDirectDraws();
int LiveSurfaces();

// Paints `rect` of the screen (clipped to it) with `colour` (0x00RRGGBB), as
// a window painting itself would.
void FillScreen(const RECT& rect, uint32_t colour);

// What the screen shows: the framebuffer, with every shown overlay drawn
// into its destination rectangle, scaled from its source rectangle, where
// the framebuffer holds the destination's colour key (everywhere in the
// rectangle without DDOVER_KEYDEST). The framebuffer itself is not changed.
struct ScreenImage {
  DWORD width = 0;
  DWORD height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, row after row
  uint32_t At(DWORD x, DWORD y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
ScreenImage ComposeScreen();

// The colour (0x00RRGGBB) of one video pixel Y, U, V (studio range).
uint32_t RgbFromYuv(uint8_t y, uint8_t u, uint8_t v);

}  // namespace platform::display_control
