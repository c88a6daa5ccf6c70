// clipmill-cli: the converter's engine for terminals and scripts.
//
//   clipmill-cli map INPUT OUTPUT     writes the text map of an AVI or WAVE file
//
// Exit codes: 0 done, 1 failed (a one-line message names the file and the
// cause), 2 usage error, 130 cancelled.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/terminal_progress.h"
#include "convert/map_writer.h"
#include "platform/mmio.h"
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
    "  map INPUT OUTPUT    write the text map of an AVI or WAVE file\n"
    "\n"
    "Run 'clipmill-cli COMMAND --help' for the details of a command.\n";

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

int Fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return kExitFailed;
}

int UsageError(const std::string& message, const char* usage) {
  std::fprintf(stderr, "%s: %s\n\n%s", kProgram, message.c_str(), usage);
  return kExitUsage;
}

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

bool WantsHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
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

int RunMap(const std::vector<std::string>& args) {
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
  if (!succeeded) {
    if (map.inputOpenError() != 0) {
      return Fail("cannot open " + Quoted(input) + ": " + std::strerror(map.inputOpenError()));
    }
    if (map.status() == riff::RiffWalker::kStatusOutOfMemory) {
      return Fail("out of memory while mapping " + Quoted(input));
    }
    const int error = map.outputError() != 0 ? map.outputError() : map.fileError();
    return Fail("cannot write " + Quoted(output) + ": " + std::strerror(error));
  }
  if (map.cancelled()) {
    std::fprintf(stderr, "%s: cancelled; %s holds the map as far as it got\n", kProgram,
                 Quoted(output).c_str());
    return kExitCancelled;
  }
  if (map.inputEndedEarly()) {
    std::fprintf(stderr, "%s: warning: %s ends early, at byte %lld, inside a list; the map stops there\n",
                 kProgram, Quoted(input).c_str(), static_cast<long long>(map.inputEnd()));
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
  return UsageError("unknown command " + Quoted(command), kUsage);
}
