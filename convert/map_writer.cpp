#include "convert/map_writer.h"

#include <algorithm>
#include <cstring>

#include "convert/text_format.h"
#include "platform/byte_order.h"
#include "riff/riff_error.h"

namespace convert {
namespace {

using platform::ReadLE32;
using riff::ChunkRecord;
using riff::FourCC;

constexpr size_t kMainHeaderSize = 56;
constexpr size_t kStreamHeaderSize = 64;
constexpr size_t kIndexEntrySize = 16;
const std::string kIndentStep = "      ";
const char kListCloser[] = "          ";  // ten blanks, then the indent and ")"

// The first `size` bytes of the loaded chunk; bytes the chunk lacks are zero.
template <size_t size>
void CopyHead(const riff::ChunkBuffer& buffer, uint8_t (&out)[size]) {
  std::memset(out, 0, size);
  if (buffer.Length() != 0) std::memcpy(out, buffer.Data(), std::min(size, buffer.Length()));
}

}  // namespace

MapWriter::MapWriter(riff::WalkProgress* progress, const std::string& outputName)
    : progress_(progress) {
  text_.Create(outputName);
}

void MapWriter::WriteText(std::string_view text) {
  if (!text_.Write(text)) throw riff::FileError("cannot write the map", text_.error());
}

int MapWriter::Begin(riff::RiffFile& file) {
  if (!text_.IsOpen()) {
    set_status(kStatusCannotCreateOutput);
    return -1;
  }
  const int result = RiffWalker::Begin(file);
  std::string title = "---------";
  AppendFormat(&title, "Map of AVI-File '%s'", fileName() ? fileName()->c_str() : "?");
  title += "---------\n";
  if (!text_.Write(title)) {
    set_status(kStatusFileError);
    return -1;
  }
  progress_.Reset();
  state_.videoFrameNumber = 0;
  state_.listJpegMarkers = false;
  audioFrameNumber_ = 0;
  streamNumber_ = 0;
  return result;
}

int MapWriter::End(riff::RiffFile& file) {
  if (text_.IsOpen()) {
    text_.Write("End of File\n");
    if (!text_.Close()) set_status(kStatusFileError);
    ended_ = true;
  }
  return RiffWalker::End(file);
}

void MapWriter::WriteChunkLine(const ChunkRecord& chunk) {
  std::string line;
  AppendFormat(&line, "0x%08x", static_cast<uint32_t>(chunk.Start()));
  line += state_.indent;
  line += state_.nameText;
  line += state_.tailText;
  WriteText(line);
}

void MapWriter::DescribeLeaf(const ChunkRecord& chunk) {
  const FourCC id = chunk.ckid;
  state_.nameText.clear();
  AppendFormat(&state_.nameText, "'%c%c%c%c'", id.At(0), id.At(1), id.At(2), id.At(3));
  state_.tailText.clear();
  AppendFormat(&state_.tailText, " ->0x%08x)", static_cast<uint32_t>(chunk.PaddedEnd()));
}

int MapWriter::OnChunk(ChunkRecord& chunk, const ChunkRecord* parent, riff::RiffFile& file) {
  int result = RiffWalker::OnChunk(chunk, parent, file);
  if (progress_.EscapeReleased()) result = -1;

  const FourCC id = chunk.ckid;
  if (chunk.HoldsChildren()) {
    if (chunk.IsRiff()) progress_.SetRangeFrom(chunk.cksize);
    const FourCC type = chunk.fccType;
    state_.nameText.clear();
    AppendFormat(&state_.nameText, "%c%c%c%c ", id.At(0), id.At(1), id.At(2), id.At(3));
    state_.tailText.clear();
    AppendFormat(&state_.tailText, "('%c%c%c%c' ->0x%08x\n", type.At(0), type.At(1), type.At(2),
                 type.At(3), static_cast<uint32_t>(chunk.PaddedEnd()));
  } else if (id == FourCC("idx1")) {
    DescribeLeaf(chunk);
    WriteChunkLine(chunk);
    DescribeIndex(file, chunk);
    return result;
  } else if (id == FourCC("avih")) {
    DescribeLeaf(chunk);
    DescribeMainHeader(file, chunk);
  } else if (id == FourCC("strh")) {
    DescribeLeaf(chunk);
    if (parent != nullptr && parent->IsListOf(FourCC("strl"))) DescribeStreamHeader(file, chunk);
  } else {
    DescribeLeaf(chunk);
    state_.chunkDataOffset = chunk.dwDataOffset;
    // Payloads are read only where the map shows something of them; for the
    // rest, whether the chunk is whole in the file is what counts.
    const bool whole = file.BytesLeft() >= chunk.cksize;
    if (chunk.IsFrame()) {
      if (state_.listJpegMarkers) {
        if (buffer_.LoadChunk(file, chunk.cksize)) markerLister_.WalkSegments(buffer_);
      } else if (whole) {
        AppendFormat(&state_.tailText, " Frame[%d]", ++state_.videoFrameNumber);
      }
    } else if (id.EndsWith('w', 'b') && whole) {
      AppendFormat(&state_.tailText, " Frame[%d]", ++audioFrameNumber_);
    }
  }

  WriteChunkLine(chunk);
  if (chunk.HoldsChildren()) state_.indent += kIndentStep;
  progress_.SetPositionAt(chunk.dwDataOffset);
  return result;
}

void MapWriter::DescribeIndex(riff::RiffFile& file, const ChunkRecord& chunk) {
  if (!buffer_.LoadChunk(file, chunk.cksize)) return;
  std::string text;
  const std::string frame = "\n            " + state_.indent + "----------------------";
  text += frame;
  const uint8_t* entry = buffer_.Data();
  for (size_t left = buffer_.Length(); left >= kIndexEntrySize; left -= kIndexEntrySize) {
    const FourCC entryId(ReadLE32(entry));
    AppendFormat(&text, "\n            %s%c%c%c%c  0x%08x 0x%08x", state_.indent.c_str(),
                 entryId.At(0), entryId.At(1), entryId.At(2), entryId.At(3), ReadLE32(entry + 8),
                 ReadLE32(entry + 12));
    entry += kIndexEntrySize;
    if (text.size() > (1u << 16)) {
      WriteText(text);
      text.clear();
    }
  }
  text += frame;
  WriteText(text);
}

void MapWriter::DescribeMainHeader(riff::RiffFile& file, const ChunkRecord& chunk) {
  if (!buffer_.LoadChunk(file, chunk.cksize)) return;
  uint8_t header[kMainHeaderSize];
  CopyHead(buffer_, header);
  const char* indent = state_.indent.c_str();
  AppendFormat(&state_.tailText, "\n            %s%d(%d), %.2lf[ms/F], %d[kB/s]", indent,
               static_cast<int32_t>(ReadLE32(header + 16)),        // dwTotalFrames
               static_cast<int32_t>(ReadLE32(header + 20)),        // dwInitialFrames
               ReadLE32(header + 0) * 0.001,                       // dwMicroSecPerFrame
               static_cast<int32_t>(ReadLE32(header + 4) >> 10));  // dwMaxBytesPerSec
  AppendFormat(&state_.tailText, "\n            %s%d x %d, Buffer %d[kB]", indent,
               static_cast<int32_t>(ReadLE32(header + 32)),         // dwWidth
               static_cast<int32_t>(ReadLE32(header + 36)),         // dwHeight
               static_cast<int32_t>(ReadLE32(header + 28) >> 10));  // dwSuggestedBufferSize
}

void MapWriter::DescribeStreamHeader(riff::RiffFile& file, const ChunkRecord& chunk) {
  if (!buffer_.LoadChunk(file, chunk.cksize)) return;
  uint8_t header[kStreamHeaderSize];
  CopyHead(buffer_, header);
  const FourCC type(ReadLE32(header));
  const FourCC handler(ReadLE32(header + 4));
  const char* typeText = "";
  if (type == FourCC("vids")) {
    typeText = "Video";
    state_.listJpegMarkers =
        handler == FourCC("JPEG") || handler == FourCC("MJPG") || handler == FourCC("mjpg");
  } else if (type == FourCC("auds")) {
    typeText = "Audio";
  } else {
    state_.listJpegMarkers = false;
  }
  AppendFormat(&state_.tailText, "\n            %s %02d %s %c%c%c%c", state_.indent.c_str(),
               streamNumber_, typeText, handler.At(0), handler.At(1), handler.At(2), handler.At(3));
  ++streamNumber_;
}

int MapWriter::AfterChunk(const ChunkRecord& chunk, const ChunkRecord* parent,
                          riff::RiffFile& file) {
  if (chunk.HoldsChildren()) {
    state_.indent.resize(
        state_.indent.size() >= kIndentStep.size() ? state_.indent.size() - kIndentStep.size() : 0);
    WriteText(kListCloser + state_.indent + ")");
  }
  WriteText("\n");
  return RiffWalker::AfterChunk(chunk, parent, file);
}

}  // namespace convert
