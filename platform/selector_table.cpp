#include "platform/selector_table.h"

#include <mutex>
#include <vector>

namespace platform {
namespace {

constexpr uint32_t kMaxSelectors = 8191;  // index 0 is the null selector

struct Segment {
  const void* base = nullptr;
  uint32_t limit = 0;
  bool inUse = false;
};

class SelectorTable {
 public:
  uint16_t Allocate(const void* base, uint32_t limit) {
    if (base == nullptr || limit > 0xFFFF) return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    // Searching from the last allocation keeps freed selectors out of use
    // for a while, so a stale 16:16 pointer rarely resolves to a new segment.
    for (uint32_t tried = 0; tried < kMaxSelectors; ++tried) {
      next_ = next_ % kMaxSelectors + 1;
      if (next_ >= segments_.size()) segments_.resize(next_ + 1);
      Segment& segment = segments_[next_];
      if (!segment.inUse) {
        segment = Segment{base, limit, true};
        ++inUse_;
        return static_cast<uint16_t>((next_ << 3) | 7);
      }
    }
    return 0;
  }

  bool Free(uint16_t selector) {
    std::lock_guard<std::mutex> lock(mutex_);
    Segment* segment = Find(selector);
    if (segment == nullptr) return false;
    *segment = Segment{};
    --inUse_;
    return true;
  }

  void* Resolve(SEGPTR segmented) {
    uint16_t selector = static_cast<uint16_t>(segmented >> 16);
    uint32_t offset = segmented & 0xFFFF;
    std::lock_guard<std::mutex> lock(mutex_);
    Segment* segment = Find(selector);
    if (segment == nullptr || offset > segment->limit) return nullptr;
    return const_cast<char*>(static_cast<const char*>(segment->base)) + offset;
  }

  bool Covers(SEGPTR segmented, uint32_t size) {
    uint32_t offset = segmented & 0xFFFF;
    std::lock_guard<std::mutex> lock(mutex_);
    Segment* segment = Find(static_cast<uint16_t>(segmented >> 16));
    return segment != nullptr && offset <= segment->limit && size - 1 <= segment->limit - offset;
  }

  uint32_t InUse() {
    std::lock_guard<std::mutex> lock(mutex_);
    return inUse_;
  }

 private:
  Segment* Find(uint16_t selector) {
    if ((selector & 7) != 7) return nullptr;
    uint32_t index = selector >> 3;
    if (index == 0 || index >= segments_.size() || !segments_[index].inUse) return nullptr;
    return &segments_[index];
  }

  std::mutex mutex_;
  std::vector<Segment> segments_;
  uint32_t next_ = 0;
  uint32_t inUse_ = 0;
};

SelectorTable& Table() {
  static SelectorTable* table = new SelectorTable;  // lives until the process ends
  return *table;
}

}  // namespace

uint16_t AllocSelectorFor(const void* base, uint32_t limit) {
  return Table().Allocate(base, limit);
}
bool FreeSelectorFor(uint16_t selector) {
  return Table().Free(selector);
}
uint32_t SelectorsInUse() {
  return Table().InUse();
}
void* MapSL(SEGPTR segmented) {
  if (segmented == 0) return nullptr;
  return Table().Resolve(segmented);
}

bool SegmentCovers(SEGPTR segmented, uint32_t size) {
  return size == 0 || Table().Covers(segmented, size);
}

SEGPTR MapLS(const void* flat) {
  if (flat == nullptr) return 0;
  uint16_t selector = Table().Allocate(flat, 0xFFFF);
  return static_cast<SEGPTR>(selector) << 16;
}

void UnMapLS(SEGPTR segmented) {
  if (segmented == 0) return;
  Table().Free(static_cast<uint16_t>(segmented >> 16));
}

}  // namespace platform
