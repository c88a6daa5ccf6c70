// veskdd-demo: drives a bridge library as the capture driver does and writes
// what the screen then shows as a PNG.
//
//   veskdd-demo OUT.png [--codec]
//
// It connects to veskdd (veskcddd with --codec), opens DirectDraw, paints a
// desktop with a window whose client area has the key colour and a small box
// over it, creates a YUY2 overlay, fills it with colour bars through the
// address QuerySurface gives, places it on the client area, sets the key,
// shows it and composes the screen. The bars appear only where the key
// colour is: inside the client area, not on the box.
#include <QImage>
#include <cstdio>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/direct_draw.h"
#include "platform/display_control.h"
#include "veskdd/driver_harness.h"

namespace {

using namespace veskdd;

constexpr uint32_t kDesktop = 0x3A6EA5;
constexpr uint32_t kFrame = 0x303848;
constexpr uint32_t kKey = 0xFF00FF;
constexpr uint32_t kBox = 0xFFFFE1;
constexpr WORD kOverlayWidth = 320;
constexpr WORD kOverlayHeight = 240;
constexpr Rect16 kWindow{100, 60, 540, 420};
constexpr Rect16 kClient{110, 90, 530, 410};
constexpr Rect16 kBoxRect{380, 330, 520, 395};

// 75% colour bars (white, yellow, cyan, green, magenta, red, blue, black)
// as studio-range Y, U, V.
constexpr uint8_t kBars[8][3] = {{180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
                                 {84, 184, 198},  {65, 100, 212}, {35, 212, 114}, {16, 128, 128}};

void Paint(uint8_t* screen, uint32_t pitch, const Rect16& rect, uint32_t colour) {
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x)
      std::memcpy(screen + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * 4, &colour, 4);
}

void FillColourBars(uint8_t* overlay, uint32_t pitch) {
  for (int y = 0; y < kOverlayHeight; ++y) {
    uint8_t* line = overlay + static_cast<size_t>(y) * pitch;
    for (int x = 0; x < kOverlayWidth; x += 2) {
      const uint8_t* bar = kBars[x * 8 / kOverlayWidth];
      const uint8_t pair[4] = {bar[0], bar[1], bar[0], bar[2]};  // Y0 U Y1 V
      std::memcpy(line + x * 2, pair, sizeof pair);
    }
  }
}

int Fail(const char* what, unsigned long code) {
  std::fprintf(stderr, "veskdd-demo: %s failed (%lu)\n", what, code);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--codec") != 0)) {
    std::fprintf(stderr, "usage: veskdd-demo OUT.png [--codec]\n");
    return 2;
  }
  const bool codec = argc == 3;
  DriverHarness driver(codec ? "veskCDC.DRV" : "veskCAP.DRV",
                       codec ? "veskcddd.DLL" : "veskdd.DLL");
  if (!driver.Connect()) return Fail("connecting to the library", 0);
  if (DWORD status = driver.OpenDirectDraw(); status != 0) return Fail("OpenDirectDraw", status);

  uint8_t* screen = driver.QueryAddress(0);
  const uint32_t screenPitch = driver.QueryPitch(2);
  if (screen == nullptr || screenPitch == 0) return Fail("QuerySurface of the primary", 0);
  const Rect16 everything{0, 0, static_cast<int16_t>(platform::display_control::ScreenWidth()),
                          static_cast<int16_t>(platform::display_control::ScreenHeight())};
  Paint(screen, screenPitch, everything, kDesktop);
  Paint(screen, screenPitch, kWindow, kFrame);
  Paint(screen, screenPitch, kClient, kKey);
  Paint(screen, screenPitch, kBoxRect, kBox);

  if (DWORD status = driver.CreateOverlay(0, platform::kFourCCYUY2, kOverlayWidth, kOverlayHeight);
      status != 0)
    return Fail("CreateOverlay", status);
  uint8_t* overlay = driver.QueryAddress(1);
  const uint32_t overlayPitch = driver.QueryPitch(3);
  if (overlay == nullptr || overlayPitch == 0) return Fail("QuerySurface of the overlay", 0);
  FillColourBars(overlay, overlayPitch);

  const Rect16 source{0, 0, kOverlayWidth, kOverlayHeight};
  if (!driver.PositionOverlay(&source, &kClient)) return Fail("PositionOverlay", 0);
  if (!driver.SetOverlayColorKey(kKey)) return Fail("SetOverlayColorKey", 0);
  if (!driver.ShowOverlay(1)) return Fail("ShowOverlay", 0);

  const platform::display_control::ScreenImage shown = platform::display_control::ComposeScreen();
  QImage image(static_cast<int>(shown.width), static_cast<int>(shown.height), QImage::Format_RGB32);
  for (platform::DWORD y = 0; y < shown.height; ++y)
    for (platform::DWORD x = 0; x < shown.width; ++x)
      image.setPixel(static_cast<int>(x), static_cast<int>(y), 0xFF000000u | shown.At(x, y));

  driver.DestroyOverlay();
  driver.CloseDirectDraw();
  driver.Disconnect();
  if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) return Fail("writing the PNG", 0);
  std::printf("%s: %ux%u screen, overlay %ux%u YUY2 shown at (%d,%d)-(%d,%d)\n", argv[1],
              shown.width, shown.height, kOverlayWidth, kOverlayHeight, kClient.left, kClient.top,
              kClient.right, kClient.bottom);
  return 0;
}
