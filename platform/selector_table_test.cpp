#include "platform/selector_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform {
namespace {

TEST(SelectorTableTest, MappedPointerResolvesBackWithinItsSegment) {
  char buffer[100] = {};
  uint32_t before = SelectorsInUse();
  SEGPTR segmented = MapLS(buffer);
  ASSERT_NE(segmented, 0u);
  EXPECT_EQ(segmented & 0xFFFF, 0u);
  EXPECT_EQ((segmented >> 16) & 7, 7u);
  EXPECT_EQ(MapSL(segmented), buffer);
  EXPECT_EQ(MapSL(segmented + 42), buffer + 42);
  EXPECT_EQ(SelectorsInUse(), before + 1);
  UnMapLS(segmented);
  EXPECT_EQ(MapSL(segmented), nullptr);
  EXPECT_EQ(SelectorsInUse(), before);
}

TEST(SelectorTableTest, NullAndUnknownPointersResolveToNull) {
  EXPECT_EQ(MapLS(nullptr), 0u);
  EXPECT_EQ(MapSL(0), nullptr);
  EXPECT_EQ(MapSL(0x12340000), nullptr);  // selector without the local-table bits
  EXPECT_EQ(MapSL(0x7FFF0000), nullptr);  // never allocated
  EXPECT_FALSE(FreeSelectorFor(0x7FFF));
}

TEST(SelectorTableTest, OffsetPastTheLimitIsRefused) {
  char buffer[16] = {};
  uint16_t selector = AllocSelectorFor(buffer, 15);
  ASSERT_NE(selector, 0);
  SEGPTR base = static_cast<SEGPTR>(selector) << 16;
  EXPECT_EQ(MapSL(base | 15), buffer + 15);
  EXPECT_EQ(MapSL(base | 16), nullptr);
  EXPECT_EQ(AllocSelectorFor(buffer, 0x10000), 0);
  EXPECT_TRUE(FreeSelectorFor(selector));
  EXPECT_FALSE(FreeSelectorFor(selector));
}

TEST(SelectorTableTest, FullTableRefusesAndRecoversAfterRelease) {
  char byte = 0;
  std::vector<uint16_t> taken;
  for (;;) {
    uint16_t selector = AllocSelectorFor(&byte, 0);
    if (selector == 0) break;
    taken.push_back(selector);
  }
  EXPECT_EQ(SelectorsInUse(), 8191u);
  EXPECT_EQ(MapLS(&byte), 0u);
  for (uint16_t selector : taken) EXPECT_TRUE(FreeSelectorFor(selector));
  EXPECT_NE(MapLS(&byte), 0u);
}

}  // namespace
}  // namespace platform
