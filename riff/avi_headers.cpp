#include "riff/avi_headers.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"

namespace riff {

using platform::ReadLE16;
using platform::ReadLE32;
using platform::WriteLE16;
using platform::WriteLE32;

MainAVIHeader MainAVIHeader::Decode(const uint8_t* b) {
  MainAVIHeader h;
  h.dwMicroSecPerFrame = ReadLE32(b);
  h.dwMaxBytesPerSec = ReadLE32(b + 4);
  h.dwPaddingGranularity = ReadLE32(b + 8);
  h.dwFlags = ReadLE32(b + 12);
  h.dwTotalFrames = ReadLE32(b + 16);
  h.dwInitialFrames = ReadLE32(b + 20);
  h.dwStreams = ReadLE32(b + 24);
  h.dwSuggestedBufferSize = ReadLE32(b + 28);
  h.dwWidth = ReadLE32(b + 32);
  h.dwHeight = ReadLE32(b + 36);
  for (int i = 0; i < 4; ++i) h.dwReserved[i] = ReadLE32(b + 40 + 4 * i);
  return h;
}

AVIStreamHeader AVIStreamHeader::Decode(const uint8_t* b) {
  AVIStreamHeader h;
  h.fccType = FourCC(ReadLE32(b));
  h.fccHandler = FourCC(ReadLE32(b + 4));
  h.dwFlags = ReadLE32(b + 8);
  h.wPriority = ReadLE16(b + 12);
  h.wLanguage = ReadLE16(b + 14);
  h.dwInitialFrames = ReadLE32(b + 16);
  h.dwScale = ReadLE32(b + 20);
  h.dwRate = ReadLE32(b + 24);
  h.dwStart = ReadLE32(b + 28);
  h.dwLength = ReadLE32(b + 32);
  h.dwSuggestedBufferSize = ReadLE32(b + 36);
  h.dwQuality = ReadLE32(b + 40);
  h.dwSampleSize = ReadLE32(b + 44);
  h.left = static_cast<int32_t>(ReadLE32(b + 48));
  h.top = static_cast<int32_t>(ReadLE32(b + 52));
  h.right = static_cast<int32_t>(ReadLE32(b + 56));
  h.bottom = static_cast<int32_t>(ReadLE32(b + 60));
  return h;
}

void AVIStreamHeader::Encode(uint8_t* b) const {
  WriteLE32(b, fccType.value());
  WriteLE32(b + 4, fccHandler.value());
  WriteLE32(b + 8, dwFlags);
  WriteLE16(b + 12, wPriority);
  WriteLE16(b + 14, wLanguage);
  WriteLE32(b + 16, dwInitialFrames);
  WriteLE32(b + 20, dwScale);
  WriteLE32(b + 24, dwRate);
  WriteLE32(b + 28, dwStart);
  WriteLE32(b + 32, dwLength);
  WriteLE32(b + 36, dwSuggestedBufferSize);
  WriteLE32(b + 40, dwQuality);
  WriteLE32(b + 44, dwSampleSize);
  WriteLE32(b + 48, static_cast<uint32_t>(left));
  WriteLE32(b + 52, static_cast<uint32_t>(top));
  WriteLE32(b + 56, static_cast<uint32_t>(right));
  WriteLE32(b + 60, static_cast<uint32_t>(bottom));
}

WaveFormat WaveFormat::Decode(const uint8_t* bytes, size_t count) {
  uint8_t b[kSize] = {};
  if (count != 0) std::memcpy(b, bytes, std::min(count, kSize));
  WaveFormat f;
  f.wFormatTag = ReadLE16(b);
  f.nChannels = ReadLE16(b + 2);
  f.nSamplesPerSec = ReadLE32(b + 4);
  f.nAvgBytesPerSec = ReadLE32(b + 8);
  f.nBlockAlign = ReadLE16(b + 12);
  f.wBitsPerSample = ReadLE16(b + 14);
  return f;
}

}  // namespace riff
