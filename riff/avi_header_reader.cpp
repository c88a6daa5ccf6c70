#include "riff/avi_header_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"

namespace riff {
namespace {

using platform::ReadLE32;
using platform::WriteLE32;

constexpr size_t kRectangleOffset = 48;
constexpr uint32_t kWaveMicroSecPerFrame = 500000;

bool ParentIs(const ChunkRecord* parent, FourCC listType) {
  return parent != nullptr && parent->IsListOf(listType);
}

}  // namespace

void StreamRecord::SetFormat(const uint8_t* bytes, size_t count) {
  Reserve(count, false);
  Seek(0, 0);
  Write(bytes, count);
  flags |= kHasFormat;
}

void StreamRecord::CompleteHeader(uint32_t width, uint32_t height) {
  uint8_t* rect = header + kRectangleOffset;
  if (ReadLE32(rect + 8) == 0 && ReadLE32(rect + 12) == 0) {
    // A 56-byte header's 16-bit rectangle lands in the left and top slots;
    // its right and bottom are the halves of the top slot.
    const uint32_t packed = ReadLE32(rect + 4);
    const uint32_t right = packed != 0 ? (packed & 0xFFFF) : width;
    const uint32_t bottom = packed != 0 ? (packed >> 16) : height;
    WriteLE32(rect, 0);
    WriteLE32(rect + 4, 0);
    WriteLE32(rect + 8, right);
    WriteLE32(rect + 12, bottom);
  }
  flags |= kHasHeader;
}

int AviHeaderReader::Read(const std::string& name) {
  readerFlags = 0;
  mainHeader = MainAVIHeader{};
  ClearStreams();
  return Run(name, platform::MMIO_DENYWRITE);
}

const StreamRecord* AviHeaderReader::FirstComplete(FourCC type) const {
  for (const auto& stream : streams_) {
    if (stream->IsComplete() && stream->Header().fccType == type) return stream.get();
  }
  return nullptr;
}

int AviHeaderReader::End(RiffFile& file) {
  scratch_.SetCapacity(0);
  return RiffWalker::End(file);
}

int AviHeaderReader::OnChunk(ChunkRecord& chunk, const ChunkRecord* parent, RiffFile& file) {
  const FourCC id = chunk.ckid;
  if (!(readerFlags & kInRiff) &&
      !(chunk.IsRiff() && (chunk.fccType == FourCC("AVI ") || chunk.fccType == FourCC("WAVE")))) {
    return -2;
  }
  const bool isAvi = (readerFlags & kIsAvi) != 0;
  if (chunk.IsRiff()) {
    readerFlags |= kInRiff;
    if (chunk.fccType == FourCC("AVI ")) readerFlags |= kIsAvi;
    if (chunk.fccType == FourCC("WAVE")) readerFlags |= kIsWave;
  } else if (chunk.IsListOf(FourCC("strl"))) {
    if (ParentIs(parent, FourCC("hdrl")) && (readerFlags & kHasMainHeader) &&
        static_cast<int64_t>(streams_.size()) - 1 < static_cast<int64_t>(mainHeader.dwStreams)) {
      streams_.push_back(std::make_unique<StreamRecord>());
    }
  } else if (id == FourCC("avih")) {
    uint8_t bytes[MainAVIHeader::kSize];
    if (ParentIs(parent, FourCC("hdrl")) && isAvi && chunk.cksize == MainAVIHeader::kSize &&
        file.Read(bytes, MainAVIHeader::kSize) == MainAVIHeader::kSize) {
      mainHeader = MainAVIHeader::Decode(bytes);
      // Sized for the chunks to come, but never beyond what the file holds.
      scratch_.Reserve(static_cast<size_t>(
                           std::min<int64_t>(mainHeader.dwSuggestedBufferSize, file.BytesLeft())),
                       false);
      readerFlags |= kHasMainHeader;
    }
  } else if (id == FourCC("strh")) {
    uint8_t bytes[AVIStreamHeader::kSize];
    if (ParentIs(parent, FourCC("strl")) && isAvi && chunk.cksize <= AVIStreamHeader::kSize &&
        Last() != nullptr && file.Read(bytes, chunk.cksize) == chunk.cksize) {
      std::memcpy(Last()->header, bytes, chunk.cksize);
      Last()->CompleteHeader(mainHeader.dwWidth, mainHeader.dwHeight);
    }
  } else if (id == FourCC("strf")) {
    if (ParentIs(parent, FourCC("strl")) && isAvi && scratch_.LoadChunk(file, chunk.cksize) &&
        Last() != nullptr) {
      Last()->SetFormat(scratch_.Data(), scratch_.Length());
    }
  } else if (id == FourCC("strn")) {
    if (ParentIs(parent, FourCC("strl")) && scratch_.LoadChunk(file, chunk.cksize) &&
        scratch_.Length() != 0) {
      scratch_.Data()[scratch_.Length() - 1] = 0;
      if (Last() != nullptr) {
        const auto* text = reinterpret_cast<const char*>(scratch_.Data());
        Last()->name.assign(text, strnlen(text, scratch_.Length()));
      }
    }
  } else if (id == FourCC("fmt ")) {
    if (readerFlags & kIsWave) {
      streams_.push_back(std::make_unique<StreamRecord>());
      if (scratch_.LoadChunk(file, chunk.cksize)) FillWaveStream(Last(), chunk.cksize);
    }
  } else if (id == FourCC("data")) {
    if ((readerFlags & kIsWave) && !streams_.empty()) {
      StreamRecord& first = *streams_.front();
      AVIStreamHeader header = first.Header();
      if (header.dwSampleSize != 0) header.dwLength = chunk.cksize / header.dwSampleSize;
      header.dwSuggestedBufferSize = std::min(header.dwSuggestedBufferSize, chunk.cksize);
      header.Encode(first.header);
    }
  }
  if (!(readerFlags & kInRiff)) return -1;
  return RiffWalker::OnChunk(chunk, parent, file);
}

void AviHeaderReader::FillWaveStream(StreamRecord* stream, uint32_t formatSize) {
  const WaveFormat format = WaveFormat::Decode(scratch_.Data(), scratch_.Length());
  const uint32_t sampleSize = uint32_t{format.nChannels} * format.wBitsPerSample / 8;
  AVIStreamHeader header;
  header.fccType = FourCC("auds");
  header.dwScale = sampleSize;
  header.dwSampleSize = sampleSize;
  header.dwRate = format.nSamplesPerSec * sampleSize;
  header.dwSuggestedBufferSize = header.dwRate;
  // Replaced by the real sample count when the "data" chunk is met.
  header.dwLength = sampleSize != 0 ? formatSize / sampleSize : 0;
  header.Encode(stream->header);
  stream->SetFormat(scratch_.Data(), scratch_.Length());
  stream->CompleteHeader(0, 0);

  mainHeader = MainAVIHeader{};
  mainHeader.dwMicroSecPerFrame = kWaveMicroSecPerFrame;
  mainHeader.dwStreams = 1;
  if (sampleSize != 0 && format.nSamplesPerSec != 0) {
    mainHeader.dwTotalFrames = formatSize / sampleSize * 2 / format.nSamplesPerSec;
  }
  readerFlags |= kHasMainHeader | kHeadersComplete;
}

int AviHeaderReader::AfterChunk(const ChunkRecord& chunk, const ChunkRecord* parent,
                                RiffFile& file) {
  if (chunk.IsListOf(FourCC("hdrl"))) {
    if (parent != nullptr && parent->IsRiff() && parent->fccType == FourCC("AVI ")) {
      readerFlags |= kHeadersComplete;
      for (const auto& stream : streams_) {
        if (!stream->IsComplete()) readerFlags &= ~kHeadersComplete;
      }
      return -1;
    }
    return -2;
  }
  return RiffWalker::AfterChunk(chunk, parent, file);
}

}  // namespace riff
