#include "riff/chunk_buffer.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/byte_order.h"
#include "riff/riff_file.h"

namespace riff {
namespace {
constexpr size_t kMinimumAllocation = 256;
}

bool ChunkBuffer::Reserve(size_t count, bool keep) {
  if (storage_ && capacity_ >= count) {
    length_ = count;
    cursor_ = std::min(cursor_, count);
    return true;
  }
  const size_t size = count == 0 ? kMinimumAllocation : count;
  auto fresh = std::make_unique_for_overwrite<uint8_t[]>(size);
  if (keep && storage_ && length_ != 0)
    std::memcpy(fresh.get(), storage_.get(), std::min(length_, size));
  storage_ = std::move(fresh);
  capacity_ = size;
  length_ = size;
  cursor_ = 0;
  return true;
}

bool ChunkBuffer::SetCapacity(size_t count) {
  if (count == 0) {
    storage_.reset();
    capacity_ = length_ = cursor_ = 0;
    return true;
  }
  if (storage_ && count == capacity_) return true;
  storage_.reset();
  capacity_ = length_ = cursor_ = 0;
  return Reserve(count, false);
}

int64_t ChunkBuffer::Seek(int64_t offset, int origin) {
  if (!storage_) return 0;
  int64_t base = static_cast<int64_t>(cursor_);
  if (origin == 0) base = 0;
  if (origin == 2) base = static_cast<int64_t>(length_);
  const int64_t target = std::clamp<int64_t>(base + offset, 0, static_cast<int64_t>(length_));
  cursor_ = static_cast<size_t>(target);
  return target;
}

size_t ChunkBuffer::Read(void* destination, size_t count) {
  const size_t n = std::min(count, Remaining());
  if (n != 0) std::memcpy(destination, storage_.get() + cursor_, n);
  cursor_ += n;
  return n;
}

size_t ChunkBuffer::Write(const void* source, size_t count) {
  const size_t offset = cursor_;
  if (offset + count > length_) {
    Reserve(offset + count, true);
    cursor_ = offset;
  }
  if (count != 0) std::memcpy(storage_.get() + cursor_, source, count);
  cursor_ += count;
  return count;
}

bool ChunkBuffer::LoadChunk(RiffFile& file, uint32_t count) {
  const auto available = static_cast<size_t>(std::min<int64_t>(count, file.BytesLeft()));
  Reserve(available, false);
  const int64_t read =
      available == 0 ? 0 : file.Read(storage_.get(), static_cast<int64_t>(available));
  length_ = read > 0 ? static_cast<size_t>(read) : 0;
  cursor_ = 0;
  return read >= 0 && length_ == count;
}

int64_t ChunkBuffer::FindMarker(uint8_t second) const {
  if (!storage_ || length_ < 2) return -1;
  const uint8_t* data = storage_.get();
  const size_t end = length_ - 1;  // the last byte of the data cannot start a marker
  size_t at = cursor_;
  if (second == 0) {
#if defined(__SSE2__)
    // Scan data is long and holds many 0xFF bytes (stuffed as FF 00); a
    // marker is an 0xFF followed by a byte of 0xC0 or more, which sixteen
    // positions at a time rules out for nearly all of them.
    const __m128i allOnes = _mm_set1_epi8(static_cast<char>(0xFF));
    const __m128i lowestCode = _mm_set1_epi8(static_cast<char>(0xC0));
    for (; at + 16 <= end; at += 16) {
      const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + 1));
      const __m128i isFF = _mm_cmpeq_epi8(first, allOnes);
      const __m128i highNext = _mm_cmpeq_epi8(_mm_max_epu8(next, lowestCode), next);
      auto candidates = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(isFF, highNext)));
      while (candidates != 0) {
        const size_t p = at + static_cast<size_t>(__builtin_ctz(candidates));
        if (JpegMarker::IsMarkerCode(platform::ReadBE16(data + p))) return static_cast<int64_t>(p);
        candidates &= candidates - 1;
      }
    }
#endif
    for (; at < end; ++at) {
      if (data[at] == 0xFF && JpegMarker::IsMarkerCode(platform::ReadBE16(data + at))) {
        return static_cast<int64_t>(at);
      }
    }
    return -1;
  }
  for (; at < end; ++at) {
    const auto* found = static_cast<const uint8_t*>(std::memchr(data + at, 0xFF, end - at));
    if (found == nullptr) return -1;
    at = static_cast<size_t>(found - data);
    if (data[at + 1] == second) return static_cast<int64_t>(at);
  }
  return -1;
}

int ChunkBuffer::ReadMarker(JpegMarker* marker, RestartRule rule) {
  if (cursor_ >= length_) return 1;
  marker->flags = 0;
  marker->position = static_cast<int64_t>(cursor_);
  if (Remaining() < 2) return -1;
  uint16_t code = platform::ReadBE16(AtCursor());
  if (!JpegMarker::IsMarkerCode(code)) code = JpegMarker::kDataRun;
  marker->code = code;
  if (rule == RestartRule::kScan && JpegMarker::IsRestart(code)) {
    marker->flags |= JpegMarker::kStandalone;
  }
  if (marker->HasLength()) {
    if (Remaining() < 4) return -1;
    marker->length = platform::ReadBE16(AtCursor() + 2);
    cursor_ += 4;
  } else if (code != JpegMarker::kDataRun) {
    marker->length = 0;
    cursor_ += 2;
  } else {
    const int64_t next = FindMarker(0);
    const int64_t end = next < 0 ? static_cast<int64_t>(length_) : next;
    marker->length = end - marker->position;
  }
  return 0;
}

int ChunkBuffer::FinishSegment(const JpegMarker& marker) {
  if (!marker.IsBeingWritten()) {
    // A standalone restart marker has length 0 like SOI and EOI.
    Seek(static_cast<int64_t>(marker.position) + JpegMarker::PrefixLength(marker.code) +
             marker.length,
         0);
    return 0;
  }
  const size_t end = cursor_;
  if (marker.HasLength()) {
    const int64_t length =
        static_cast<int64_t>(end) - marker.position - JpegMarker::PrefixLength(marker.code);
    const size_t field = static_cast<size_t>(marker.position) + 2;
    if (field + 2 > length_) return -1;
    platform::WriteBE16(storage_.get() + field, static_cast<uint16_t>(length));
    cursor_ = end;
  }
  return 0;
}

std::unique_ptr<JpegMarker> ChunkBuffer::BeginSegment(uint16_t code, bool standalone) {
  auto marker = std::make_unique<JpegMarker>();
  marker->code = code;
  marker->flags = JpegMarker::kWritten | (standalone ? JpegMarker::kStandalone : 0);
  marker->position = static_cast<int64_t>(cursor_);
  uint8_t bytes[4] = {};
  platform::WriteBE16(bytes, code);
  if (JpegMarker::PrefixLength(code) == 2 && Write(bytes, 2) != 2) return nullptr;
  if (marker->HasLength() && Write(bytes + 2, 2) != 2) return nullptr;
  return marker;
}

}  // namespace riff
