#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/terminal_progress.h"
#include "fixture/clip.h"
#include "fixture/riff_builder.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

struct Outcome {
  int exitCode;
  std::string out;
  std::string err;
};

class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) /
           ("cli_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  // Runs clipmill-cli with `args` in the test's folder.
  Outcome Run(const std::vector<std::string>& args) {
    const char* bin = std::getenv("CLIPMILL_BIN_DIR");
    std::string command = "cd " + ShellQuoted(dir_.string()) + " && " +
                          ShellQuoted(std::string(bin ? bin : ".") + "/cli/clipmill-cli");
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    command += " </dev/null >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    return {WEXITSTATUS(status), ReadText(dir_ / "stdout.txt"), ReadText(dir_ / "stderr.txt")};
  }

  fs::path dir_;
};

TEST_F(CliTest, MapWritesTheMapWithTheNameAsGiven) {
  fixture::WriteFile((dir_ / "my clip.avi").string(),
                     fixture::Serialize(fixture::MotionJpegClip({})));
  const Outcome outcome = Run({"map", "my clip.avi", "map.txt"});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  const std::string map = ReadText(dir_ / "map.txt");
  EXPECT_EQ(map.rfind("---------Map of AVI-File 'my clip.avi'---------\r\n", 0), 0u);
  EXPECT_NE(map.find("Frame[3]\r\n"), std::string::npos);
  EXPECT_NE(map.find("JIFMK_APP0  L(0x000e) AVI1 0x02 0x00"), std::string::npos);
  EXPECT_TRUE(map.ends_with("End of File\r\n"));
}

TEST_F(CliTest, FailuresNameTheFileAndTheCause) {
  fixture::WriteFile((dir_ / "clip.avi").string(), fixture::Serialize(fixture::MotionJpegClip({})));
  fixture::WriteFile((dir_ / "notes.txt").string(), fixture::Bytes(100, 'x'));
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string message;
  };
  const Case cases[] = {
      {{}, 2, "no command given"},
      {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
      {{"map", "clip.avi"}, 2, "map takes INPUT and OUTPUT"},
      {{"map", "missing.avi", "map.txt"},
       1,
       "cannot open 'missing.avi': No such file or directory"},
      {{"map", "notes.txt", "map.txt"}, 1, "'notes.txt' is not an AVI or WAVE file"},
      {{"map", "clip.avi", "no/such/dir/map.txt"},
       1,
       "cannot create 'no/such/dir/map.txt': No such file or directory"},
      {{"map", "clip.avi", "./clip.avi"}, 1, "would overwrite its input 'clip.avi'"},
      {{"map", "clip.avi", "/dev/full"}, 1, "cannot write '/dev/full': No space left on device"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.err;
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
  }
  EXPECT_EQ(fixture::Serialize(fixture::MotionJpegClip({})).size(),
            fs::file_size(dir_ / "clip.avi"));
}

TEST_F(CliTest, HelpExplainsTheCommands) {
  Outcome outcome = Run({"--help"});
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_NE(outcome.out.find("map INPUT OUTPUT"), std::string::npos);
  outcome = Run({"map", "--help"});
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_NE(outcome.out.find("Exit status: 0 done, 1 failed, 2 usage error, 130 cancelled"),
            std::string::npos);
}

TEST_F(CliTest, TruncatedInputIsMappedAsFarAsItGoesWithAWarning) {
  const fixture::Bytes whole = fixture::Serialize(fixture::MotionJpegClip({}));
  fixture::WriteFile((dir_ / "cut.avi").string(), fixture::Cut(whole, whole.size() / 2));
  const Outcome outcome = Run({"map", "cut.avi", "map.txt"});
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_NE(outcome.err.find("'cut.avi' ends early"), std::string::npos) << outcome.err;
  EXPECT_TRUE(ReadText(dir_ / "map.txt").ends_with("End of File\r\n"));
}

TEST(TerminalProgress, CtrlCCountsAsEscape) {
  cli::TerminalProgress progress("Test");
  int key = 0;
  EXPECT_FALSE(progress.TakeKeyUp(&key));
  std::raise(SIGINT);
  ASSERT_TRUE(progress.TakeKeyUp(&key));
  EXPECT_EQ(key, riff::kVkEscape);
  EXPECT_FALSE(progress.TakeKeyUp(&key));
}

}  // namespace
