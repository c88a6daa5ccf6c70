#include "riff/flavour_classifier.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"
#include "riff/avi_headers.h"

namespace riff {
namespace {
constexpr uint32_t kAudioFormatBytes = 14;
}

uint16_t FlavourClassifier::Classify(const std::string& name) {
  walkFlags_ = 0;
  word_ = 0;
  Run(name, platform::MMIO_DENYWRITE);
  if (!(walkFlags_ & kAcceptedRiff)) return 0;
  return (word_ & kFlavourMask) == 0 ? static_cast<uint16_t>(word_ | kFlavourOther) : word_;
}

int FlavourClassifier::OnChunk(ChunkRecord& chunk, const ChunkRecord* parent, RiffFile& file) {
  const FourCC id = chunk.ckid;
  if (!(walkFlags_ & kAcceptedRiff) &&
      !(chunk.IsRiff() && (chunk.fccType == FourCC("AVI ") || chunk.fccType == FourCC("WAVE")))) {
    return -2;
  }
  if (chunk.IsRiff()) {
    walkFlags_ |= kAcceptedRiff;
    lastType_ = id;
    if (chunk.fccType == FourCC("AVI ")) walkFlags_ |= kAvi;
    if (chunk.fccType == FourCC("WAVE")) walkFlags_ |= kWave;
  } else if (id == FourCC("data")) {
    // Nothing: the sound itself says nothing about the flavour.
  } else if (id == FourCC("fmt ")) {
    if (walkFlags_ & kWave) {
      word_ |= kCodecOther;
      word_ |= kFlavourWave;
      ReadAudioFormat(chunk, file);
      lastType_ = id;
    }
  } else if (id == FourCC("strf")) {
    if (lastType_ == FourCC("auds")) ReadAudioFormat(chunk, file);
    lastType_ = id;
  } else if (id == FourCC("strh")) {
    if ((walkFlags_ & kAvi) && parent != nullptr && parent->IsListOf(FourCC("strl"))) {
      ReadStreamHeader(chunk, file);
    }
  } else if (!chunk.HoldsChildren()) {
    lastType_ = id;
    if (walkFlags_ & kAvi) {
      if (chunk.IsFrame()) walkFlags_ |= kSawFrame;
      if ((walkFlags_ & kSawFrame) && (word_ & kCodecOther) != 0 && chunk.cksize != 0) {
        ExamineFirstFrame(chunk, file);
        return -1;  // one frame tells the flavour
      }
    }
  } else {
    lastType_ = id;
  }
  return RiffWalker::OnChunk(chunk, parent, file);
}

void FlavourClassifier::ReadAudioFormat(const ChunkRecord& chunk, RiffFile& file) {
  uint8_t bytes[kAudioFormatBytes];
  if (chunk.cksize < kAudioFormatBytes ||
      file.Read(bytes, kAudioFormatBytes) != kAudioFormatBytes) {
    return;
  }
  const WaveFormat format = WaveFormat::Decode(bytes, kAudioFormatBytes);
  if (format.nSamplesPerSec > 40000) {
    word_ |= kSampleRateAbove40k;
  } else if (format.nSamplesPerSec >= 20000) {
    word_ |= kSampleRate20kTo40k;
  } else {
    word_ |= kSampleRateBelow20k;
  }
  if (format.nChannels > 1) word_ |= kStereo;
}

void FlavourClassifier::ReadStreamHeader(const ChunkRecord& chunk, RiffFile& file) {
  uint8_t bytes[AVIStreamHeader::kSize] = {};
  const uint32_t n = std::min<uint32_t>(chunk.cksize, AVIStreamHeader::kSize);
  if (file.Read(bytes, n) != n) return;
  // A header shorter than 64 bytes has no 32-bit rectangle: its missing
  // bytes count as zero.
  const AVIStreamHeader header = AVIStreamHeader::Decode(bytes);
  lastType_ = header.fccType;
  if (header.fccType != FourCC("vids")) return;
  if (header.fccHandler == FourCC("JPEG")) {
    word_ |= kCodecJpeg;
  } else if (header.fccHandler == FourCC("MJPG") || header.fccHandler == FourCC("mjpg")) {
    word_ |= kCodecMjpg;
  } else {
    word_ |= kCodecOther;
  }
  const bool fast = header.dwScale == 0
                        ? header.dwRate != 0
                        : static_cast<double>(header.dwRate) / header.dwScale > 24.0;
  if (fast) word_ |= kRateAbove24;
  const int64_t width = int64_t{header.right} - header.left;
  word_ |= width > 700 ? kWidthAbove700 : width > 300 ? kWidthAbove300 : kWidthUpTo300;
}

void FlavourClassifier::ExamineFirstFrame(const ChunkRecord& chunk, RiffFile& file) {
  if (!frame_.LoadChunk(file, chunk.cksize)) return;
  const int64_t comment = frame_.FindMarker(0xFE);
  if (comment < 0) return;
  frame_.Seek(comment, 0);
  JpegMarker marker;
  if (frame_.ReadMarker(&marker) != 0 || marker.code != JpegMarker::kCom) return;
  // The payload counts as long when the length field is damaged (below 2);
  // it ends where the frame's data ends.
  const bool longEnough = marker.length < 2 || marker.length >= 6;
  if (longEnough && frame_.Remaining() >= 4 && std::memcmp(frame_.AtCursor(), "QX63", 4) == 0) {
    word_ |= kFlavourQx63;
  } else if (longEnough && frame_.Remaining() >= 4 &&
             std::memcmp(frame_.AtCursor(), "QX62", 4) == 0) {
    word_ |= kFlavourQx62;
  } else {
    word_ |= kFlavourOther;
  }
}

}  // namespace riff
