#include "convert/jpeg_segment_walker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/segment_writer.h"

namespace convert {
namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes* out, std::initializer_list<int> values) {
  for (int v : values) out->push_back(static_cast<uint8_t>(v));
}

void Fill(ChunkBuffer* buffer, const Bytes& bytes) {
  buffer->Reserve(bytes.size(), false);
  if (bytes.empty()) buffer->Reserve(0, false);  // storage, but no content
  std::copy(bytes.begin(), bytes.end(), buffer->Data());
}

// Records each segment as "code/length@position".
class SegmentRecorder : public JpegSegmentWalker {
 public:
  using JpegSegmentWalker::JpegSegmentWalker;
  std::vector<std::string> segments;

 protected:
  int OnSegment(const JpegMarker& marker, ChunkBuffer& buffer) override {
    char text[64];
    std::snprintf(text, sizeof text, "%04X/%lld@%lld", marker.code,
                  static_cast<long long>(marker.length), static_cast<long long>(marker.position));
    segments.push_back(text);
    return JpegSegmentWalker::OnSegment(marker, buffer);
  }
};

Bytes TypicalImage() {
  Bytes b;
  Append(&b, {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43});
  b.insert(b.end(), 65, 0x01);
  Append(&b, {0xFF, 0xDA, 0x00, 0x0C});
  b.insert(b.end(), 10, 0x02);
  for (int i = 0; i < 150; ++i) Append(&b, {0xFF, 0x00});  // 300 bytes with stuffing
  Append(&b, {0xFF, 0xD9});
  return b;
}

struct SegmentCase {
  const char* name;
  Bytes bytes;
  std::vector<std::string> segments;
  bool succeeds = true;
  ChunkBuffer::RestartRule rule = ChunkBuffer::RestartRule::kListing;
};

class Segments : public testing::TestWithParam<SegmentCase> {};

TEST_P(Segments, WalkAsListed) {
  const SegmentCase& c = GetParam();
  ChunkBuffer buffer;
  Fill(&buffer, c.bytes);
  SegmentRecorder walker(c.rule);
  EXPECT_EQ(walker.WalkSegments(buffer), c.succeeds);
  EXPECT_EQ(walker.segments, c.segments);
}

std::vector<SegmentCase> SegmentCases() {
  Bytes twoImages = TypicalImage();
  Append(&twoImages, {0xFF, 0xFF, 0xFF});  // fill between the images
  const Bytes second = TypicalImage();
  twoImages.insert(twoImages.end(), second.begin(), second.end());
  Bytes app8;
  Append(&app8, {0xFF, 0xD8, 0xFF, 0xE8, 0x00, 0x04, 0x11, 0x22, 0xFF, 0xD9});
  Bytes restart;
  Append(&restart, {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x03, 0x00, 0x10, 0x20, 0xFF, 0xD0, 0x30, 0x40,
                    0x50, 0xFF, 0xD9});
  Bytes cutHeader;
  Append(&cutHeader, {0xFF, 0xD8, 0xFF, 0xDB, 0x00});
  Bytes longLength;
  Append(&longLength, {0xFF, 0xD8, 0xFF, 0xFE, 0x7F, 0xFF, 'a', 'b'});
  return {
      {"TypicalImage",
       TypicalImage(),
       {"FFD8/0@0", "FFDB/67@2", "FFDA/12@71", "FF00/300@85", "FFD9/0@385"}},
      {"TwoImagesWithFillBetween",
       twoImages,
       {"FFD8/0@0", "FFDB/67@2", "FFDA/12@71", "FF00/300@85", "FFD9/0@385", "FF00/3@387",
        "FFD8/0@390", "FFDB/67@392", "FFDA/12@461", "FF00/300@475", "FFD9/0@775"}},
      {"App8IsNoMarker", app8, {"FFD8/0@0", "FF00/6@2", "FFD9/0@8"}},
      // Listing reads a restart marker with a length field (here 0x3040).
      {"RestartMarkerAsListed", restart, {"FFD8/0@0", "FFDA/3@2", "FF00/2@7", "FFD0/12352@9"}},
      {"RestartMarkerInScanData",
       restart,
       {"FFD8/0@0", "FFDA/3@2", "FF00/2@7", "FFD0/0@9", "FF00/3@11", "FFD9/0@14"},
       true,
       ChunkBuffer::RestartRule::kScan},
      {"EmptyBuffer", {}, {}},
      {"CutSegmentHeader", cutHeader, {"FFD8/0@0"}, false},
      {"LengthPastTheEnd", longLength, {"FFD8/0@0", "FFFE/32767@2"}},
  };
}

INSTANTIATE_TEST_SUITE_P(Frames, Segments, testing::ValuesIn(SegmentCases()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(JpegSegmentWalker, BufferWithoutStorageFails) {
  ChunkBuffer buffer;
  SegmentRecorder walker;
  EXPECT_FALSE(walker.WalkSegments(buffer));
  EXPECT_EQ(walker.segmentStatus(), -1);
}

TEST(SegmentWriter, WritesCodesLengthsAndPayloads) {
  SegmentWriter writer;
  ASSERT_TRUE(writer.Prepare(64));
  ASSERT_TRUE(writer.WriteSegment(JpegMarker::kSoi, nullptr, 0));
  ASSERT_TRUE(writer.WriteSegment(JpegMarker::kCom, "QX63\x04\0\0\0CONV", 12));
  ASSERT_TRUE(writer.WriteSegment(JpegMarker::kDataRun, "\x12\x34", 2));
  ASSERT_TRUE(writer.OpenSegment(JpegMarker::kDqt));
  ASSERT_TRUE(writer.WriteBytes("\x01\x02\x03", 3));
  const size_t end = writer.Offset();
  ASSERT_TRUE(writer.Finish());
  const Bytes expected = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x0E, 'Q',  'X',  '6',  '3',  4, 0, 0, 0,
                          'C',  'O',  'N',  'V',  0x12, 0x34, 0xFF, 0xDB, 0x00, 0x05, 1, 2, 3};
  ASSERT_EQ(end, expected.size());
  EXPECT_EQ(Bytes(writer.Data(), writer.Data() + end), expected);
  EXPECT_EQ(writer.Offset(), 0u);
}

}  // namespace
}  // namespace convert
