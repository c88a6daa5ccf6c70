// RiffFile: one open RIFF file on the buffered multimedia file layer. It reads
// chunk headers where they stand, creates chunk headers for writing, leaves
// chunks (fixing the sizes of written ones) and pads with "JUNK" chunks to a
// 512-byte phase. The object owns its handle and closes it when destroyed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/mmio.h"
#include "riff/chunk_record.h"

namespace riff {

class RiffFile {
 public:
  RiffFile() = default;
  ~RiffFile();
  RiffFile(const RiffFile&) = delete;
  RiffFile& operator=(const RiffFile&) = delete;

  // Opens `name` with an open mode of the multimedia file layer
  // (platform::MMIO_DENYWRITE, MMIO_EXCLUSIVE, MMIO_CREATE | MMIO_READWRITE).
  // A file still open is closed first. On failure openError() tells why.
  bool Open(const std::string& name, uint32_t mode);
  // The same on storage the caller supplies (tests).
  bool Open(std::unique_ptr<platform::MmioStorage> storage, uint32_t mode);
  // True when no file was open or it closed with every byte written. The
  // handle is released in either case (closeError() tells why it failed).
  bool Close();
  bool IsOpen() const { return handle_ != nullptr; }
  int openError() const { return openError_; }
  int closeError() const { return closeError_; }

  // Reads the chunk header at the current position into `record`; false at
  // the end of the file or on a short header.
  bool Descend(ChunkRecord* record);
  // Leaves the chunk `record` describes: moves to its padded end; a written
  // chunk (MMIO_DIRTY) first gets its true size and, if odd, a pad byte.
  bool Ascend(ChunkRecord* record);
  // Start writing a plain chunk shaped like `shape` (or named `id`), a RIFF
  // form or a LIST at the current position; the header is written with size 0
  // and the returned record is marked MMIO_DIRTY until it is ascended.
  std::optional<ChunkRecord> CreateChunk(const ChunkRecord& shape);
  std::optional<ChunkRecord> CreateChunk(FourCC id);
  std::optional<ChunkRecord> CreateRiff(FourCC formType);
  std::optional<ChunkRecord> CreateList(FourCC listType);
  // Writes a "JUNK" chunk that moves the position to an offset with the same
  // remainder modulo 512 as `phase`, and not below `phase`. A distance of 1
  // to 7 bytes (or a position past the target) still costs a whole 8-byte
  // header. Nothing is written when the position is already there.
  bool PadWithJunk(uint32_t phase);

  // Transfers at the current position: bytes transferred, or -1 on error.
  int64_t Read(void* destination, int64_t count);
  int64_t Write(const void* source, int64_t count);
  // Origin 0 from the start, 1 from the current position, 2 from the end.
  // Returns the new position, or -1.
  int64_t Seek(int64_t offset, int origin);
  int64_t Position() { return Seek(0, platform::SEEK_FROM_CURRENT); }
  // Size of the file in bytes, -1 when no file is open.
  int64_t Size() const;
  // Bytes between the current position and the end of the file (0 past it).
  int64_t BytesLeft();

 private:
  platform::HMMIO handle_ = nullptr;
  int openError_ = 0;
  int closeError_ = 0;
};

}  // namespace riff
