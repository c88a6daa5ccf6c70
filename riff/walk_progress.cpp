#include "riff/walk_progress.h"

namespace riff {

bool ProgressTracker::EscapeReleased() {
  int key = 0;
  if (progress_ == nullptr || !progress_->TakeKeyUp(&key) || key != kVkEscape) return false;
  cancelled_ = true;
  return true;
}

void ProgressTracker::SetRangeFrom(uint32_t riffSize) {
  if (progress_ == nullptr) return;
  uint32_t range = riffSize;
  while (range > 0xFFFF) {
    range >>= 1;
    divisor_ <<= 1;
  }
  progress_->SetRange(range);
}

void ProgressTracker::SetPositionAt(uint32_t dataOffset) {
  // Unsigned: offsets past 2 GiB must not turn the bar negative.
  if (progress_ != nullptr) progress_->SetPosition(dataOffset / divisor_);
}

}  // namespace riff
