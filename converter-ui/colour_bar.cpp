#include "converter-ui/colour_bar.h"

namespace ui {

void ColourBarModel::Classify(const DisplayCapabilities& display) {
  displayClass_ = display.HasPalette() ? 2 : 0;
  if (displayClass_ == 0) {
    const int count = display.ColourCount();
    if (count <= 0 || count > 16) displayClass_ = 1;
  }
  classified_ = true;
}

int ColourBarModel::BandCount(int width) const {
  if (classified_ && (displayClass_ == 0 || displayClass_ == 2)) return kPaletteBands;
  return width;
}

uint32_t ColourBarModel::BandColour(int i, int n) {
  if (n <= 0) return 0;
  const int64_t s = int64_t{255} * i;
  const int64_t c = s / n;
  const int64_t n51 = int64_t{51} * n;
  int64_t red = 0, green = 0, blue = 0;
  if (c < 15) {
    blue = 255;
  } else if (c <= 65) {
    green = 255 * (s - 15 * n) / n51;
    blue = 255 - green;
  } else if (c <= 116) {
    red = 255 * (s - 66 * n) / n51;
    green = 255;
  } else if (c <= 138) {
    red = green = 255;
  } else if (c <= 189) {
    red = 255;
    green = 255 + 100 * (139 * n - s) / n51;
  } else if (c <= 240) {
    red = 255;
    green = 155 * (241 * n - s) / n51;
  } else {
    red = 255;
  }
  return static_cast<uint32_t>(red & 0xFF) | static_cast<uint32_t>(green & 0xFF) << 8 |
         static_cast<uint32_t>(blue & 0xFF) << 16;
}

std::vector<ColourBarModel::Band> ColourBarModel::Bands(int width) const {
  std::vector<Band> bands;
  const int count = BandCount(width);
  if (count <= 0) return bands;
  const double step = static_cast<double>(width) / count;
  double x = 0.0;
  for (int i = 0; i < count; ++i) {
    const bool palette = classified_ && displayClass_ == 2;
    bands.push_back({static_cast<int>(x), static_cast<int>(x + step),
                     palette ? 0 : BandColour(i, count), palette ? i : -1});
    x += step;
  }
  return bands;
}

std::vector<ColourBarModel::PaletteEntry> ColourBarModel::BuildPalette() const {
  std::vector<PaletteEntry> entries;
  if (!classified_ || displayClass_ != 2) return entries;
  for (int i = 0; i < kPaletteBands; ++i) {
    const uint32_t v = BandColour(i, kPaletteBands);
    entries.push_back({Red(v), Green(v), Blue(v), 0});
  }
  return entries;
}

}  // namespace ui
