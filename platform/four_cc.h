// FourCC: the four-character codes that name RIFF chunks, forms and lists.
// A code is stored as its four bytes in reading order and compared as the
// little-endian 32-bit number those bytes make, so FourCC("RIFF") == 0x46464952.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class FourCC {
 public:
  constexpr FourCC() = default;
  // REQUIRES: `text` has exactly four characters.
  constexpr FourCC(const char (&text)[5])  // NOLINT: built from literals on purpose
      : value_(static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
               static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24) {}
  constexpr explicit FourCC(uint32_t value) : value_(value) {}

  constexpr uint32_t value() const { return value_; }
  // Byte i (0..3) in file order.
  constexpr char At(int i) const { return static_cast<char>((value_ >> (8 * i)) & 0xFF); }
  // The two characters that end a stream chunk's name: "dc" of "00dc".
  constexpr bool EndsWith(char a, char b) const { return At(2) == a && At(3) == b; }
  // The four bytes as they stand in the file (a zero byte is kept).
  std::string Text() const { return std::string{At(0), At(1), At(2), At(3)}; }

  friend constexpr bool operator==(FourCC a, FourCC b) { return a.value_ == b.value_; }

 private:
  uint32_t value_ = 0;
};

}  // namespace platform
