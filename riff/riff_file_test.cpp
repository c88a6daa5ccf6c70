#include "riff/riff_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/byte_order.h"
#include "platform/memory_storage.h"

namespace riff {
namespace {

class RiffFileTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(file_.Open(std::make_unique<platform::MemoryStorage>(&data_),
                           platform::MMIO_CREATE | platform::MMIO_READWRITE));
  }
  // Writes `count` bytes so that the position is `position`.
  void MoveTo(int64_t position) {
    std::vector<uint8_t> fill(static_cast<size_t>(position), 0xEE);
    ASSERT_EQ(file_.Write(fill.data(), position), position);
  }
  std::vector<uint8_t> data_;
  RiffFile file_;
};

TEST_F(RiffFileTest, PadWithJunkReachesThePhase) {
  struct Case {
    int64_t position;
    uint32_t phase;
    int64_t end;        // position after the pad
    uint32_t junkSize;  // payload of the JUNK chunk, or none
  };
  const Case cases[] = {
      {2040, 2048, 2048, 0},    // an 8-byte JUNK with no payload
      {2048, 2048, 2048, ~0u},  // already there: nothing written
      {100, 2036, 2036, 1928},  // 1936 bytes in all
      {1000, 0, 1024, 16},      // phase 0 means the next multiple of 512
      {2044, 2048, 2052, 0},    // 4 bytes short: still a whole header
      {2040, 2036, 2048, 0},    // past the target: a whole header, no payload
      {2050, 2048, 2560, 502},  // past the phase: its next occurrence
  };
  for (const Case& c : cases) {
    data_.clear();
    file_.Seek(0, 0);
    MoveTo(c.position);
    ASSERT_TRUE(file_.PadWithJunk(c.phase)) << c.position;
    EXPECT_EQ(file_.Position(), c.end) << c.position << " -> " << c.phase;
    ASSERT_TRUE(file_.Close());
    if (c.junkSize == ~0u) {
      EXPECT_EQ(static_cast<int64_t>(data_.size()), c.position);
    } else {
      ASSERT_EQ(static_cast<int64_t>(data_.size()), c.end);
      const uint8_t* header = data_.data() + c.position;
      EXPECT_EQ(platform::ReadLE32(header), FourCC("JUNK").value());
      EXPECT_EQ(platform::ReadLE32(header + 4), c.junkSize);
    }
    ASSERT_TRUE(file_.Open(std::make_unique<platform::MemoryStorage>(&data_),
                           platform::MMIO_CREATE | platform::MMIO_READWRITE));
  }
}

TEST_F(RiffFileTest, WrittenChunksEndEvenWithTrueSizes) {
  std::optional<ChunkRecord> riff = file_.CreateRiff(FourCC("AVI "));
  ASSERT_TRUE(riff);
  std::optional<ChunkRecord> list = file_.CreateList(FourCC("movi"));
  ASSERT_TRUE(list);
  std::optional<ChunkRecord> odd = file_.CreateChunk(FourCC("01wb"));
  ASSERT_TRUE(odd);
  ASSERT_EQ(file_.Write("abcde", 5), 5);
  ASSERT_TRUE(file_.Ascend(&*odd));
  ASSERT_TRUE(file_.Ascend(&*list));
  ASSERT_TRUE(file_.Ascend(&*riff));
  ASSERT_TRUE(file_.Close());
  ASSERT_EQ(data_.size(), 12u + 12u + 8u + 6u);
  EXPECT_EQ(platform::ReadLE32(data_.data() + 4), 4u + 12u + 8u + 6u);
  EXPECT_EQ(platform::ReadLE32(data_.data() + 16), 4u + 8u + 6u);
  EXPECT_EQ(platform::ReadLE32(data_.data() + 28), 5u);
  EXPECT_EQ(data_.back(), 0);
}

TEST(RiffFileRead, AscendOfAReadChunkWritesNothing) {
  std::vector<uint8_t> data = {'a', 'b', 'c', 'd', 3, 0, 0, 0, 1, 2, 3};
  const std::vector<uint8_t> before = data;
  RiffFile file;
  ASSERT_TRUE(
      file.Open(std::make_unique<platform::MemoryStorage>(&data), platform::MMIO_DENYWRITE));
  ChunkRecord chunk;
  ASSERT_TRUE(file.Descend(&chunk));
  EXPECT_EQ(chunk.dwFlags, 0u);
  ASSERT_TRUE(file.Ascend(&chunk));
  EXPECT_FALSE(file.Descend(&chunk));
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(data, before);
}

}  // namespace
}  // namespace riff
