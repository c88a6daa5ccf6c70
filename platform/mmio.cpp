#include "platform/mmio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/byte_order.h"

namespace platform {
namespace {

constexpr size_t kBufferSize = size_t{1} << 20;
constexpr int64_t kMinimumBufferSize = 4096;
// Reads of this size or more bypass the buffer.
constexpr int64_t kDirectTransfer = 16 * 1024;
// After a direct read, the buffer reads only this much ahead.
constexpr size_t kShortRefill = 4096;
constexpr int64_t kMaxChunkOffset = std::numeric_limits<uint32_t>::max();

class DiskStorage : public MmioStorage {
 public:
  explicit DiskStorage(int fd) : fd_(fd) {}
  ~DiskStorage() override {
    if (fd_ >= 0) ::close(fd_);
  }
  DiskStorage(const DiskStorage&) = delete;
  DiskStorage& operator=(const DiskStorage&) = delete;

  int64_t ReadAt(int64_t offset, void* destination, size_t count) override {
    auto* out = static_cast<uint8_t*>(destination);
    size_t done = 0;
    while (done < count) {
      ssize_t n = ::pread(fd_, out + done, count - done,
                          static_cast<off_t>(offset + static_cast<int64_t>(done)));
      if (n < 0) {
        if (errno == EINTR) continue;
        return -1;
      }
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
  }

  int64_t WriteAt(int64_t offset, const void* source, size_t count) override {
    const auto* in = static_cast<const uint8_t*>(source);
    size_t done = 0;
    while (done < count) {
      ssize_t n = ::pwrite(fd_, in + done, count - done,
                           static_cast<off_t>(offset + static_cast<int64_t>(done)));
      if (n < 0) {
        if (errno == EINTR) continue;
        return -1;
      }
      if (n == 0) {
        errno = ENOSPC;
        return -1;
      }
      done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
  }

  int64_t Size() override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
  }

  bool Close() override {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<MmioStorage> OpenDiskStorage(const char* name, uint32_t mode) {
  int flags = O_CLOEXEC;
  if (mode & MMIO_CREATE) {
    flags |= O_CREAT | O_TRUNC | ((mode & MMIO_READWRITE) ? O_RDWR : O_WRONLY);
  } else if (mode & MMIO_READWRITE) {
    flags |= O_RDWR;
  } else if (mode & MMIO_WRITE) {
    flags |= O_WRONLY;
  } else {
    flags |= O_RDONLY;
  }
  int fd = ::open(name, flags, 0666);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd);
    errno = error;
    return nullptr;
  }
  return std::make_unique<DiskStorage>(fd);
}

// One open file: its storage and a window of it held in `buffer`.
// The window [bufferStart, bufferStart + bufferLength) always holds the file's
// current bytes; [dirtyBegin, dirtyEnd) of it still has to be written out.
struct MmioHandle {
  std::unique_ptr<MmioStorage> storage;
  std::vector<uint8_t> buffer;
  int64_t bufferStart = 0;
  size_t bufferLength = 0;
  size_t dirtyBegin = 0;
  size_t dirtyEnd = 0;
  int64_t position = 0;
  int64_t size = 0;
  bool lastReadDirect = false;

  bool Flush() {
    if (dirtyEnd > dirtyBegin) {
      int64_t n = storage->WriteAt(bufferStart + static_cast<int64_t>(dirtyBegin),
                                   buffer.data() + dirtyBegin, dirtyEnd - dirtyBegin);
      if (n < 0) return false;
    }
    dirtyBegin = dirtyEnd = 0;
    return true;
  }

  // Moves the window so that it starts at `offset` and holds nothing yet.
  bool Restart(int64_t offset) {
    if (!Flush()) return false;
    bufferStart = offset;
    bufferLength = 0;
    return true;
  }

  int64_t Read(uint8_t* out, int64_t count) {
    int64_t total = 0;
    while (count > 0) {
      int64_t end = bufferStart + static_cast<int64_t>(bufferLength);
      if (position >= bufferStart && position < end) {
        int64_t n = std::min(count, end - position);
        std::memcpy(out, buffer.data() + (position - bufferStart), static_cast<size_t>(n));
        out += n;
        position += n;
        total += n;
        count -= n;
        continue;
      }
      if (!Restart(position)) return -1;
      // Payloads go straight to the caller; the buffer holds only a short
      // stretch after them, enough for the headers that follow.
      if (count >= kDirectTransfer) {
        int64_t n = storage->ReadAt(position, out, static_cast<size_t>(count));
        if (n < 0) return -1;
        position += n;
        lastReadDirect = true;
        return total + n;
      }
      const size_t refill = lastReadDirect ? kShortRefill : buffer.size();
      lastReadDirect = false;
      int64_t n = storage->ReadAt(position, buffer.data(), std::min(refill, buffer.size()));
      if (n < 0) return -1;
      bufferLength = static_cast<size_t>(n);
      if (n == 0) break;
    }
    return total;
  }

  int64_t Write(const uint8_t* in, int64_t count) {
    int64_t total = 0;
    const auto capacity = static_cast<int64_t>(buffer.size());
    while (count > 0) {
      int64_t end = bufferStart + static_cast<int64_t>(bufferLength);
      if (position >= bufferStart && position <= end && position < bufferStart + capacity) {
        auto at = static_cast<size_t>(position - bufferStart);
        auto n = static_cast<size_t>(std::min(count, bufferStart + capacity - position));
        std::memcpy(buffer.data() + at, in, n);
        if (dirtyEnd == dirtyBegin) {
          dirtyBegin = at;
          dirtyEnd = at + n;
        } else {
          dirtyBegin = std::min(dirtyBegin, at);
          dirtyEnd = std::max(dirtyEnd, at + n);
        }
        bufferLength = std::max(bufferLength, at + n);
        in += n;
        position += static_cast<int64_t>(n);
        total += static_cast<int64_t>(n);
        count -= static_cast<int64_t>(n);
        size = std::max(size, position);
        continue;
      }
      if (!Restart(position)) return -1;
      if (count >= capacity) {
        if (storage->WriteAt(position, in, static_cast<size_t>(count)) < 0) return -1;
        position += count;
        size = std::max(size, position);
        return total + count;
      }
    }
    return total;
  }
};

HMMIO mmioOpenA(const char* name, MMIOINFO* info, uint32_t mode) {
  std::unique_ptr<MmioStorage> storage;
  if (info != nullptr && info->storage) {
    storage = std::move(info->storage);
  } else if (name != nullptr) {
    storage = OpenDiskStorage(name, mode);
  } else {
    errno = EINVAL;
  }
  int64_t size = storage ? storage->Size() : -1;
  if (!storage || size < 0) {
    if (info != nullptr) info->wErrorRet = errno;
    return nullptr;
  }
  auto* handle = new MmioHandle;
  handle->storage = std::move(storage);
  // A file opened only for reading needs no more buffer than it has bytes.
  const bool writes = (mode & (MMIO_WRITE | MMIO_READWRITE | MMIO_CREATE)) != 0;
  handle->buffer.resize(
      writes ? kBufferSize
             : static_cast<size_t>(std::clamp<int64_t>(size, kMinimumBufferSize, kBufferSize)));
  handle->size = size;
  return handle;
}

uint32_t mmioClose(HMMIO handle, uint32_t /*flags*/) {
  if (handle == nullptr) return MMIOERR_CANNOTCLOSE;
  bool flushed = handle->Flush();
  int error = errno;
  bool closed = handle->storage->Close();
  if (!flushed) errno = error;
  delete handle;
  return flushed && closed ? MMSYSERR_NOERROR : MMIOERR_CANNOTCLOSE;
}

int64_t mmioRead(HMMIO handle, void* destination, int64_t count) {
  if (handle == nullptr || count < 0) return -1;
  return handle->Read(static_cast<uint8_t*>(destination), count);
}

int64_t mmioWrite(HMMIO handle, const void* source, int64_t count) {
  if (handle == nullptr || count < 0) return -1;
  return handle->Write(static_cast<const uint8_t*>(source), count);
}

int64_t mmioSeek(HMMIO handle, int64_t offset, int origin) {
  if (handle == nullptr) return -1;
  int64_t base = 0;
  if (origin == SEEK_FROM_CURRENT) base = handle->position;
  if (origin == SEEK_FROM_END) base = handle->size;
  if (offset < 0 && base < -offset) return -1;
  handle->position = base + offset;
  return handle->position;
}

int64_t mmioSize(HMMIO handle) {
  return handle == nullptr ? -1 : handle->size;
}

uint32_t mmioFlush(HMMIO handle) {
  if (handle == nullptr || !handle->Flush()) return MMIOERR_CANNOTWRITE;
  return MMSYSERR_NOERROR;
}

uint32_t mmioDescend(HMMIO handle, MMCKINFO* chunk, const MMCKINFO* /*parent*/,
                     uint32_t /*flags*/) {
  if (handle == nullptr || chunk == nullptr) return MMIOERR_CHUNKNOTFOUND;
  const int64_t start = handle->position;
  if (start + 8 > kMaxChunkOffset) return MMIOERR_CHUNKNOTFOUND;
  uint8_t header[12];
  if (handle->Read(header, 8) != 8) {
    handle->position = start;
    return MMIOERR_CHUNKNOTFOUND;
  }
  FourCC id(ReadLE32(header));
  FourCC type;
  if (id == FourCC("RIFF") || id == FourCC("LIST")) {
    if (handle->Read(header + 8, 4) != 4) {
      handle->position = start;
      return MMIOERR_CHUNKNOTFOUND;
    }
    type = FourCC(ReadLE32(header + 8));
  }
  chunk->ckid = id;
  chunk->cksize = ReadLE32(header + 4);
  chunk->fccType = type;
  chunk->dwDataOffset = static_cast<uint32_t>(start + 8);
  chunk->dwFlags = 0;
  return MMSYSERR_NOERROR;
}

uint32_t mmioAscend(HMMIO handle, MMCKINFO* chunk, uint32_t /*flags*/) {
  if (handle == nullptr || chunk == nullptr) return MMIOERR_CANNOTSEEK;
  if (chunk->dwFlags & MMIO_DIRTY) {
    const int64_t end = handle->position;
    const int64_t dataSize = end - static_cast<int64_t>(chunk->dwDataOffset);
    if (dataSize < 0 || dataSize > std::numeric_limits<uint32_t>::max()) return MMIOERR_CANNOTWRITE;
    const auto size = static_cast<uint32_t>(dataSize);
    if (size & 1) {
      const uint8_t pad = 0;
      if (handle->Write(&pad, 1) != 1) return MMIOERR_CANNOTWRITE;
    }
    if (size != chunk->cksize) {
      uint8_t field[4];
      WriteLE32(field, size);
      handle->position = static_cast<int64_t>(chunk->dwDataOffset) - 4;
      if (handle->Write(field, 4) != 4) return MMIOERR_CANNOTWRITE;
      chunk->cksize = size;
    }
    chunk->dwFlags &= ~MMIO_DIRTY;
  }
  handle->position = PaddedEnd(*chunk);
  return MMSYSERR_NOERROR;
}

uint32_t mmioCreateChunk(HMMIO handle, MMCKINFO* chunk, uint32_t flags) {
  if (handle == nullptr || chunk == nullptr) return MMIOERR_CANNOTWRITE;
  const int64_t start = handle->position;
  if (start + 12 > kMaxChunkOffset) return MMIOERR_CANNOTWRITE;
  if (flags & MMIO_CREATERIFF) chunk->ckid = FourCC("RIFF");
  if (flags & MMIO_CREATELIST) chunk->ckid = FourCC("LIST");
  const bool hasType = (flags & (MMIO_CREATERIFF | MMIO_CREATELIST)) != 0;
  uint8_t header[12];
  WriteLE32(header, chunk->ckid.value());
  WriteLE32(header + 4, chunk->cksize);
  WriteLE32(header + 8, chunk->fccType.value());
  const int64_t length = hasType ? 12 : 8;
  if (handle->Write(header, length) != length) return MMIOERR_CANNOTWRITE;
  chunk->dwDataOffset = static_cast<uint32_t>(start + 8);
  chunk->dwFlags = MMIO_DIRTY;
  return MMSYSERR_NOERROR;
}

}  // namespace platform
