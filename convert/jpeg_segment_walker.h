// JpegSegmentWalker: the base of every visitor over the JPEG images of a
// frame held in a ChunkBuffer. The walk reads the buffer segment by segment
// from its start and calls five virtual operations, as RiffWalker does for
// chunks. The walker borrows the buffer for the length of WalkSegments.
#pragma once

#include "riff/chunk_buffer.h"
#include "riff/jpeg_marker.h"

namespace convert {

using riff::ChunkBuffer;
using riff::JpegMarker;

class JpegSegmentWalker {
 public:
  explicit JpegSegmentWalker(
      ChunkBuffer::RestartRule restartRule = ChunkBuffer::RestartRule::kListing)
      : restartRule_(restartRule) {}
  virtual ~JpegSegmentWalker() = default;

  // Walks `buffer` from its start; true when EndSegments returned 0. The walk
  // always reaches EndSegments, also when the data ends inside a segment.
  bool WalkSegments(ChunkBuffer& buffer);

  int segmentStatus() const { return status_; }

 protected:
  // -2 (and status -1) for a buffer without storage; else rewinds it, 0.
  virtual int BeginSegments(ChunkBuffer& buffer);
  // -2 after an error, else 0.
  virtual int EndSegments(ChunkBuffer& buffer);
  // Nonzero ends the walk before the next marker is read.
  virtual int BeforeSegment(ChunkBuffer& buffer);
  // Called with the cursor just after the marker's code and length field
  // (at a data run's first byte). 0: skip the segment; positive: the cursor
  // has been moved already; negative: stop.
  virtual int OnSegment(const JpegMarker& marker, ChunkBuffer& buffer);
  // Called after the segment was skipped; negative stops.
  virtual int AfterSegment(const JpegMarker& marker, ChunkBuffer& buffer);

 private:
  ChunkBuffer::RestartRule restartRule_;
  int status_ = 0;
};

}  // namespace convert
