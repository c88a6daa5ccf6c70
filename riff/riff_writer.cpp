#include "riff/riff_writer.h"

#include <cerrno>

#include "platform/byte_order.h"

namespace riff {
namespace {
constexpr size_t kIndexEntrySize = 16;
}

RiffWriter::~RiffWriter() {
  Close();
}

bool RiffWriter::Fail() {
  failed_ = true;
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
  return false;
}

bool RiffWriter::Open(const std::string& name) {
  Close();
  file_ = std::make_unique<RiffFile>();
  alignNext_ = indexing_ = false;
  if (!file_->Open(name, platform::MMIO_CREATE | platform::MMIO_READWRITE)) {
    error_ = file_->openError();
    return false;
  }
  return true;
}

bool RiffWriter::Open(std::unique_ptr<platform::MmioStorage> storage) {
  Close();
  file_ = std::make_unique<RiffFile>();
  alignNext_ = indexing_ = false;
  if (!file_->Open(std::move(storage), platform::MMIO_CREATE | platform::MMIO_READWRITE)) {
    error_ = file_->openError();
    return false;
  }
  return true;
}

bool RiffWriter::Close() {
  if (!IsOpen()) {
    file_.reset();
    return !failed_;
  }
  if (openChunk_) EndPlainChunk();
  if (!file_->Close()) {
    errno = file_->closeError();
    Fail();
  }
  file_.reset();
  return !failed_;
}

bool RiffWriter::BeginChunk(const ChunkRecord& record, bool isFrame) {
  if (!IsOpen()) return false;
  if (openChunk_) EndPlainChunk();

  const FourCC id = record.ckid;
  if (id == FourCC("idx1")) return WriteIndex();
  if (id == FourCC("JUNK")) return true;

  std::optional<ChunkRecord> created;
  if (record.IsRiff()) {
    created = file_->CreateRiff(record.fccType);
    if (!created) return Fail();
    listStack_.push_back({*created, -1});
    openChunk_ = listStack_.back();
    return true;
  }
  if (record.IsList()) {
    uint32_t anchor = 0;
    if (record.fccType == FourCC("movi")) {
      alignNext_ = true;
      anchor = record.dwDataOffset - ChunkRecord::kHeaderSize;
    }
    if (alignNext_ && !file_->PadWithJunk(anchor)) return Fail();
    alignNext_ = false;
    created = file_->CreateList(record.fccType);
    if (!created) return Fail();
    listStack_.push_back({*created, -1});
    openChunk_ = listStack_.back();
    return true;
  }
  const bool inRecList = !listStack_.empty() && listStack_.back().record.IsListOf(FourCC("rec "));
  if (isFrame && record.IsFrame() && !inRecList) alignNext_ = true;
  if (alignNext_ && !file_->PadWithJunk(0)) return Fail();
  alignNext_ = false;
  created = file_->CreateChunk(id);
  if (!created) return Fail();
  openChunk_ = OpenChunk{*created, -1};
  return true;
}

bool RiffWriter::WriteBytes(const void* bytes, size_t count) {
  if (!IsOpen()) return false;
  if (file_->Write(bytes, static_cast<int64_t>(count)) != static_cast<int64_t>(count)) {
    return Fail();
  }
  return true;
}

bool RiffWriter::WriteChunk(const ChunkRecord& record, const void* bytes, size_t count) {
  if (!BeginChunk(record, count != 0)) return false;
  if (record.ckid == FourCC("idx1") || record.ckid == FourCC("JUNK")) return true;
  if (count != 0 && !WriteBytes(bytes, count)) {
    openChunk_.reset();
    return false;
  }
  if (record.HoldsChildren()) {
    // A "rec " list gets its index entry when it begins; the list stays open
    // on the list stack.
    AddIndexEntry(&listStack_.back(), true);
    openChunk_.reset();
  }
  return true;
}

bool RiffWriter::EndChunk(const ChunkRecord& record) {
  if (!IsOpen()) return false;
  if (record.HoldsChildren()) {
    if (openChunk_ && openChunk_->record.ckid != record.ckid) EndPlainChunk();
    openChunk_.reset();
    return EndList();
  }
  if (record.ckid == FourCC("JUNK")) {
    // The next chunk takes the place of the dropped filler.
    alignNext_ = true;
    return true;
  }
  if (openChunk_) return EndPlainChunk();
  return true;
}

bool RiffWriter::EndPlainChunk() {
  OpenChunk chunk = *openChunk_;
  openChunk_.reset();
  AddIndexEntry(&chunk, false);
  if (!file_->Ascend(&chunk.record)) return Fail();
  return true;
}

bool RiffWriter::EndList() {
  if (listStack_.empty()) return false;
  OpenChunk list = listStack_.back();
  listStack_.pop_back();
  if (!file_->Ascend(&list.record)) return Fail();
  if (list.indexEntry >= 0 && static_cast<size_t>(list.indexEntry) < indexEntries_.size()) {
    IndexEntry& entry = indexEntries_[static_cast<size_t>(list.indexEntry)];
    entry.dwChunkLength = static_cast<uint32_t>(file_->Position()) - ChunkRecord::kHeaderSize -
                          moviBase_ - entry.dwChunkOffset;
  }
  return true;
}

bool RiffWriter::FinishOpenLists() {
  if (!IsOpen()) return false;
  if (openChunk_ && !openChunk_->record.HoldsChildren()) EndPlainChunk();
  openChunk_.reset();
  bool ended = true;
  while (!listStack_.empty()) ended = EndList() && ended;
  return ended;
}

void RiffWriter::MarkMovi() {
  moviBase_ = listStack_.empty() ? 0 : listStack_.back().record.dwDataOffset;
  indexing_ = true;
}

void RiffWriter::AddIndexEntry(OpenChunk* chunk, bool isList) {
  if (!indexing_) return;
  const ChunkRecord& record = chunk->record;
  uint32_t flags = 0;
  if (isList || record.HoldsChildren()) {
    if (!record.IsListOf(FourCC("rec "))) return;
    flags = AVIIF_LIST;
  } else if (record.ckid == FourCC("JUNK")) {
    return;
  } else if (record.IsFrame()) {
    flags = AVIIF_KEYFRAME | AVIIF_TWOCC;
  } else if (record.ckid.EndsWith('w', 'b') || record.ckid.EndsWith('p', 'c')) {
    flags = AVIIF_TWOCC;
  }
  IndexEntry entry;
  entry.ckid = record.IsList() ? record.fccType : record.ckid;
  entry.dwFlags = flags;
  entry.dwChunkOffset = record.dwDataOffset - ChunkRecord::kHeaderSize - moviBase_;
  entry.dwChunkLength = static_cast<uint32_t>(file_->Position()) - record.dwDataOffset;
  indexEntries_.push_back(entry);
  chunk->indexEntry = static_cast<int>(indexEntries_.size() - 1);
}

bool RiffWriter::WriteIndex() {
  if (!IsOpen()) return false;
  StopIndexing();
  std::optional<ChunkRecord> index = file_->CreateChunk(FourCC("idx1"));
  if (!indexEntries_.empty() && indexEntries_.back().ckid == FourCC("rec ")) {
    indexEntries_.pop_back();
  }
  bool written = index.has_value();
  if (index) {
    std::vector<uint8_t> bytes(indexEntries_.size() * kIndexEntrySize);
    uint8_t* at = bytes.data();
    for (const IndexEntry& entry : indexEntries_) {
      platform::WriteLE32(at, entry.ckid.value());
      platform::WriteLE32(at + 4, entry.dwFlags);
      platform::WriteLE32(at + 8, entry.dwChunkOffset);
      platform::WriteLE32(at + 12, entry.dwChunkLength);
      at += kIndexEntrySize;
    }
    written = WriteBytes(bytes.data(), bytes.size()) && file_->Ascend(&*index);
  }
  indexEntries_.clear();
  return written ? true : Fail();
}

}  // namespace riff
