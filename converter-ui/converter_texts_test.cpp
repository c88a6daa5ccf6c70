#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "converter-ui/colour_bar.h"
#include "converter-ui/language_setting.h"
#include "converter-ui/registry_value.h"
#include "converter-ui/string_table.h"

namespace ui {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    const fs::path dir =
        fs::path(testing::TempDir()) /
        ("texts_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    setenv("XDG_CONFIG_HOME", (dir / "user").c_str(), 1);
    setenv("KOVO_MACHINE_DIR", (dir / "machine").c_str(), 1);
  }
};

TEST_F(SettingsTest, LanguageComesFromTheStoredChoiceElseTheSystem) {
  struct Case {
    const char* stored;  // none: no "Language" value
    uint16_t system;
    uint16_t code;
    int base;
  };
  const Case cases[] = {
      {nullptr, 0x0407, 7, 1000},  {nullptr, 0x0807, 7, 1000},  // German, Swiss German
      {nullptr, 0x0C0C, 12, 2000},                              // Canadian French
      {nullptr, 0x0410, 9, 0},                                  // Italian: English
      {"FRE", 0x0407, 12, 2000},                                // the stored choice wins
      {"fre", 0x040C, 9, 0},                                    // tags match case-sensitively
      {"GER", 0x0409, 7, 1000},
  };
  for (const Case& c : cases) {
    SetUp();
    if (c.stored != nullptr) {
      ASSERT_TRUE(Settings::Language().StoreText(c.stored));
    }
    LanguageSetting setting;
    setting.Detect(c.system);
    EXPECT_EQ(setting.languageCode(), c.code) << (c.stored ? c.stored : "-") << " " << c.system;
    EXPECT_EQ(setting.languageBase(), c.base);
  }
  LanguageSetting german;
  german.SelectCode(7);
  ASSERT_TRUE(german.StoreChoice());
  char stored[80] = {};
  ASSERT_TRUE(Settings::Language().Load(stored, sizeof stored));
  EXPECT_STREQ(stored, "GER");
}

TEST_F(SettingsTest, TextsOverAHundredCharactersAreNotStored) {
  ASSERT_TRUE(Settings::LastDirectory().StoreText(std::string(100, 'a')));
  EXPECT_FALSE(Settings::LastDirectory().StoreText(std::string(101, 'b')));
  char folder[256] = {};
  ASSERT_TRUE(Settings::LastDirectory().Load(folder, sizeof folder));
  EXPECT_EQ(std::string(folder), std::string(100, 'a'));
  // A value larger than the buffer is not read.
  char small[10];
  EXPECT_FALSE(Settings::LastDirectory().Load(small, sizeof small));
  ASSERT_TRUE(Settings::Mode().StoreNumber(3));
  uint8_t mode[4] = {};
  ASSERT_TRUE(Settings::Mode().Load(mode, 4));
  EXPECT_EQ(mode[0], 3);
}

TEST(StringTable, EveryLanguageHasItsTexts) {
  EXPECT_STREQ(LoadString(kModeText + 2), "AVI     -> AVIQX62");
  EXPECT_STREQ(LoadString(kModeText + 1 + kGermanBase), "AVIQX62 -> AVI (Standbilder)");
  EXPECT_STREQ(LoadString(kModeText + 4 + kFrenchBase), "AVI     -> AVI images");
  EXPECT_STREQ(LoadString(kLanguageNames + 2 + kGermanBase), "Französisch");
  EXPECT_STREQ(LoadString(kAudioInitial), "%c%c%c%c       Initial %d Frames");
  EXPECT_EQ(LoadString(207), nullptr);
  EXPECT_STREQ(DialogText(kMainLayout + kFrenchBase, 1000), "&Démarrage");
  EXPECT_STREQ(DialogText(kAboutLayout + kGermanBase, kCaption), "Zu Ihrer Information");
  for (int base : {kEnglishBase, kGermanBase, kFrenchBase}) {
    for (int id :
         {101, 201, 202, 203, 204, 205, 206, 208, 209, 210, 211, 212, 213, 214, 215, 216, 217,
          218, 219, 220, 221, 222, 223, 224, 300, 301, 302, 303, 304, 305, 20,  21,  22}) {
      EXPECT_NE(LoadString(id + base), nullptr) << id + base;
    }
  }
}

class Display : public DisplayCapabilities {
 public:
  Display(bool palette, int colours, int bits)
      : palette_(palette), colours_(colours), bits_(bits) {}
  bool HasPalette() const override { return palette_; }
  int ColourCount() const override { return colours_; }
  int BitsPerPixel() const override { return bits_; }

 private:
  bool palette_;
  int colours_;
  int bits_;
};

TEST(ColourBar, BandColoursRunFromBlueToRed) {
  struct Case {
    int i, n;
    int red, green, blue;
  };
  for (const Case& c :
       {Case{0, 180, 0, 0, 255}, Case{20, 180, 0, 66, 189}, Case{60, 180, 95, 255, 0},
        Case{100, 180, 255, 250, 0}, Case{150, 180, 255, 86, 0}, Case{179, 180, 255, 0, 0},
        Case{37, 200, 0, 160, 95}}) {
    const uint32_t colour = ColourBarModel::BandColour(c.i, c.n);
    EXPECT_EQ(Red(colour), c.red) << c.i << "/" << c.n;
    EXPECT_EQ(Green(colour), c.green) << c.i << "/" << c.n;
    EXPECT_EQ(Blue(colour), c.blue) << c.i << "/" << c.n;
  }
}

TEST(ColourBar, TheDisplayDecidesBandsAndDrawing) {
  struct Case {
    Display display;
    int displayClass;
    int bands;  // of a 201-pixel strip
    bool palette;
  };
  const Case cases[] = {
      {Display(true, 20, 8), 2, 180, true},     // 256-colour palette display
      {Display(false, 16, 4), 0, 180, false},   // 16 colours
      {Display(false, 2, 1), 0, 180, false},    // monochrome
      {Display(false, -1, 24), 1, 201, false},  // true colour
      {Display(false, 65536, 16), 1, 201, false},
  };
  for (const Case& c : cases) {
    ColourBarModel model;
    model.Classify(c.display);
    EXPECT_EQ(model.displayClass(), c.displayClass);
    const auto bands = model.Bands(201);
    ASSERT_EQ(static_cast<int>(bands.size()), c.bands);
    EXPECT_EQ(bands.front().left, 0);
    EXPECT_EQ(bands.back().right, 201);
    EXPECT_EQ(model.BuildPalette().size(), c.palette ? 180u : 0u);
    EXPECT_EQ(bands[1].paletteIndex, c.palette ? 1 : -1);
  }
  // 201 pixels in 180 bands: most one pixel wide, some two.
  ColourBarModel palette;
  palette.Classify(Display(true, 20, 8));
  int twoWide = 0;
  for (const auto& band : palette.Bands(201)) {
    EXPECT_GE(band.right - band.left, 1);
    EXPECT_LE(band.right - band.left, 2);
    twoWide += band.right - band.left == 2;
  }
  EXPECT_EQ(twoWide, 21);
  EXPECT_TRUE(ColourBarModel::CanRealizePalette(Display(true, 20, 8)));
  EXPECT_FALSE(ColourBarModel::CanRealizePalette(Display(false, -1, 32)));
}

}  // namespace
}  // namespace ui
