// clipmill-cli: the converter for terminals and scripts.
//
// Exit codes: 0 done, 1 refused, declined or failed (a one-line message names
// the file and the cause), 2 usage error, 130 cancelled.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_host.h"
#include "cli/terminal_progress.h"
#include "convert/conversion_job.h"
#include "convert/map_writer.h"
#include "converter-ui/file_summary.h"
#include "converter-ui/string_table.h"
#include "platform/mmio.h"
#include "riff/flavour_classifier.h"
#include "riff/riff_file.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 130;

constexpr char kProgram[] = "clipmill-cli";

constexpr char kUsage[] =
    "usage: clipmill-cli COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  convert MODE INPUT OUTPUT      convert a Motion-JPEG AVI file (see convert --help)\n"
    "  convert MODE --in-place INPUT  convert a file in place\n"
    "  map INPUT OUTPUT               write the text map of an AVI or WAVE file\n"
    "  classify INPUT                 print the file's classification word\n"
    "  info INPUT                     show what the file's headers say\n"
    "\n"
    "Run 'clipmill-cli COMMAND --help' for the details of a command.\n"
    "Exit status: 0 done, 1 refused, declined or failed, 2 usage error, 130 cancelled.\n";

constexpr char kMapUsage[] =
    "usage: clipmill-cli map INPUT OUTPUT\n"
    "\n"
    "Writes a text map of the AVI or WAVE file INPUT to OUTPUT: every chunk with\n"
    "its offset and end, how the lists nest, the main and stream header values,\n"
    "a number for every video and audio chunk, the index entries, and one line\n"
    "per JPEG marker segment of every Motion-JPEG frame. Lines end in CR LF.\n"
    "\n"
    "On a terminal a progress bar shows on standard error; releasing Esc or\n"
    "pressing Ctrl-C stops after the current chunk and keeps the partial map.\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 usage error, 130 cancelled.\n";

constexpr char kConvertUsage[] =
    "usage: clipmill-cli convert [--yes|--no] [--lang ENG|GER|FRE] MODE INPUT OUTPUT\n"
    "       clipmill-cli convert [--yes|--no] [--lang ENG|GER|FRE] MODE --in-place INPUT\n"
    "\n"
    "Modes (number or name):\n"
    "  0  qx62-to-avi         AVIQX62 -> AVI: board flavour to standard AVI\n"
    "  1  qx62-to-avi-still   the same, each frame from its own fields (stills)\n"
    "  2  avi-to-qx62         AVI -> AVIQX62: standard AVI to the board flavour\n"
    "  3  avi-to-qx62-still   the same, stills\n"
    "  4  avi-to-avi-still    each frame's first field twice (stills)\n"
    "  5  avi-to-txt          the text map (as 'map'); never replaces its input\n"
    "\n"
    "The output is written beside OUTPUT under a temporary name and put in place\n"
    "only when the conversion is complete; --in-place replaces INPUT that way.\n"
    "A question about the input is answered by --yes or --no; without either it\n"
    "is asked on the terminal, or answered No when there is none. --lang picks the\n"
    "language of the messages (default: from LC_ALL, LC_MESSAGES or LANG).\n"
    "Releasing Esc or pressing Ctrl-C cancels; nothing is written then.\n"
    "\n"
    "Exit status: 0 done, 1 refused, declined or failed, 2 usage error, 130 cancelled.\n";

constexpr char kClassifyUsage[] =
    "usage: clipmill-cli classify INPUT\n"
    "\n"
    "Prints the classification word of INPUT as 0x%04x: flavour in bits 0-2\n"
    "(1 QX62, 2 QX63, 3 other, 4 WAVE), stereo 0x0008, width class 0x0030,\n"
    "more than 24 frames/s 0x0080, codec 0x0300 (0x0100 JPEG, 0x0200 MJPG),\n"
    "sample-rate class 0xC000. 0x0000: not an AVI or WAVE file.\n";

constexpr char kInfoUsage[] =
    "usage: clipmill-cli info [--lang ENG|GER|FRE] INPUT\n"
    "\n"
    "Shows the three summary lines of INPUT and, for an AVI file, the details of\n"
    "its main header and its first video and audio streams.\n";

const char* const kModeNames[] = {"qx62-to-avi",       "qx62-to-avi-still", "avi-to-qx62",
                                  "avi-to-qx62-still", "avi-to-avi-still",  "avi-to-txt"};

int Fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return kExitFailed;
}

int UsageError(const std::string& message, const char* usage) {
  std::fprintf(stderr, "%s: %s\n\n%s", kProgram, message.c_str(), usage);
  return kExitUsage;
}

std::string Quoted(const std::string& name) {
  return "'" + name + "'";
}

bool WantsHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// Options shared by the commands, taken out of `args`.
struct Options {
  std::optional<bool> answer;
  int languageBase = 0;
  bool inPlace = false;
};

// Takes the options out of `args`; returns an error text for a bad one.
std::string TakeOptions(std::vector<std::string>* args, Options* options) {
  options->languageBase = cli::LanguageBaseFromLocale();
  std::vector<std::string> rest;
  for (size_t i = 0; i < args->size(); ++i) {
    const std::string& arg = (*args)[i];
    if (arg == "--yes" || arg == "--no") {
      options->answer = arg == "--yes";
    } else if (arg == "--in-place") {
      options->inPlace = true;
    } else if (arg == "--lang" || arg.rfind("--lang=", 0) == 0) {
      std::string name;
      if (arg == "--lang") {
        if (++i == args->size()) return "--lang needs ENG, GER or FRE";
        name = (*args)[i];
      } else {
        name = arg.substr(7);
      }
      const std::optional<int> base = cli::LanguageBaseFromName(name);
      if (!base) return "unknown language " + Quoted(name) + " (ENG, GER or FRE)";
      options->languageBase = *base;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      return "unknown option " + Quoted(arg);
    } else {
      rest.push_back(arg);
    }
  }
  *args = rest;
  return "";
}

std::optional<int> ParseMode(const std::string& text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '5') return text[0] - '0';
  for (int mode = 0; mode < convert::kModeCount; ++mode) {
    if (text == kModeNames[mode]) return mode;
  }
  return std::nullopt;
}

// Checks that `name` opens and starts with a RIFF form of type "AVI " or
// "WAVE"; otherwise prints why and returns false.
bool CheckRiffInput(const std::string& name) {
  riff::RiffFile file;
  if (!file.Open(name, platform::MMIO_DENYWRITE)) {
    Fail("cannot open " + Quoted(name) + ": " + std::strerror(file.openError()));
    return false;
  }
  riff::ChunkRecord first;
  if (!file.Descend(&first) || !first.IsRiff() ||
      !(first.fccType == riff::FourCC("AVI ") || first.fccType == riff::FourCC("WAVE"))) {
    Fail(Quoted(name) + " is not an AVI or WAVE file");
    return false;
  }
  return true;
}

int RunMap(std::vector<std::string> args) {
  if (WantsHelp(args)) {
    std::fputs(kMapUsage, stdout);
    return kExitOk;
  }
  if (args.size() != 2) return UsageError("map takes INPUT and OUTPUT", kMapUsage);
  const std::string& input = args[0];
  const std::string& output = args[1];
  if (SameFile(input, output)) {
    return Fail("the map would overwrite its input " + Quoted(input) + "; choose another OUTPUT");
  }
  if (!CheckRiffInput(input)) return kExitFailed;

  cli::TerminalProgress progress("Mapping");
  convert::MapWriter map(&progress, output);
  if (!map.outputOpen()) {
    return Fail("cannot create " + Quoted(output) + ": " + std::strerror(map.outputError()));
  }
  const int succeeded = map.Run(input, platform::MMIO_DENYWRITE);
  progress.Finish();
  if (!succeeded) return Fail(convert::DescribeWalkFailure(map, map.outputError(), input, output));
  if (map.cancelled()) {
    std::fprintf(stderr, "%s: cancelled; %s holds the map as far as it got\n", kProgram,
                 Quoted(output).c_str());
    return kExitCancelled;
  }
  if (map.inputEndedEarly()) {
    std::fprintf(stderr,
                 "%s: warning: %s ends early, at byte %lld, inside a list; the map stops there\n",
                 kProgram, Quoted(input).c_str(), static_cast<long long>(map.inputEnd()));
  }
  return kExitOk;
}

int RunConvert(std::vector<std::string> args) {
  if (WantsHelp(args)) {
    std::fputs(kConvertUsage, stdout);
    return kExitOk;
  }
  Options options;
  const std::string bad = TakeOptions(&args, &options);
  if (!bad.empty()) return UsageError(bad, kConvertUsage);
  const size_t names = options.inPlace ? 1 : 2;
  if (args.size() != names + 1) {
    return UsageError(options.inPlace ? "convert --in-place takes MODE and INPUT"
                                      : "convert takes MODE, INPUT and OUTPUT",
                      kConvertUsage);
  }
  const std::optional<int> mode = ParseMode(args[0]);
  if (!mode) return UsageError("unknown mode " + Quoted(args[0]), kConvertUsage);
  const std::string& input = args[1];
  const std::string output = options.inPlace ? input : args[2];
  const bool textMode = *mode == static_cast<int>(convert::ConversionMode::kAviToText);
  if (textMode && (options.inPlace || SameFile(input, output))) {
    return UsageError("mode 5 writes a text map and never replaces its input; give an OUTPUT",
                      kConvertUsage);
  }
  struct stat st {};
  if (stat(input.c_str(), &st) != 0) {
    return Fail("cannot open " + Quoted(input) + ": " + std::strerror(errno));
  }

  cli::CliJobHost host(options.languageBase, options.answer);
  cli::TerminalProgress progress(textMode ? "Mapping" : "Converting");
  convert::ConversionJob job(&host, &progress);
  const int done = job.Execute(input, output, *mode);
  progress.Finish();
  switch (job.outcome()) {
    case convert::JobOutcome::kDone:
      return done ? kExitOk : kExitFailed;
    case convert::JobOutcome::kInputEndedEarly:
      return Fail("warning: " + Quoted(input) + " ends early, at byte " +
                  std::to_string(job.inputEnd()) + "; " + Quoted(output) +
                  " holds what was there, as a complete file");
    case convert::JobOutcome::kCancelled:
      std::fprintf(stderr, "%s: cancelled; nothing was written\n", kProgram);
      return kExitCancelled;
    case convert::JobOutcome::kDeclined:
      return Fail("not converted; nothing was written");
    case convert::JobOutcome::kRefused:
      if (!host.showedMessage() && !job.failureText().empty()) Fail(job.failureText());
      return kExitFailed;
    case convert::JobOutcome::kFailed:
      return Fail(job.failureText());
  }
  return kExitFailed;
}

int RunClassify(std::vector<std::string> args) {
  if (WantsHelp(args)) {
    std::fputs(kClassifyUsage, stdout);
    return kExitOk;
  }
  if (args.size() != 1) return UsageError("classify takes INPUT", kClassifyUsage);
  struct stat st {};
  if (stat(args[0].c_str(), &st) != 0) {
    return Fail("cannot open " + Quoted(args[0]) + ": " + std::strerror(errno));
  }
  riff::FlavourClassifier classifier;
  std::printf("0x%04x\n", classifier.Classify(args[0]));
  return kExitOk;
}

int RunInfo(std::vector<std::string> args) {
  if (WantsHelp(args)) {
    std::fputs(kInfoUsage, stdout);
    return kExitOk;
  }
  Options options;
  const std::string bad = TakeOptions(&args, &options);
  if (!bad.empty()) return UsageError(bad, kInfoUsage);
  if (args.size() != 1) return UsageError("info takes INPUT", kInfoUsage);
  const std::string& input = args[0];
  riff::RiffFile file;
  if (!file.Open(input, platform::MMIO_DENYWRITE)) {
    return Fail("cannot open " + Quoted(input) + ": " + std::strerror(file.openError()));
  }
  file.Close();
  const int base = options.languageBase;
  const ui::SummaryLines summary = ui::SummarizeInput(input, true, base);
  for (const std::string& line : summary.line) std::printf("%s\n", line.c_str());
  const ui::FileDetails details = ui::DescribeFile(input, base);
  if (!details.shown) return kExitOk;
  std::printf("\nAVI-File Information%s\n", details.captionSuffix.c_str());
  std::printf("Parameter\n  %s\n  %s\n  %s\n  %s\n", details.frames.c_str(), details.length.c_str(),
              details.size.c_str(), details.fileBuffer.c_str());
  if (details.hasVideo) {
    std::printf("Video%s\n", details.videoCaptionSuffix.c_str());
    for (const std::string& line : details.video) std::printf("  %s\n", line.c_str());
  }
  if (details.hasAudio) {
    std::printf("Audio%s\n", details.audioCaptionSuffix.c_str());
    for (const std::string& line : details.audio) std::printf("  %s\n", line.c_str());
  }
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError("no command given", kUsage);
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (command == "map") return RunMap(args);
  if (command == "convert") return RunConvert(args);
  if (command == "classify") return RunClassify(args);
  if (command == "info") return RunInfo(args);
  return UsageError("unknown command " + Quoted(command), kUsage);
}
