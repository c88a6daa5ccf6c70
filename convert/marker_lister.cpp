#include "convert/marker_lister.h"

#include "convert/text_format.h"

namespace convert {
namespace {

// Names of the codes 0xFFC0 to 0xFFFE, by code - 0xFFC0.
constexpr const char* kMarkerNames[] = {
    "JIFMK_SOF0 ", "JIFMK_SOF1 ", "JIFMK_SOF2 ", "JIFMK_SOF3 ", "JIFMK_DHT  ", "JIFMK_SOF5 ",
    "JIFMK_SOF6 ", "JIFMK_SOF7 ", "JIFMK_JPG  ", "JIFMK_SOF9 ", "JIFMK_SOF10", "JIFMK_SOF11",
    "JIFMK_DAC  ", "JIFMK_SOF13", "JIFMK_SOF14", "JIFMK_SOF15", "JIFMK_RST0 ", "JIFMK_RST1 ",
    "JIFMK_RST2 ", "JIFMK_RST3 ", "JIFMK_RST4 ", "JIFMK_RST5 ", "JIFMK_RST6 ", "JIFMK_RST7 ",
    "JIFMK_SOI  ", "JIFMK_EOI  ", "JIFMK_SOS  ", "JIFMK_DQT  ", "JIFMK_DNL  ", "JIFMK_DRI  ",
    "JIFMK_DHP  ", "JIFMK_EXP  ", "JIFMK_APP0 ", "JIFMK_APP1 ", "JIFMK_APP2 ", "JIFMK_APP3 ",
    "JIFMK_APP4 ", "JIFMK_APP5 ", "JIFMK_APP6 ", "JIFMK_APP7 ", "JIFMK_APP8 ", "JIFMK_APP9 ",
    "JIFMK_APP10", "JIFMK_APP11", "JIFMK_APP12", "JIFMK_APP13", "JIFMK_APP14", "JIFMK_APP15",
    "JIFMK_JPG0 ", "JIFMK_JPG1 ", "JIFMK_JPG2 ", "JIFMK_JPG3 ", "JIFMK_JPG4 ", "JIFMK_JPG5 ",
    "JIFMK_JPG6 ", "JIFMK_JPG7 ", "JIFMK_JPG8 ", "JIFMK_JPG9 ", "JIFMK_JPG10", "JIFMK_JPG11",
    "JIFMK_JPG12", "JIFMK_JPG13", "JIFMK_COM  ",
};
static_assert(sizeof kMarkerNames / sizeof kMarkerNames[0] == 0xFFFE - 0xFFC0 + 1);

constexpr size_t kShownPayloadBytes = 6;

}  // namespace

const char* MarkerLister::MarkerName(uint16_t code) {
  if (code == JpegMarker::kDataRun) return "JIFMK_00   ";
  if (code >= 0xFFC0 && code <= 0xFFFE) return kMarkerNames[code - 0xFFC0];
  return "";
}

int MarkerLister::BeginSegments(ChunkBuffer& buffer) {
  state_->videoFrameNumber++;
  AppendFormat(&state_->tailText, " Frame[%d]", state_->videoFrameNumber);
  if (!state_->listJpegMarkers) return -1;
  return JpegSegmentWalker::BeginSegments(buffer);
}

int MarkerLister::OnSegment(const JpegMarker& marker, ChunkBuffer& buffer) {
  std::string& tail = state_->tailText;
  const auto offset = static_cast<uint32_t>(state_->chunkDataOffset + buffer.Cursor());
  AppendFormat(&tail, "\n0x%08x    ", offset);
  tail += state_->indent;
  tail += MarkerName(marker.code);
  if (marker.HasLength()) {
    AppendFormat(&tail, " L(0x%04x)", static_cast<unsigned>(marker.length - 2));
  }
  if (marker.code == JpegMarker::kApp0 || marker.code == JpegMarker::kCom) {
    // The first six bytes at the cursor; bytes past the end of the frame
    // count as zero, which ends the text as a zero character does.
    uint8_t shown[kShownPayloadBytes] = {};
    const size_t available = std::min(kShownPayloadBytes, buffer.Remaining());
    for (size_t i = 0; i < available; ++i) shown[i] = buffer.AtCursor()[i];
    AppendFormat(&tail, " %c%c%c%c 0x%02x 0x%02x", shown[0], shown[1], shown[2], shown[3], shown[4],
                 shown[5]);
  }
  return 0;
}

}  // namespace convert
