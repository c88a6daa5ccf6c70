// CliJobHost: the conversion job's host on a terminal. Texts come from the
// string table in the chosen language; messages go to standard error; a
// question is answered by --yes or --no, else asked on the terminal when
// there is one, else answered No.
#pragma once

#include <optional>
#include <string>

#include "convert/conversion_job.h"

namespace cli {

// The language base for "ENG", "GER" or "FRE"; none for anything else.
std::optional<int> LanguageBaseFromName(const std::string& name);
// The language base the locale asks for (LC_ALL, LC_MESSAGES, LANG, in that
// order): German and French locales give German and French, all others English.
int LanguageBaseFromLocale();

class CliJobHost : public convert::JobHost {
 public:
  // `answer`: the answer given on the command line, if any.
  CliJobHost(int languageBase, std::optional<bool> answer)
      : languageBase_(languageBase), answer_(answer) {}

  const char* LoadString(int id) override;
  void ShowError(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;

  bool showedMessage() const { return showedMessage_; }

 private:
  int languageBase_;
  std::optional<bool> answer_;
  bool showedMessage_ = false;
};

}  // namespace cli
