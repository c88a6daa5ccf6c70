// TerminalProgress: the command line's side of the walk progress protocol.
// It draws a progress bar on standard error while that is a terminal, and
// reports a cancel when Esc is released on the terminal (read from standard
// input in non-canonical mode) or when Ctrl-C (SIGINT) arrives. The object
// puts the terminal back as it found it when it is destroyed; only one may
// exist at a time.
#pragma once

#include <termios.h>

#include <cstdint>
#include <string>

#include "riff/walk_progress.h"

namespace cli {

class TerminalProgress : public riff::WalkProgress {
 public:
  // `label` is shown before the bar.
  explicit TerminalProgress(std::string label);
  ~TerminalProgress() override;
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  void SetRange(uint32_t maximum) override;
  void SetPosition(uint32_t position) override;
  bool TakeKeyUp(int* key) override;

  // Clears the bar's line, so that a message can follow.
  void Finish();

 private:
  void Draw();

  std::string label_;
  bool showBar_ = false;
  bool readKeys_ = false;
  bool drawn_ = false;
  termios savedTerminal_{};
  uint32_t maximum_ = 0;
  uint32_t position_ = 0;
  int shownPercent_ = -1;
};

}  // namespace cli
