// ConversionJob: the one entry point through which a front end starts work.
// Given an input name, an output name and a mode, it checks that the input
// suits the mode (refusing or asking through its host where it does not),
// runs the walker that does the mode's work and reports what happened.
//
// The output is written to a temporary file in the output's folder and
// renamed into place only when the walk completed, so a refused, declined,
// failed or cancelled run leaves no output behind and never touches an
// existing file of that name (in place conversion included).
//
// The job borrows its host and progress, which must outlive it; it keeps no
// state between runs beyond the report of the last one.
#pragma once

#include <cstdint>
#include <string>

#include "riff/riff_walker.h"
#include "riff/walk_progress.h"

namespace convert {

enum class ConversionMode : int {
  kQx62ToAvi = 0,
  kQx62ToAviStill = 1,
  kAviToQx62 = 2,
  kAviToQx62Still = 3,
  kAviToAviStill = 4,
  kAviToText = 5,
};
constexpr int kModeCount = 6;

// What the job needs of the application: its texts in the current language,
// message boxes, and the wait cursor.
class JobHost {
 public:
  virtual ~JobHost() = default;
  // The text of string-table identifier `id` (the host adds its language
  // base), or none.
  virtual const char* LoadString(int id) = 0;
  // A stop message with an OK button.
  virtual void ShowError(const std::string& text) = 0;
  // A stop message with Yes and No buttons; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  virtual void SetWaitCursor(bool /*on*/) {}
};

// How the last Execute ended.
enum class JobOutcome {
  kDone,             // the mode ran to its end; the output is in place
  kRefused,          // the input does not suit the mode (a message may have said why)
  kDeclined,         // the user answered No
  kFailed,           // the walk failed; failureText says why
  kCancelled,        // Esc ended the walk; nothing was written
  kInputEndedEarly,  // done, but the input was cut off: the output holds what was there
};

// One line naming the file and the cause of a failed walk: the input that
// could not be opened, memory, or the output that could not be written
// (`outputError`, else the walk's own file error).
std::string DescribeWalkFailure(const riff::RiffWalker& walker, int outputError,
                                const std::string& input, const std::string& output);

class ConversionJob {
 public:
  ConversionJob(JobHost* host, riff::WalkProgress* progress) : host_(host), progress_(progress) {}

  // Runs `mode` (0 to 5) from `input` to `output`. Nonzero when the mode ran
  // to the end of its walk and the output is in place; 0 when the job
  // refused the input, the user declined, the walk failed or was cancelled,
  // or the mode is not 0 to 5.
  int Execute(const std::string& input, const std::string& output, int mode);

  // 1 when a board-flavour mode (0, 1) may go on, else 0.
  int CheckBoardInput(const std::string& input);
  // 1 when a mode that writes the board flavour (2, 3) may go on, else 0.
  int CheckStandardInput(const std::string& input);

  JobOutcome outcome() const { return outcome_; }
  // One line naming the file and the cause of a failure (kFailed), or of a
  // refusal that showed no message (kRefused).
  const std::string& failureText() const { return failureText_; }
  // Offset at which the input ended (kInputEndedEarly).
  int64_t inputEnd() const { return inputEnd_; }

 private:
  int CheckInput(const std::string& input, bool writesBoardFlavour);
  bool RefuseMultipleForms(const std::string& input);
  int RunConversion(const std::string& input, const std::string& output, int mode);
  int RunMap(const std::string& input, const std::string& output);
  std::string Message(int id, const std::string& name);
  int Fail(const std::string& text);

  JobHost* host_;
  riff::WalkProgress* progress_;
  JobOutcome outcome_ = JobOutcome::kRefused;
  std::string failureText_;
  int64_t inputEnd_ = 0;
};

}  // namespace convert
