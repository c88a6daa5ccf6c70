#include "converter-ui/file_summary.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "converter-ui/string_table.h"
#include "platform/byte_order.h"
#include "riff/avi_header_reader.h"

namespace ui {
namespace {

using riff::AviHeaderReader;
using riff::AVIStreamHeader;
using riff::FourCC;
using riff::StreamRecord;
using riff::WaveFormat;

const char* Text(int id, int base) {
  const char* text = LoadString(id + base);
  return text != nullptr ? text : "";
}

// Seconds of a stream: length / rate * scale, in double precision.
double Seconds(const AVIStreamHeader& h) {
  return static_cast<double>(h.dwLength) / h.dwRate * h.dwScale;
}
double Rate(const AVIStreamHeader& h) {
  return static_cast<double>(h.dwRate) / h.dwScale;
}
int AsPrinted(uint32_t value) {
  return static_cast<int>(value);
}
// A four-character code with zero bytes shown as blanks.
char Shown(FourCC code, int i) {
  return code.At(i) == 0 ? ' ' : code.At(i);
}

std::string ChannelsText(const StreamRecord& stream) {
  const WaveFormat format = WaveFormat::Decode(stream.Format(), stream.FormatSize());
  return format.nChannels == 1 ? "Mono" : "Stereo";
}

std::string ColourText(const StreamRecord& video) {
  uint8_t info[36] = {};
  for (size_t i = 0; i < sizeof info && i < video.FormatSize(); ++i) info[i] = video.Format()[i];
  const uint16_t bitCount = platform::ReadLE16(info + 14);
  const uint32_t coloursUsed = platform::ReadLE32(info + 32);
  switch (bitCount) {
    case 1:
      return "Monochrom";
    case 4:
      return "16";
    case 8:
      return coloursUsed == 0 ? "256" : std::to_string(coloursUsed) + " (256)";
    case 24:
    case 32:
      return "24 Bits";
    default:
      return "";
  }
}

bool Exists(const std::string& name) {
  struct stat st {};
  return stat(name.c_str(), &st) == 0;
}

}  // namespace

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int needed = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (needed > 0) {
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, again);
    text = buffer.data();  // a "%c" of a zero byte ends the text
  }
  va_end(again);
  return text;
}

SummaryLines SummarizeInput(const std::string& inputName, bool valid, int base) {
  SummaryLines none;
  none.line[1] = Text(kNoInformation, base);
  if (!valid || inputName.empty()) return none;
  AviHeaderReader reader;
  reader.Read(inputName);
  const uint32_t needed = AviHeaderReader::kHasMainHeader | AviHeaderReader::kHeadersComplete;
  if ((reader.readerFlags & needed) != needed) return none;

  SummaryLines summary;
  if (reader.readerFlags & AviHeaderReader::kIsAvi) {
    std::string kinds;
    double seconds = 0;
    double rate = 0;
    for (size_t i = 0; i < reader.StreamCount(); ++i) {
      const StreamRecord& stream = reader.Stream(i);
      if (!stream.IsComplete()) continue;
      const AVIStreamHeader h = stream.Header();
      if (h.fccType == FourCC("auds")) {
        kinds += kinds.empty() ? "Aud" : " + Aud";
      } else if (h.fccType == FourCC("vids")) {
        kinds += kinds.empty() ? "Vid" : " + Vid";
        seconds = Seconds(h);
        rate = Rate(h);
      }
    }
    const riff::MainAVIHeader& m = reader.mainHeader;
    summary.line[0] = FormatText(Text(kSummaryFrames, base), AsPrinted(m.dwTotalFrames),
                                 AsPrinted(m.dwWidth), AsPrinted(m.dwHeight), kinds.c_str());
    summary.line[1] = FormatText(Text(kSummaryLength, base), seconds, rate);
    summary.line[2] =
        FormatText(Text(kSummaryBuffer, base), AsPrinted(m.dwSuggestedBufferSize / 1024));
    return summary;
  }
  if (!(reader.readerFlags & AviHeaderReader::kIsWave) || reader.StreamCount() == 0) return none;
  const StreamRecord& stream = reader.Stream(0);
  const AVIStreamHeader h = stream.Header();
  const WaveFormat format = WaveFormat::Decode(stream.Format(), stream.FormatSize());
  summary.line[0] =
      FormatText(Text(kAudioInitial, base), 'W', 'A', 'V', 'E', AsPrinted(h.dwInitialFrames));
  summary.line[1] = FormatText(Text(kAudioLength, base), Seconds(h));
  summary.line[2] = FormatText(Text(kAudioFormat, base), ChannelsText(stream).c_str(),
                               AsPrinted(format.nSamplesPerSec), int{format.wBitsPerSample});
  return summary;
}

FileDetails DescribeFile(const std::string& name, int base) {
  FileDetails details;
  AviHeaderReader reader;
  if (Exists(name)) reader.Read(name);
  if (!reader.IsUsableAvi()) return details;
  details.shown = true;
  details.captionSuffix = " [" + name + "]";
  const riff::MainAVIHeader& m = reader.mainHeader;
  const StreamRecord* video = reader.VideoStream();
  const StreamRecord* audio = reader.AudioStream();
  std::string kinds = video ? "Video" : "";
  if (audio) kinds += kinds.empty() ? "Audio" : " + Audio";
  details.frames = FormatText(Text(kInfoFrames, base), AsPrinted(m.dwTotalFrames),
                              AsPrinted(m.dwInitialFrames), kinds.c_str());
  details.size = FormatText(Text(kInfoSize, base), AsPrinted(m.dwWidth), AsPrinted(m.dwHeight));

  if (audio) {
    const AVIStreamHeader a = audio->Header();
    const WaveFormat format = WaveFormat::Decode(audio->Format(), audio->FormatSize());
    details.hasAudio = true;
    if (!audio->name.empty()) details.audioCaptionSuffix = " [" + audio->name + "]";
    details.audio[0] =
        FormatText(Text(kAudioInitial, base), Shown(a.fccHandler, 0), Shown(a.fccHandler, 1),
                   Shown(a.fccHandler, 2), Shown(a.fccHandler, 3), AsPrinted(a.dwInitialFrames));
    details.audio[1] = FormatText(Text(kAudioLength, base), Seconds(a));
    details.audio[2] = FormatText(Text(kAudioFormat, base), ChannelsText(*audio).c_str(),
                                  AsPrinted(format.nSamplesPerSec), int{format.wBitsPerSample});
    details.audio[3] =
        FormatText(Text(kAudioBuffer, base), AsPrinted(a.dwSuggestedBufferSize / 1024));
    details.length =
        FormatText(Text(kInfoLength, base),
                   static_cast<double>(m.dwTotalFrames) / a.dwRate * a.dwScale, Rate(a));
  }
  if (video) {
    const AVIStreamHeader v = video->Header();
    details.hasVideo = true;
    if (!video->name.empty()) details.videoCaptionSuffix = " [" + video->name + "]";
    details.video[0] =
        FormatText(Text(kVideoInitial, base), Shown(v.fccHandler, 0), Shown(v.fccHandler, 1),
                   Shown(v.fccHandler, 2), Shown(v.fccHandler, 3), AsPrinted(v.dwInitialFrames));
    details.video[1] = FormatText(Text(kVideoLength, base), Seconds(v), Rate(v));
    details.video[2] =
        FormatText(Text(kVideoSize, base), static_cast<int>(int64_t{v.right} - v.left),
                   static_cast<int>(int64_t{v.bottom} - v.top), ColourText(*video).c_str());
    details.length =
        FormatText(Text(kInfoLength, base),
                   static_cast<double>(m.dwTotalFrames) / v.dwRate * v.dwScale, Rate(v));
    details.video[3] =
        FormatText(Text(kVideoBuffer, base), AsPrinted(v.dwSuggestedBufferSize / 1024));
    details.fileBuffer =
        FormatText(Text(kInfoBuffer, base), AsPrinted(m.dwSuggestedBufferSize / 1024));
  }
  return details;
}

}  // namespace ui
