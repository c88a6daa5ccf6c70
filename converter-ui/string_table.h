// The converter's string resources: every text that the conversion job, the
// summary lines, the information dialog and the mode list show, in English
// (identifier), German (identifier + 1000) and French (identifier + 2000).
// Shared by clipmill and clipmill-cli. Texts are static; nothing is owned.
#pragma once

namespace ui {

// Language bases: added to an English identifier to reach the other texts.
constexpr int kEnglishBase = 0;
constexpr int kGermanBase = 1000;
constexpr int kFrenchBase = 2000;

// Identifiers of the texts (English; add the base for the others).
enum StringId : int {
  kLanguageNames = 20,  // 20 English, 21 German, 22 French
  kAboutMenuText = 101,
  kAviFilter = 201,
  kTextFilter = 202,
  kNoInformation = 203,
  kSummaryFrames = 204,
  kSummaryLength = 205,
  kSummaryBuffer = 206,
  kVideoInitial = 208,
  kVideoLength = 209,
  kVideoSize = 210,
  kVideoBuffer = 211,
  kAudioInitial = 212,
  kAudioLength = 213,
  kAudioFormat = 214,
  kAudioBuffer = 215,
  kInfoFrames = 216,
  kInfoLength = 217,
  kInfoSize = 218,
  kInfoBuffer = 219,
  kNotQx62 = 220,
  kNotQx63 = 221,
  kCannotWrite = 222,
  kNoMjpgVideo = 223,
  kConvertAnyway = 224,
  kModeText = 300,  // 300 + mode number
};

// The text of `id` (identifier + language base), or none when there is no
// such text. UTF-8.
const char* LoadString(int id);

// Dialog layouts ("templates"): the main dialog 102, the About dialog 100
// (each + language base) and the information dialog 129 (English only).
constexpr int kMainLayout = 102;
constexpr int kAboutLayout = 100;
constexpr int kInfoLayout = 129;
// Pseudo control ids for texts that belong to no numbered control.
constexpr int kCaption = -1;
constexpr int kInputGroup = -2;
constexpr int kOutputGroup = -3;
constexpr int kAboutName = -4;
constexpr int kAboutFor = -5;
constexpr int kAboutVersion = -6;
constexpr int kParameterGroup = -7;
// The text of `control` in dialog layout `layout` (identifier + base), or "".
const char* DialogText(int layout, int control);

}  // namespace ui
