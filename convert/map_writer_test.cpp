#include "convert/map_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fixture/avi_headers.h"
#include "fixture/clip.h"
#include "fixture/riff_builder.h"
#include "fixture/shell.h"
#include "platform/memory_storage.h"

namespace convert {
namespace {

using fixture::Bytes;
using fixture::Chunk;
using fixture::List;
using fixture::Riff;
using testing::HasSubstr;
using testing::Not;

std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

class MapWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(testing::TempDir()) /
           ("map_writer_" +
            std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }

  // Maps `bytes` (walked from memory, so the title shows "?") and returns the
  // map with plain line ends.
  std::string MapOf(Bytes bytes, riff::WalkProgress* progress = nullptr, int* result = nullptr) {
    bytes_ = std::move(bytes);
    riff::RiffFile file;
    EXPECT_TRUE(
        file.Open(std::make_unique<platform::MemoryStorage>(&bytes_), platform::MMIO_DENYWRITE));
    const std::string output = (dir_ / "map.txt").string();
    MapWriter map(progress, output);
    const int walked = map.Walk(file);
    if (result != nullptr) *result = walked;
    cancelled_ = map.cancelled();
    const std::string text = fixture::ReadText(output);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "lines must end in CR LF";
    return WithoutCarriageReturns(text);
  }

  std::filesystem::path dir_;
  Bytes bytes_;
  bool cancelled_ = false;
};

// The file the example map describes: one video stream, a 23-byte frame, an
// audio chunk, an empty frame and a one-entry index.
Bytes ExampleFile() {
  fixture::MainHeader main;
  main.dwMicroSecPerFrame = 40000;
  main.dwMaxBytesPerSec = 300 * 1024;
  main.dwTotalFrames = 2;
  main.dwStreams = 1;
  main.dwSuggestedBufferSize = 96 * 1024;
  main.dwWidth = 320;
  main.dwHeight = 240;
  fixture::StreamHeader video;
  video.fccType = "vids";
  video.fccHandler = "MJPG";
  const Bytes frame = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x06, 'Q',  'X',  '6',  '2',  0xFF, 0xDA,
                       0x00, 0x04, 0x00, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xFF, 0xD9};
  return fixture::Serialize(Riff(
      "AVI ",
      {List("hdrl", {Chunk("avih", main.Serialize()),
                     List("strl", {Chunk("strh", video.Serialize56()), Chunk("strf", Bytes(40))})}),
       List("movi", {Chunk("00dc", frame), Chunk("01wb", Bytes(4)), Chunk("00dc", Bytes())}),
       fixture::Index({{"00dc", 0x10, 4, 23}})}));
}

TEST_F(MapWriterTest, ExampleMapComesOutByteForByte) {
  // The title shows the name as given, so walk a file of exactly that name.
  const std::string name = "C:\\clips\\sample.avi";
  fixture::WriteFile((dir_ / name).string(), ExampleFile());
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  MapWriter map(nullptr, "map.txt");
  EXPECT_EQ(map.Run(name, platform::MMIO_DENYWRITE), 1);
  std::filesystem::current_path(previous);

  const std::string expected =
      fixture::ReadText(std::string(CLIPMILL_SOURCE_DIR) + "/convert/testdata/example_map.txt");
  ASSERT_FALSE(expected.empty());
  std::string crlf;
  for (char c : expected) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  EXPECT_EQ(fixture::ReadText((dir_ / "map.txt").string()), crlf);
}

Bytes StreamHeaderOf(const char* type, const char* handler) {
  fixture::StreamHeader header;
  header.fccType = type;
  header.fccHandler = handler;
  return header.Serialize64();
}

const Bytes kTinyImage = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x06, 'Q', 'X', '6', '3', 0xFF, 0xD9};

struct MapCase {
  const char* name;
  std::vector<fixture::Node> content;  // children of RIFF "AVI "
  std::vector<std::string> present;
  std::vector<std::string> absent = {};
};

class MapLines : public MapWriterTest, public testing::WithParamInterface<MapCase> {};

TEST_P(MapLines, ShowWhatTheFileHolds) {
  const MapCase& c = GetParam();
  const std::string map = MapOf(fixture::Serialize(Riff("AVI ", c.content)));
  for (const std::string& line : c.present) EXPECT_THAT(map, HasSubstr(line));
  for (const std::string& line : c.absent) EXPECT_THAT(map, Not(HasSubstr(line)));
}

std::vector<MapCase> MapCases() {
  const auto strl = [](const char* type, const char* handler) {
    return List("strl", {Chunk("strh", StreamHeaderOf(type, handler))});
  };
  return {
      {"ListNotEnteredClosesAtOnce",
       {List("INFO", {}), Chunk("JUNK", Bytes(4))},
       {"0x0000000c      LIST ('INFO' ->0x00000018\n                )\n"
        "0x00000018      'JUNK' ->0x00000024)\n"}},
      {"StreamHeaderOutsideStrlHasNoDetails",
       {Chunk("strh", StreamHeaderOf("vids", "MJPG")), List("hdrl", {strl("vids", "MJPG")})},
       {"0x0000000c      'strh' ->0x00000054)\n", " 00 Video MJPG"},
       {" 01 Video"}},
      {"OtherStreamTypeShowsNoTypeTextAndStopsMarkers",
       {List("hdrl", {strl("vids", "MJPG"), strl("txts", "abcd")}),
        List("movi", {Chunk("00dc", kTinyImage)})},
       {" 01  abcd", "Frame[1]"},
       {"JIFMK_SOI"}},
      {"AudioHeaderAfterJpegVideoKeepsMarkers",
       {List("hdrl", {strl("vids", "mjpg"), strl("auds", "abcd")}),
        List("movi", {Chunk("00dc", kTinyImage)})},
       {" 01 Audio abcd", "JIFMK_COM   L(0x0004) QX63 0xff 0xd9"}},
      {"OtherCodecGetsFrameNumbersOnly",
       {List("hdrl", {strl("vids", "DIB ")}), List("movi", {Chunk("00dc", kTinyImage)})},
       {"'00dc' ->0x0000008c) Frame[1]\n"},
       {"JIFMK"}},
      {"EmptyFrameGetsANumberAndNoMarkers",
       {List("hdrl", {strl("vids", "MJPG")}), List("movi", {Chunk("00db", Bytes())})},
       {"'00db' ->0x00000080) Frame[1]\n"},
       {"JIFMK"}},
      {"IndexOfFortyBytesListsTwoEntries",
       {Chunk("idx1",
              Bytes{'0', '0', 'd', 'c', 0x10, 0, 0, 0, 4, 0, 0, 0, 9, 0, 0, 0, '0', '1', 'w', 'b',
                    0,   0,   0,   0,   0x20, 0, 0, 0, 4, 0, 0, 0, 1, 2, 3, 4, 5,   6,   7,   8})},
       {"      00dc  0x00000004 0x00000009\n                  01wb  0x00000020 0x00000004\n"
        "                  ----------------------\n"}},
      {"ZeroLengthFieldShowsNegativePayload",
       {List("hdrl", {strl("vids", "MJPG")}),
        List("movi", {Chunk("00dc", Bytes{0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x00, 0xFF, 0xD9})})},
       {"JIFMK_DHT   L(0xfffffffe)"}},
      {"CommentAtTheEndOfTheFrameReadsNothingBeyond",
       {List("hdrl", {strl("vids", "MJPG")}),
        List("movi", {Chunk("00dc", Bytes{0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x04, 'a', 'b'})})},
       {"JIFMK_COM   L(0x0002) ab\n"}},
      {"RestartMarkerListsWithALength",
       {List("hdrl", {strl("vids", "MJPG")}),
        List("movi", {Chunk("00dc", Bytes{0xFF, 0xD8, 0x11, 0xFF, 0xD0, 0x00, 0x02, 0xFF, 0xD9})})},
       {"JIFMK_RST0  L(0x0000)"}},
  };
}

INSTANTIATE_TEST_SUITE_P(Edges, MapLines, testing::ValuesIn(MapCases()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(MapWriterTest, WaveFileMapsAsItsChunks) {
  const std::string map = MapOf(fixture::Serialize(fixture::WaveFile(2, 8000, 16, 0.01)));
  EXPECT_EQ(map,
            "---------Map of AVI-File '?'---------\n"
            "0x00000000RIFF ('WAVE' ->0x0000016c\n"
            "0x0000000c      'fmt ' ->0x00000024)\n"
            "0x00000024      'data' ->0x0000016c)\n"
            "          )\n"
            "End of File\n");
}

TEST_F(MapWriterTest, TruncatedFileEndsWithoutClosingLines) {
  const Bytes whole = ExampleFile();
  const std::string map = MapOf(fixture::Cut(whole, 0x100 + 4));
  EXPECT_THAT(map, testing::EndsWith("0x000000ff                JIFMK_EOI  \nEnd of File\n"));
}

// Releases Esc once, at the n-th chunk.
class EscapeAt : public riff::WalkProgress {
 public:
  explicit EscapeAt(int chunk) : chunk_(chunk) {}
  void SetRange(uint32_t) override {}
  void SetPosition(uint32_t) override {}
  bool TakeKeyUp(int* key) override {
    if (++polls_ != chunk_) return false;
    *key = riff::kVkEscape;
    return true;
  }

 private:
  int chunk_;
  int polls_ = 0;
};

TEST_F(MapWriterTest, EscapeEndsTheMapAfterTheCurrentChunk) {
  EscapeAt escape(3);  // RIFF, hdrl, then avih
  int result = 0;
  const std::string map = MapOf(ExampleFile(), &escape, &result);
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(cancelled_);
  EXPECT_THAT(map, testing::EndsWith("320 x 240, Buffer 96[kB]End of File\n"));
}

TEST_F(MapWriterTest, WriteFailureFailsTheWalk) {
  bytes_ = ExampleFile();
  riff::RiffFile file;
  ASSERT_TRUE(
      file.Open(std::make_unique<platform::MemoryStorage>(&bytes_), platform::MMIO_DENYWRITE));
  MapWriter map(nullptr, "/dev/full");
  EXPECT_EQ(map.Walk(file), 0);
  EXPECT_EQ(map.status(), riff::RiffWalker::kStatusFileError);
  EXPECT_EQ(map.outputError(), ENOSPC);
}

TEST_F(MapWriterTest, OutputThatCannotBeCreatedFailsTheWalk) {
  MapWriter map(nullptr, (dir_ / "missing" / "map.txt").string());
  EXPECT_FALSE(map.outputOpen());
  bytes_ = ExampleFile();
  riff::RiffFile file;
  ASSERT_TRUE(
      file.Open(std::make_unique<platform::MemoryStorage>(&bytes_), platform::MMIO_DENYWRITE));
  EXPECT_EQ(map.Walk(file), 0);
  EXPECT_EQ(map.status(), riff::RiffWalker::kStatusCannotCreateOutput);
}

}  // namespace
}  // namespace convert
