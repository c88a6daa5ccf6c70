// Stands in for the 16-bit driver of a bridge library (the capture driver
// with veskdd, the codec driver with veskcddd): it owns the driver's thunk
// data block and a 64 KiB data segment with a selector of its own, connects
// to the library by file name and calls the nine entries through the entry
// table with 16-bit argument frames and 16:16 pointers, as such a driver
// does.
//
// The harness keeps the library loaded from Connect to Disconnect (or its
// destruction); the segment lives as long as the harness.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/thunk_16to32.h"

namespace veskdd {

using platform::DWORD;
using platform::SEGPTR;
using platform::WORD;

// A RECT as 16-bit code declares it.
struct Rect16 {
  int16_t left;
  int16_t top;
  int16_t right;
  int16_t bottom;
};

class DriverHarness {
 public:
  // `driverFile` announces the driver ("veskCAP.DRV"), `libraryFile` names
  // the library it loads ("veskdd.DLL").
  DriverHarness(const char* driverFile, const char* libraryFile);
  ~DriverHarness();
  DriverHarness(const DriverHarness&) = delete;
  DriverHarness& operator=(const DriverHarness&) = delete;

  // The block's checksum; change it before Connect to build a mismatch.
  void set_checksum(uint32_t checksum) { block_.checksum = checksum; }
  bool Connect();
  void Disconnect();
  bool connected() const { return block_.library != nullptr; }

  // The nine entries.
  DWORD ShowOverlay(WORD mode);
  DWORD QuerySurface(WORD kind, SEGPTR out, SEGPTR third = 0);
  DWORD PositionOverlay(SEGPTR source, SEGPTR destination);
  DWORD SetOverlayColorKey(DWORD key);
  void DestroyOverlay();
  DWORD CreateOverlay(DWORD flag, DWORD fourCC, WORD width, WORD height);
  void CloseDirectDraw();
  DWORD OpenDirectDraw();
  DWORD RestoreSurfaces();
  // Any entry with a frame of one's own making.
  DWORD Call(DWORD entry, const std::vector<uint8_t>& frame);

  // Puts both rectangles into the data segment and calls PositionOverlay
  // with pointers to them; a null rectangle passes a null pointer.
  DWORD PositionOverlay(const Rect16* source, const Rect16* destination);
  // A surface address (kind 0 or 1) through QuerySurface; null on failure.
  uint8_t* QueryAddress(WORD kind);
  // A pitch (kind 2 or 3) through QuerySurface; 0 on failure.
  uint32_t QueryPitch(WORD kind);

  // The data segment: the 16:16 pointer to `offset`, and its flat address.
  SEGPTR Far(WORD offset) const;
  uint8_t* Near(WORD offset) { return segment_.data() + offset; }

 private:
  const char* driverFile_;
  const char* libraryFile_;
  platform::ThunkData16SL block_;
  std::vector<uint8_t> segment_;
  uint16_t selector_ = 0;
};

// Builds a 16-bit argument frame from left to right.
class Frame16 {
 public:
  Frame16& Word(WORD value);
  Frame16& Dword(DWORD value);
  Frame16& Far(SEGPTR value) { return Dword(value); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace veskdd
