#include "convert/conversion_job.h"

#include <cstring>

#include "convert/conversion_walker.h"
#include "convert/map_writer.h"
#include "convert/output_file.h"
#include "convert/text_format.h"
#include "riff/flavour_classifier.h"
#include "riff/riff_file.h"

namespace convert {
namespace {

using riff::FlavourClassifier;

// String-table identifiers of the job's messages.
constexpr int kNotQx62 = 220;
constexpr int kNotQx63 = 221;
constexpr int kCannotWrite = 222;
constexpr int kNoMjpgVideo = 223;
constexpr int kConvertAnyway = 224;

struct ModeSettings {
  FieldMode fieldMode;
  const char* flavourName;
};
constexpr ModeSettings kModes[] = {
    {FieldMode::kToStandard, "QX63"}, {FieldMode::kStill, "QX63"},
    {FieldMode::kToBoard, "QX62"},    {FieldMode::kStill, "QX62"},
    {FieldMode::kFirstTwice, "QX63"},
};

bool IsMotionJpegCodec(uint16_t word) {
  const uint16_t codec = word & FlavourClassifier::kCodecMask;
  return codec != 0 && codec != FlavourClassifier::kCodecJpeg &&
         codec != FlavourClassifier::kCodecOther;
}

std::string Quoted(const std::string& name) {
  return "'" + name + "'";
}

}  // namespace

std::string DescribeWalkFailure(const riff::RiffWalker& walker, int outputError,
                                const std::string& input, const std::string& output) {
  if (walker.inputOpenError() != 0) {
    return "cannot open " + Quoted(input) + ": " + std::strerror(walker.inputOpenError());
  }
  if (walker.status() == riff::RiffWalker::kStatusOutOfMemory) {
    return "out of memory while reading " + Quoted(input);
  }
  const int error = outputError != 0 ? outputError : walker.fileError();
  return "cannot write " + Quoted(output) + ": " + std::strerror(error);
}

std::string ConversionJob::Message(int id, const std::string& name) {
  const char* text = host_->LoadString(id);
  if (text == nullptr) return "";
  std::string message;
  // The texts hold one "%s" for the name; anything else is printed as it stands.
  const char* at = std::strstr(text, "%s");
  if (at == nullptr) return text;
  message.assign(text, at);
  message += name;
  message += at + 2;
  return message;
}

int ConversionJob::Fail(const std::string& text) {
  outcome_ = JobOutcome::kFailed;
  failureText_ = text;
  return 0;
}

int ConversionJob::Execute(const std::string& input, const std::string& output, int mode) {
  outcome_ = JobOutcome::kRefused;
  failureText_.clear();
  inputEnd_ = 0;
  if (mode < 0 || mode >= kModeCount) return 0;
  const auto which = static_cast<ConversionMode>(mode);

  if (which == ConversionMode::kAviToText) {
    FlavourClassifier classifier;
    if (classifier.Classify(input) == 0) {
      failureText_ = Quoted(input) + " is not an AVI or WAVE file that can be read";
      return 0;
    }
    return RunMap(input, output);
  }
  int allowed = 0;
  switch (which) {
    case ConversionMode::kQx62ToAvi:
    case ConversionMode::kQx62ToAviStill:
      allowed = CheckBoardInput(input);
      break;
    case ConversionMode::kAviToQx62:
    case ConversionMode::kAviToQx62Still:
      allowed = CheckStandardInput(input);
      break;
    default: {
      FlavourClassifier classifier;
      allowed = IsMotionJpegCodec(classifier.Classify(input)) ? 1 : 0;
      if (!allowed) {
        const std::string message = Message(kNoMjpgVideo, input);
        if (!message.empty()) host_->ShowError(message);
      }
      break;
    }
  }
  if (!allowed) return 0;
  if (RefuseMultipleForms(input)) return 0;
  return RunConversion(input, output, mode);
}

int ConversionJob::CheckBoardInput(const std::string& input) {
  return CheckInput(input, false);
}

int ConversionJob::CheckStandardInput(const std::string& input) {
  return CheckInput(input, true);
}

int ConversionJob::CheckInput(const std::string& input, bool writesBoardFlavour) {
  FlavourClassifier classifier;
  const uint16_t word = classifier.Classify(input);
  if (!IsMotionJpegCodec(word)) {
    const std::string message = Message(kNoMjpgVideo, input);
    if (!message.empty()) host_->ShowError(message);
    outcome_ = JobOutcome::kRefused;
    return 0;
  }
  const int flavour = word & FlavourClassifier::kFlavourMask;
  // A file already in the target flavour: refused silently (to the board
  // flavour) or asked about (to the standard flavour).
  const int refusedFlavour = writesBoardFlavour ? FlavourClassifier::kFlavourQx62 : 0;
  const int askedFlavour =
      writesBoardFlavour ? FlavourClassifier::kFlavourOther : FlavourClassifier::kFlavourQx63;
  if (flavour == 0 || flavour == refusedFlavour) {
    outcome_ = JobOutcome::kRefused;
    failureText_ = Quoted(input) + " already has the QX62 flavour; nothing was written";
    return 0;
  }
  if (flavour == askedFlavour) {
    std::string question = Message(writesBoardFlavour ? kNotQx63 : kNotQx62, input);
    if (question.empty()) return 1;
    const char* anyway = host_->LoadString(kConvertAnyway);
    question += anyway != nullptr ? anyway : "";
    if (!host_->AskYesNo(question)) {
      outcome_ = JobOutcome::kDeclined;
      return 0;
    }
  }
  return 1;
}

bool ConversionJob::RefuseMultipleForms(const std::string& input) {
  // The walk covers the first RIFF form only. A file with more forms after
  // it (an OpenDML file over 1 GiB, with "AVIX" forms) would come out cut
  // short, so it is refused before anything is written.
  riff::RiffFile file;
  riff::ChunkRecord first;
  riff::ChunkRecord next;
  if (!file.Open(input, platform::MMIO_DENYWRITE) || !file.Descend(&first)) return false;
  if (file.Seek(first.PaddedEnd(), 0) < 0 || !file.Descend(&next) || !next.IsRiff()) return false;
  Fail(Quoted(input) + " holds more than one RIFF form ('" + next.fccType.Text() +
       "' follows the first at byte " + std::to_string(first.PaddedEnd()) +
       "); only files of one form can be converted, so nothing was written");
  return true;
}

int ConversionJob::RunConversion(const std::string& input, const std::string& output, int mode) {
  OutputFile out(output);
  if (!out.Create()) {
    const std::string message = Message(kCannotWrite, output);
    if (!message.empty()) host_->ShowError(message);
    return Fail("cannot create " + Quoted(output) + ": " + std::strerror(out.error()));
  }
  host_->SetWaitCursor(true);
  ConversionWalker walker(progress_);
  const ModeSettings& settings = kModes[mode];
  const bool walked =
      walker.Run(input, settings.fieldMode, settings.flavourName, out.temporaryName());
  host_->SetWaitCursor(false);

  if (walker.status() == riff::RiffWalker::kStatusCannotCreateOutput) {
    const std::string message = Message(kCannotWrite, output);
    if (!message.empty()) host_->ShowError(message);
    return Fail("cannot create " + Quoted(output) + ": " + std::strerror(walker.outputError()));
  }
  if (!walked) return Fail(DescribeWalkFailure(walker, walker.outputError(), input, output));
  if (walker.cancelled()) {
    outcome_ = JobOutcome::kCancelled;
    return 0;
  }
  if (!out.Commit()) {
    return Fail("cannot put the output in place as " + Quoted(output) + ": " +
                std::strerror(out.error()));
  }
  outcome_ = walker.inputEndedEarly() ? JobOutcome::kInputEndedEarly : JobOutcome::kDone;
  inputEnd_ = walker.inputEnd();
  return 1;
}

int ConversionJob::RunMap(const std::string& input, const std::string& output) {
  OutputFile out(output);
  if (!out.Create()) {
    return Fail("cannot create " + Quoted(output) + ": " + std::strerror(out.error()));
  }
  host_->SetWaitCursor(true);
  MapWriter map(progress_, out.temporaryName());
  const int walked = map.Run(input, platform::MMIO_DENYWRITE);
  host_->SetWaitCursor(false);
  if (!walked) return Fail(DescribeWalkFailure(map, map.outputError(), input, output));
  if (map.cancelled()) {
    outcome_ = JobOutcome::kCancelled;
    return 0;
  }
  if (!out.Commit()) {
    return Fail("cannot put the map in place as " + Quoted(output) + ": " +
                std::strerror(out.error()));
  }
  outcome_ = map.inputEndedEarly() ? JobOutcome::kInputEndedEarly : JobOutcome::kDone;
  inputEnd_ = map.inputEnd();
  return 1;
}

}  // namespace convert
