// The fixed-layout headers of AVI and WAVE files, decoded from and encoded to
// their little-endian bytes: the main AVI header ("avih"), the stream header
// ("strh") and the start of a wave format ("fmt ", an audio "strf").
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/four_cc.h"

namespace riff {

using platform::FourCC;

struct MainAVIHeader {
  static constexpr size_t kSize = 56;
  uint32_t dwMicroSecPerFrame = 0;
  uint32_t dwMaxBytesPerSec = 0;
  uint32_t dwPaddingGranularity = 0;
  uint32_t dwFlags = 0;
  uint32_t dwTotalFrames = 0;
  uint32_t dwInitialFrames = 0;
  uint32_t dwStreams = 0;
  uint32_t dwSuggestedBufferSize = 0;
  uint32_t dwWidth = 0;
  uint32_t dwHeight = 0;
  uint32_t dwReserved[4] = {};

  // REQUIRES: `bytes` holds kSize bytes.
  static MainAVIHeader Decode(const uint8_t* bytes);
};

struct AVIStreamHeader {
  static constexpr size_t kSize = 64;
  FourCC fccType;
  FourCC fccHandler;
  uint32_t dwFlags = 0;
  uint16_t wPriority = 0;
  uint16_t wLanguage = 0;
  uint32_t dwInitialFrames = 0;
  uint32_t dwScale = 0;
  uint32_t dwRate = 0;
  uint32_t dwStart = 0;
  uint32_t dwLength = 0;
  uint32_t dwSuggestedBufferSize = 0;
  uint32_t dwQuality = 0;
  uint32_t dwSampleSize = 0;
  int32_t left = 0;  // the frame rectangle as four 32-bit values
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  // REQUIRES: `bytes` holds kSize bytes.
  static AVIStreamHeader Decode(const uint8_t* bytes);
  void Encode(uint8_t* bytes) const;
};

// The WAVEFORMATEX fields up to wBitsPerSample (16 bytes).
struct WaveFormat {
  static constexpr size_t kSize = 16;
  uint16_t wFormatTag = 0;
  uint16_t nChannels = 0;
  uint32_t nSamplesPerSec = 0;
  uint32_t nAvgBytesPerSec = 0;
  uint16_t nBlockAlign = 0;
  uint16_t wBitsPerSample = 0;

  // Decodes the first `count` bytes; fields the bytes do not reach are 0.
  static WaveFormat Decode(const uint8_t* bytes, size_t count);
};

}  // namespace riff
