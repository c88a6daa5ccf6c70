// FlavourClassifier: tells what an input file is before it is converted, as a
// 16-bit classification word: whether it is an AVI or WAVE file at all, which
// codec its video stream uses, which board flavour wrote its frames (from the
// comment segment of the first video frame: "QX62" or "QX63"), and a few
// coarse stream properties. It reads only the headers and at most one frame.
#pragma once

#include <cstdint>
#include <string>

#include "riff/chunk_buffer.h"
#include "riff/riff_walker.h"

namespace riff {

class FlavourClassifier : public RiffWalker {
 public:
  // Flavour, in the low three bits.
  static constexpr uint16_t kFlavourMask = 0x0007;
  static constexpr uint16_t kFlavourQx62 = 0x0001;
  static constexpr uint16_t kFlavourQx63 = 0x0002;
  static constexpr uint16_t kFlavourOther = 0x0003;
  static constexpr uint16_t kFlavourWave = 0x0004;
  static constexpr uint16_t kStereo = 0x0008;
  static constexpr uint16_t kWidthAbove700 = 0x0010;
  static constexpr uint16_t kWidthAbove300 = 0x0020;
  static constexpr uint16_t kWidthUpTo300 = 0x0030;
  static constexpr uint16_t kRateAbove24 = 0x0080;
  static constexpr uint16_t kCodecMask = 0x0F00;
  static constexpr uint16_t kCodecJpeg = 0x0100;
  static constexpr uint16_t kCodecMjpg = 0x0200;
  static constexpr uint16_t kCodecOther = 0x0300;
  static constexpr uint16_t kSampleRateBelow20k = 0x4000;
  static constexpr uint16_t kSampleRate20kTo40k = 0x8000;
  static constexpr uint16_t kSampleRateAbove40k = 0xC000;

  // The classification word of `name`: 0 when it cannot be opened or does not
  // start with a RIFF form of type "AVI " or "WAVE".
  uint16_t Classify(const std::string& name);

 protected:
  int OnChunk(ChunkRecord& chunk, const ChunkRecord* parent, RiffFile& file) override;

 private:
  static constexpr uint32_t kAcceptedRiff = 0x01;
  static constexpr uint32_t kSawFrame = 0x04;
  static constexpr uint32_t kAvi = 0x20;
  static constexpr uint32_t kWave = 0x40;

  void ReadAudioFormat(const ChunkRecord& chunk, RiffFile& file);
  void ReadStreamHeader(const ChunkRecord& chunk, RiffFile& file);
  void ExamineFirstFrame(const ChunkRecord& chunk, RiffFile& file);

  uint16_t word_ = 0;
  ChunkBuffer frame_;
  uint32_t walkFlags_ = 0;
  FourCC lastType_;
};

}  // namespace riff
