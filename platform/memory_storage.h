// MemoryStorage: an MmioStorage held in memory, for tests. It can be told to
// behave like a disk that fills up after a given number of bytes, so that
// every write failure path can be reached. The bytes are shared with the
// test through `data`, which must outlive the storage.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/mmio.h"

namespace platform {

class MemoryStorage : public MmioStorage {
 public:
  // `capacity` bytes may be stored before writes fail with ENOSPC. When
  // `writes` is given, it counts the successful WriteAt calls (to see that
  // writes are buffered); it must outlive the storage.
  explicit MemoryStorage(std::vector<uint8_t>* data,
                         int64_t capacity = std::numeric_limits<int64_t>::max(),
                         int* writes = nullptr)
      : data_(data), capacity_(capacity), writes_(writes) {}

  int64_t ReadAt(int64_t offset, void* destination, size_t count) override {
    if (offset < 0) return Fail(EINVAL);
    const auto size = static_cast<int64_t>(data_->size());
    if (offset >= size) return 0;
    const auto n =
        static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), size - offset));
    std::memcpy(destination, data_->data() + offset, n);
    return static_cast<int64_t>(n);
  }

  int64_t WriteAt(int64_t offset, const void* source, size_t count) override {
    const int64_t end = offset + static_cast<int64_t>(count);
    if (offset < 0) return Fail(EINVAL);
    if (end > capacity_) return Fail(ENOSPC);
    if (end > static_cast<int64_t>(data_->size())) data_->resize(static_cast<size_t>(end));
    if (count != 0) std::memcpy(data_->data() + offset, source, count);
    if (writes_ != nullptr) ++*writes_;
    return static_cast<int64_t>(count);
  }

  int64_t Size() override { return static_cast<int64_t>(data_->size()); }
  bool Close() override { return true; }

 private:
  static int64_t Fail(int error) {
    errno = error;
    return -1;
  }

  std::vector<uint8_t>* data_;
  int64_t capacity_;
  int* writes_;
};

}  // namespace platform
