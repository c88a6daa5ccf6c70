#include "platform/thunk_16to32.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/thunk.h"

namespace platform {
namespace {

TEST(Thunk16To32Test, FixedPointersResolveUntilGivenBack) {
  uint8_t buffer[32] = {};
  const uint16_t selector = AllocSelectorFor(buffer, sizeof buffer - 1);
  ASSERT_NE(selector, 0);
  const SEGPTR first = static_cast<SEGPTR>(selector) << 16;
  const SEGPTR second = first | 8;
  EXPECT_EQ(MapSLFix(first), buffer);
  EXPECT_EQ(MapSLFix(second), buffer + 8);
  EXPECT_EQ(MapSLFix(first | 32), nullptr);  // past the limit: nothing fixed
  EXPECT_EQ(MapSLFix(0), nullptr);
  EXPECT_EQ(SegmentsFixed(), 2u);
  const SEGPTR fixedOnes[] = {first, 0, second};
  UnMapSLFixArray(3, fixedOnes);
  EXPECT_EQ(SegmentsFixed(), 0u);

  struct Case {
    SEGPTR pointer;
    DWORD size;
    bool covered;
  };
  const Case cases[] = {{first, 32, true},   {first, 33, false},         {second, 24, true},
                        {second, 25, false}, {first | 0xFFFF, 2, false}, {0, 1, false}};
  for (const Case& c : cases)
    EXPECT_EQ(SegmentCovers(c.pointer, c.size), c.covered)
        << std::hex << c.pointer << " " << c.size;
  FreeSelectorFor(selector);
}

DWORD Entry(const uint8_t*, DWORD) {
  return 1;
}
const ThunkEntry32 kTable[] = {&Entry};

TEST(Thunk16To32Test, LibraryBlockWithoutItsDriverDoesNotConnect) {
  ThunkData32SL library{{'S', 'L', '0', '1'}, 0x13026, 1, kTable, nullptr};
  EXPECT_EQ(ThunkConnect32(&library, "thk_ThunkData16", "NODRIVER.DRV", "SELF.DLL", nullptr,
                           DLL_PROCESS_ATTACH),
            FALSE);
  EXPECT_EQ(library.connected, nullptr);
  EXPECT_EQ(ThunkConnect32(&library, "thk_ThunkData16", "NODRIVER.DRV", "SELF.DLL", nullptr,
                           DLL_THREAD_ATTACH),
            FALSE);
  EXPECT_EQ(ThunkConnect32(&library, "thk_ThunkData16", "NODRIVER.DRV", "SELF.DLL", nullptr,
                           DLL_PROCESS_DETACH),
            TRUE);
}

TEST(Thunk16To32Test, DriverWhoseLibraryIsMissingCanTryAgain) {
  ThunkData16SL driver{{'S', 'L', '0', '1'}, 0x13026, 0, 0, nullptr};
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(ThunkConnect16To32(&driver, "thk_ThunkData16", "DRIVER.DRV", "MISSING.DLL",
                                 DLL_PROCESS_ATTACH),
              FALSE);
    EXPECT_EQ(driver.library, nullptr);
    EXPECT_EQ(CallThunkEntry32(&driver, 0, nullptr, 0), 0u);
  }
  ThunkData16SL wrong{{'L', 'S', '0', '1'}, 0x13026, 0, 0, nullptr};
  EXPECT_EQ(ThunkConnect16To32(&wrong, "thk_ThunkData16", "DRIVER.DRV", "MISSING.DLL",
                               DLL_PROCESS_ATTACH),
            FALSE);
}

}  // namespace
}  // namespace platform
