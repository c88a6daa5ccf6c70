#include "riff/chunk_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/memory_storage.h"
#include "riff/riff_file.h"

namespace riff {
namespace {

TEST(ChunkBuffer, ReserveAllocatesExactlyAndReusesLargeEnoughStorage) {
  ChunkBuffer buffer;
  ASSERT_TRUE(buffer.Reserve(0, false));
  EXPECT_EQ(buffer.Capacity(), 256u);
  EXPECT_EQ(buffer.Length(), 256u);

  ASSERT_TRUE(buffer.Reserve(1000, false));
  const uint8_t* storage = buffer.Data();
  EXPECT_EQ(buffer.Capacity(), 1000u);
  // Room without content: reserve, then reserve nothing.
  ASSERT_TRUE(buffer.Reserve(0, false));
  EXPECT_EQ(buffer.Capacity(), 1000u);
  EXPECT_EQ(buffer.Length(), 0u);
  EXPECT_EQ(buffer.Cursor(), 0u);
  ASSERT_TRUE(buffer.Reserve(999, false));
  EXPECT_EQ(buffer.Data(), storage);
}

TEST(ChunkBuffer, SeekClampsToTheContent) {
  ChunkBuffer buffer;
  buffer.Reserve(20, false);
  struct Case {
    int64_t offset;
    int origin;
    int64_t expected;
  };
  for (const Case& c : {Case{-5, 0, 0}, Case{30, 0, 20}, Case{-4, 2, 16}, Case{3, 1, 19},
                        Case{7, 0, 7}, Case{-100, 1, 0}}) {
    EXPECT_EQ(buffer.Seek(c.offset, c.origin), c.expected) << c.offset << "," << c.origin;
  }
  ChunkBuffer empty;
  EXPECT_EQ(empty.Seek(10, 0), 0);
}

TEST(ChunkBuffer, ReadStopsAtTheEndAndWriteGrowsKeepingContent) {
  ChunkBuffer buffer;
  buffer.Write("0123456789", 10);
  EXPECT_EQ(buffer.Capacity(), 10u);
  buffer.Seek(-3, 2);
  char out[10];
  EXPECT_EQ(buffer.Read(out, 10), 3u);
  EXPECT_EQ(std::memcmp(out, "789", 3), 0);
  EXPECT_EQ(buffer.Read(out, 10), 0u);
  // Writing at the end of a full buffer grows it to exactly the new length.
  EXPECT_EQ(buffer.Write("ab", 2), 2u);
  EXPECT_EQ(buffer.Capacity(), 12u);
  EXPECT_EQ(buffer.Cursor(), 12u);
  EXPECT_EQ(std::memcmp(buffer.Data(), "0123456789ab", 12), 0);
}

TEST(ChunkBuffer, LoadChunkNeverAllocatesMoreThanTheFileHolds) {
  std::vector<uint8_t> data(1024, 0x5A);
  RiffFile file;
  ASSERT_TRUE(file.Open(std::make_unique<platform::MemoryStorage>(&data), platform::MMIO_READ));
  file.Seek(1000, 0);
  ChunkBuffer buffer;
  // A 4 GiB claim in a 1 KiB file: the load fails with the 24 bytes there are.
  EXPECT_FALSE(buffer.LoadChunk(file, 0xFFFFFFF0u));
  EXPECT_EQ(buffer.Length(), 24u);
  EXPECT_LE(buffer.Capacity(), 256u);

  file.Seek(0, 0);
  EXPECT_TRUE(buffer.LoadChunk(file, 100));
  EXPECT_EQ(buffer.Length(), 100u);
  EXPECT_EQ(buffer.Cursor(), 0u);
  EXPECT_EQ(file.Position(), 100);
}

}  // namespace
}  // namespace riff
