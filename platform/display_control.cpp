#include "platform/display_control.h"

#include <algorithm>
#include <cstring>

#include "platform/software_display.h"
#include "platform/software_surface.h"

namespace platform::display_control {

void Reset() {
  SoftwareDisplay::Get().Reset();
}

bool ConfigureScreen(DWORD width, DWORD height) {
  return SoftwareDisplay::Get().Configure(width, height);
}

DWORD ScreenWidth() {
  return SoftwareDisplay::Get().width();
}

DWORD ScreenHeight() {
  return SoftwareDisplay::Get().height();
}

void FailCalls(DisplayCall call, HRESULT result, int times, bool storesSurface) {
  SoftwareDisplay::Get().Arrange(call, result, times, storesSurface);
}

void LoseSurfaces() {
  for (SoftwareSurface* surface : SoftwareDisplay::Get().surfaces()) surface->MarkLost();
}

int CallCount(DisplayCall call) {
  return SoftwareDisplay::Get().CallCount(call);
}

UpdateOverlayCall LastUpdateOverlay() {
  return SoftwareDisplay::Get().lastUpdateOverlay();
}

int LiveDirectDraws() {
  return SoftwareDisplay::Get().directDraws();
}

int LiveSurfaces() {
  return static_cast<int>(SoftwareDisplay::Get().surfaces().size());
}

void FillScreen(const RECT& rect, uint32_t colour) {
  SoftwareDisplay& display = SoftwareDisplay::Get();
  const auto clamp = [](int32_t value, DWORD limit) {
    return static_cast<DWORD>(std::clamp<int64_t>(value, 0, limit));
  };
  const DWORD left = clamp(rect.left, display.width());
  const DWORD right = clamp(rect.right, display.width());
  for (DWORD y = clamp(rect.top, display.height()); y < clamp(rect.bottom, display.height()); ++y) {
    uint8_t* line = display.framebuffer() + static_cast<size_t>(y) * display.pitch();
    for (DWORD x = left; x < right; ++x) std::memcpy(line + x * 4, &colour, sizeof colour);
  }
}

ScreenImage ComposeScreen() {
  SoftwareDisplay& display = SoftwareDisplay::Get();
  ScreenImage image;
  image.width = display.width();
  image.height = display.height();
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  for (DWORD y = 0; y < image.height; ++y)
    std::memcpy(&image.pixels[static_cast<size_t>(y) * image.width],
                display.framebuffer() + static_cast<size_t>(y) * display.pitch(),
                static_cast<size_t>(image.width) * 4);
  for (const SoftwareSurface* surface : display.surfaces()) surface->ComposeInto(image);
  return image;
}

uint32_t RgbFromYuv(uint8_t y, uint8_t u, uint8_t v) {
  // Studio-range video to full-range RGB, in 1/256 steps.
  const int c = 298 * (y - 16);
  const int d = u - 128;
  const int e = v - 128;
  const auto clip = [](int value) {
    return static_cast<uint32_t>(std::clamp((value + 128) >> 8, 0, 255));
  };
  return clip(c + 409 * e) << 16 | clip(c - 100 * d - 208 * e) << 8 | clip(c + 516 * d);
}

}  // namespace platform::display_control
