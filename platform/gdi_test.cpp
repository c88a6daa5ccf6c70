#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace platform {
namespace {

class GdiTest : public testing::Test {
 protected:
  void SetUp() override { gdi_control::Reset(); }
  void TearDown() override {
    EXPECT_EQ(gdi_control::DCsInUse(), 0);
    EXPECT_EQ(gdi_control::PalettesInUse(), 0);
  }
};

// A logical palette of `entries`.
HPALETTE MakePalette(const std::vector<PALETTEENTRY>& entries) {
  std::vector<uint8_t> bytes(offsetof(LOGPALETTE, palPalEntry) +
                             entries.size() * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(bytes.data());
  palette->palVersion = kLogPaletteVersion;
  palette->palNumEntries = static_cast<uint16_t>(entries.size());
  std::copy(entries.begin(), entries.end(),
            reinterpret_cast<PALETTEENTRY*>(bytes.data() + offsetof(LOGPALETTE, palPalEntry)));
  return CreatePalette(palette);
}

TEST_F(GdiTest, RealizeCollapsesOnlyEntriesWithoutNoCollapse) {
  gdi_control::SetSystemPalette({}, SYSPAL_NOSTATIC);
  const PALETTEENTRY grey{50, 50, 50, 0};
  const PALETTEENTRY fixedGrey{50, 50, 50, PC_NOCOLLAPSE};
  HDC dc = GetDC(nullptr);
  for (bool noCollapse : {false, true}) {
    SCOPED_TRACE(noCollapse);
    // Black collapses onto static entry 0 either way.
    HPALETTE palette = MakePalette({{0, 0, 0, 0}, grey, noCollapse ? fixedGrey : grey});
    ASSERT_NE(palette, nullptr);
    SelectPalette(dc, palette, FALSE);
    EXPECT_EQ(RealizePalette(dc), noCollapse ? 2u : 1u);
    SelectPalette(dc, GetStockObject(DEFAULT_PALETTE), FALSE);
    EXPECT_EQ(DeleteObject(palette), TRUE);
  }
  std::vector<PALETTEENTRY> system(256);
  EXPECT_EQ(GetSystemPaletteEntries(dc, 0, 256, system.data()), 256u);
  EXPECT_EQ(system[1], grey);
  EXPECT_EQ(system[2], grey);
  ReleaseDC(nullptr, dc);
}

TEST_F(GdiTest, DeleteObjectRefusesSelectedAndStockPalettes) {
  HDC dc = GetDC(nullptr);
  HPALETTE palette = MakePalette({{1, 2, 3, 0}});
  SelectPalette(dc, palette, FALSE);
  EXPECT_EQ(DeleteObject(palette), FALSE);
  EXPECT_EQ(DeleteObject(GetStockObject(DEFAULT_PALETTE)), FALSE);
  SelectPalette(dc, GetStockObject(DEFAULT_PALETTE), FALSE);
  EXPECT_EQ(DeleteObject(palette), TRUE);
  EXPECT_EQ(DeleteObject(palette), FALSE);
  ReleaseDC(nullptr, dc);
}

TEST_F(GdiTest, MissingScreenAndWindowsAnswerFailure) {
  gdi_control::SetScreenDCAvailable(false);
  gdi_control::SetWindows(false, false);
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(dc, nullptr);
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  EXPECT_EQ(GetDesktopWindow(), nullptr);
  PALETTEENTRY entry{};
  EXPECT_EQ(GetSystemPaletteUse(dc), SYSPAL_ERROR);
  EXPECT_EQ(SetSystemPaletteUse(dc, SYSPAL_NOSTATIC), SYSPAL_ERROR);
  EXPECT_EQ(GetSystemPaletteEntries(dc, 0, 1, &entry), 0u);
  EXPECT_EQ(SelectPalette(dc, GetStockObject(DEFAULT_PALETTE), FALSE), nullptr);
  EXPECT_EQ(RealizePalette(dc), GDI_ERROR);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
  EXPECT_EQ(DeleteObject(nullptr), FALSE);
}

}  // namespace
}  // namespace platform
