#include "convert/segment_writer.h"

namespace convert {

bool SegmentWriter::Prepare(size_t capacity) {
  if (!buffer_) buffer_ = std::make_unique<ChunkBuffer>();
  open_.reset();
  buffer_->Reserve(capacity, false);
  buffer_->Reserve(0, false);
  return true;
}

bool SegmentWriter::CloseSegment() {
  if (!open_) return true;
  const bool patched = buffer_->FinishSegment(*open_) == 0;
  open_.reset();
  return patched;
}

bool SegmentWriter::OpenSegment(uint16_t code, bool standalone) {
  if (!buffer_) return false;
  CloseSegment();
  open_ = buffer_->BeginSegment(code, standalone);
  return open_ != nullptr;
}

bool SegmentWriter::WriteBytes(const void* bytes, size_t count) {
  return buffer_ && buffer_->Write(bytes, count) == count;
}

bool SegmentWriter::WriteSegment(const JpegMarker& marker, const void* payload, size_t count) {
  if (!OpenSegment(marker.code, (marker.flags & JpegMarker::kStandalone) != 0)) return false;
  if (count != 0 && !WriteBytes(payload, count)) return false;
  return CloseSegment();
}

bool SegmentWriter::WriteSegment(uint16_t code, const void* payload, size_t count) {
  if (!OpenSegment(code)) return false;
  if (count != 0 && !WriteBytes(payload, count)) return false;
  return CloseSegment();
}

bool SegmentWriter::Finish() {
  if (!buffer_) return true;
  const bool closed = CloseSegment();
  // Empty the content; the storage keeps the bytes for spans taken before.
  buffer_->Reserve(0, false);
  return closed;
}

}  // namespace convert
