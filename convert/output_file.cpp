#include "convert/output_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace convert {

OutputFile::~OutputFile() {
  if (!committed_) Discard();
}

bool OutputFile::Create() {
  const size_t slash = finalName_.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : finalName_.substr(0, slash + 1);
  std::string pattern = folder + (slash == std::string::npos ? "/" : "") + ".clipmill-XXXXXX.part";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemps(name.data(), 5);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  close(fd);
  temporaryName_ = name.data();
  return true;
}

bool OutputFile::Commit() {
  if (temporaryName_.empty()) return false;
  struct stat existing {};
  mode_t mode = 0666;
  if (stat(finalName_.c_str(), &existing) == 0) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode &= ~mask;
  }
  chmod(temporaryName_.c_str(), mode);
  if (std::rename(temporaryName_.c_str(), finalName_.c_str()) != 0) {
    error_ = errno;
    return false;
  }
  committed_ = true;
  temporaryName_.clear();
  return true;
}

void OutputFile::Discard() {
  if (!temporaryName_.empty()) unlink(temporaryName_.c_str());
  temporaryName_.clear();
}

}  // namespace convert
