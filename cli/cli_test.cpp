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
#include "fixture/shell.h"

namespace {

namespace fs = std::filesystem;

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
    std::string command =
        "cd " + fixture::ShellQuoted(dir_.string()) + " && " + fixture::ShellQuoted(CLIPMILL_CLI);
    for (const std::string& arg : args) command += " " + fixture::ShellQuoted(arg);
    command += " </dev/null >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    return {WEXITSTATUS(status), fixture::ReadText((dir_ / "stdout.txt").string()),
            fixture::ReadText((dir_ / "stderr.txt").string())};
  }

  fs::path dir_;
};

TEST_F(CliTest, MapWritesTheMapWithTheNameAsGiven) {
  fixture::WriteFile((dir_ / "my clip.avi").string(),
                     fixture::Serialize(fixture::MotionJpegClip({})));
  const Outcome outcome = Run({"map", "my clip.avi", "map.txt"});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  const std::string map = fixture::ReadText((dir_ / "map.txt").string());
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
  EXPECT_TRUE(fixture::ReadText((dir_ / "map.txt").string()).ends_with("End of File\r\n"));
}

fixture::Bytes Clip(const std::string& comment, const std::string& handler = "MJPG") {
  fixture::ClipSpec spec;
  spec.frames = 3;
  spec.audio = true;
  spec.comment = comment;
  spec.handler = handler;
  spec.distinctFrames = 2;
  return fixture::Serialize(fixture::MotionJpegClip(spec));
}

bool TemporaryFilesLeft(const fs::path& dir) {
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename().string().rfind(".clipmill-", 0) == 0) return true;
  }
  return false;
}

TEST_F(CliTest, EveryModeWritesWhatAnOutsideDecoderAccepts) {
  fixture::WriteFile((dir_ / "board.avi").string(), Clip("QX62"));
  fixture::WriteFile((dir_ / "standard.avi").string(), Clip("QX63"));
  const bool haveFfmpeg = fixture::HasProgram("ffmpeg");
  const struct {
    const char* mode;
    const char* input;
  } cases[] = {{"0", "board.avi"},
               {"qx62-to-avi-still", "board.avi"},
               {"avi-to-qx62", "standard.avi"},
               {"3", "standard.avi"},
               {"avi-to-avi-still", "standard.avi"}};
  for (const auto& c : cases) {
    const std::string output = std::string("out-") + c.mode + ".avi";
    const Outcome outcome = Run({"convert", c.mode, c.input, output});
    EXPECT_EQ(outcome.exitCode, 0) << c.mode << ": " << outcome.err;
    if (!haveFfmpeg) continue;
    const std::string path = (dir_ / output).string();
    EXPECT_EQ(fixture::Shell("ffmpeg -v error -i '" + path + "' -f null - 2>&1"), "") << c.mode;
    EXPECT_EQ(fixture::Shell("ffprobe -v error -select_streams v -count_packets -show_entries "
                             "stream=nb_read_packets,height -of csv=p=0 '" +
                             path + "'"),
              "480,3\n")
        << c.mode;
  }
  // Mode 5 writes the map that 'map' writes.
  EXPECT_EQ(Run({"convert", "5", "board.avi", "five.txt"}).exitCode, 0);
  EXPECT_EQ(Run({"map", "board.avi", "map.txt"}).exitCode, 0);
  EXPECT_EQ(fixture::ReadText((dir_ / "five.txt").string()),
            fixture::ReadText((dir_ / "map.txt").string()));
  EXPECT_FALSE(TemporaryFilesLeft(dir_));
}

TEST_F(CliTest, ChecksRefuseOrAskBeforeAnythingIsWritten) {
  fixture::WriteFile((dir_ / "board.avi").string(), Clip("QX62"));
  fixture::WriteFile((dir_ / "standard.avi").string(), Clip("QX63"));
  fixture::WriteFile((dir_ / "plain.avi").string(), Clip(""));
  fixture::WriteFile((dir_ / "jpeg.avi").string(), Clip("QX62", "JPEG"));
  fixture::WriteFile((dir_ / "sound.wav").string(),
                     fixture::Serialize(fixture::WaveFile(2, 44100, 16, 0.1)));
  fixture::WriteFile((dir_ / "notes.txt").string(), fixture::Bytes(100, 'x'));
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string message;
    bool writes;
  };
  const Case cases[] = {
      {{"convert", "0", "standard.avi", "out.avi"},
       1,
       "File: standard.avi has not QX62 format. Should I convert it ? no",
       false},
      {{"convert", "--yes", "0", "standard.avi", "out.avi"}, 0, "Should I convert it ? yes", true},
      {{"convert", "--lang", "GER", "0", "standard.avi", "out.avi"},
       1,
       "Die Datei: standard.avi hat nicht das QX62 Format. Trotzdem konvertieren ? no",
       false},
      {{"convert", "--lang=FRE", "--no", "2", "plain.avi", "out.avi"},
       1,
       "n'a pas le format QX63 MJPG. Convertir quand même? no",
       false},
      {{"convert", "2", "board.avi", "out.avi"}, 1, "already has the QX62 flavour", false},
      {{"convert", "0", "plain.avi", "out.avi"}, 0, "", true},
      {{"convert", "4", "jpeg.avi", "out.avi"},
       1,
       "File: jpeg.avi has no MJPG Video. Cannot convert.",
       false},
      {{"convert", "1", "sound.wav", "out.avi"}, 1, "has no MJPG Video", false},
      {{"convert", "5", "sound.wav", "out.txt"}, 0, "", true},
      {{"convert", "5", "notes.txt", "out.txt"},
       1,
       "'notes.txt' is not an AVI or WAVE file",
       false},
      {{"convert", "0", "missing.avi", "out.avi"}, 1, "cannot open 'missing.avi'", false},
      {{"convert", "0", "board.avi", "no/such/dir/out.avi"},
       1,
       "Cannot open: no/such/dir/out.avi for writing.",
       false},
      {{"convert", "9", "board.avi", "out.avi"}, 2, "unknown mode '9'", false},
      {{"convert", "5", "--in-place", "board.avi"}, 2, "never replaces its input", false},
      {{"convert", "--lang", "KLINGON", "0", "board.avi", "out.avi"}, 2, "unknown language", false},
  };
  for (const Case& c : cases) {
    fs::remove(dir_ / "out.avi");
    fs::remove(dir_ / "out.txt");
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(outcome.exitCode, c.exitCode) << c.args[1] << " " << c.args[2] << ": " << outcome.err;
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    EXPECT_EQ(fs::exists(dir_ / "out.avi") || fs::exists(dir_ / "out.txt"), c.writes)
        << outcome.err;
    EXPECT_FALSE(TemporaryFilesLeft(dir_));
  }
}

TEST_F(CliTest, InPlaceReplacesTheInputOnlyWhenTheConversionCompleted) {
  const fixture::Bytes board = Clip("QX62");
  fixture::WriteFile((dir_ / "clip.avi").string(), board);
  Outcome outcome = Run({"convert", "0", "--in-place", "clip.avi"});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_EQ(Run({"classify", "clip.avi"}).out, "0x82aa\n");
  EXPECT_FALSE(TemporaryFilesLeft(dir_));

  // A refused run leaves the input as it was.
  fixture::WriteFile((dir_ / "clip.avi").string(), board);
  outcome = Run({"convert", "2", "--in-place", "clip.avi"});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_EQ(fs::file_size(dir_ / "clip.avi"), board.size());
  EXPECT_FALSE(TemporaryFilesLeft(dir_));
}

TEST_F(CliTest, InputsThatWouldComeOutShortAreToldPlainly) {
  // A second RIFF form after the first (as OpenDML files carry): refused.
  fixture::Bytes twoForms = Clip("QX62");
  const fixture::Bytes extra =
      fixture::Serialize(fixture::Riff("AVIX", {fixture::Chunk("00dc", "")}));
  twoForms.insert(twoForms.end(), extra.begin(), extra.end());
  fixture::WriteFile((dir_ / "long.avi").string(), twoForms);
  Outcome outcome = Run({"convert", "0", "long.avi", "out.avi"});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.err.find("holds more than one RIFF form ('AVIX'"), std::string::npos)
      << outcome.err;
  EXPECT_FALSE(fs::exists(dir_ / "out.avi"));

  // Cut in the middle of a chunk: the output holds what was there, whole.
  const fixture::Bytes board = Clip("QX62");
  fixture::WriteFile((dir_ / "cut.avi").string(), fixture::Cut(board, board.size() * 2 / 3));
  outcome = Run({"convert", "0", "cut.avi", "out.avi"});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_NE(outcome.err.find("'cut.avi' ends early"), std::string::npos) << outcome.err;
  EXPECT_TRUE(fs::exists(dir_ / "out.avi"));
  if (fixture::HasProgram("ffmpeg")) {
    EXPECT_EQ(
        fixture::Shell("ffmpeg -v error -i '" + (dir_ / "out.avi").string() + "' -f null - 2>&1"),
        "");
  }
}

TEST_F(CliTest, ClassifyAndInfoShowWhatTheHeadersSay) {
  fixture::WriteFile((dir_ / "clip.avi").string(), Clip("QX63"));
  fixture::WriteFile((dir_ / "sound.wav").string(),
                     fixture::Serialize(fixture::WaveFile(2, 44100, 16, 0.5)));
  EXPECT_EQ(Run({"classify", "clip.avi"}).out, "0x82aa\n");
  EXPECT_EQ(Run({"classify", "sound.wav"}).out, "0xc30c\n");
  Outcome outcome = Run({"info", "clip.avi"});
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(outcome.out.substr(0, outcome.out.find("\n\n")),
            "Total    3 Frames (320x480)  Vid + Aud\n"
            "Lenght: 0.12 sec  (25.00 [Frames/sec])\n"
            "Buffer: " +
                std::to_string(std::stoi(outcome.out.substr(outcome.out.find("Buffer: ") + 8))) +
                " [kB]");
  EXPECT_NE(outcome.out.find("MJPG      Initial 0 Frames"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("Total    3 Frames (initial 0)  Video + Audio"), std::string::npos);
  outcome = Run({"info", "--lang", "GER", "sound.wav"});
  EXPECT_EQ(outcome.out, "WAVE      Vorweg 0 Blöcke\n0.50 sek\nStereo 44100 Hz 16 [Bits/Sample]\n");
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
