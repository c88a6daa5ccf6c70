#include "cli/cli_host.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "converter-ui/string_table.h"

namespace cli {
namespace {

// Message texts hold line breaks for a message box; on a terminal they read
// better as one line.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() != ' ') line += ' ';
    } else {
      line += c;
    }
  }
  return line;
}

}  // namespace

std::optional<int> LanguageBaseFromName(const std::string& name) {
  if (name == "ENG") return ui::kEnglishBase;
  if (name == "GER") return ui::kGermanBase;
  if (name == "FRE") return ui::kFrenchBase;
  return std::nullopt;
}

int LanguageBaseFromLocale() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    const std::string locale = value;
    if (locale.rfind("de", 0) == 0) return ui::kGermanBase;
    if (locale.rfind("fr", 0) == 0) return ui::kFrenchBase;
    return ui::kEnglishBase;
  }
  return ui::kEnglishBase;
}

const char* CliJobHost::LoadString(int id) {
  return ui::LoadString(id + languageBase_);
}

void CliJobHost::ShowError(const std::string& text) {
  showedMessage_ = true;
  std::fprintf(stderr, "clipmill-cli: %s\n", OneLine(text).c_str());
}

bool CliJobHost::AskYesNo(const std::string& text) {
  showedMessage_ = true;
  const std::string question = OneLine(text);
  if (answer_) {
    std::fprintf(stderr, "clipmill-cli: %s %s\n", question.c_str(), *answer_ ? "yes" : "no");
    return *answer_;
  }
  if (isatty(STDIN_FILENO) == 0) {
    std::fprintf(stderr, "clipmill-cli: %s no (no terminal to ask; --yes answers yes)\n",
                 question.c_str());
    return false;
  }
  std::fprintf(stderr, "clipmill-cli: %s [y/N] ", question.c_str());
  std::fflush(stderr);
  std::string reply;
  std::getline(std::cin, reply);
  return !reply.empty() && (reply[0] == 'y' || reply[0] == 'Y' || reply[0] == 'j' ||
                            reply[0] == 'J' || reply[0] == 'o' || reply[0] == 'O');
}

}  // namespace cli
