// MapWriter: writes the text map of a RIFF file (AVI or WAVE) while walking it
// once: where each chunk starts and ends, how the lists nest, the main values
// of the main AVI header and of each stream header, a running number for
// every video and audio chunk, the entries of the index, and one line per
// JPEG marker segment of every Motion-JPEG frame.
//
// The map writer owns its text file (opened at construction, closed by End or
// destruction), its chunk buffer and its marker lister; it borrows
// `progress`, which must outlive it.
#pragma once

#include <string>
#include <string_view>

#include "convert/marker_lister.h"
#include "platform/text_file.h"
#include "riff/chunk_buffer.h"
#include "riff/riff_walker.h"
#include "riff/walk_progress.h"

namespace convert {

class MapWriter : public riff::RiffWalker {
 public:
  // Creates (or truncates) the text file `outputName` at once.
  MapWriter(riff::WalkProgress* progress, const std::string& outputName);

  // False when the text file could not be created; outputError() says why.
  bool outputOpen() const { return text_.IsOpen() || ended_; }
  // errno of the failure to create or write the text file, else 0.
  int outputError() const { return text_.error(); }
  // True when Esc ended the walk early.
  bool cancelled() const { return progress_.cancelled(); }

 protected:
  int Begin(riff::RiffFile& file) override;
  int End(riff::RiffFile& file) override;
  int OnChunk(riff::ChunkRecord& chunk, const riff::ChunkRecord* parent,
              riff::RiffFile& file) override;
  int AfterChunk(const riff::ChunkRecord& chunk, const riff::ChunkRecord* parent,
                 riff::RiffFile& file) override;

 private:
  // Appends to the map; a failed write raises riff::FileError.
  void WriteText(std::string_view text);
  void WriteChunkLine(const riff::ChunkRecord& chunk);
  // Name and tail texts of a plain chunk.
  void DescribeLeaf(const riff::ChunkRecord& chunk);
  void DescribeIndex(riff::RiffFile& file, const riff::ChunkRecord& chunk);
  void DescribeMainHeader(riff::RiffFile& file, const riff::ChunkRecord& chunk);
  void DescribeStreamHeader(riff::RiffFile& file, const riff::ChunkRecord& chunk);

  MapLineState state_;
  MarkerLister markerLister_{&state_};
  platform::TextFile text_;
  riff::ChunkBuffer buffer_;
  riff::ProgressTracker progress_;
  int audioFrameNumber_ = 0;
  int streamNumber_ = 0;
  bool ended_ = false;
};

}  // namespace convert
