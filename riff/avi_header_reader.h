// AviHeaderReader: reads the header part of an AVI or WAVE file and presents
// it as one model: the main header and one StreamRecord per stream. For an
// AVI it reads "avih" and each stream list's "strh", "strf" and "strn", and
// stops as soon as the "hdrl" list has been left, so frame data is never
// visited. A WAVE file becomes one audio stream from its "fmt " chunk and the
// size of its "data" chunk, whose bytes are never read.
//
// The reader owns its stream records; a new Read, ClearStreams or the
// reader's destruction deletes them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "riff/avi_headers.h"
#include "riff/chunk_buffer.h"
#include "riff/riff_walker.h"

namespace riff {

// One stream: its header (64 bytes as read, rectangle completed), its format
// block (the buffer's own bytes: a copy of "strf", or of a WAVE "fmt ") and
// its name.
class StreamRecord : public ChunkBuffer {
 public:
  static constexpr uint32_t kHasHeader = 0x01;
  static constexpr uint32_t kHasFormat = 0x02;

  // Stores `count` format bytes.
  void SetFormat(const uint8_t* bytes, size_t count);
  // The format bytes, or none when no format was stored.
  const uint8_t* Format() const { return (flags & kHasFormat) ? Data() : nullptr; }
  size_t FormatSize() const { return (flags & kHasFormat) ? Length() : 0; }
  // Normalises the frame rectangle of a 56- or 64-byte header (a 56-byte
  // header's 16-bit right and bottom land in the 32-bit top slot; an empty
  // rectangle becomes width x height) and sets kHasHeader.
  void CompleteHeader(uint32_t width, uint32_t height);

  AVIStreamHeader Header() const { return AVIStreamHeader::Decode(header); }
  bool IsComplete() const {
    return (flags & (kHasHeader | kHasFormat)) == (kHasHeader | kHasFormat);
  }

  uint8_t header[AVIStreamHeader::kSize] = {};
  std::string name;
  uint32_t flags = 0;
};

class AviHeaderReader : public RiffWalker {
 public:
  static constexpr uint32_t kHasMainHeader = 0x01;
  static constexpr uint32_t kHeadersComplete = 0x02;
  static constexpr uint32_t kInRiff = 0x04;
  static constexpr uint32_t kIsAvi = 0x08;
  static constexpr uint32_t kIsWave = 0x10;

  // Reads the headers of `name`; the result is the walk's, but callers judge
  // the outcome by readerFlags.
  int Read(const std::string& name);
  void ClearStreams() { streams_.clear(); }
  size_t StreamCount() const { return streams_.size(); }
  const StreamRecord& Stream(size_t index) const { return *streams_[index]; }
  // The first complete stream of type "vids" (or "auds"), or none.
  const StreamRecord* VideoStream() const { return FirstComplete(FourCC("vids")); }
  const StreamRecord* AudioStream() const { return FirstComplete(FourCC("auds")); }

  bool IsUsableAvi() const { return Has(kHasMainHeader | kHeadersComplete | kIsAvi); }
  bool IsUsableWave() const { return Has(kHasMainHeader | kHeadersComplete | kIsWave); }

  MainAVIHeader mainHeader;
  uint32_t readerFlags = 0;

 protected:
  int End(RiffFile& file) override;
  int OnChunk(ChunkRecord& chunk, const ChunkRecord* parent, RiffFile& file) override;
  int AfterChunk(const ChunkRecord& chunk, const ChunkRecord* parent, RiffFile& file) override;

 private:
  bool Has(uint32_t bits) const { return (readerFlags & bits) == bits; }
  const StreamRecord* FirstComplete(FourCC type) const;
  StreamRecord* Last() { return streams_.empty() ? nullptr : streams_.back().get(); }
  void FillWaveStream(StreamRecord* stream, uint32_t formatSize);

  std::vector<std::unique_ptr<StreamRecord>> streams_;
  ChunkBuffer scratch_;
};

}  // namespace riff
