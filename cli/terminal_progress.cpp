#include "cli/terminal_progress.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>

#include "riff/walk_progress.h"

namespace cli {
namespace {

constexpr int kBarWidth = 40;
constexpr char kEscape = 0x1B;

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) {
  interrupted.store(true);
}

}  // namespace

TerminalProgress::TerminalProgress(std::string label) : label_(std::move(label)) {
  interrupted.store(false);
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);

  showBar_ = isatty(STDERR_FILENO) != 0;
  if (isatty(STDIN_FILENO) != 0 && tcgetattr(STDIN_FILENO, &savedTerminal_) == 0) {
    termios raw = savedTerminal_;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    readKeys_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
  }
}

TerminalProgress::~TerminalProgress() {
  Finish();
  if (readKeys_) tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal_);
  signal(SIGINT, SIG_DFL);
}

void TerminalProgress::SetRange(uint32_t maximum) {
  maximum_ = maximum;
  Draw();
}

void TerminalProgress::SetPosition(uint32_t position) {
  position_ = position;
  Draw();
}

bool TerminalProgress::TakeKeyUp(int* key) {
  if (interrupted.exchange(false)) {
    *key = riff::kVkEscape;
    return true;
  }
  if (!readKeys_) return false;
  // A terminal reports key presses, not releases: a lone Esc byte counts as
  // Esc released. Escape sequences (arrow keys and the like) arrive in one
  // read with more bytes after the Esc and are dropped as other keys.
  char bytes[32];
  const ssize_t n = read(STDIN_FILENO, bytes, sizeof bytes);
  if (n <= 0) return false;
  *key = (n == 1 && bytes[0] == kEscape) ? riff::kVkEscape : static_cast<unsigned char>(bytes[0]);
  return true;
}

void TerminalProgress::Draw() {
  if (!showBar_ || maximum_ == 0) return;
  const uint32_t position = position_ > maximum_ ? maximum_ : position_;
  const int percent = static_cast<int>(uint64_t{position} * 100 / maximum_);
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  const int filled = percent * kBarWidth / 100;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kBarWidth - filled), '.');
  std::fprintf(stderr, "\r%s [%s] %3d%%  (Esc to cancel)", label_.c_str(), bar.c_str(), percent);
  std::fflush(stderr);
  drawn_ = true;
}

void TerminalProgress::Finish() {
  if (!drawn_) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  drawn_ = false;
}

}  // namespace cli
