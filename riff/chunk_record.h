// ChunkRecord: the header of one chunk, as read from a file or as being
// written: its identifier, size, form or list type, data offset and flags.
// Records are plain values owned by whoever holds them (a walker's stack, a
// writer's list stack, a local variable).
#pragma once

#include <cstdint>

#include "platform/mmio.h"

namespace riff {

using platform::FourCC;

struct ChunkRecord : platform::MMCKINFO {
  // Every chunk header is 8 bytes, so the chunk starts at dwDataOffset - 8.
  static constexpr uint32_t kHeaderSize = 8;

  bool IsRiff() const { return ckid == FourCC("RIFF"); }
  bool IsList() const { return ckid == FourCC("LIST"); }
  bool IsListOf(FourCC type) const { return IsList() && fccType == type; }
  // A RIFF form or LIST: something that holds children.
  bool HoldsChildren() const { return IsRiff() || IsList(); }
  // A video frame chunk: its identifier ends in "db" or "dc" ("00dc").
  bool IsFrame() const { return ckid.EndsWith('d', 'b') || ckid.EndsWith('d', 'c'); }
  // Offset of the chunk's first header byte.
  int64_t Start() const { return static_cast<int64_t>(dwDataOffset) - kHeaderSize; }
  // Offset right after the chunk's data and pad byte.
  int64_t PaddedEnd() const { return platform::PaddedEnd(*this); }
};

}  // namespace riff
