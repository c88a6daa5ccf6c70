// The bridge libraries as their 16-bit drivers see them: loaded through the
// thunk connection and called through the entry table with 16-bit frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/byte_order.h"
#include "platform/display_control.h"
#include "platform/gdi.h"
#include "platform/module.h"
#include "platform/selector_table.h"
#include "veskdd/driver_harness.h"
#include "veskdd/thunk_entries.h"

namespace veskdd {
namespace {

using namespace platform;

constexpr uint32_t kKey = 0xFF00FF;
constexpr uint32_t kDesktop = 0x202020;

class BridgeTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("KOVO_MODULE_PATH", VESKDD_MODULE_DIR, 1); }
  void SetUp() override {
    display_control::Reset();
    gdi_control::Reset();
    selectorsBefore_ = SelectorsInUse();
  }
  void TearDown() override {
    EXPECT_EQ(display_control::LiveSurfaces(), 0);
    EXPECT_EQ(display_control::LiveDirectDraws(), 0);
    EXPECT_EQ(SegmentsFixed(), 0u);
    EXPECT_EQ(Thk1632CallDepth(), 0);
    EXPECT_EQ(SelectorsInUse(), selectorsBefore_);
  }

  uint32_t selectorsBefore_ = 0;
};

TEST_F(BridgeTest, EachLibraryConnectsOnlyWithItsOwnDriver) {
  struct Case {
    const char* driver;
    const char* library;
    bool connects;
  };
  const Case cases[] = {
      {"veskCAP.DRV", "veskdd.DLL", true},     {"veskCDC.DRV", "veskcddd.DLL", true},
      {"veskCAP.DRV", "veskcddd.DLL", false},  {"veskCDC.DRV", "veskdd.DLL", false},
      {"veskCAP.DRV", "nosuchlib.DLL", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.driver << " " << c.library);
    {
      DriverHarness driver(c.driver, c.library);
      EXPECT_EQ(driver.Connect(), c.connects);
      EXPECT_EQ(driver.OpenDirectDraw(), c.connects ? kStatusOk : 0u);
      driver.CloseDirectDraw();
    }
    EXPECT_EQ(SelectorsInUse(), selectorsBefore_);
  }
  // Connecting again after a disconnect works.
  DriverHarness driver("veskCAP.DRV", "veskdd.DLL");
  EXPECT_TRUE(driver.Connect());
  driver.Disconnect();
  EXPECT_FALSE(driver.connected());
  EXPECT_TRUE(driver.Connect());
}

TEST_F(BridgeTest, UnloadingReleasesWhatTheDriverLeftOpen) {
  DriverHarness driver("veskCAP.DRV", "veskdd.DLL");
  ASSERT_TRUE(driver.Connect());
  ASSERT_EQ(driver.OpenDirectDraw(), kStatusOk);
  ASSERT_EQ(driver.CreateOverlay(0, kFourCCYUY2, 64, 48), kStatusOk);
  driver.Disconnect();
  EXPECT_EQ(display_control::LiveSurfaces(), 0);
  EXPECT_EQ(display_control::LiveDirectDraws(), 0);
}

TEST_F(BridgeTest, ChecksumMismatchRefusesTheLoad) {
  DriverHarness driver("veskCAP.DRV", "veskdd.DLL");
  driver.set_checksum(0x13027);
  EXPECT_FALSE(driver.Connect());
  EXPECT_EQ(driver.OpenDirectDraw(), 0u);
}

TEST_F(BridgeTest, LibrariesExportOnlyDllMainAndTheirThunkBlock) {
  for (const char* name : {"veskdd.DLL", "veskcddd.DLL"}) {
    HINSTANCE library = LoadLibraryA(name);
    ASSERT_NE(library, nullptr) << name;
    EXPECT_NE(GetProcAddress(library, "DllMain"), nullptr);
    const auto* block =
        static_cast<const ThunkData32SL*>(GetProcAddress(library, "thk_ThunkData32"));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::memcmp(block->signature, "SL01", 4), 0);
    EXPECT_EQ(block->checksum, 0x13026u);
    EXPECT_EQ(block->entryCount, 9u);
    EXPECT_EQ(GetProcAddress(library, "_ZN6veskdd11BridgeStateEv"), nullptr);
    // Without its driver's block announced the library refuses to load.
    auto dllMain = reinterpret_cast<DllMainProc>(GetProcAddress(library, "DllMain"));
    EXPECT_EQ(dllMain(library, DLL_PROCESS_ATTACH, nullptr), FALSE);
    FreeLibrary(library);
  }
}

// Paints the screen, then the key colour where the overlay is to go.
void PaintDesktop(const RECT& keyed) {
  display_control::FillScreen(RECT{0, 0, 4096, 4096}, kDesktop);
  display_control::FillScreen(keyed, kKey);
}

TEST_F(BridgeTest, StateSequenceFromClosedToShownAndBack) {
  DriverHarness driver("veskCAP.DRV", "veskdd.DLL");
  ASSERT_TRUE(driver.Connect());
  const Rect16 source{0, 0, 64, 48};
  const Rect16 destination{100, 100, 228, 196};  // twice the size

  // Closed: everything refuses.
  EXPECT_EQ(driver.ShowOverlay(1), 0u);
  EXPECT_EQ(driver.PositionOverlay(&source, &destination), 0u);
  EXPECT_EQ(driver.QueryAddress(0), nullptr);
  EXPECT_EQ(driver.SetOverlayColorKey(kKey), 0u);
  EXPECT_EQ(driver.CreateOverlay(0, kFourCCYUY2, 64, 48), kStatusOtherFailure);
  EXPECT_EQ(driver.RestoreSurfaces(), 0u);

  ASSERT_EQ(driver.OpenDirectDraw(), kStatusOk);
  EXPECT_EQ(driver.RestoreSurfaces(), 1u);
  EXPECT_EQ(driver.QueryPitch(2), 640u * 4);
  PaintDesktop(RECT{100, 100, 228, 150});  // the upper half of the destination

  ASSERT_EQ(driver.CreateOverlay(0, kFourCCYUY2, 64, 48), kStatusOk);
  uint8_t* overlay = driver.QueryAddress(1);
  const uint32_t pitch = driver.QueryPitch(3);
  ASSERT_NE(overlay, nullptr);
  ASSERT_EQ(pitch, 128u);
  // Left half red, right half blue.
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; x += 2) {
      const uint8_t red[4] = {81, 90, 81, 240};
      const uint8_t blue[4] = {41, 240, 41, 110};
      std::memcpy(overlay + y * pitch + x * 2, x < 32 ? red : blue, 4);
    }
  const uint32_t red = display_control::RgbFromYuv(81, 90, 240);
  const uint32_t blue = display_control::RgbFromYuv(41, 240, 110);

  EXPECT_EQ(driver.PositionOverlay(&source, &destination), 1u);
  EXPECT_EQ(driver.SetOverlayColorKey(kKey), 1u);
  display_control::ScreenImage screen = display_control::ComposeScreen();
  EXPECT_EQ(screen.At(110, 110), kKey);  // created hidden

  EXPECT_EQ(driver.ShowOverlay(1), 1u);
  screen = display_control::ComposeScreen();
  EXPECT_EQ(screen.At(100, 100), red);
  EXPECT_EQ(screen.At(163, 149), red);   // overlay x 31
  EXPECT_EQ(screen.At(164, 149), blue);  // overlay x 32
  EXPECT_EQ(screen.At(227, 100), blue);
  EXPECT_EQ(screen.At(150, 150), kDesktop);  // not keyed
  EXPECT_EQ(screen.At(99, 100), kDesktop);
  EXPECT_EQ(screen.At(228, 100), kDesktop);

  EXPECT_EQ(driver.ShowOverlay(0), 1u);
  EXPECT_EQ(display_control::ComposeScreen().At(110, 110), kKey);
  EXPECT_EQ(driver.ShowOverlay(1), 1u);
  driver.DestroyOverlay();
  EXPECT_EQ(display_control::ComposeScreen().At(110, 110), kKey);
  EXPECT_EQ(driver.ShowOverlay(1), 0u);
  driver.CloseDirectDraw();
  EXPECT_EQ(driver.QueryAddress(0), nullptr);
}

TEST_F(BridgeTest, NegativeCoordinateArrivesWidenedWithoutSign) {
  DriverHarness driver("veskCDC.DRV", "veskcddd.DLL");
  ASSERT_TRUE(driver.Connect());
  ASSERT_EQ(driver.OpenDirectDraw(), kStatusOk);
  ASSERT_EQ(driver.CreateOverlay(0, kFourCCUYVY, 64, 48), kStatusOk);
  PaintDesktop(RECT{0, 0, 640, 480});
  const Rect16 source{0, 0, 64, 48};
  const Rect16 offLeft{-8, 0, 56, 48};
  // Hidden, the rectangle is only remembered ...
  EXPECT_EQ(driver.PositionOverlay(&source, &offLeft), 1u);
  EXPECT_EQ(display_control::LastUpdateOverlay().destination, (RECT{65528, 0, 56, 48}));
  // ... and showing it there is refused without touching the screen.
  ASSERT_EQ(driver.SetOverlayColorKey(kKey), 1u);
  EXPECT_EQ(driver.ShowOverlay(1), 0u);
  EXPECT_EQ(display_control::LastUpdateOverlay().result, DDERR_INVALIDRECT);
  EXPECT_EQ(display_control::ComposeScreen().At(0, 0), kKey);
  // Null rectangles mean the whole surfaces, now and when shown later.
  EXPECT_EQ(driver.PositionOverlay(static_cast<const Rect16*>(nullptr), nullptr), 1u);
  EXPECT_EQ(driver.ShowOverlay(1), 1u);
  EXPECT_FALSE(display_control::LastUpdateOverlay().hasSource);
  EXPECT_FALSE(display_control::LastUpdateOverlay().hasDestination);
  EXPECT_NE(display_control::ComposeScreen().At(639, 479), kKey);
  driver.CloseDirectDraw();
}

TEST_F(BridgeTest, QuerySurfaceWritesNothingPastTheCallersSegment) {
  DriverHarness driver("veskCAP.DRV", "veskdd.DLL");
  ASSERT_TRUE(driver.Connect());
  ASSERT_EQ(driver.OpenDirectDraw(), kStatusOk);

  struct Case {
    WORD kind;
    uint32_t limit;  // the segment covers limit + 1 bytes
    DWORD result;
  };
  const Case cases[] = {
      {10, sizeof(DDCAPS) - 1, 1},
      {10, sizeof(DDCAPS) - 2, 0},
      {10, 3, 0},
      {0, 7, 1},
      {0, 3, 0},
      {2, 3, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " limit " << c.limit);
    std::vector<uint8_t> memory(sizeof(DDCAPS) + 16, 0xEE);
    uint8_t* record = memory.data() + 1;  // odd on purpose
    WriteLE32(record, sizeof(DDCAPS));
    const std::vector<uint8_t> before = memory;
    const uint16_t selector = AllocSelectorFor(record, c.limit);
    ASSERT_NE(selector, 0);
    EXPECT_EQ(driver.QuerySurface(c.kind, static_cast<SEGPTR>(selector) << 16), c.result);
    FreeSelectorFor(selector);
    if (c.result == 0) {
      EXPECT_EQ(memory, before);
    }
    for (size_t i = 1 + c.limit + 1; i < memory.size(); ++i) EXPECT_EQ(memory[i], 0xEE) << i;
  }
  // Null and stale pointers are refused.
  EXPECT_EQ(driver.QuerySurface(0, 0), 0u);
  const uint16_t stale = AllocSelectorFor(driver.Near(0), 0xFFFF);
  FreeSelectorFor(stale);
  EXPECT_EQ(driver.QuerySurface(0, static_cast<SEGPTR>(stale) << 16), 0u);
  EXPECT_EQ(driver.PositionOverlay(static_cast<SEGPTR>(stale) << 16, 0), 0u);
  driver.CloseDirectDraw();
}

TEST_F(BridgeTest, MalformedFramesChangeNothing) {
  DriverHarness driver("veskCAP.DRV", "veskdd.DLL");
  ASSERT_TRUE(driver.Connect());
  struct Case {
    DWORD entry;
    size_t size;
    DWORD result;
  };
  const Case cases[] = {
      {kShowOverlay, 0, 0},      {kShowOverlay, 4, 0},        {kQuerySurface, 6, 0},
      {kPositionOverlay, 4, 0},  {kSetOverlayColorKey, 2, 0}, {kCreateOverlay, 10, 206},
      {kOpenDirectDraw, 2, 206}, {kRestoreSurfaces, 1, 0},    {kEntryCount, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "entry " << c.entry << " size " << c.size);
    EXPECT_EQ(driver.Call(c.entry, std::vector<uint8_t>(c.size, 0)), c.result);
    EXPECT_EQ(display_control::LiveDirectDraws(), 0);
  }
}

}  // namespace
}  // namespace veskdd
