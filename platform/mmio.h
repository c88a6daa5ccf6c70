// Buffered multimedia file access with RIFF chunk handling.
//
// An HMMIO is one open file with one large buffer. Chunk headers are read and
// written through the buffer, so walking a file costs no system call per
// header; large payload transfers bypass it. The handle owns its storage and
// buffer; mmioClose releases both. Positions are 64-bit internally, but RIFF
// offsets (MMCKINFO::dwDataOffset) are 32-bit, so chunk operations fail past
// 4 GiB.
//
// The bytes live in an MmioStorage: a disk file by default, or any storage a
// caller hands over in MMIOINFO (tests use one in memory that can fail).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/four_cc.h"

namespace platform {

// Open modes. Sharing modes are accepted for compatibility; this platform
// has no mandatory file locks, so they do not keep other processes out.
constexpr uint32_t MMIO_READ = 0x0000;
constexpr uint32_t MMIO_WRITE = 0x0001;
constexpr uint32_t MMIO_READWRITE = 0x0002;
constexpr uint32_t MMIO_EXCLUSIVE = 0x0010;
constexpr uint32_t MMIO_DENYWRITE = 0x0020;
constexpr uint32_t MMIO_DENYREAD = 0x0030;
constexpr uint32_t MMIO_DENYNONE = 0x0040;
constexpr uint32_t MMIO_CREATE = 0x1000;

// Chunk flags: in MMCKINFO::dwFlags, and as mmioCreateChunk's flags.
constexpr uint32_t MMIO_DIRTY = 0x10000000;
constexpr uint32_t MMIO_CREATERIFF = 0x0020;
constexpr uint32_t MMIO_CREATELIST = 0x0040;

// Results of the chunk operations and mmioClose: 0 is success.
constexpr uint32_t MMSYSERR_NOERROR = 0;
constexpr uint32_t MMIOERR_CANNOTCLOSE = 1;
constexpr uint32_t MMIOERR_CANNOTREAD = 2;
constexpr uint32_t MMIOERR_CANNOTWRITE = 3;
constexpr uint32_t MMIOERR_CANNOTSEEK = 4;
constexpr uint32_t MMIOERR_CHUNKNOTFOUND = 5;

constexpr int SEEK_FROM_START = 0;
constexpr int SEEK_FROM_CURRENT = 1;
constexpr int SEEK_FROM_END = 2;

// One chunk header, as read by mmioDescend or written by mmioCreateChunk.
struct MMCKINFO {
  FourCC ckid;                // chunk identifier
  uint32_t cksize = 0;        // data size; for RIFF and LIST it counts the type field
  FourCC fccType;             // form or list type of RIFF and LIST, else 0
  uint32_t dwDataOffset = 0;  // offset of the data (of the type field for RIFF/LIST)
  uint32_t dwFlags = 0;       // MMIO_DIRTY while a written chunk's size is unfixed
};

// Where a handle's bytes live. Offsets are absolute; no call moves anything.
class MmioStorage {
 public:
  virtual ~MmioStorage() = default;
  // Reads up to `count` bytes at `offset`; returns the bytes read (fewer only
  // at the end of the data), or -1 with errno set.
  virtual int64_t ReadAt(int64_t offset, void* destination, size_t count) = 0;
  // Writes all `count` bytes at `offset`; returns count, or -1 with errno set.
  virtual int64_t WriteAt(int64_t offset, const void* source, size_t count) = 0;
  // Current size in bytes, or -1 with errno set.
  virtual int64_t Size() = 0;
  // Releases the storage; false with errno set when data may be lost.
  virtual bool Close() = 0;
};

// Opens `name` on disk for the given open mode. Returns none with errno set
// on failure (a folder is refused with EISDIR).
std::unique_ptr<MmioStorage> OpenDiskStorage(const char* name, uint32_t mode);

// Optional extra information for mmioOpenA.
struct MMIOINFO {
  std::unique_ptr<MmioStorage> storage;  // taken over when set; the name is then unused
  int wErrorRet = 0;                     // errno of a failed open
};

struct MmioHandle;
using HMMIO = MmioHandle*;

// Opens a file; returns none on failure (with the reason in info->wErrorRet
// when info is given, and in errno).
HMMIO mmioOpenA(const char* name, MMIOINFO* info, uint32_t mode);
// Writes out buffered data and releases the handle in every case; returns
// MMSYSERR_NOERROR, or MMIOERR_CANNOTCLOSE when buffered data could not be
// written or the storage failed to close (errno tells why).
uint32_t mmioClose(HMMIO handle, uint32_t flags);
// Transfers at the current position and advances it; the count transferred,
// or -1 on an I/O error.
int64_t mmioRead(HMMIO handle, void* destination, int64_t count);
int64_t mmioWrite(HMMIO handle, const void* source, int64_t count);
// Moves the position; returns the new position, or -1 (position unchanged)
// when it would be negative. Seeking past the end is allowed.
int64_t mmioSeek(HMMIO handle, int64_t offset, int origin);
// Size of the file, counting bytes still in the buffer.
int64_t mmioSize(HMMIO handle);
// Writes buffered data out now; MMSYSERR_NOERROR or MMIOERR_CANNOTWRITE.
uint32_t mmioFlush(HMMIO handle);

// Reads the chunk header at the current position (never searches). For RIFF
// and LIST the type is read too. Sets dwDataOffset to the byte after the
// 8-byte header, clears dwFlags and leaves the position after the header (and
// type). MMIOERR_CHUNKNOTFOUND at the end of the file, on a short header, or
// past the 4 GiB that 32-bit offsets reach.
uint32_t mmioDescend(HMMIO handle, MMCKINFO* chunk, const MMCKINFO* parent, uint32_t flags);
// Moves to the chunk's padded end. For a chunk marked MMIO_DIRTY it first
// writes the true data size (current position - dwDataOffset) into the header
// and the record, pads an odd size with one zero byte (outside the size), and
// clears MMIO_DIRTY.
uint32_t mmioAscend(HMMIO handle, MMCKINFO* chunk, uint32_t flags);
// Writes a chunk header with the record's cksize at the current position
// ("RIFF" or "LIST" as identifier with MMIO_CREATERIFF or MMIO_CREATELIST,
// followed by the type). Sets dwDataOffset as mmioDescend does and marks the
// record MMIO_DIRTY.
uint32_t mmioCreateChunk(HMMIO handle, MMCKINFO* chunk, uint32_t flags);

// The padded end of a chunk: the offset after its data and pad byte.
inline int64_t PaddedEnd(const MMCKINFO& chunk) {
  return static_cast<int64_t>(chunk.dwDataOffset) +
         ((static_cast<int64_t>(chunk.cksize) + 1) & ~int64_t{1});
}

}  // namespace platform
