#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {
constexpr size_t kFlushThreshold = 256 * 1024;
}

TextFile::~TextFile() {
  Close();
}

bool TextFile::Create(const std::string& name) {
  Close();
  error_ = 0;
  fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    error_ = errno;
    return false;
  }
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    error_ = EISDIR;
    return false;
  }
  return true;
}

bool TextFile::Write(std::string_view text) {
  if (fd_ < 0 || error_ != 0) return false;
  for (char c : text) {
    if (c == '\n') pending_.push_back('\r');
    pending_.push_back(c);
  }
  return pending_.size() < kFlushThreshold || Flush();
}

bool TextFile::Flush() {
  size_t done = 0;
  while (done < pending_.size() && error_ == 0) {
    ssize_t n = ::write(fd_, pending_.data() + done, pending_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<size_t>(n);
  }
  pending_.clear();
  return error_ == 0;
}

bool TextFile::Close() {
  if (fd_ < 0) return error_ == 0;
  Flush();
  if (::close(fd_) != 0 && error_ == 0) error_ = errno;
  fd_ = -1;
  return error_ == 0;
}

}  // namespace platform
