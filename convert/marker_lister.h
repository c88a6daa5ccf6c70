// MarkerLister: lists the JPEG marker segments of one Motion-JPEG frame as
// lines of the text map, one line per segment with its file offset, name,
// payload length and, for APP0 and COM, the first payload bytes. It works on
// the fields of the map writer that owns it (MapLineState), which must
// outlive it.
#pragma once

#include <cstdint>
#include <string>

#include "convert/jpeg_segment_walker.h"

namespace convert {

// What the map writer shares with its marker lister.
struct MapLineState {
  std::string indent;            // six blanks per open RIFF or LIST
  std::string nameText;          // name column of the current chunk line
  std::string tailText;          // rest of the current chunk line
  int videoFrameNumber = 0;      // video frame chunks listed so far
  uint32_t chunkDataOffset = 0;  // file offset of the frame's first byte
  bool listJpegMarkers = true;   // set by a Motion-JPEG video stream header
};

class MarkerLister : public JpegSegmentWalker {
 public:
  explicit MarkerLister(MapLineState* state) : state_(state) {}

  // Name of a marker code, eleven characters wide ("JIFMK_SOI  "), or empty
  // for a code that has none.
  static const char* MarkerName(uint16_t code);

 protected:
  int BeginSegments(ChunkBuffer& buffer) override;
  int OnSegment(const JpegMarker& marker, ChunkBuffer& buffer) override;

 private:
  MapLineState* state_;
};

}  // namespace convert
