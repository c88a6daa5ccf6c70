// SegmentWriter: a buffer in which JPEG images are rebuilt segment by
// segment, plus the segment being written into it. The writer owns both.
// Prepare readies it for one frame, segments are written, Finish closes the
// last one and leaves the bytes in place for the caller to copy out; the next
// Prepare reuses the storage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "riff/chunk_buffer.h"
#include "riff/jpeg_marker.h"

namespace convert {

using riff::ChunkBuffer;
using riff::JpegMarker;

class SegmentWriter {
 public:
  SegmentWriter() = default;
  SegmentWriter(const SegmentWriter&) = delete;
  SegmentWriter& operator=(const SegmentWriter&) = delete;

  // Makes the buffer hold at least `capacity` bytes of storage, with no
  // content and the cursor at the start.
  bool Prepare(size_t capacity);
  // Closes the open segment and begins one with `code` (a `standalone`
  // one has no length field).
  bool OpenSegment(uint16_t code, bool standalone = false);
  bool WriteBytes(const void* bytes, size_t count);
  // Writes a whole segment shaped like `marker`: its code, a length field if
  // it has one, and `count` payload bytes (the run itself for a data run).
  bool WriteSegment(const JpegMarker& marker, const void* payload, size_t count);
  bool WriteSegment(uint16_t code, const void* payload, size_t count);
  // Closes the open segment and empties the content; the bytes written stay
  // readable in the storage until the next Prepare.
  bool Finish();

  // Offset at which the next byte goes.
  size_t Offset() const { return buffer_ ? buffer_->Cursor() : 0; }
  // The storage: spans recorded from Offset() while writing stay readable
  // here after Finish, until the next Prepare. None before the first Prepare.
  const uint8_t* Data() const { return buffer_ ? buffer_->Data() : nullptr; }

 private:
  bool CloseSegment();

  std::unique_ptr<ChunkBuffer> buffer_;
  std::unique_ptr<JpegMarker> open_;
};

}  // namespace convert
