#include "platform/direct_draw.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/display_control.h"

namespace platform {
namespace {

using display_control::DisplayCall;

constexpr uint32_t kKey = 0x00FF00;

DDSURFACEDESC PrimaryDescription() {
  DDSURFACEDESC description{};
  description.dwSize = sizeof description;
  description.dwFlags = DDSD_CAPS;
  description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  return description;
}

DDSURFACEDESC OverlayDescription(DWORD width, DWORD height, DWORD fourCC) {
  DDSURFACEDESC description{};
  description.dwSize = sizeof description;
  description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  description.dwWidth = width;
  description.dwHeight = height;
  description.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  description.ddpfPixelFormat.dwFlags = DDPF_FOURCC;
  description.ddpfPixelFormat.dwFourCC = fourCC;
  description.ddsCaps.dwCaps = DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY;
  return description;
}

// A DirectDraw object at the normal level with a primary surface.
class DirectDrawTest : public testing::Test {
 protected:
  void SetUp() override {
    display_control::Reset();
    ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw_, nullptr), DD_OK);
    ASSERT_EQ(directDraw_->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    DDSURFACEDESC description = PrimaryDescription();
    ASSERT_EQ(directDraw_->CreateSurface(&description, &primary_, nullptr), DD_OK);
  }
  void TearDown() override {
    if (primary_ != nullptr) primary_->Release();
    if (directDraw_ != nullptr) directDraw_->Release();
    EXPECT_EQ(display_control::LiveSurfaces(), 0);
    EXPECT_EQ(display_control::LiveDirectDraws(), 0);
  }

  IDirectDrawSurface* MakeOverlay(DWORD width, DWORD height, DWORD fourCC) {
    DDSURFACEDESC description = OverlayDescription(width, height, fourCC);
    IDirectDrawSurface* overlay = nullptr;
    EXPECT_EQ(directDraw_->CreateSurface(&description, &overlay, nullptr), DD_OK);
    return overlay;
  }

  IDirectDraw* directDraw_ = nullptr;
  IDirectDrawSurface* primary_ = nullptr;
};

TEST_F(DirectDrawTest, LockHandsOutTheMemoryAndPitchOfEachSurface) {
  DDSURFACEDESC description{};
  description.dwSize = sizeof description;
  ASSERT_EQ(primary_->Lock(nullptr, &description, 0, nullptr), DD_OK);
  EXPECT_EQ(description.dwWidth, 640u);
  EXPECT_EQ(description.lPitch, 2560);
  EXPECT_EQ(description.ddpfPixelFormat.dwRGBBitCount, 32u);
  std::memset(description.lpSurface, 0x11, 2560 * 480);  // the whole framebuffer is ours
  EXPECT_EQ(primary_->Lock(nullptr, &description, 0, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(primary_->Unlock(description.lpSurface), DD_OK);
  EXPECT_EQ(primary_->Unlock(nullptr), DDERR_NOTLOCKED);
  EXPECT_EQ(display_control::ComposeScreen().At(639, 479), 0x11111111u);

  IDirectDrawSurface* overlay = MakeOverlay(100, 10, kFourCCUYVY);
  ASSERT_EQ(overlay->Lock(nullptr, &description, 0, nullptr), DD_OK);
  EXPECT_EQ(description.lPitch, 256);  // 200 bytes a line, aligned to 64
  EXPECT_EQ(description.ddpfPixelFormat.dwFourCC, kFourCCUYVY);
  std::memset(description.lpSurface, 0x22, 256 * 10);
  EXPECT_EQ(overlay->Unlock(nullptr), DD_OK);

  display_control::LoseSurfaces();
  EXPECT_EQ(overlay->Lock(nullptr, &description, 0, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(overlay->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(overlay->Restore(), DD_OK);
  EXPECT_EQ(overlay->IsLost(), DD_OK);
  description.dwSize = 100;
  EXPECT_EQ(overlay->Lock(nullptr, &description, 0, nullptr), DDERR_INVALIDPARAMS);
  overlay->Release();
}

TEST_F(DirectDrawTest, CreateSurfaceRefusesWhatItCannotMake) {
  struct Case {
    const char* name;
    DDSURFACEDESC description;
    HRESULT result;
  };
  const Case cases[] = {
      {"second primary", PrimaryDescription(), DDERR_PRIMARYSURFACEALREADYEXISTS},
      {"unknown format", OverlayDescription(64, 48, 0x30323449), DDERR_INVALIDPIXELFORMAT},
      {"odd width", OverlayDescription(63, 48, kFourCCYUY2), DDERR_INVALIDPARAMS},
      {"no width", OverlayDescription(0, 48, kFourCCYUY2), DDERR_INVALIDPARAMS},
      {"beyond video memory", OverlayDescription(4096, 4096, kFourCCYUY2), DDERR_OUTOFVIDEOMEMORY},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.name);
    IDirectDrawSurface* surface = primary_;  // overwritten with null
    EXPECT_EQ(directDraw_->CreateSurface(&c.description, &surface, nullptr), c.result);
    EXPECT_EQ(surface, nullptr);
  }
  IDirectDraw* other = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &other, nullptr), DD_OK);
  DDSURFACEDESC description = PrimaryDescription();
  IDirectDrawSurface* surface = nullptr;
  EXPECT_EQ(other->CreateSurface(&description, &surface, nullptr), DDERR_NOCOOPERATIVELEVELSET);
  other->Release();
}

TEST_F(DirectDrawTest, ObjectsLiveUntilTheirLastReferenceAndTheScreenIsHeldOnce) {
  HWND window = GetForegroundWindow();
  constexpr DWORD kExclusive = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;
  ASSERT_EQ(directDraw_->SetCooperativeLevel(window, kExclusive), DD_OK);
  IDirectDraw* other = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &other, nullptr), DD_OK);
  EXPECT_EQ(other->SetCooperativeLevel(window, kExclusive), DDERR_EXCLUSIVEMODEALREADYSET);
  EXPECT_EQ(other->SetCooperativeLevel(nullptr, kExclusive), DDERR_INVALIDPARAMS);

  // The primary surface keeps its object (and so the screen) alive.
  directDraw_->Release();
  directDraw_ = nullptr;
  EXPECT_EQ(display_control::LiveDirectDraws(), 2);
  EXPECT_EQ(other->SetCooperativeLevel(window, kExclusive), DDERR_EXCLUSIVEMODEALREADYSET);
  primary_->Release();
  primary_ = nullptr;
  EXPECT_EQ(display_control::LiveDirectDraws(), 1);
  EXPECT_EQ(other->SetCooperativeLevel(window, kExclusive), DD_OK);
  other->Release();
}

TEST_F(DirectDrawTest, UpdateOverlayRefusesRectanglesOutsideItsSurfaces) {
  IDirectDrawSurface* overlay = MakeOverlay(64, 48, kFourCCYUY2);
  RECT good{0, 0, 64, 48};
  struct Case {
    RECT source;
    RECT destination;
  };
  const Case cases[] = {
      {{0, 0, 65, 48}, good},       {{0, 0, 64, 48}, {65528, 0, 56, 48}},
      {good, {600, 400, 700, 480}}, {good, {10, 10, 10, 20}},
      {good, {-8, 0, 56, 48}},      {{32, 0, 16, 48}, good},
  };
  for (Case c : cases) {
    EXPECT_EQ(overlay->UpdateOverlay(&c.source, primary_, &c.destination, DDOVER_SHOW, nullptr),
              DDERR_INVALIDRECT);
    // Hiding ignores rectangles.
    EXPECT_EQ(overlay->UpdateOverlay(&c.source, primary_, &c.destination, DDOVER_HIDE, nullptr),
              DD_OK);
  }
  EXPECT_EQ(overlay->UpdateOverlay(&good, primary_, &good, DDOVER_SHOW | DDOVER_HIDE, nullptr),
            DDERR_INVALIDPARAMS);
  EXPECT_EQ(primary_->UpdateOverlay(&good, overlay, &good, DDOVER_SHOW, nullptr),
            DDERR_NOTAOVERLAYSURFACE);
  EXPECT_EQ(overlay->UpdateOverlay(&good, primary_, &good, DDOVER_SHOW, nullptr), DD_OK);
  overlay->Release();
}

TEST_F(DirectDrawTest, ComposeScalesTheOverlayOntoTheKeyedPixels) {
  struct Case {
    DWORD fourCC;
    uint8_t pair[4];  // one pair of pixels: two lumas, one U, one V
  };
  const Case cases[] = {
      {kFourCCYUY2, {81, 90, 145, 240}},  // Y0 U Y1 V
      {kFourCCUYVY, {90, 81, 240, 145}},  // U Y0 V Y1
  };
  const uint32_t left = display_control::RgbFromYuv(81, 90, 240);
  const uint32_t right = display_control::RgbFromYuv(145, 90, 240);
  for (const Case& c : cases) {
    display_control::FillScreen(RECT{0, 0, 640, 480}, 0);
    display_control::FillScreen(RECT{10, 10, 18, 14}, kKey);
    IDirectDrawSurface* overlay = MakeOverlay(2, 1, c.fourCC);
    DDSURFACEDESC description{};
    description.dwSize = sizeof description;
    ASSERT_EQ(overlay->Lock(nullptr, &description, 0, nullptr), DD_OK);
    std::memcpy(description.lpSurface, c.pair, 4);
    overlay->Unlock(nullptr);
    DDCOLORKEY key{kKey, kKey};
    ASSERT_EQ(primary_->SetColorKey(DDCKEY_DESTOVERLAY, &key), DD_OK);
    RECT source{0, 0, 2, 1};
    RECT destination{10, 10, 22, 16};  // six times as large, partly unkeyed
    ASSERT_EQ(overlay->UpdateOverlay(&source, primary_, &destination, DDOVER_SHOW | DDOVER_KEYDEST,
                                     nullptr),
              DD_OK);
    const display_control::ScreenImage screen = display_control::ComposeScreen();
    EXPECT_EQ(screen.At(10, 10), left);
    EXPECT_EQ(screen.At(15, 13), left);
    EXPECT_EQ(screen.At(16, 10), right);
    EXPECT_EQ(screen.At(17, 13), right);
    EXPECT_EQ(screen.At(18, 10), 0u);  // inside the destination, not keyed
    EXPECT_EQ(screen.At(10, 14), 0u);
    EXPECT_EQ(screen.At(9, 10), 0u);
    overlay->Release();
    EXPECT_EQ(display_control::ComposeScreen().At(10, 10), kKey);  // gone with the overlay
  }
}

TEST_F(DirectDrawTest, ArrangedFailuresAnswerTheirCodeOnce) {
  display_control::FailCalls(DisplayCall::kDirectDrawCreate, DDERR_NODIRECTDRAWHW, 1);
  IDirectDraw* other = nullptr;
  EXPECT_EQ(DirectDrawCreate(nullptr, &other, nullptr), DDERR_NODIRECTDRAWHW);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(DirectDrawCreate(nullptr, &other, nullptr), DD_OK);
  other->Release();

  display_control::FailCalls(DisplayCall::kCreateSurface, DDERR_OUTOFVIDEOMEMORY, 1, true);
  DDSURFACEDESC description = OverlayDescription(64, 48, kFourCCYUY2);
  IDirectDrawSurface* overlay = nullptr;
  EXPECT_EQ(directDraw_->CreateSurface(&description, &overlay, nullptr), DDERR_OUTOFVIDEOMEMORY);
  ASSERT_NE(overlay, nullptr);  // stored nevertheless
  overlay->Release();

  DDCAPS caps{};
  caps.dwSize = sizeof caps;
  display_control::FailCalls(DisplayCall::kGetCaps, DDERR_GENERIC, 1);
  EXPECT_EQ(directDraw_->GetCaps(&caps, nullptr), DDERR_GENERIC);
  EXPECT_EQ(directDraw_->GetCaps(&caps, nullptr), DD_OK);
  EXPECT_EQ(display_control::CallCount(DisplayCall::kGetCaps), 2);
}

}  // namespace
}  // namespace platform
