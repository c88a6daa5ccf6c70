#include "converter-ui/language_setting.h"

#include <cstdlib>
#include <cstring>

#include "converter-ui/registry_value.h"

namespace ui {

const LanguageEntry kLanguages[3] = {
    {9, 0, 20, "ENG"},
    {7, 1000, 21, "GER"},
    {12, 2000, 22, "FRE"},
};

LanguageSetting& LanguageSetting::Current() {
  static LanguageSetting current;
  return current;
}

void LanguageSetting::Detect(uint16_t systemLanguage) {
  char stored[80] = {};
  if (Settings::Language().Load(stored, sizeof stored)) {
    stored[sizeof stored - 1] = '\0';
    LoadChoice(stored);
  } else {
    SelectCode(static_cast<uint16_t>(systemLanguage & 0x3FF));
  }
}

void LanguageSetting::SelectCode(uint16_t code) {
  for (const LanguageEntry& entry : kLanguages) {
    if (entry.code == code) {
      languageCode_ = entry.code;
      languageBase_ = entry.base;
      return;
    }
  }
  languageCode_ = kLanguages[0].code;
  languageBase_ = kLanguages[0].base;
}

void LanguageSetting::LoadChoice(const std::string& tag) {
  for (const LanguageEntry& entry : kLanguages) {
    if (tag == entry.tag) {
      SelectCode(entry.code);
      return;
    }
  }
  SelectCode(0);
}

bool LanguageSetting::StoreChoice() const {
  for (const LanguageEntry& entry : kLanguages) {
    if (entry.code == languageCode_) return Settings::Language().StoreText(entry.tag);
  }
  return false;
}

uint16_t UserLanguageFromLocale() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    if (std::strncmp(value, "de", 2) == 0) return 0x0407;
    if (std::strncmp(value, "fr", 2) == 0) return 0x040C;
    return 0x0409;
  }
  return 0x0409;
}

}  // namespace ui
