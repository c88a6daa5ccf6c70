// RiffWriter: writes the output file of a conversion in step with a walk of
// the input. For every input chunk the walker begins the corresponding output
// chunk, writes its bytes and ends it, in input order. The writer reproduces
// the chunk tree, drops the input's "JUNK" chunks, places frame chunks on
// 512-byte boundaries with filler of its own, and writes a new "idx1" index
// built from the chunks it actually wrote.
//
// The writer owns its RiffFile, the records of the chunks it has open and the
// collected index entries. It holds no chunk data: bytes go to the file as
// they are handed over.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/mmio.h"
#include "riff/chunk_record.h"
#include "riff/riff_file.h"

namespace riff {

class RiffWriter {
 public:
  // One entry of the "idx1" chunk, written as four little-endian 32-bit values.
  struct IndexEntry {
    FourCC ckid;
    uint32_t dwFlags = 0;
    uint32_t dwChunkOffset = 0;
    uint32_t dwChunkLength = 0;
  };
  static constexpr uint32_t AVIIF_LIST = 0x01;
  static constexpr uint32_t AVIIF_TWOCC = 0x02;
  static constexpr uint32_t AVIIF_KEYFRAME = 0x10;

  RiffWriter() = default;
  ~RiffWriter();
  RiffWriter(const RiffWriter&) = delete;
  RiffWriter& operator=(const RiffWriter&) = delete;

  // Creates (or truncates) `name` for reading and writing. On failure
  // error() tells why.
  bool Open(const std::string& name);
  // The same on storage the caller supplies (tests).
  bool Open(std::unique_ptr<platform::MmioStorage> storage);
  // Ends the open plain chunk and closes the file. Lists still open keep the
  // size 0 they were begun with (see FinishOpenLists). False, with error()
  // set, when anything written could not be stored.
  bool Close();

  // Begins the output chunk for input chunk `record`: "idx1" writes the
  // rebuilt index in its place, "JUNK" is dropped, a "movi" LIST keeps the
  // input's placement modulo 512, and a frame chunk (isFrame) outside a
  // "rec " list starts on a 512-byte boundary.
  bool BeginChunk(const ChunkRecord& record, bool isFrame);
  bool WriteBytes(const void* bytes, size_t count);
  // Ends the output chunk or list that corresponds to input chunk `record`.
  bool EndChunk(const ChunkRecord& record);
  // BeginChunk with isFrame = (count != 0), then the bytes. RIFF forms and
  // LISTs are begun this way, with no bytes.
  bool WriteChunk(const ChunkRecord& record, const void* bytes, size_t count);
  // Index offsets count from the innermost open list (the "movi" list just
  // begun); entries are collected from now on.
  void MarkMovi();
  void StopIndexing() { indexing_ = false; }
  // Writes the "idx1" chunk from the collected entries and forgets them.
  bool WriteIndex();
  // Ends every list still open, innermost first, with its true size, so that
  // an output cut short by an input that ended early is a valid file.
  bool FinishOpenLists();

  bool IsOpen() const { return file_ != nullptr && file_->IsOpen(); }
  // errno of the first open, write or close failure, else 0.
  int error() const { return error_; }
  // True once any write has failed: the output is incomplete.
  bool failed() const { return failed_; }
  const std::vector<IndexEntry>& indexEntries() const { return indexEntries_; }

 private:
  struct OpenChunk {
    ChunkRecord record;
    int indexEntry = -1;  // number of its index entry, -1 while it has none
  };

  bool EndPlainChunk();
  bool EndList();
  void AddIndexEntry(OpenChunk* chunk, bool isList);
  bool Fail();

  std::unique_ptr<RiffFile> file_;
  std::optional<OpenChunk> openChunk_;
  std::vector<OpenChunk> listStack_;
  std::vector<IndexEntry> indexEntries_;
  uint32_t moviBase_ = 0;
  bool indexing_ = false;
  bool alignNext_ = false;
  bool failed_ = false;
  int error_ = 0;
};

}  // namespace riff
