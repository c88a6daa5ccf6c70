// TextFile: a text file written front to back, with each "\n" stored as a
// carriage return and line feed as text files of this format are read.
// The object owns its file descriptor and buffer and closes the file when it
// is destroyed; callers that care whether every byte reached the disk call
// Close and check its result.
#pragma once

#include <string>
#include <string_view>

namespace platform {

class TextFile {
 public:
  TextFile() = default;
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Creates or truncates `name` for writing. False with error() set on failure.
  bool Create(const std::string& name);
  bool IsOpen() const { return fd_ >= 0; }
  // Appends `text`, turning "\n" into "\r\n". False once a write has failed.
  bool Write(std::string_view text);
  // Writes out what is buffered and closes; false if anything was lost.
  bool Close();
  // errno of the first failure, 0 while all went well.
  int error() const { return error_; }

 private:
  bool Flush();

  int fd_ = -1;
  int error_ = 0;
  std::string pending_;
};

}  // namespace platform
