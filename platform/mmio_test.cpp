#include "platform/mmio.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/byte_order.h"
#include "platform/memory_storage.h"

namespace platform {
namespace {

HMMIO OpenMemory(std::vector<uint8_t>* data, int64_t capacity = INT64_MAX) {
  MMIOINFO info;
  info.storage = std::make_unique<MemoryStorage>(data, capacity);
  return mmioOpenA(nullptr, &info, MMIO_READWRITE);
}

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

TEST(Mmio, DescendReadsHeaderAndTypeAndStopsAtShortHeaders) {
  // RIFF(12 bytes: "AVI " + one 4-byte chunk "abcd") then 5 stray bytes.
  std::vector<uint8_t> data = Bytes({'R', 'I', 'F', 'F', 12, 0, 0, 0, 'A', 'V', 'I', ' ', 'a',
                                     'b', 'c', 'd', 0,   0,  0, 0, 1, 2,   3,   4,   5});
  HMMIO h = OpenMemory(&data);
  ASSERT_NE(h, nullptr);
  MMCKINFO ck;
  ASSERT_EQ(mmioDescend(h, &ck, nullptr, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(ck.ckid, FourCC("RIFF"));
  EXPECT_EQ(ck.fccType, FourCC("AVI "));
  EXPECT_EQ(ck.cksize, 12u);
  EXPECT_EQ(ck.dwDataOffset, 8u);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_FROM_CURRENT), 12);
  ASSERT_EQ(mmioDescend(h, &ck, nullptr, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(ck.ckid, FourCC("abcd"));
  EXPECT_EQ(ck.fccType, FourCC());
  EXPECT_EQ(ck.dwDataOffset, 20u);
  ASSERT_EQ(mmioAscend(h, &ck, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_FROM_CURRENT), 20);
  // Five bytes left: no header.
  EXPECT_NE(mmioDescend(h, &ck, nullptr, 0), MMSYSERR_NOERROR);
  mmioSeek(h, 0, SEEK_FROM_END);
  EXPECT_NE(mmioDescend(h, &ck, nullptr, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
}

TEST(Mmio, AscendOfReadChunkOnlyMovesAndRoundsOddSizesUp) {
  std::vector<uint8_t> data = Bytes({'o', 'd', 'd', '!', 3, 0, 0, 0, 7, 7, 7, 0});
  const std::vector<uint8_t> before = data;
  HMMIO h = OpenMemory(&data);
  MMCKINFO ck;
  ASSERT_EQ(mmioDescend(h, &ck, nullptr, 0), MMSYSERR_NOERROR);
  ASSERT_EQ(mmioAscend(h, &ck, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_FROM_CURRENT), 12);
  EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(data, before);
}

TEST(Mmio, CreatedChunksGetTheirSizesFixedAndOddDataPadded) {
  std::vector<uint8_t> data;
  HMMIO h = OpenMemory(&data);
  MMCKINFO riff;
  riff.fccType = FourCC("WAVE");
  ASSERT_EQ(mmioCreateChunk(h, &riff, MMIO_CREATERIFF), MMSYSERR_NOERROR);
  EXPECT_EQ(riff.dwFlags, MMIO_DIRTY);
  MMCKINFO leaf;
  leaf.ckid = FourCC("data");
  ASSERT_EQ(mmioCreateChunk(h, &leaf, 0), MMSYSERR_NOERROR);
  ASSERT_EQ(mmioWrite(h, "abc", 3), 3);
  ASSERT_EQ(mmioAscend(h, &leaf, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(leaf.cksize, 3u);
  EXPECT_EQ(leaf.dwFlags & MMIO_DIRTY, 0u);
  ASSERT_EQ(mmioAscend(h, &riff, 0), MMSYSERR_NOERROR);
  ASSERT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(data, Bytes({'R', 'I', 'F', 'F', 16, 0, 0, 0, 'W', 'A', 'V', 'E',
                         'd', 'a', 't', 'a', 3,  0, 0, 0, 'a', 'b', 'c', 0}));
}

TEST(Mmio, ManySmallChunksCostFewStorageWrites) {
  std::vector<uint8_t> data;
  int writes = 0;
  MMIOINFO info;
  info.storage = std::make_unique<MemoryStorage>(&data, INT64_MAX, &writes);
  HMMIO h = mmioOpenA(nullptr, &info, MMIO_READWRITE);
  for (int i = 0; i < 1000; ++i) {
    MMCKINFO ck;
    ck.ckid = FourCC("00dc");
    ASSERT_EQ(mmioCreateChunk(h, &ck, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioWrite(h, "0123456789", 10), 10);
    ASSERT_EQ(mmioAscend(h, &ck, 0), MMSYSERR_NOERROR);
  }
  ASSERT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(data.size(), 18000u);
  EXPECT_LE(writes, 2);
  EXPECT_EQ(ReadLE32(data.data() + 18 * 999 + 4), 10u);
}

TEST(Mmio, LargeTransfersAndSeeksAcrossTheBufferKeepBytesExact) {
  std::vector<uint8_t> data;
  HMMIO h = OpenMemory(&data);
  std::vector<uint8_t> big(3 << 20);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  ASSERT_EQ(mmioWrite(h, big.data(), 100), 100);
  ASSERT_EQ(mmioWrite(h, big.data() + 100, static_cast<int64_t>(big.size() - 100)),
            static_cast<int64_t>(big.size() - 100));
  // Patch a few bytes far back, then read everything again.
  ASSERT_EQ(mmioSeek(h, 10, SEEK_FROM_START), 10);
  ASSERT_EQ(mmioWrite(h, "\x01\x02", 2), 2);
  big[10] = 1;
  big[11] = 2;
  ASSERT_EQ(mmioSeek(h, 0, SEEK_FROM_START), 0);
  std::vector<uint8_t> back(big.size() + 10);
  EXPECT_EQ(mmioRead(h, back.data(), 5), 5);
  EXPECT_EQ(mmioRead(h, back.data() + 5, static_cast<int64_t>(back.size() - 5)),
            static_cast<int64_t>(big.size() - 5));
  back.resize(big.size());
  EXPECT_EQ(back, big);
  EXPECT_EQ(mmioSeek(h, -1, SEEK_FROM_START), -1);
  EXPECT_EQ(mmioSize(h), static_cast<int64_t>(big.size()));
  ASSERT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(data, big);
}

TEST(Mmio, AFullDiskIsReportedNotSwallowed) {
  std::vector<uint8_t> data;
  HMMIO h = OpenMemory(&data, 100);
  std::vector<uint8_t> bytes(200, 0xAB);
  // Buffered: the write is accepted, the loss shows when the buffer goes out.
  ASSERT_EQ(mmioWrite(h, bytes.data(), 200), 200);
  EXPECT_NE(mmioFlush(h), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioClose(h, 0), MMIOERR_CANNOTCLOSE);
  EXPECT_EQ(errno, ENOSPC);
}

TEST(Mmio, OpenFailuresSayWhy) {
  MMIOINFO info;
  EXPECT_EQ(mmioOpenA("/nonexistent-dir/x.avi", &info, MMIO_DENYWRITE), nullptr);
  EXPECT_EQ(info.wErrorRet, ENOENT);
  EXPECT_EQ(mmioOpenA("/", &info, MMIO_DENYWRITE), nullptr);
  EXPECT_EQ(info.wErrorRet, EISDIR);
}

}  // namespace
}  // namespace platform
