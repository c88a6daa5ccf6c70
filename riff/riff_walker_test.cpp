#include "riff/riff_walker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture/riff_builder.h"
#include "platform/memory_storage.h"
#include "riff/walk_progress.h"

namespace riff {
namespace {

using fixture::Chunk;
using fixture::List;
using fixture::Riff;

std::string Name(const ChunkRecord& chunk) {
  return chunk.HoldsChildren() ? chunk.ckid.Text() + "(" + chunk.fccType.Text() + ")"
                               : chunk.ckid.Text();
}

// Records the walk as one line per event: "+x" for OnChunk (with "*" when the
// chunk was entered), "-x<p" for AfterChunk with the parent's name.
class RecordingWalker : public RiffWalker {
 public:
  std::vector<std::string> events;

  int WalkBytes(std::vector<uint8_t> bytes) {
    bytes_ = std::move(bytes);
    RiffFile file;
    file.Open(std::make_unique<platform::MemoryStorage>(&bytes_), platform::MMIO_DENYWRITE);
    return Walk(file);
  }

 protected:
  int OnChunk(ChunkRecord& chunk, const ChunkRecord* parent, RiffFile& file) override {
    const int result = RiffWalker::OnChunk(chunk, parent, file);
    events.push_back("+" + Name(chunk) + (result > 0 ? "*" : ""));
    return result;
  }
  int AfterChunk(const ChunkRecord& chunk, const ChunkRecord* parent, RiffFile& file) override {
    events.push_back("-" + Name(chunk) + (parent ? "<" + Name(*parent) : ""));
    return RiffWalker::AfterChunk(chunk, parent, file);
  }

 private:
  std::vector<uint8_t> bytes_;
};

struct WalkCase {
  const char* name;
  std::vector<uint8_t> file;
  std::vector<std::string> events;
  bool endedEarly = false;
};

class WalkOrder : public testing::TestWithParam<WalkCase> {};

TEST_P(WalkOrder, VisitsChunksAndListEndsInFileOrder) {
  const WalkCase& c = GetParam();
  RecordingWalker walker;
  EXPECT_EQ(walker.WalkBytes(c.file), 1);
  EXPECT_EQ(walker.events, c.events);
  EXPECT_EQ(walker.inputEndedEarly(), c.endedEarly);
}

std::vector<WalkCase> WalkCases() {
  const auto plainForm = Riff("WAVE", {Chunk("fmt ", std::string(16, 'f')), Chunk("data", "abc")});
  const auto nested = Riff("AVI ", {List("hdrl", {Chunk("avih", std::string(56, 'h'))}),
                                    List("movi", {Chunk("00dc", "x")})});
  const auto bytes = fixture::Serialize(nested);
  return {
      {"LeavesThenTheFormWithoutParent",
       fixture::Serialize(plainForm),
       {"+RIFF(WAVE)*", "+fmt ", "-fmt <RIFF(WAVE)", "+data", "-data<RIFF(WAVE)", "-RIFF(WAVE)"}},
      {"NestedListsEndInnermostFirst",
       bytes,
       {"+RIFF(AVI )*", "+LIST(hdrl)*", "+avih", "-avih<LIST(hdrl)", "-LIST(hdrl)<RIFF(AVI )",
        "+LIST(movi)*", "+00dc", "-00dc<LIST(movi)", "-LIST(movi)<RIFF(AVI )", "-RIFF(AVI )"}},
      // The fault this pins: an empty LIST that is not its parent's last child
      // used to be entered, swallowing its sibling.
      {"EmptyListIsALeafAndDoesNotSwallowItsSibling",
       fixture::Serialize(Riff("AVI ", {List("INFO", {}), List("movi", {Chunk("00dc", "ab")})})),
       {"+RIFF(AVI )*", "+LIST(INFO)", "-LIST(INFO)<RIFF(AVI )", "+LIST(movi)*", "+00dc",
        "-00dc<LIST(movi)", "-LIST(movi)<RIFF(AVI )", "-RIFF(AVI )"}},
      {"ListWhoseTypeLiesOutsideItsParentIsALeaf",
       fixture::Serialize(Riff("AVI ", {fixture::Claiming(List("movi", {}), 0)})),
       {"+RIFF(AVI )*", "+LIST(movi)", "-LIST(movi)<RIFF(AVI )", "-RIFF(AVI )"}},
      // A chunk ending 2 bytes before its parent's end finishes the parent;
      // the next header is read right after the chunk.
      {"ChunkEndingLessThanAHeaderBeforeItsParentsEndFinishesIt",
       fixture::Serialize(fixture::Claiming(
           Riff("AVI ", {fixture::Claiming(List("strl", {Chunk("aaaa", "12")}), 4 + 10 + 2),
                         Chunk("bbbb", "")}),
           4 + 24 + 8)),
       {"+RIFF(AVI )*", "+LIST(strl)*", "+aaaa", "-aaaa<LIST(strl)", "-LIST(strl)<RIFF(AVI )",
        "+bbbb", "-bbbb<RIFF(AVI )", "-RIFF(AVI )"}},
      {"OnlyTheFirstFormIsWalked",
       fixture::Serialize({plainForm, Riff("AVIX", {Chunk("ix00", "")})}),
       {"+RIFF(WAVE)*", "+fmt ", "-fmt <RIFF(WAVE)", "+data", "-data<RIFF(WAVE)", "-RIFF(WAVE)"}},
      {"ChunksBeforeTheFormAreTopLevelLeaves",
       fixture::Serialize({Chunk("JUNK", "zz"), plainForm}),
       {"+JUNK", "-JUNK", "+RIFF(WAVE)*", "+fmt ", "-fmt <RIFF(WAVE)", "+data", "-data<RIFF(WAVE)",
        "-RIFF(WAVE)"}},
      {"TruncatedFileWalksUpToTheLastWholeHeader",
       fixture::Cut(bytes, 12 + 12 + 8 + 56 + 12 + 5),
       {"+RIFF(AVI )*", "+LIST(hdrl)*", "+avih", "-avih<LIST(hdrl)", "-LIST(hdrl)<RIFF(AVI )",
        "+LIST(movi)*"},
       true},
      {"RiffSizeLargerThanTheFile",
       fixture::Serialize(fixture::Claiming(Riff("WAVE", {Chunk("data", "abcd")}), 1000)),
       {"+RIFF(WAVE)*", "+data", "-data<RIFF(WAVE)"},
       true},
      {"ChunkClaimingFourGigabytes",
       fixture::Serialize(Riff("AVI ", {fixture::Claiming(Chunk("00dc", "ab"), 0xFFFFFFF0u)})),
       {"+RIFF(AVI )*", "+00dc", "-00dc<RIFF(AVI )", "-RIFF(AVI )"},
       true},
  };
}

INSTANTIATE_TEST_SUITE_P(Files, WalkOrder, testing::ValuesIn(WalkCases()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(RiffWalker, AnInputThatCannotBeOpenedFailsTheWalk) {
  RecordingWalker walker;
  EXPECT_EQ(walker.Run("/nonexistent-dir/clip.avi", platform::MMIO_DENYWRITE), 0);
  EXPECT_EQ(walker.inputOpenError(), ENOENT);
  EXPECT_TRUE(walker.events.empty());
}

class CountingProgress : public WalkProgress {
 public:
  uint32_t range = 0;
  std::vector<uint32_t> positions;
  void SetRange(uint32_t maximum) override { range = maximum; }
  void SetPosition(uint32_t position) override { positions.push_back(position); }
  bool TakeKeyUp(int*) override { return false; }
};

TEST(ProgressTracker, ScalesLargeFormsIntoSixteenBits) {
  CountingProgress progress;
  ProgressTracker tracker(&progress);
  tracker.Reset();
  tracker.SetRangeFrom(1u << 21);
  EXPECT_EQ(progress.range, 1u << 15);
  EXPECT_EQ(tracker.divisor(), 64u);
  tracker.SetPositionAt(1u << 16);
  EXPECT_EQ(progress.positions.back(), 1u << 10);
  // Past 2 GiB the position stays positive.
  tracker.Reset();
  tracker.SetRangeFrom(0xF0000000u);
  tracker.SetPositionAt(0xE0000000u);
  EXPECT_LE(progress.positions.back(), progress.range);
  EXPECT_GT(progress.positions.back(), progress.range / 2);
}

}  // namespace
}  // namespace riff
