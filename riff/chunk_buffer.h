// ChunkBuffer: a growable byte buffer with a cursor. Chunk payloads are
// loaded into it, frames are parsed in it segment by segment, and images are
// assembled in it. The buffer owns its storage; storage is reused from load
// to load and grows only when asked for more than it holds, so a sequence of
// frames allocates only when a frame is larger than every frame before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "riff/jpeg_marker.h"

namespace riff {

class RiffFile;

class ChunkBuffer {
 public:
  ChunkBuffer() = default;
  ChunkBuffer(const ChunkBuffer&) = delete;
  ChunkBuffer& operator=(const ChunkBuffer&) = delete;
  virtual ~ChunkBuffer() = default;

  // Makes the length `count`. Storage that is large enough is kept (the
  // cursor is pulled back inside); otherwise exactly `count` bytes (256 for 0)
  // are allocated, the old content copied over when `keep` is set, and the
  // cursor put at 0. Throws std::bad_alloc when memory runs out.
  bool Reserve(size_t count, bool keep);
  // Reallocates to exactly `count` bytes without keeping anything; 0 frees
  // the storage (length and capacity become 0).
  bool SetCapacity(size_t count);
  // Moves the cursor (origin 0 from the start, 2 from the end of the content,
  // anything else from the cursor), clamped to [0, length]; returns it.
  int64_t Seek(int64_t offset, int origin);
  // Copies at most `count` bytes from the cursor and advances it.
  size_t Read(void* destination, size_t count);
  // Copies `count` bytes to the cursor, growing the content as needed.
  size_t Write(const void* source, size_t count);
  // Loads the next `count` bytes of `file` (right after a Descend, the
  // chunk's payload) and puts the cursor at 0. False, with the length at
  // the bytes that were read, when the file holds fewer than `count` bytes:
  // a size claim beyond the end of the file is never allocated.
  bool LoadChunk(RiffFile& file, uint32_t count);

  // JPEG segments (see JpegMarker).
  //
  // Offset of the first 0xFF at or after the cursor that starts a marker:
  // with `second` 0, one whose code IsMarkerCode; otherwise one followed by
  // `second`. -1 when there is none. The cursor does not move.
  int64_t FindMarker(uint8_t second) const;
  // How ReadMarker treats RST0-RST7. Listing reads them with a length field,
  // as the text map shows them; Scan reads them as the standalone markers
  // they are, so that scan data with restart intervals stays whole.
  enum class RestartRule { kListing, kScan };
  // Reads the segment header at the cursor into `marker`: 1 at the end of
  // the data, -1 when the header is cut off, 0 otherwise. A byte pair that is
  // no recognised marker starts a data run up to the next recognised marker.
  int ReadMarker(JpegMarker* marker, RestartRule rule = RestartRule::kListing);
  // For a marker that was read: moves the cursor past its segment (clamped
  // to the data). For one being written: patches its length field from the
  // cursor. -1 when the patch cannot be written.
  int FinishSegment(const JpegMarker& marker);
  // Writes the start of a segment at the cursor (its code and, unless it is
  // `standalone`, a length placeholder) and returns its marker, or none when
  // a write fails.
  std::unique_ptr<JpegMarker> BeginSegment(uint16_t code, bool standalone = false);

  uint8_t* Data() { return storage_.get(); }
  const uint8_t* Data() const { return storage_.get(); }
  size_t Length() const { return length_; }
  size_t Capacity() const { return capacity_; }
  size_t Cursor() const { return cursor_; }
  bool HasStorage() const { return storage_ != nullptr; }
  // Bytes between the cursor and the end of the content.
  size_t Remaining() const { return length_ - cursor_; }
  const uint8_t* AtCursor() const { return storage_.get() + cursor_; }
  uint8_t* AtCursor() { return storage_.get() + cursor_; }

 private:
  std::unique_ptr<uint8_t[]> storage_;
  size_t capacity_ = 0;
  size_t length_ = 0;
  size_t cursor_ = 0;
};

}  // namespace riff
