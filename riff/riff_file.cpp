#include "riff/riff_file.h"

#include <algorithm>
#include <cerrno>

namespace riff {
namespace {
constexpr uint32_t kJunkPhase = 512;
constexpr int64_t kJunkWriteSize = 2560;
}  // namespace

RiffFile::~RiffFile() {
  Close();
}

bool RiffFile::Open(const std::string& name, uint32_t mode) {
  Close();
  platform::MMIOINFO info;
  handle_ = platform::mmioOpenA(name.c_str(), &info, mode);
  openError_ = handle_ ? 0 : info.wErrorRet;
  return handle_ != nullptr;
}

bool RiffFile::Open(std::unique_ptr<platform::MmioStorage> storage, uint32_t mode) {
  Close();
  platform::MMIOINFO info;
  info.storage = std::move(storage);
  handle_ = platform::mmioOpenA(nullptr, &info, mode);
  openError_ = handle_ ? 0 : info.wErrorRet;
  return handle_ != nullptr;
}

bool RiffFile::Close() {
  if (handle_ == nullptr) return true;
  const bool closed = platform::mmioClose(handle_, 0) == platform::MMSYSERR_NOERROR;
  closeError_ = closed ? 0 : errno;
  handle_ = nullptr;
  return closed;
}

bool RiffFile::Descend(ChunkRecord* record) {
  return handle_ != nullptr &&
         platform::mmioDescend(handle_, record, nullptr, 0) == platform::MMSYSERR_NOERROR;
}

bool RiffFile::Ascend(ChunkRecord* record) {
  // The layer fixes a written chunk's size, pads it and clears MMIO_DIRTY,
  // so the size field always counts the data without the pad byte.
  return handle_ != nullptr &&
         platform::mmioAscend(handle_, record, 0) == platform::MMSYSERR_NOERROR;
}

std::optional<ChunkRecord> RiffFile::CreateChunk(const ChunkRecord& shape) {
  if (handle_ == nullptr) return std::nullopt;
  ChunkRecord record = shape;
  record.cksize = 0;
  if (platform::mmioCreateChunk(handle_, &record, 0) != platform::MMSYSERR_NOERROR) {
    return std::nullopt;
  }
  record.dwFlags |= platform::MMIO_DIRTY;
  return record;
}

std::optional<ChunkRecord> RiffFile::CreateChunk(FourCC id) {
  ChunkRecord shape;
  shape.ckid = id;
  return CreateChunk(shape);
}

std::optional<ChunkRecord> RiffFile::CreateRiff(FourCC formType) {
  if (handle_ == nullptr) return std::nullopt;
  ChunkRecord record;
  record.fccType = formType;
  if (platform::mmioCreateChunk(handle_, &record, platform::MMIO_CREATERIFF) !=
      platform::MMSYSERR_NOERROR) {
    return std::nullopt;
  }
  return record;
}

std::optional<ChunkRecord> RiffFile::CreateList(FourCC listType) {
  if (handle_ == nullptr) return std::nullopt;
  ChunkRecord record;
  record.fccType = listType;
  if (platform::mmioCreateChunk(handle_, &record, platform::MMIO_CREATELIST) !=
      platform::MMSYSERR_NOERROR) {
    return std::nullopt;
  }
  return record;
}

bool RiffFile::PadWithJunk(uint32_t phase) {
  const int64_t position = Position();
  if (position < 0) return false;
  // Unsigned 32-bit arithmetic, as the offsets of a RIFF file are.
  const auto p = static_cast<uint32_t>(position);
  const uint32_t rounded = (phase + (kJunkPhase - 1)) & ~(kJunkPhase - 1);
  const uint32_t gap = phase - rounded;  // 0 or a negative distance, modulo 2^32
  const uint32_t target = (std::max(p, phase) + (kJunkPhase - 1)) & ~(kJunkPhase - 1);
  // Negative when the position already lies past the last offset of the
  // phase below the target.
  auto total = static_cast<int64_t>(static_cast<int32_t>(gap + target - p));
  if (total == 0) return true;
  // A distance below a header's size (or a negative one) still costs a whole
  // header, with no payload.
  total = std::max<int64_t>(total, ChunkRecord::kHeaderSize);
  std::optional<ChunkRecord> junk = CreateChunk(FourCC("JUNK"));
  if (!junk) return false;
  static const uint8_t kZeros[kJunkWriteSize] = {};
  int64_t left = total - ChunkRecord::kHeaderSize;
  while (left > 0) {
    const int64_t n = std::min(left, kJunkWriteSize);
    if (Write(kZeros, n) != n) return false;
    left -= n;
  }
  return Ascend(&*junk);
}

int64_t RiffFile::Read(void* destination, int64_t count) {
  return platform::mmioRead(handle_, destination, count);
}

int64_t RiffFile::Write(const void* source, int64_t count) {
  return platform::mmioWrite(handle_, source, count);
}

int64_t RiffFile::Seek(int64_t offset, int origin) {
  return platform::mmioSeek(handle_, offset, origin);
}

int64_t RiffFile::Size() const {
  return platform::mmioSize(handle_);
}

int64_t RiffFile::BytesLeft() {
  const int64_t position = Position();
  const int64_t size = Size();
  if (position < 0 || size < 0) return 0;
  return std::max<int64_t>(0, size - position);
}

}  // namespace riff
