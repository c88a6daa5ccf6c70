// RiffWalker: the base of every reader that passes over a RIFF file once,
// front to back. The walker owns the traversal: it reads chunk headers where
// they stand, keeps a stack of the RIFF forms and LISTs it is inside, and
// calls five virtual operations that derived walkers override to do their
// work. Payloads are read only by derived walkers that want them.
//
// The walker owns the records on its stack; `Run` owns the file it opens for
// the length of the walk and borrows the name given to it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "riff/chunk_record.h"
#include "riff/riff_file.h"

namespace riff {

class RiffWalker {
 public:
  // Walk status codes.
  static constexpr int kStatusOk = 0;
  static constexpr int kStatusCannotCreateOutput = -3;
  static constexpr int kStatusOutOfMemory = -4;
  static constexpr int kStatusFileError = -5;

  RiffWalker() = default;
  virtual ~RiffWalker() = default;
  RiffWalker(const RiffWalker&) = delete;
  RiffWalker& operator=(const RiffWalker&) = delete;

  // Opens `name` with `mode`, walks it and closes it. 1 when the walk
  // succeeded, 0 when it failed (an input that cannot be opened fails with
  // kStatusFileError and inputOpenError() telling why).
  // REQUIRES: `name` stays valid until Run returns.
  int Run(const std::string& name, uint32_t mode);
  // Walks an open file: 1 when End returned 0, else 0.
  int Walk(RiffFile& file);

  // The innermost open RIFF form or LIST, or none.
  const ChunkRecord* Top() const { return stack_.empty() ? nullptr : stack_.back().get(); }
  // Deletes every record on the stack.
  void ClearStack() { stack_.clear(); }

  int status() const { return status_; }
  // errno of the input that Run could not open, else 0.
  int inputOpenError() const { return inputOpenError_; }
  // errno of the file error that ended the walk (kStatusFileError), else 0.
  int fileError() const { return fileError_; }
  // True when the file ended inside a list: a header could not be read
  // while lists were still open, or the last chunk claims bytes past the end.
  bool inputEndedEarly() const { return inputEndedEarly_; }
  // Offset at which the input ended early.
  int64_t inputEnd() const { return inputEnd_; }

 protected:
  // 0 walks the file; nonzero skips straight to End.
  virtual int Begin(RiffFile& file);
  // 0 when the walk succeeded.
  virtual int End(RiffFile& file);
  // Nonzero stops the walk before the next header is read.
  virtual int BeforeChunk(const ChunkRecord* parent, RiffFile& file);
  // 0: a leaf, leave it; positive: entered (or moved on by itself); negative: stop.
  // REQUIRES: derived versions call this one for chunks they let the walk
  // enter, so that every form and list is pushed here.
  virtual int OnChunk(ChunkRecord& chunk, const ChunkRecord* parent, RiffFile& file);
  // Negative stops the walk. The base version reports the end of every list
  // the chunk completes (innermost first) through this same slot.
  // `parent` must not be used after calling the base version: it pops it.
  virtual int AfterChunk(const ChunkRecord& chunk, const ChunkRecord* parent, RiffFile& file);

  // Name of the file being walked by Run, or none.
  const std::string* fileName() const { return fileName_; }
  void set_status(int status) { status_ = status; }

 private:
  std::vector<std::unique_ptr<ChunkRecord>> stack_;
  const std::string* fileName_ = nullptr;
  int status_ = kStatusOk;
  int inputOpenError_ = 0;
  int fileError_ = 0;
  bool inputEndedEarly_ = false;
  int64_t inputEnd_ = 0;
};

}  // namespace riff
