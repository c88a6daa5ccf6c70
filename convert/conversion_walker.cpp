#include "convert/conversion_walker.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/byte_order.h"
#include "riff/riff_error.h"

namespace convert {
namespace {

using riff::ChunkRecord;
using riff::FourCC;

constexpr int64_t kInitialFrameSize = 12288;
constexpr uint32_t kExtraBufferSize = 8192;  // added to the main header's buffer size
constexpr int64_t kFrameSlack = 2048;
constexpr size_t kSuggestedBufferOffset = 28;  // in "avih"
constexpr size_t kStreamBufferOffset = 36;     // in "strh"
constexpr size_t kFieldNumberOffset = 4;       // in an "AVI1" APP0 payload
constexpr size_t kFlavourNameSize = 4;
const uint8_t kPad[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const uint8_t kBoardFill[2] = {0xFF, 0xFF};

}  // namespace

ConversionWalker::ConversionWalker(riff::WalkProgress* progress)
    : JpegSegmentWalker(ChunkBuffer::RestartRule::kScan), progress_(progress) {}

bool ConversionWalker::Run(const std::string& input, FieldMode fieldMode,
                           const std::string& flavourName, const std::string& output) {
  fieldMode_ = fieldMode;
  flavourName_ = flavourName;
  flavourName_.resize(kFlavourNameSize, ' ');
  outputName_ = output;
  int result = RiffWalker::Run(input, platform::MMIO_EXCLUSIVE);
  if (result && inputEndedEarly() && !cancelled()) {
    // What was copied is finished into a valid file: every open list gets
    // its true size.
    writer_.FinishOpenLists();
  }
  if (!writer_.Close() || writer_.failed()) {
    if (status() == kStatusOk) set_status(kStatusFileError);
    result = 0;
  }
  return result != 0;
}

void ConversionWalker::CheckOutput() {
  if (writer_.failed()) throw riff::FileError("cannot write the output", writer_.error());
}

int ConversionWalker::Begin(riff::RiffFile& file) {
  const bool opened =
      outputStorage_ ? writer_.Open(std::move(outputStorage_)) : writer_.Open(outputName_);
  if (!opened) {
    set_status(kStatusCannotCreateOutput);
    return -1;
  }
  imageCount_ = 0;
  leadSpan_ = firstSpan_ = secondSpan_ = ImageSpan{};
  progress_.Reset();
  maxFrameSize_ = kInitialFrameSize;
  return RiffWalker::Begin(file);
}

int ConversionWalker::OnChunk(ChunkRecord& chunk, const ChunkRecord* parent, riff::RiffFile& file) {
  int result = RiffWalker::OnChunk(chunk, parent, file);
  if (result < 0) return result;
  if (progress_.EscapeReleased()) result = -1;

  const FourCC id = chunk.ckid;
  // The frame buffers grow with the sizes the headers announce, but never
  // beyond what the input file holds.
  const int64_t fileSize = file.Size();
  if (chunk.HoldsChildren()) {
    if (chunk.IsRiff()) progress_.SetRangeFrom(chunk.cksize);
    writer_.WriteChunk(chunk, nullptr, 0);
  } else if (id == FourCC("avih")) {
    const bool loaded = chunkBuffer_.LoadChunk(file, chunk.cksize);
    if (loaded && parent != nullptr && parent->IsListOf(FourCC("hdrl")) &&
        chunkBuffer_.Length() >= kSuggestedBufferOffset + 4) {
      uint8_t* field = chunkBuffer_.Data() + kSuggestedBufferOffset;
      const uint32_t size = platform::ReadLE32(field) + kExtraBufferSize;
      platform::WriteLE32(field, size);
      maxFrameSize_ = std::min<int64_t>(size, fileSize);
    }
    writer_.WriteChunk(chunk, chunkBuffer_.Data(), chunkBuffer_.Length());
  } else if (id == FourCC("strh")) {
    const bool loaded = chunkBuffer_.LoadChunk(file, chunk.cksize);
    if (loaded && parent != nullptr && parent->IsListOf(FourCC("strl")) &&
        chunkBuffer_.Length() >= kStreamBufferOffset + 4) {
      const int64_t size = platform::ReadLE32(chunkBuffer_.Data() + kStreamBufferOffset);
      maxFrameSize_ = std::max(maxFrameSize_, std::min(size, fileSize));
    }
    writer_.WriteChunk(chunk, chunkBuffer_.Data(), chunkBuffer_.Length());
  } else if (id == FourCC("idx1") || id == FourCC("JUNK")) {
    // Neither is copied: the writer drops filler and writes its own index.
    writer_.WriteChunk(chunk, nullptr, 0);
  } else {
    chunkBuffer_.Reserve(static_cast<size_t>(maxFrameSize_ + kFrameSlack), false);
    if (chunkBuffer_.LoadChunk(file, chunk.cksize)) {
      if (chunk.IsFrame()) {
        RebuildFrame(chunk);
      } else {
        writer_.WriteChunk(chunk, chunkBuffer_.Data(), chunkBuffer_.Length());
      }
    }
  }
  if (chunk.IsListOf(FourCC("movi"))) writer_.MarkMovi();
  CheckOutput();
  progress_.SetPositionAt(chunk.dwDataOffset);
  return result;
}

int ConversionWalker::AfterChunk(const ChunkRecord& chunk, const ChunkRecord* parent,
                                 riff::RiffFile& file) {
  writer_.EndChunk(chunk);
  if (chunk.IsListOf(FourCC("movi"))) writer_.StopIndexing();
  CheckOutput();
  return RiffWalker::AfterChunk(chunk, parent, file);
}

void ConversionWalker::RebuildFrame(const ChunkRecord& chunk) {
  WalkSegments(chunkBuffer_);
  if (leadSpan_.length + firstSpan_.length <= 0) {
    writer_.WriteChunk(chunk, nullptr, 0);
    return;
  }
  writer_.BeginChunk(chunk, true);
  WriteImage(leadSpan_, flavourName_ == "QX62");
  WriteImage(firstSpan_, false);
  writer_.EndChunk(chunk);
}

void ConversionWalker::WriteImage(const ImageSpan& span, bool withBoardFill) {
  if (span.length <= 0 || span.writer == nullptr) return;
  writer_.WriteBytes(span.writer->Data() + span.offset, static_cast<size_t>(span.length));
  int64_t written = span.length;
  if (withBoardFill) {
    writer_.WriteBytes(kBoardFill, sizeof kBoardFill);
    written += sizeof kBoardFill;
  }
  // Never 0: an image that ends on a multiple of 8 gets 8 pad bytes.
  writer_.WriteBytes(kPad, static_cast<size_t>(8 - written % 8));
}

SegmentWriter& ConversionWalker::ImageWriter() {
  return fieldMode_ == FieldMode::kStill ? imageWriters_[0] : imageWriters_[imageCount_ % 2];
}

int ConversionWalker::BeginSegments(ChunkBuffer& buffer) {
  ++imageCount_;
  ImageWriter().Prepare(static_cast<size_t>(maxFrameSize_ + kFrameSlack));
  inFirstImage_ = true;
  commentDone_ = false;
  secondImageSeen_ = false;
  leadSpan_ = secondSpan_;
  firstSpan_ = ImageSpan{};
  return JpegSegmentWalker::BeginSegments(buffer);
}

int ConversionWalker::OnSegment(const JpegMarker& marker, ChunkBuffer& buffer) {
  SegmentWriter& writer = ImageWriter();
  uint8_t* payload = buffer.AtCursor();
  // Only what the frame holds is copied; a damaged length copies nothing.
  const auto count = static_cast<size_t>(
      std::clamp<int64_t>(marker.PayloadLength(), 0, static_cast<int64_t>(buffer.Remaining())));
  const auto outPos = static_cast<int64_t>(writer.Offset());

  if (marker.code == JpegMarker::kDqt && !commentDone_) {
    uint8_t comment[12] = {0, 0, 0, 0, 0x04, 0x00, 0x00, 0x00, 'C', 'O', 'N', 'V'};
    std::memcpy(comment, flavourName_.data(), kFlavourNameSize);
    writer.WriteSegment(JpegMarker::kCom, comment, sizeof comment);
    commentDone_ = true;
  }
  if (marker.code == JpegMarker::kApp0 && count > kFieldNumberOffset) {
    uint8_t& field = payload[kFieldNumberOffset];
    if (field == 1 && inFirstImage_) {
      field = 2;
    } else if (field == 2 && !inFirstImage_) {
      field = 1;
    }
  }
  if (marker.code == JpegMarker::kCom && !commentDone_ && count >= 2 &&
      payload[0] == static_cast<uint8_t>(flavourName_[0]) &&
      payload[1] == static_cast<uint8_t>(flavourName_[1])) {
    if (count >= kFlavourNameSize) std::memcpy(payload, flavourName_.data(), kFlavourNameSize);
    commentDone_ = true;
  }
  writer.WriteSegment(marker, payload, count);

  if (marker.code == JpegMarker::kSoi) {
    commentDone_ = false;
    (inFirstImage_ ? firstSpan_ : secondSpan_) = ImageSpan{outPos, 0, &writer};
    if (!inFirstImage_) secondImageSeen_ = true;
  } else if (marker.code == JpegMarker::kEoi) {
    ImageSpan& span = inFirstImage_ ? firstSpan_ : secondSpan_;
    if (span.offset >= 0) span.length = static_cast<int64_t>(writer.Offset()) - span.offset;
    inFirstImage_ = false;
  }
  return 0;
}

int ConversionWalker::EndSegments(ChunkBuffer& buffer) {
  SegmentWriter& writer = ImageWriter();
  const auto end = static_cast<int64_t>(writer.Offset());
  if (firstSpan_.offset >= 0) {
    if (firstSpan_.length == 0) firstSpan_.length = end - firstSpan_.offset;
    if (secondSpan_.offset >= 0 && secondSpan_.length == 0) {
      secondSpan_.length = end - secondSpan_.offset;
    }
  }
  const bool twoImages = firstSpan_.offset >= 0 && secondImageSeen_;
  if (!twoImages) {
    // A single image (or none) is written alone.
    leadSpan_ = firstSpan_;
    firstSpan_ = ImageSpan{};
    --imageCount_;
  } else {
    switch (fieldMode_) {
      case FieldMode::kToStandard:
      case FieldMode::kToBoard:
        if (imageCount_ == 1) leadSpan_ = secondSpan_;
        break;
      case FieldMode::kStill:
        leadSpan_ = secondSpan_;
        break;
      case FieldMode::kFirstTwice:
        leadSpan_ = firstSpan_;
        break;
    }
  }
  writer.Finish();
  return JpegSegmentWalker::EndSegments(buffer);
}

}  // namespace convert
