// ConversionWalker: converts a Motion-JPEG AVI file between the boards' two
// flavours (and into still-frame versions) in one pass. It copies the input's
// chunk tree to the output through a RiffWriter, chunk by chunk and in order,
// and rebuilds every video frame on the way: the images of each frame are cut
// into JPEG segments, rebuilt in one of two SegmentWriters (flavour comment,
// APP0 field number), paired into output frames as the field mode says, and
// padded with 0xFF to multiples of 8.
//
// The walker owns its writer, image writers and chunk buffer; it borrows
// `progress`, which must outlive it. One walker serves one Run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "convert/jpeg_segment_walker.h"
#include "convert/segment_writer.h"
#include "platform/mmio.h"
#include "riff/chunk_buffer.h"
#include "riff/riff_walker.h"
#include "riff/riff_writer.h"
#include "riff/walk_progress.h"

namespace convert {

// How the images of input frames (a_k, b_k) pair into output frames.
enum class FieldMode : uint16_t {
  kStill = 0,       // (b_k, a_k)
  kToStandard = 1,  // (b_1, a_1), then (b_k-1, a_k)
  kToBoard = 2,     // as kToStandard
  kFirstTwice = 3,  // (a_k, a_k)
};

class ConversionWalker : public riff::RiffWalker, public JpegSegmentWalker {
 public:
  explicit ConversionWalker(riff::WalkProgress* progress);

  // Converts `input` into `output` with `fieldMode` and the target flavour
  // `flavourName` ("QX62" or "QX63"). True when the walk ended without an
  // error and the output was stored whole: check cancelled() for a walk that
  // Esc cut short, and inputEndedEarly() for an input that was cut off (its
  // output is then finished as a valid, shorter file).
  bool Run(const std::string& input, FieldMode fieldMode, const std::string& flavourName,
           const std::string& output);
  // Writes the output to `storage` in place of a file (tests).
  void SetOutputStorage(std::unique_ptr<platform::MmioStorage> storage) {
    outputStorage_ = std::move(storage);
  }

  bool cancelled() const { return progress_.cancelled(); }
  // errno of the output's failure to open, write or close, else 0.
  int outputError() const { return writer_.error(); }

 protected:
  int Begin(riff::RiffFile& file) override;
  int OnChunk(riff::ChunkRecord& chunk, const riff::ChunkRecord* parent,
              riff::RiffFile& file) override;
  int AfterChunk(const riff::ChunkRecord& chunk, const riff::ChunkRecord* parent,
                 riff::RiffFile& file) override;

  int BeginSegments(ChunkBuffer& buffer) override;
  int EndSegments(ChunkBuffer& buffer) override;
  int OnSegment(const JpegMarker& marker, ChunkBuffer& buffer) override;

 private:
  // An image inside one of the image writers.
  struct ImageSpan {
    int64_t offset = -1;
    int64_t length = 0;
    SegmentWriter* writer = nullptr;
  };

  SegmentWriter& ImageWriter();
  void RebuildFrame(const riff::ChunkRecord& chunk);
  void WriteImage(const ImageSpan& span, bool withBoardFill);
  // Raises riff::FileError once the output has lost data, so the walk ends.
  void CheckOutput();

  riff::ProgressTracker progress_;
  FieldMode fieldMode_ = FieldMode::kToStandard;
  std::string flavourName_;
  std::string outputName_;
  std::unique_ptr<platform::MmioStorage> outputStorage_;
  riff::RiffWriter writer_;
  SegmentWriter imageWriters_[2];
  ChunkBuffer chunkBuffer_;
  ImageSpan leadSpan_;
  ImageSpan firstSpan_;
  ImageSpan secondSpan_;
  int64_t maxFrameSize_ = 0;
  bool inFirstImage_ = false;
  bool commentDone_ = false;
  bool secondImageSeen_ = false;  // this frame chunk holds a second image
  int imageCount_ = 0;
};

}  // namespace convert
