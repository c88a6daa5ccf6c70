#include "riff/riff_walker.h"

#include <new>

#include "riff/riff_error.h"

namespace riff {
namespace {
// A list must hold its type field and at least one child header before the
// walk goes into it.
constexpr int64_t kListTypeSize = 4;
}  // namespace

int RiffWalker::Run(const std::string& name, uint32_t mode) {
  RiffFile file;
  inputOpenError_ = 0;
  if (!file.Open(name, mode)) {
    inputOpenError_ = file.openError();
    status_ = kStatusFileError;
  }
  fileName_ = &name;
  const int result = Walk(file);
  fileName_ = nullptr;
  file.Close();
  return result;
}

int RiffWalker::Walk(RiffFile& file) {
  inputEndedEarly_ = false;
  inputEnd_ = 0;
  fileError_ = 0;
  if (Begin(file) == 0) {
    ChunkRecord chunk;
    try {
      for (;;) {
        const ChunkRecord* parent = Top();
        if (BeforeChunk(parent, file) != 0) break;
        if (!file.Descend(&chunk)) {
          if (!stack_.empty()) {
            inputEndedEarly_ = true;
            inputEnd_ = file.Size();
          }
          break;
        }
        const int entered = OnChunk(chunk, parent, file);
        if (entered > 0) continue;
        if (entered < 0) break;
        if (chunk.PaddedEnd() > file.Size() + (chunk.cksize & 1)) {
          inputEndedEarly_ = true;
          inputEnd_ = file.Size();
        }
        if (!file.Ascend(&chunk)) break;
        if (AfterChunk(chunk, parent, file) < 0) break;
      }
    } catch (const std::bad_alloc&) {
      status_ = kStatusOutOfMemory;
    } catch (const FileError& error) {
      fileError_ = error.error();
      status_ = kStatusFileError;
    }
  }
  return End(file) == 0 ? 1 : 0;
}

int RiffWalker::Begin(RiffFile& file) {
  if (!file.IsOpen()) return -1;
  ClearStack();
  file.Seek(0, platform::SEEK_FROM_START);
  status_ = kStatusOk;
  return 0;
}

int RiffWalker::End(RiffFile& /*file*/) {
  return status_ < 0 ? -2 : 0;
}

int RiffWalker::BeforeChunk(const ChunkRecord* /*parent*/, RiffFile& /*file*/) {
  return 0;
}

int RiffWalker::OnChunk(ChunkRecord& chunk, const ChunkRecord* parent, RiffFile& /*file*/) {
  bool enter = chunk.IsRiff();
  if (chunk.IsList()) {
    // A list is entered only when its type field lies inside its parent and
    // it has room for a child header: an empty list stays a leaf, so the
    // chunk after it is not taken for its child.
    const int64_t typeEnd = static_cast<int64_t>(chunk.dwDataOffset) + kListTypeSize;
    const bool typeInsideParent = parent == nullptr || typeEnd < parent->PaddedEnd();
    const bool roomForChild = chunk.cksize >= kListTypeSize + ChunkRecord::kHeaderSize;
    enter = typeInsideParent && roomForChild;
  }
  if (!enter) return 0;
  stack_.push_back(std::make_unique<ChunkRecord>(chunk));
  return 1;
}

int RiffWalker::AfterChunk(const ChunkRecord& chunk, const ChunkRecord* parent, RiffFile& file) {
  if (parent == nullptr) return 0;
  if (parent->PaddedEnd() >= chunk.PaddedEnd() + ChunkRecord::kHeaderSize) return 0;
  // The parent is finished: report its end as a chunk being left.
  const ChunkRecord finished = *parent;
  stack_.pop_back();
  const int result = AfterChunk(finished, Top(), file);
  if (stack_.empty()) return -1;
  return result;
}

}  // namespace riff
