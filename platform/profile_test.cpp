#include "platform/profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr char kSystemIni[] =
    "; the drivers of this machine\r\n"
    "[boot]\r\n"
    "VIDC.MJPG=wrong section\r\n"
    "  [ drivers ]  \r\n"
    "wave=mmsound.drv\r\n"
    "  vidc.mjpg  =  qx63xxx.drv  \r\n"
    "VIDC.MJPG=second key is ignored\r\n"
    "quoted=\"  spaced  \"\r\n"
    "single='x'\r\n"
    "half=\"open\r\n"
    ";commented=yes\r\n"
    "no equals sign\r\n"
    "empty=\r\n"
    "[Drivers]\n"
    "late=second section is ignored\n";

TEST(ProfileTest, LooksUpValuesByWindowsRules) {
  struct Case {
    const char* section;
    const char* key;
    const char* defaultValue;
    const char* expected;
  } cases[] = {
      {"Drivers", "VIDC.MJPG", "", "qx63xxx.drv"},
      {"DRIVERS", "Vidc.Mjpg", "", "qx63xxx.drv"},
      {"boot", "VIDC.MJPG", "", "wrong section"},
      {"Drivers", "quoted", "", "  spaced  "},
      {"Drivers", "single", "", "x"},
      {"Drivers", "half", "", "\"open"},
      {"Drivers", "empty", "fallback", ""},
      {"Drivers", "commented", "fallback", "fallback"},
      {"Drivers", "no equals sign", "fallback", "fallback"},
      {"Drivers", "late", "fallback", "fallback"},
      {"Drivers", "missing", "default  ", "default"},
      {"Drivers", "missing", nullptr, ""},
      {"Nowhere", "wave", "d", "d"},
      {nullptr, "wave", "d", ""},
  };
  for (const Case& c : cases) {
    char buffer[64];
    DWORD copied = GetProfileStringFromText(kSystemIni, c.section, c.key, c.defaultValue, buffer,
                                            sizeof buffer);
    EXPECT_STREQ(buffer, c.expected) << (c.section ? c.section : "(null)") << " / " << c.key;
    EXPECT_EQ(copied, std::strlen(c.expected)) << c.key;
  }
}

TEST(ProfileTest, LongValuesAreCutToTheBuffer) {
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(GetProfileStringFromText(kSystemIni, "Drivers", "VIDC.MJPG", "", buffer, 5), 4u);
  EXPECT_STREQ(buffer, "qx63");
  EXPECT_EQ(buffer[5], '#');
  EXPECT_EQ(GetProfileStringFromText(kSystemIni, "Drivers", "missing", "long default", buffer, 3),
            2u);
  EXPECT_STREQ(buffer, "lo");
  EXPECT_EQ(GetProfileStringFromText(kSystemIni, "Drivers", "VIDC.MJPG", "", buffer, 1), 0u);
  EXPECT_STREQ(buffer, "");
  buffer[0] = '#';
  EXPECT_EQ(GetProfileStringFromText(kSystemIni, "Drivers", "VIDC.MJPG", "", buffer, 0), 0u);
  EXPECT_EQ(buffer[0], '#');
  EXPECT_EQ(GetProfileStringFromText(kSystemIni, "Drivers", "VIDC.MJPG", "", nullptr, 8), 0u);
}

TEST(ProfileTest, FilesAreFoundInTheWindowsFolderWhateverTheirCase) {
  const fs::path dir = fs::path(testing::TempDir()) / "profile_windows";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "system.ini") << "[Drivers]\nVIDC.MJPG=vesk2.drv\n";
  setenv("KOVO_WINDOWS_DIR", dir.c_str(), 1);
  EXPECT_EQ(WindowsDirectory(), dir.string());

  char buffer[30];
  EXPECT_EQ(
      GetPrivateProfileStringA("Drivers", "VIDC.MJPG", "", buffer, sizeof buffer, "SYSTEM.INI"),
      9u);
  EXPECT_STREQ(buffer, "vesk2.drv");
  EXPECT_EQ(
      GetPrivateProfileStringA("Drivers", "VIDC.MJPG", "none", buffer, sizeof buffer, "OTHER.INI"),
      4u);
  EXPECT_STREQ(buffer, "none");
  const std::string path = (dir / "system.ini").string();
  EXPECT_EQ(
      GetPrivateProfileStringA("Drivers", "VIDC.MJPG", "", buffer, sizeof buffer, path.c_str()),
      9u);

  unsetenv("KOVO_WINDOWS_DIR");
  EXPECT_EQ(WindowsDirectory(), "/etc/kovo");
}

}  // namespace
}  // namespace platform
