#include "convert/jpeg_segment_walker.h"

namespace convert {

bool JpegSegmentWalker::WalkSegments(ChunkBuffer& buffer) {
  if (BeginSegments(buffer) == 0) {
    JpegMarker marker;
    for (;;) {
      if (BeforeSegment(buffer) != 0) break;
      const int read = buffer.ReadMarker(&marker, restartRule_);
      if (read == -1) {
        status_ = -1;
        break;
      }
      if (read == 1) break;
      const int result = OnSegment(marker, buffer);
      if (result < 0) break;
      if (result > 0) continue;
      if (buffer.FinishSegment(marker) == -1) break;
      if (AfterSegment(marker, buffer) < 0) break;
    }
  }
  return EndSegments(buffer) == 0;
}

int JpegSegmentWalker::BeginSegments(ChunkBuffer& buffer) {
  if (!buffer.HasStorage()) {
    status_ = -1;
    return -2;
  }
  status_ = 0;
  buffer.Seek(0, 0);
  return 0;
}

int JpegSegmentWalker::EndSegments(ChunkBuffer& /*buffer*/) {
  return status_ < 0 ? -2 : 0;
}

int JpegSegmentWalker::BeforeSegment(ChunkBuffer& /*buffer*/) {
  return 0;
}

int JpegSegmentWalker::OnSegment(const JpegMarker& /*marker*/, ChunkBuffer& /*buffer*/) {
  return 0;
}

int JpegSegmentWalker::AfterSegment(const JpegMarker& /*marker*/, ChunkBuffer& /*buffer*/) {
  return 0;
}

}  // namespace convert
