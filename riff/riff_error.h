// The two failures that end a walk from wherever they happen: running out of
// memory (std::bad_alloc) and a file error, raised as FileError. The walk loop
// of RiffWalker is the one place that catches them.
#pragma once

#include <stdexcept>
#include <string>

namespace riff {

class FileError : public std::runtime_error {
 public:
  // `error` is the errno value that describes the failure.
  FileError(const std::string& what, int error) : std::runtime_error(what), error_(error) {}
  int error() const { return error_; }

 private:
  int error_;
};

}  // namespace riff
