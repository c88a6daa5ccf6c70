#include "convert/conversion_walker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fixture/avi_headers.h"
#include "fixture/clip.h"
#include "fixture/riff_builder.h"
#include "fixture/shell.h"
#include "platform/byte_order.h"
#include "platform/memory_storage.h"

namespace convert {
namespace {

namespace fs = std::filesystem;
using fixture::Bytes;
using fixture::Chunk;
using fixture::List;
using fixture::Riff;

void Put(Bytes* out, std::initializer_list<int> values) {
  for (int v : values) out->push_back(static_cast<uint8_t>(v));
}
void Put(Bytes* out, const std::string& text) {
  out->insert(out->end(), text.begin(), text.end());
}
Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// A small JPEG-shaped image: SOI, APP0 "AVI1" with a field number, an
// optional COM, DQT, SOS, `scan` bytes of scan data, EOI. `tag` marks its
// bytes so that images can be told apart.
struct TestImage {
  int field = 1;
  std::string comment;  // COM payload, empty for none
  uint8_t tag = 1;
  int scan = 20;

  Bytes Bytes_(const std::string& insertedComment = "") const {
    Bytes b;
    Put(&b, {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10});
    Put(&b, "AVI1");
    Put(&b, {field, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    if (!comment.empty()) {
      Put(&b, {0xFF, 0xFE, 0x00, static_cast<int>(comment.size() + 2)});
      Put(&b, comment);
    }
    if (!insertedComment.empty()) {
      Put(&b, {0xFF, 0xFE, 0x00, 0x0E});
      Put(&b, insertedComment);
      Put(&b, {0x04, 0, 0, 0});
      Put(&b, "CONV");
    }
    Put(&b, {0xFF, 0xDB, 0x00, 0x07, tag, tag, tag, tag, tag});
    Put(&b, {0xFF, 0xDA, 0x00, 0x04, tag, tag});
    for (int i = 0; i < scan; ++i) b.push_back(tag);
    Put(&b, {0xFF, 0xD9});
    return b;
  }

  // The image as a conversion to `flavour` rebuilds it, as the first or
  // second image of its input frame.
  Bytes Rebuilt(const std::string& flavour, bool wasFirst) const {
    TestImage out = *this;
    if (field == 1 && wasFirst) out.field = 2;
    if (field == 2 && !wasFirst) out.field = 1;
    if (comment.rfind(flavour.substr(0, 2), 0) == 0 && comment.size() >= 4) {
      out.comment = flavour + comment.substr(4);
      return out.Bytes_();
    }
    return out.Bytes_(flavour);
  }
};

Bytes Padded(const Bytes& image, bool boardFill) {
  Bytes out = image;
  if (boardFill) Put(&out, {0xFF, 0xFF});
  const size_t pad = 8 - out.size() % 8;
  out.insert(out.end(), pad, 0xFF);
  return out;
}

// Chunks of a RIFF file, read by a parser of the test's own.
struct ParsedChunk {
  std::string id;
  std::string parentType;
  size_t offset;  // of the header
  Bytes payload;
};

void ParseChunks(const Bytes& file, size_t begin, size_t end, const std::string& parentType,
                 std::vector<ParsedChunk>* out) {
  size_t at = begin;
  while (at + 8 <= end) {
    const std::string id(file.begin() + static_cast<long>(at),
                         file.begin() + static_cast<long>(at) + 4);
    const uint32_t size = platform::ReadLE32(file.data() + at + 4);
    ASSERT_LE(at + 8 + size, file.size()) << id << " at " << at << " runs past the file";
    if (id == "RIFF" || id == "LIST") {
      const std::string type(file.begin() + static_cast<long>(at) + 8,
                             file.begin() + static_cast<long>(at) + 12);
      out->push_back({id + ":" + type, parentType, at, {}});
      ParseChunks(file, at + 12, at + 8 + size, type, out);
    } else {
      out->push_back({id, parentType, at,
                      Bytes(file.begin() + static_cast<long>(at) + 8,
                            file.begin() + static_cast<long>(at + 8 + size))});
    }
    at += 8 + ((size + 1) & ~size_t{1});
  }
}

std::vector<ParsedChunk> Parse(const Bytes& file) {
  std::vector<ParsedChunk> chunks;
  ParseChunks(file, 0, file.size(), "", &chunks);
  return chunks;
}

std::vector<ParsedChunk> Frames(const std::vector<ParsedChunk>& chunks) {
  std::vector<ParsedChunk> frames;
  for (const ParsedChunk& c : chunks) {
    if (c.id.size() == 4 && c.id.substr(2) == "dc") frames.push_back(c);
  }
  return frames;
}

fixture::Node HeaderList(uint32_t suggestedBuffer = 4096) {
  fixture::MainHeader main;
  main.dwTotalFrames = 3;
  main.dwSuggestedBufferSize = suggestedBuffer;
  main.dwWidth = 320;
  main.dwHeight = 480;
  fixture::StreamHeader video;
  video.dwLength = 3;
  video.dwSuggestedBufferSize = 4096;
  return List("hdrl", {Chunk("avih", main.Serialize()),
                       List("strl", {Chunk("strh", video.Serialize64()),
                                     Chunk("strf", fixture::BitmapInfoHeader{}.Serialize())})});
}

class ConversionWalkerTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) /
           ("conversion_" +
            std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  // Converts `input` and returns the output's bytes.
  Bytes Convert(const Bytes& input, FieldMode mode, const std::string& flavour, bool* ok = nullptr,
                riff::WalkProgress* progress = nullptr) {
    const fs::path in = dir_ / "in.avi";
    fixture::WriteFile(in.string(), input);
    Bytes output;
    ConversionWalker walker(progress);
    walker.SetOutputStorage(std::make_unique<platform::MemoryStorage>(&output));
    const bool result = walker.Run(in.string(), mode, flavour, "unused");
    if (ok != nullptr) *ok = result;
    endedEarly_ = walker.inputEndedEarly();
    cancelled_ = walker.cancelled();
    return output;
  }

  fs::path dir_;
  bool endedEarly_ = false;
  bool cancelled_ = false;
};

struct PairingCase {
  const char* name;
  FieldMode mode;
  const char* flavour;
  // Output frame k is (input image lead[k], input image first[k]); images
  // are numbered 2k (a_k) and 2k+1 (b_k).
  std::vector<std::pair<int, int>> frames;
};

class Pairing : public ConversionWalkerTest, public testing::WithParamInterface<PairingCase> {};

TEST_P(Pairing, OutputFramesFollowTheModesPairingAndLayout) {
  const PairingCase& c = GetParam();
  std::vector<TestImage> images;
  for (int k = 0; k < 3; ++k) {
    // Sizes vary so that every pad length shows up across the frames.
    images.push_back({1, "QX62 board", static_cast<uint8_t>(0x10 + 2 * k), 20 + 3 * k});
    images.push_back({2, "", static_cast<uint8_t>(0x11 + 2 * k), 23 + 5 * k});
  }
  std::vector<fixture::Node> movi;
  for (int k = 0; k < 3; ++k) {
    movi.push_back(Chunk("00dc", Concat({images[2 * k].Bytes_(), Bytes{0xFF, 0xFF, 0xFF},
                                         images[2 * k + 1].Bytes_()})));
  }
  const Bytes output = Convert(fixture::Serialize(Riff("AVI ", {HeaderList(), List("movi", movi)})),
                               c.mode, c.flavour);
  const std::vector<ParsedChunk> frames = Frames(Parse(output));
  ASSERT_EQ(frames.size(), c.frames.size());
  const bool board = std::string(c.flavour) == "QX62";
  for (size_t k = 0; k < frames.size(); ++k) {
    const auto [lead, first] = c.frames[k];
    const Bytes expected = Concat(
        {Padded(images[static_cast<size_t>(lead)].Rebuilt(c.flavour, lead % 2 == 0), board),
         Padded(images[static_cast<size_t>(first)].Rebuilt(c.flavour, first % 2 == 0), false)});
    EXPECT_EQ(frames[k].payload, expected) << "frame " << k;
    EXPECT_EQ(frames[k].offset % 512, 0u) << "frame " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, Pairing,
    testing::Values(
        PairingCase{"ToStandard", FieldMode::kToStandard, "QX63", {{1, 0}, {1, 2}, {3, 4}}},
        PairingCase{"ToBoard", FieldMode::kToBoard, "QX62", {{1, 0}, {1, 2}, {3, 4}}},
        PairingCase{"StillStandard", FieldMode::kStill, "QX63", {{1, 0}, {3, 2}, {5, 4}}},
        PairingCase{"StillBoard", FieldMode::kStill, "QX62", {{1, 0}, {3, 2}, {5, 4}}},
        PairingCase{"FirstFieldTwice", FieldMode::kFirstTwice, "QX63", {{0, 0}, {2, 2}, {4, 4}}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ConversionWalkerTest, PadsAreOneToEightBytesNeverZero) {
  // Rebuilt images of every length modulo 8, each as a single-image frame.
  std::vector<fixture::Node> movi;
  std::vector<Bytes> rebuilt;
  for (int scan = 10; scan < 18; ++scan) {
    const TestImage image{1, "QX62", 7, scan};
    movi.push_back(Chunk("00dc", image.Bytes_()));
    rebuilt.push_back(image.Rebuilt("QX63", true));
  }
  const std::vector<ParsedChunk> frames =
      Frames(Parse(Convert(fixture::Serialize(Riff("AVI ", {HeaderList(), List("movi", movi)})),
                           FieldMode::kToStandard, "QX63")));
  ASSERT_EQ(frames.size(), rebuilt.size());
  std::vector<size_t> pads;
  for (size_t k = 0; k < frames.size(); ++k) {
    EXPECT_EQ(frames[k].payload, Padded(rebuilt[k], false));
    pads.push_back(frames[k].payload.size() - rebuilt[k].size());
  }
  std::sort(pads.begin(), pads.end());
  EXPECT_EQ(pads, (std::vector<size_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(ConversionWalkerTest, HeadersAudioJunkIndexAndEmptyFrames) {
  const TestImage a{1, "QX62", 0x21, 30};
  const TestImage b{2, "QX62", 0x22, 31};
  const Bytes frame = Concat({a.Bytes_(), b.Bytes_()});
  const fixture::Node movi =
      List("movi", {Chunk("00dc", frame), Chunk("01wb", Bytes(5, 0x33)), Chunk("00dc", Bytes()),
                    List("rec ", {Chunk("00dc", frame), Chunk("01wb", Bytes(6, 0x44))})});
  const Bytes input =
      fixture::Serialize(Riff("AVI ", {HeaderList(4096), List("INFO", {}), fixture::Junk(300), movi,
                                       fixture::Index(fixture::IndexFor(movi))}));
  const Bytes output = Convert(input, FieldMode::kToStandard, "QX63");
  const std::vector<ParsedChunk> in = Parse(input);
  const std::vector<ParsedChunk> out = Parse(output);

  // The same tree without the JUNK; the movie list where it was.
  std::vector<std::string> ids;
  for (const ParsedChunk& c : out) ids.push_back(c.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"RIFF:AVI ", "LIST:hdrl", "avih", "LIST:strl", "strh",
                                           "strf", "LIST:INFO", "JUNK", "LIST:movi", "JUNK", "00dc",
                                           "01wb", "00dc", "LIST:rec ", "00dc", "01wb", "idx1"}));
  const auto find = [](const std::vector<ParsedChunk>& chunks, const std::string& id) {
    return *std::find_if(chunks.begin(), chunks.end(),
                         [&](const ParsedChunk& c) { return c.id == id; });
  };
  EXPECT_EQ(find(out, "LIST:movi").offset, find(in, "LIST:movi").offset);
  // Main header: buffer + 8192, nothing else; stream headers unchanged.
  Bytes avih = find(in, "avih").payload;
  platform::WriteLE32(avih.data() + 28, 4096 + 8192);
  EXPECT_EQ(find(out, "avih").payload, avih);
  EXPECT_EQ(find(out, "strh").payload, find(in, "strh").payload);
  EXPECT_EQ(out[11].payload, Bytes(5, 0x33));
  EXPECT_TRUE(out[12].payload.empty());
  // The frame outside the "rec " list is aligned, with a filler of the
  // writer's own before it.
  EXPECT_EQ(out[10].offset % 512, 0u);
  // The index describes the chunks as written.
  const Bytes& index = find(out, "idx1").payload;
  ASSERT_EQ(index.size(), 6u * 16);
  const size_t moviData = find(out, "LIST:movi").offset + 8;
  const std::vector<size_t> indexed = {10, 11, 12, 13, 14, 15};
  const uint32_t flags[] = {0x12, 0x02, 0x12, 0x01, 0x12, 0x02};
  for (size_t i = 0; i < indexed.size(); ++i) {
    const ParsedChunk& chunk = out[indexed[i]];
    const uint8_t* entry = index.data() + 16 * i;
    const std::string id = chunk.id.rfind("LIST:", 0) == 0 ? chunk.id.substr(5) : chunk.id;
    EXPECT_EQ(std::string(entry, entry + 4), id) << i;
    EXPECT_EQ(platform::ReadLE32(entry + 4), flags[i]) << i;
    EXPECT_EQ(platform::ReadLE32(entry + 8), chunk.offset - moviData) << i;
    const uint32_t length = chunk.id == "LIST:rec "
                                ? platform::ReadLE32(output.data() + chunk.offset + 4)
                                : static_cast<uint32_t>(chunk.payload.size());
    EXPECT_EQ(platform::ReadLE32(entry + 12), length) << i;
  }
}

TEST_F(ConversionWalkerTest, NoIndexInNoIndexOut) {
  const fixture::Node movi = List("movi", {Chunk("00dc", TestImage{}.Bytes_())});
  const std::vector<ParsedChunk> out = Parse(
      Convert(fixture::Serialize(Riff("AVI ", {HeaderList(), movi})), FieldMode::kStill, "QX63"));
  for (const ParsedChunk& c : out) EXPECT_NE(c.id, "idx1");
}

TEST_F(ConversionWalkerTest, CommentRules) {
  struct Case {
    std::string comment;
    bool commentAfterTables;
  };
  // A board comment is rewritten; any other gets a comment inserted before
  // the tables; one after the tables stays as it is.
  const TestImage board{1, "QX62 text", 1, 10};
  const TestImage other{1, "Lavc", 2, 10};
  const std::vector<ParsedChunk> frames = Frames(Parse(Convert(
      fixture::Serialize(Riff(
          "AVI ", {HeaderList(),
                   List("movi", {Chunk("00dc", board.Bytes_()), Chunk("00dc", other.Bytes_())})})),
      FieldMode::kStill, "QX63")));
  ASSERT_EQ(frames.size(), 2u);
  const std::string first(frames[0].payload.begin(), frames[0].payload.end());
  const std::string second(frames[1].payload.begin(), frames[1].payload.end());
  EXPECT_NE(first.find("QX63 text"), std::string::npos);
  EXPECT_EQ(first.find("CONV"), std::string::npos);
  EXPECT_NE(second.find("Lavc"), std::string::npos);
  EXPECT_NE(second.find(std::string("QX63\x04\0\0\0CONV", 12)), std::string::npos);
}

TEST_F(ConversionWalkerTest, DamagedSegmentsCopyOnlyWhatTheFrameHolds) {
  // APP0 and COM payloads too short to edit, a length running past the end.
  Bytes frame;
  Put(&frame, {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x05, 'A', 'V', 'I', 0xFF, 0xFE, 0x00, 0x03, 'Q'});
  Put(&frame, {0xFF, 0xDB, 0x7F, 0xF0, 1, 2, 3});
  bool ok = false;
  const std::vector<ParsedChunk> frames = Frames(Parse(Convert(
      fixture::Serialize(Riff("AVI ", {HeaderList(), List("movi", {Chunk("00dc", frame)})})),
      FieldMode::kToStandard, "QX63", &ok)));
  EXPECT_TRUE(ok);
  ASSERT_EQ(frames.size(), 1u);
}

TEST_F(ConversionWalkerTest, TruncatedInputEndsAsAValidShorterFile) {
  fixture::ClipSpec spec;
  spec.frames = 4;
  spec.audio = true;
  spec.distinctFrames = 2;
  const Bytes whole = fixture::Serialize(fixture::MotionJpegClip(spec));
  bool ok = false;
  const Bytes output =
      Convert(fixture::Cut(whole, whole.size() * 3 / 4), FieldMode::kToStandard, "QX63", &ok);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(endedEarly_);
  // Every list closed with its true size: the parse reaches the end exactly.
  const std::vector<ParsedChunk> out = Parse(output);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(platform::ReadLE32(output.data() + 4) + 8u, output.size());
  EXPECT_GE(Frames(out).size(), 2u);
}

class EscapeAfter : public riff::WalkProgress {
 public:
  explicit EscapeAfter(int chunks) : chunks_(chunks) {}
  void SetRange(uint32_t) override {}
  void SetPosition(uint32_t) override {}
  bool TakeKeyUp(int* key) override {
    *key = riff::kVkEscape;
    return ++polls_ == chunks_;
  }

 private:
  int chunks_;
  int polls_ = 0;
};

TEST_F(ConversionWalkerTest, EscapeEndsTheWalkAfterTheCurrentChunk) {
  fixture::ClipSpec spec;
  spec.frames = 3;
  spec.distinctFrames = 1;
  EscapeAfter escape(8);  // RIFF hdrl avih strl strh strf movi, then the first frame
  bool ok = false;
  const Bytes output = Convert(fixture::Serialize(fixture::MotionJpegClip(spec)),
                               FieldMode::kToStandard, "QX63", &ok, &escape);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(cancelled_);
  EXPECT_FALSE(output.empty());
}

TEST_F(ConversionWalkerTest, FullDiskFailsTheWalk) {
  fixture::ClipSpec spec;
  spec.frames = 6;
  spec.distinctFrames = 2;
  fixture::WriteFile((dir_ / "in.avi").string(), fixture::Serialize(fixture::MotionJpegClip(spec)));
  Bytes output;
  ConversionWalker walker(nullptr);
  walker.SetOutputStorage(std::make_unique<platform::MemoryStorage>(&output, 20000));
  EXPECT_FALSE(walker.Run((dir_ / "in.avi").string(), FieldMode::kToStandard, "QX63", "unused"));
  EXPECT_EQ(walker.status(), riff::RiffWalker::kStatusFileError);
  EXPECT_EQ(walker.outputError(), ENOSPC);
}

TEST_F(ConversionWalkerTest, RoundTripGivesTheStartingImagesOneFrameLate) {
  // Restart markers in the scan must come through unchanged too.
  fixture::ClipSpec spec;
  spec.frames = 4;
  spec.comment = "QX62";
  spec.restartInterval = 3;
  spec.audio = true;
  const Bytes input = fixture::Serialize(fixture::MotionJpegClip(spec));
  const Bytes standard = Convert(input, FieldMode::kToStandard, "QX63");
  const Bytes board = Convert(standard, FieldMode::kToBoard, "QX62");
  const std::vector<ParsedChunk> frames = Frames(Parse(board));
  ASSERT_EQ(frames.size(), 4u);
  // (a1, b1), (a1, b1), (a2, b2), (a3, b3), each image with its pad.
  const int source[] = {0, 0, 1, 2};
  for (size_t k = 0; k < frames.size(); ++k) {
    const Bytes original = fixture::ClipFrame(spec, source[k]);
    // Split the original frame into its two images at the second SOI.
    size_t split = 2;
    while (!(original[split] == 0xFF && original[split + 1] == 0xD8)) ++split;
    const Bytes a(original.begin(), original.begin() + static_cast<long>(split));
    const Bytes b(original.begin() + static_cast<long>(split), original.end());
    EXPECT_EQ(frames[k].payload, Concat({Padded(a, true), Padded(b, false)})) << "frame " << k;
  }
  if (!fixture::HasProgram("ffmpeg")) GTEST_SKIP() << "no ffmpeg";
  fixture::WriteFile((dir_ / "standard.avi").string(), standard);
  fixture::WriteFile((dir_ / "board.avi").string(), board);
  for (const char* name : {"standard.avi", "board.avi"}) {
    const std::string path = (dir_ / name).string();
    EXPECT_EQ(fixture::Shell("ffmpeg -v error -i '" + path + "' -f null - 2>&1"), "") << name;
    EXPECT_EQ(fixture::Shell("ffprobe -v error -select_streams v -count_packets -show_entries "
                             "stream=nb_read_packets -of csv=p=0 '" +
                             path + "'"),
              "4\n")
        << name;
  }
}

}  // namespace
}  // namespace convert
