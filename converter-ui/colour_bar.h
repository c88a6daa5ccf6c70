// ColourBarModel: what the colour strip draws: its band count, each band's
// colour (blue through green and yellow to red) and geometry, for the class
// of display in use. Class 0 is a display of 16 colours or fewer (180 bands
// in solid, dithered brushes), class 1 one with more colours and no palette
// (one band per pixel), class 2 a palette display (180 bands from a palette
// of the bar's own). The display is seen through DisplayCapabilities, so that
// every class can be built and tested; the Qt widget draws class 1.
#pragma once

#include <cstdint>
#include <vector>

namespace ui {

// What a drawing context tells about its display.
class DisplayCapabilities {
 public:
  virtual ~DisplayCapabilities() = default;
  virtual bool HasPalette() const = 0;  // RC_PALETTE
  virtual int ColourCount() const = 0;  // <= 0 when the display does not say
  virtual int BitsPerPixel() const = 0;
};

// A colour as 0x00BBGGRR.
constexpr uint8_t Red(uint32_t colour) {
  return static_cast<uint8_t>(colour);
}
constexpr uint8_t Green(uint32_t colour) {
  return static_cast<uint8_t>(colour >> 8);
}
constexpr uint8_t Blue(uint32_t colour) {
  return static_cast<uint8_t>(colour >> 16);
}

class ColourBarModel {
 public:
  static constexpr int kPaletteBands = 180;
  struct PaletteEntry {
    uint8_t red, green, blue, flags;
  };
  struct Band {
    int left;
    int right;
    uint32_t colour;  // 0x00BBGGRR; for class 2 the palette index in `paletteIndex`
    int paletteIndex;
  };

  // Sets the class from the display (the classified bit of the stored word).
  void Classify(const DisplayCapabilities& display);
  bool classified() const { return classified_; }
  int displayClass() const { return displayClass_; }

  // 180 for classes 0 and 2, else the strip's width.
  int BandCount(int width) const;
  // Colour of band i of n.
  static uint32_t BandColour(int i, int n);
  // The bands of a strip `width` pixels wide, left to right.
  std::vector<Band> Bands(int width) const;
  // The bar's own palette (class 2): 180 entries of the band colours; empty otherwise.
  std::vector<PaletteEntry> BuildPalette() const;
  // Whether a palette realisation can change anything: only on 8-bit displays.
  static bool CanRealizePalette(const DisplayCapabilities& display) {
    return display.BitsPerPixel() == 8;
  }

 private:
  bool classified_ = false;
  int displayClass_ = 1;
};

}  // namespace ui
