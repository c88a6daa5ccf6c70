#include "veskdd/overlay_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/byte_order.h"
#include "platform/display_control.h"
#include "platform/gdi.h"

namespace veskdd {
namespace {

using namespace platform;
using display_control::DisplayCall;

// Every test starts from a fresh screen and must leave nothing alive.
class OverlayStateTest : public testing::Test {
 protected:
  void SetUp() override {
    display_control::Reset();
    gdi_control::Reset();
  }
  void TearDown() override {
    state_.CloseDirectDraw();
    EXPECT_EQ(display_control::LiveSurfaces(), 0);
    EXPECT_EQ(display_control::LiveDirectDraws(), 0);
    EXPECT_EQ(gdi_control::DCsInUse(), 0);
    EXPECT_EQ(gdi_control::PalettesInUse(), 0);
  }

  void OpenWithOverlay() {
    ASSERT_EQ(state_.OpenDirectDraw(), kStatusOk);
    ASSERT_EQ(state_.CreateOverlay(0, kFourCCYUY2, 64, 48), kStatusOk);
  }

  OverlayState state_{kCaptureBridge};
};

TEST_F(OverlayStateTest, OpenTwiceReleasesTheFirstObjectsAndSucceedsBothTimes) {
  OpenWithOverlay();
  EXPECT_EQ(state_.OpenDirectDraw(), kStatusOk);
  EXPECT_EQ(display_control::LiveDirectDraws(), 1);
  EXPECT_EQ(display_control::LiveSurfaces(), 1);  // the new primary surface
  EXPECT_FALSE(state_.hasOverlay());
}

TEST_F(OverlayStateTest, OpenAnswersTheStatusOfTheFailedCall) {
  struct Case {
    DisplayCall call;
    HRESULT result;
    bool storesSurface;
    WORD status;
  };
  const Case cases[] = {
      {DisplayCall::kDirectDrawCreate, E_INVALIDARG, false, kStatusInvalidArgument},
      {DisplayCall::kDirectDrawCreate, E_OUTOFMEMORY, false, kStatusOutOfMemory},
      {DisplayCall::kDirectDrawCreate, DDERR_INVALIDDIRECTDRAWGUID, false, kStatusInvalidGuid},
      {DisplayCall::kDirectDrawCreate, DDERR_DIRECTDRAWALREADYCREATED, false,
       kStatusAlreadyCreated},
      {DisplayCall::kDirectDrawCreate, DDERR_NODIRECTDRAWHW, false, kStatusNoHardware},
      {DisplayCall::kDirectDrawCreate, DDERR_OUTOFVIDEOMEMORY, false, kStatusOtherFailure},
      {DisplayCall::kDirectDrawCreate, DDERR_GENERIC, false, kStatusOtherFailure},
      {DisplayCall::kSetCooperativeLevel, E_OUTOFMEMORY, false, kStatusOutOfMemory},
      {DisplayCall::kCreateSurface, DDERR_OUTOFVIDEOMEMORY, false, kStatusOtherFailure},
      {DisplayCall::kCreateSurface, DDERR_OUTOFVIDEOMEMORY, true, kStatusOutOfVideoMemory},
      {DisplayCall::kCreateSurface, E_INVALIDARG, true, kStatusInvalidArgument},
      {DisplayCall::kCreateSurface, DD_OK, false, kStatusOtherFailure},  // no surface made
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.call) << " " << std::hex << c.result);
    display_control::FailCalls(c.call, c.result, 1, c.storesSurface);
    EXPECT_EQ(state_.OpenDirectDraw(), c.status);
    // An object that DirectDrawCreate made stays until the next open or close.
    EXPECT_EQ(state_.hasDirectDraw(), c.call != DisplayCall::kDirectDrawCreate);
    state_.CloseDirectDraw();
    EXPECT_EQ(display_control::LiveDirectDraws(), 0);
  }
}

TEST_F(OverlayStateTest, OpenKeepsPaletteUseAndColoursOfANoStaticScreen) {
  std::vector<PALETTEENTRY> colours(256);
  for (int i = 0; i < 256; ++i)  // pairs of equal colours, which would collapse
    colours[i] = PALETTEENTRY{static_cast<uint8_t>(i / 2), static_cast<uint8_t>(200 - i / 2),
                              static_cast<uint8_t>(i / 4), 0};
  colours[0] = PALETTEENTRY{0, 0, 0, 0};
  colours[255] = PALETTEENTRY{255, 255, 255, 0};
  gdi_control::SetSystemPalette(colours, SYSPAL_NOSTATIC);
  gdi_control::SetExclusiveModeResetsPalette(true);

  ASSERT_EQ(state_.OpenDirectDraw(), kStatusOk);
  EXPECT_EQ(gdi_control::SystemPalette(), colours);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetSystemPaletteUse(screen), SYSPAL_NOSTATIC);
  ReleaseDC(nullptr, screen);
  const std::vector<PALETTEENTRY> realized = gdi_control::LastRealizedPalette();
  ASSERT_EQ(realized.size(), 256u);
  EXPECT_EQ(realized[0].peFlags, 0);
  EXPECT_EQ(realized[255].peFlags, 0);
  for (int i = 1; i < 255; ++i) EXPECT_EQ(realized[i].peFlags, PC_NOCOLLAPSE) << i;
}

TEST_F(OverlayStateTest, BridgesDifferWithoutScreenDCOrWindow) {
  struct Case {
    const BridgeVariant* bridge;
    bool dc;
    bool window;
    WORD status;
    bool directDrawMade;
  };
  const Case cases[] = {
      {&kCaptureBridge, false, true, kStatusOtherFailure, false},
      {&kCaptureBridge, true, false, kStatusOtherFailure, true},
      {&kCodecBridge, false, true, kStatusOk, true},
      // The exclusive level needs a window: refused as an invalid argument.
      {&kCodecBridge, true, false, kStatusInvalidArgument, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.bridge->ownFile << " dc " << c.dc << " window " << c.window);
    gdi_control::SetScreenDCAvailable(c.dc);
    gdi_control::SetWindows(c.window, c.window);
    gdi_control::SetSystemPalette({}, SYSPAL_NOSTATIC);
    OverlayState state(*c.bridge);
    EXPECT_EQ(state.OpenDirectDraw(), c.status);
    EXPECT_EQ(state.hasDirectDraw(), c.directDrawMade);
    EXPECT_EQ(gdi_control::DCsInUse(), 0);
    EXPECT_EQ(gdi_control::PalettesInUse(), 0);
  }
}

TEST_F(OverlayStateTest, CloseDirectDrawReleasesAnOverlayLeftAlive) {
  OpenWithOverlay();
  state_.CloseDirectDraw();
  EXPECT_FALSE(state_.hasOverlay());
  EXPECT_EQ(display_control::LiveSurfaces(), 0);
  EXPECT_EQ(display_control::LiveDirectDraws(), 0);
  // Nothing holds the screen any more.
  OverlayState other(kCodecBridge);
  EXPECT_EQ(other.OpenDirectDraw(), kStatusOk);
}

TEST_F(OverlayStateTest, CreateOverlayReplacesAnOverlayThatStillExists) {
  OpenWithOverlay();
  EXPECT_EQ(state_.CreateOverlay(0, kFourCCUYVY, 32, 16), kStatusOk);
  EXPECT_EQ(display_control::LiveSurfaces(), 2);
}

TEST_F(OverlayStateTest, CreateOverlayStatusAndFlags) {
  EXPECT_EQ(state_.CreateOverlay(0, kFourCCYUY2, 64, 48), kStatusOtherFailure);
  ASSERT_EQ(state_.OpenDirectDraw(), kStatusOk);
  EXPECT_EQ(state_.CreateOverlay(0, 0x34324D59 /* "YM24" */, 64, 48), kStatusOtherFailure);
  display_control::FailCalls(DisplayCall::kCreateSurface, DDERR_OUTOFVIDEOMEMORY, 1, true);
  EXPECT_EQ(state_.CreateOverlay(0, kFourCCYUY2, 64, 48), kStatusOtherFailure);  // never 211
  display_control::FailCalls(DisplayCall::kCreateSurface, E_OUTOFMEMORY, 1, true);
  EXPECT_EQ(state_.CreateOverlay(0, kFourCCYUY2, 64, 48), kStatusOutOfMemory);
  EXPECT_EQ(state_.overlayFlags(), 0u);  // only a success sets them
  EXPECT_EQ(state_.CreateOverlay(12345, kFourCCYUY2, 64, 48), kStatusOk);
  EXPECT_EQ(state_.overlayFlags(), DDOVER_HIDE);
}

TEST_F(OverlayStateTest, ShowOverlayFlagsAndRememberedRectanglesSurviveTeardown) {
  EXPECT_EQ(state_.ShowOverlay(kShowModeShow), FALSE);
  EXPECT_EQ(state_.overlayFlags(), 0u);  // nothing found, nothing changed
  OpenWithOverlay();

  // Hidden after creation, with all-zero rectangles before any placement.
  EXPECT_EQ(state_.ShowOverlay(2), TRUE);
  display_control::UpdateOverlayCall call = display_control::LastUpdateOverlay();
  EXPECT_EQ(call.flags, DDOVER_HIDE);
  EXPECT_TRUE(call.hasSource && call.hasDestination);
  EXPECT_EQ(call.source, (RECT{0, 0, 0, 0}));
  EXPECT_EQ(call.destination, (RECT{0, 0, 0, 0}));

  const RECT source{0, 0, 64, 48};
  const RECT destination{10, 20, 138, 116};
  ASSERT_EQ(state_.PositionOverlay(&source, &destination), TRUE);
  ASSERT_EQ(state_.SetOverlayColorKey(0xFF00FF), TRUE);
  EXPECT_EQ(state_.ShowOverlay(kShowModeShow), TRUE);
  EXPECT_EQ(display_control::LastUpdateOverlay().flags, DDOVER_SHOW | DDOVER_KEYDEST);
  EXPECT_EQ(state_.ShowOverlay(7), TRUE);
  EXPECT_EQ(display_control::LastUpdateOverlay().flags, DDOVER_SHOW | DDOVER_KEYDEST);

  // The flags change even when the call that follows fails.
  display_control::FailCalls(DisplayCall::kUpdateOverlay, DDERR_GENERIC, 1);
  EXPECT_EQ(state_.ShowOverlay(kShowModeHide), FALSE);
  EXPECT_EQ(state_.overlayFlags(), DDOVER_HIDE);

  state_.DestroyOverlay();
  state_.CloseDirectDraw();
  OpenWithOverlay();
  EXPECT_EQ(state_.sourceRect(), source);
  EXPECT_EQ(state_.destinationRect(), destination);
  EXPECT_EQ(state_.ShowOverlay(kShowModeShow), TRUE);
  call = display_control::LastUpdateOverlay();
  EXPECT_EQ(call.source, source);
  EXPECT_EQ(call.destination, destination);
}

TEST_F(OverlayStateTest, PositionOverlayRestoresLostSurfacesAndRetriesOnce) {
  struct Case {
    const char* name;
    bool lose;
    int restoreFailures;
    int updateFailures;
    BOOL result;
  };
  const Case cases[] = {
      {"lost, restored", true, 0, 0, TRUE},
      {"lost, restore fails", true, 1, 0, FALSE},
      {"fails once", false, 0, 1, TRUE},
      {"fails twice", false, 0, 2, FALSE},
  };
  const RECT source{0, 0, 64, 48};
  const RECT first{0, 0, 64, 48};
  const RECT second{100, 100, 164, 148};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenWithOverlay();
    ASSERT_EQ(state_.PositionOverlay(&source, &first), TRUE);
    if (c.lose) display_control::LoseSurfaces();
    display_control::FailCalls(DisplayCall::kRestore, DDERR_GENERIC, c.restoreFailures);
    display_control::FailCalls(DisplayCall::kUpdateOverlay, DDERR_GENERIC, c.updateFailures);
    EXPECT_EQ(state_.PositionOverlay(&source, &second), c.result);
    EXPECT_EQ(state_.destinationRect(), c.result ? second : first);
    display_control::FailCalls(DisplayCall::kRestore, DD_OK, 0);
  }
}

TEST_F(OverlayStateTest, PositionOverlayRefusesRectanglesOutsideTheScreenWhileShown) {
  OpenWithOverlay();
  const RECT source{0, 0, 64, 48};
  const RECT inside{0, 0, 64, 48};
  ASSERT_EQ(state_.PositionOverlay(&source, &inside), TRUE);
  ASSERT_EQ(state_.ShowOverlay(kShowModeShow), TRUE);
  const RECT widened{65528, 0, 56, 48};  // a 16-bit -8
  EXPECT_EQ(state_.PositionOverlay(&source, &widened), FALSE);
  EXPECT_EQ(display_control::LastUpdateOverlay().result, DDERR_INVALIDRECT);
  EXPECT_EQ(state_.destinationRect(), inside);
}

TEST_F(OverlayStateTest, QuerySurfaceLocksAtMostSevenTimes) {
  ASSERT_TRUE(display_control::ConfigureScreen(100, 50));
  OpenWithOverlay();
  uint8_t out[8];
  for (int failures : {6, 7}) {
    SCOPED_TRACE(failures);
    std::memset(out, 0xEE, sizeof out);
    const int before = display_control::CallCount(DisplayCall::kLock);
    display_control::FailCalls(DisplayCall::kLock, DDERR_SURFACEBUSY, failures);
    EXPECT_EQ(state_.QuerySurface(kQueryPrimaryPitch, out), failures < 7 ? TRUE : FALSE);
    EXPECT_EQ(display_control::CallCount(DisplayCall::kLock) - before, 7);
    EXPECT_EQ(ReadLE32(out), failures < 7 ? 448u : 0xEEEEEEEEu);  // 400 bytes, aligned to 64
  }
  EXPECT_EQ(state_.QuerySurface(kQueryOverlayPitch, out), TRUE);
  EXPECT_EQ(ReadLE32(out), 128u);
  EXPECT_EQ(state_.QuerySurface(kQueryPrimaryAddress, out), TRUE);
  EXPECT_NE(ReadLE32(out) | ReadLE32(out + 4), 0u);

  std::memset(out, 0xEE, sizeof out);
  for (DWORD kind : {4u, 9u, 11u}) EXPECT_EQ(state_.QuerySurface(kind, out), FALSE) << kind;
  EXPECT_EQ(ReadLE32(out), 0xEEEEEEEEu);
  state_.DestroyOverlay();
  EXPECT_EQ(state_.QuerySurface(kQueryOverlayAddress, out), FALSE);
  EXPECT_EQ(state_.QuerySurface(kQueryPrimaryAddress, nullptr), FALSE);
}

TEST_F(OverlayStateTest, QueryCapsFillsOnlyARecordOfTheRightSize) {
  DDCAPS caps{};
  caps.dwSize = sizeof caps;
  EXPECT_EQ(state_.QuerySurface(kQueryCaps, &caps), FALSE);
  ASSERT_EQ(state_.OpenDirectDraw(), kStatusOk);
  EXPECT_EQ(state_.QuerySurface(kQueryCaps, &caps), TRUE);
  EXPECT_NE(caps.dwCaps & DDCAPS_OVERLAY, 0u);
  EXPECT_EQ(caps.dwMaxVisibleOverlays, 1u);

  DDCAPS older{};
  older.dwSize = sizeof older - 8;
  EXPECT_EQ(state_.QuerySurface(kQueryCaps, &older), FALSE);
  EXPECT_EQ(older.dwCaps, 0u);
}

TEST_F(OverlayStateTest, RestoreSurfacesRestoresWhatIsLost) {
  EXPECT_EQ(state_.RestoreSurfaces(), FALSE);
  OpenWithOverlay();
  EXPECT_EQ(state_.RestoreSurfaces(), TRUE);
  display_control::LoseSurfaces();
  uint8_t out[8];
  EXPECT_EQ(state_.QuerySurface(kQueryOverlayAddress, out), FALSE);  // no restore there
  display_control::FailCalls(DisplayCall::kRestore, DDERR_GENERIC, 1);
  EXPECT_EQ(state_.RestoreSurfaces(), FALSE);
  EXPECT_EQ(state_.RestoreSurfaces(), TRUE);
  EXPECT_EQ(state_.QuerySurface(kQueryOverlayAddress, out), TRUE);
}

}  // namespace
}  // namespace veskdd
