// LanguageSetting: the converter's current language, as a primary language
// code (9 English, 7 German, 12 French) and the resource base added to every
// language-dependent text identifier (0, 1000, 2000). One instance serves the
// whole process; it is chosen at start-up from the stored "Language" setting
// or, without one, from the user's locale, and changed only by the About
// dialog's language list.
#pragma once

#include <cstdint>
#include <string>

namespace ui {

struct LanguageEntry {
  uint16_t code;
  int base;
  int nameId;
  const char* tag;  // stored as the "Language" setting
};
// English, German, French: the order of the About list and of tag matching.
extern const LanguageEntry kLanguages[3];

class LanguageSetting {
 public:
  // The process's language.
  static LanguageSetting& Current();

  // At start-up: the stored choice wins; without one, `systemLanguage` (a
  // language id whose low ten bits are the primary language) decides.
  void Detect(uint16_t systemLanguage);
  // A code outside the table selects English.
  void SelectCode(uint16_t code);
  // Matches a stored tag exactly (case-sensitive); no match selects English.
  void LoadChoice(const std::string& tag);
  // Stores the current tag as the "Language" setting.
  bool StoreChoice() const;

  uint16_t languageCode() const { return languageCode_; }
  int languageBase() const { return languageBase_; }

 private:
  uint16_t languageCode_ = 9;
  int languageBase_ = 0;
};

// The user's language from the locale (LC_ALL, LC_MESSAGES, LANG) as a
// language id: German and French locales give 0x0407 and 0x040C, every other
// one 0x0409 (English).
uint16_t UserLanguageFromLocale();

}  // namespace ui
