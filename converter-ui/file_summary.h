// What the converter shows about an input file, as text in the current
// language: the main dialog's three summary lines and the lines of the file
// information dialog. Both read the file's headers with an AviHeaderReader
// and only present what it found. Plain functions, no state.
#pragma once

#include <string>

namespace ui {

// The three summary lines of the main dialog for `inputName`. `valid` is
// whether the name was accepted; an empty or refused name, or a file that is
// not a complete AVI or WAVE file, gives the "no information" text.
struct SummaryLines {
  std::string line[3];
};
SummaryLines SummarizeInput(const std::string& inputName, bool valid, int languageBase);

// The information dialog's content. `shown` is false for anything but a
// complete AVI file (the dialog then closes before it is shown).
struct FileDetails {
  bool shown = false;
  std::string captionSuffix;  // " [name]" appended to the caption
  std::string frames;         // line 1010
  std::string length;         // line 1011
  std::string size;           // line 1012
  std::string fileBuffer;     // line 1013
  bool hasVideo = false;
  std::string videoCaptionSuffix;  // " [stream name]", or empty
  std::string video[4];            // lines 1014-1017
  bool hasAudio = false;
  std::string audioCaptionSuffix;
  std::string audio[4];  // lines 1018-1021
};
FileDetails DescribeFile(const std::string& name, int languageBase);

// printf-style formatting of a string-table text.
std::string FormatText(const char* format, ...);

}  // namespace ui
