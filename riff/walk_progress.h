// How a long walk shows its progress and hears a cancel. The engine never
// sees a widget or a terminal: the desktop program implements WalkProgress
// with a progress bar and the Esc key, the command line with a terminal bar
// and Ctrl-C, tests with counters. ProgressTracker is the per-walk half of
// the protocol that the map writer and the conversion walker share.
#pragma once

#include <cstdint>

namespace riff {

// Virtual-key code of the Esc key.
constexpr int kVkEscape = 27;

class WalkProgress {
 public:
  virtual ~WalkProgress() = default;
  // The bar runs from 0 to `maximum` (at most 0xFFFF).
  virtual void SetRange(uint32_t maximum) = 0;
  virtual void SetPosition(uint32_t position) = 0;
  // Takes at most one pending key release out of the queue; true with its
  // virtual-key code in `key` when there was one.
  virtual bool TakeKeyUp(int* key) = 0;
};

// Scales 32-bit file offsets to the bar's 16-bit range and remembers whether
// the user asked to stop. Borrows `progress` (may be none) for its lifetime.
class ProgressTracker {
 public:
  explicit ProgressTracker(WalkProgress* progress) : progress_(progress) {}

  // At the start of a walk: divisor 1, nothing cancelled.
  void Reset() {
    divisor_ = 1;
    cancelled_ = false;
  }
  // Takes one key release; true (and cancelled() from then on) when it was Esc.
  bool EscapeReleased();
  // Sets the range from the size of the RIFF form: halved until it fits in
  // 16 bits, the divisor doubling each time.
  void SetRangeFrom(uint32_t riffSize);
  // Moves the bar to `dataOffset` scaled by the divisor.
  void SetPositionAt(uint32_t dataOffset);

  bool cancelled() const { return cancelled_; }
  uint32_t divisor() const { return divisor_; }

 private:
  WalkProgress* progress_;
  uint32_t divisor_ = 1;
  bool cancelled_ = false;
};

}  // namespace riff
