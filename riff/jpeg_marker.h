// JpegMarker: one JPEG marker segment inside a ChunkBuffer (or a run of bytes
// that is no segment: entropy-coded data, fill), and the rules that say which
// two-byte codes are markers and how their segments are laid out. Markers are
// plain values; the buffer operations that read and write them are in
// ChunkBuffer.
#pragma once

#include <cstdint>

namespace riff {

struct JpegMarker {
  static constexpr uint16_t kDataRun = 0xFF00;  // bytes that are no marker segment
  static constexpr uint16_t kSoi = 0xFFD8;
  static constexpr uint16_t kEoi = 0xFFD9;
  static constexpr uint16_t kSos = 0xFFDA;
  static constexpr uint16_t kDqt = 0xFFDB;
  static constexpr uint16_t kDri = 0xFFDD;
  static constexpr uint16_t kApp0 = 0xFFE0;
  static constexpr uint16_t kCom = 0xFFFE;
  static constexpr uint16_t kRst0 = 0xFFD0;
  static constexpr uint16_t kRst7 = 0xFFD7;
  static constexpr uint16_t kWritten = 0x0001;     // flag: made by BeginSegment
  static constexpr uint16_t kStandalone = 0x0002;  // flag: a restart marker read or
                                                   // written without a length field

  uint16_t code = kDataRun;
  uint16_t flags = 0;
  // Offset from the buffer's start of the segment's first byte (the 0xFF of
  // its code; a data run's first byte).
  int64_t position = 0;
  // With a length field: that field's value (it counts itself and the
  // payload). SOI and EOI: 0. A data run: its byte count.
  int64_t length = 0;

  bool IsBeingWritten() const { return (flags & kWritten) != 0; }
  // Whether this segment has a length field after its code.
  bool HasLength() const { return HasLengthField(code) && (flags & kStandalone) == 0; }
  // Payload bytes after the code and length field (0 for SOI, EOI; the run
  // length for a data run). Negative for a damaged length field of 0 or 1.
  int64_t PayloadLength() const { return HasLength() ? length - 2 : length; }

  // 0xFFC0-0xFFE7 and 0xFFF0-0xFFFE. APP8 to APP15 (0xFFE8-0xFFEF) are not
  // recognised; neither are 0xFF00, 0xFFFF and 0xFF01-0xFFBF.
  static bool IsMarkerCode(uint16_t code) {
    return (code >= 0xFFC0 && code <= 0xFFE7) || (code >= 0xFFF0 && code <= 0xFFFE);
  }
  // Every code but a data run, SOI, EOI and 0xFFFF. Restart markers count as
  // having one here; see ChunkBuffer::ReadMarker for the rule that reads
  // them as standalone.
  static bool HasLengthField(uint16_t code) {
    return code != kDataRun && code != kSoi && code != kEoi && code != 0xFFFF;
  }
  static bool IsRestart(uint16_t code) { return code >= kRst0 && code <= kRst7; }
  // Bytes of the code itself: 2, or 0 for a data run.
  static int64_t PrefixLength(uint16_t code) { return code == kDataRun || code == 0xFFFF ? 0 : 2; }
};

}  // namespace riff
