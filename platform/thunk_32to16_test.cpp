#include "platform/thunk_32to16.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/thunk.h"

namespace platform {
namespace {

// A library block as the thunk compiler lays it out, not connected.
struct Block {
  uint8_t bytes[100];
  Block() {
    std::memset(bytes, 0, sizeof bytes);
    std::memcpy(bytes, "LS01", 4);
    bytes[4] = 0x30, bytes[5] = 0x1D, bytes[6] = 0x03;
    std::memcpy(bytes + 12, "LB01", 4);
    bytes[28] = 0x24;
    bytes[32] = 0x44;
    std::memset(bytes + 36, 0xCC, 64);
  }
};

TEST(Thunk32To16Test, MappedArgumentsResolveUntilReleased) {
  const uint32_t before = SelectorsInUse();
  char record[16] = "record";
  int other = 7;
  SEGPTR first = SMapLS_IP_EBP_8(record);
  SEGPTR second = SMapLS_IP_EBP_12(&other);
  SEGPTR third = SMapLS_IP_EBP_16(record + 4);
  EXPECT_EQ(MapSL(first), record);
  EXPECT_EQ(MapSL(second), &other);
  EXPECT_EQ(MapSL(third), record + 4);
  EXPECT_EQ(SMapLS_IP_EBP_8(nullptr), 0u);
  SUnMapLS_IP_EBP_8(first);
  SUnMapLS_IP_EBP_12(second);
  SUnMapLS_IP_EBP_16(third);
  SUnMapLS_IP_EBP_16(0);
  EXPECT_EQ(MapSL(first), nullptr);
  EXPECT_EQ(SelectorsInUse(), before);
}

TEST(Thunk32To16Test, MissingPartnerLeavesTheBlockAsItWas) {
  Block block;
  Block pristine;
  EXPECT_EQ(ConnectedDispatcher(block.bytes), nullptr);
  EXPECT_EQ(ThunkConnect32(block.bytes, "thk_ThunkData16", "NOPARTNER.DLL", "SELF.DLL", nullptr,
                           DLL_PROCESS_ATTACH),
            FALSE);
  EXPECT_EQ(std::memcmp(block.bytes, pristine.bytes, sizeof block.bytes), 0);
  EXPECT_EQ(ThunkConnect32(block.bytes, "thk_ThunkData16", "NOPARTNER.DLL", "SELF.DLL", nullptr,
                           DLL_THREAD_ATTACH),
            FALSE);
  // Disconnecting a link that never connected is harmless.
  EXPECT_EQ(ThunkConnect32(block.bytes, "thk_ThunkData16", "NOPARTNER.DLL", "SELF.DLL", nullptr,
                           DLL_PROCESS_DETACH),
            TRUE);
  EXPECT_EQ(std::memcmp(block.bytes, pristine.bytes, sizeof block.bytes), 0);
}

}  // namespace
}  // namespace platform
