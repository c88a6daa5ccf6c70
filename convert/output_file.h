// OutputFile: a temporary file beside the place an output must go, renamed
// over that place only when the output is complete. A run that fails, is
// cancelled or is killed never leaves a half-written file under the output's
// name; what a killed run leaves is a hidden ".clipmill-*.part" file that
// nothing reads. The object removes its temporary file unless Commit
// succeeded.
#pragma once

#include <string>

namespace convert {

class OutputFile {
 public:
  explicit OutputFile(std::string finalName) : finalName_(std::move(finalName)) {}
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates a new, empty temporary file in the final name's folder. False
  // with error() set when the folder cannot hold one.
  bool Create();
  const std::string& temporaryName() const { return temporaryName_; }
  // Renames the temporary file over the final name (atomically, keeping the
  // replaced file's permissions when there was one). False with error() set.
  bool Commit();
  // Removes the temporary file.
  void Discard();
  int error() const { return error_; }

 private:
  std::string finalName_;
  std::string temporaryName_;
  int error_ = 0;
  bool committed_ = false;
};

}  // namespace convert
