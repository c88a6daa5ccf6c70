#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/registry.h"

namespace {

namespace fs = std::filesystem;
using namespace platform;

constexpr char kInstall[] = "Software\\Kovo Computer Products\\install";
constexpr char kSetup[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup";

// tmpsweep against a store and a folder of the test's own.
class TmpsweepTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::path(testing::TempDir()) /
        ("tmpsweep_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "setup-tmp" / "keep");
    std::ofstream(dir_ / "setup-tmp" / "one.cab") << "1";
    std::ofstream(dir_ / "setup-tmp" / "two.dll") << "2";
    std::ofstream(dir_ / "setup-tmp" / "keep" / "inner.txt") << "3";
    setenv("XDG_CONFIG_HOME", (dir_ / "user").c_str(), 1);
    setenv("KOVO_MACHINE_DIR", (dir_ / "machine").c_str(), 1);
  }

  static void Set(HKEY root, const char* path, const char* name, uint32_t type, const void* data,
                  uint32_t size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(root, path, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const uint8_t*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static void SetText(HKEY root, const char* path, const char* name, const std::string& text) {
    Set(root, path, name, REG_SZ, text.c_str(), static_cast<uint32_t>(text.size() + 1));
  }
  // Size of the value, or -1 when it is missing.
  static int64_t SizeOf(HKEY root, const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(root, path, &key) != ERROR_SUCCESS) return -1;
    uint32_t size = 0;
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? static_cast<int64_t>(size) : -1;
  }

  // The usual setup: folder, saved source path and type, the Setup key.
  void SaveEverything() {
    SetText(HKEY_CURRENT_USER, kInstall, "KovoTmpPath", (dir_ / "setup-tmp").string());
    SetText(HKEY_CURRENT_USER, kInstall, "SourcePath", "D:\\WIN95\\");
    const uint8_t type[4] = {2, 0, 0, 0};
    Set(HKEY_CURRENT_USER, kInstall, "SourcePathType", REG_BINARY, type, 4);
    HKEY setup = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kSetup, &setup), ERROR_SUCCESS);
    RegCloseKey(setup);
  }

  int Sweep() {
    const std::string command =
        "cd '" + dir_.string() + "' && '" + TMPSWEEP + "' ignored arguments";
    return WEXITSTATUS(std::system(command.c_str()));
  }

  bool Swept() const { return !fs::exists(dir_ / "setup-tmp" / "one.cab"); }

  fs::path dir_;
};

TEST_F(TmpsweepTest, RestoresTheSourcePathAndEmptiesTheFolderOneLevelDeep) {
  SaveEverything();
  EXPECT_EQ(Sweep(), 0);
  EXPECT_EQ(SizeOf(HKEY_CURRENT_USER, kInstall, "SourcePath"), -1);
  EXPECT_EQ(SizeOf(HKEY_CURRENT_USER, kInstall, "SourcePathType"), -1);
  EXPECT_EQ(SizeOf(HKEY_LOCAL_MACHINE, kSetup, "SourcePath"), 256);
  EXPECT_EQ(SizeOf(HKEY_LOCAL_MACHINE, kSetup, "SourcePathType"), 4);
  EXPECT_NE(SizeOf(HKEY_CURRENT_USER, kInstall, "KovoTmpPath"), -1);
  EXPECT_TRUE(Swept());
  EXPECT_FALSE(fs::exists(dir_ / "setup-tmp" / "two.dll"));
  EXPECT_TRUE(fs::exists(dir_ / "setup-tmp" / "keep" / "inner.txt"));

  // Without the subfolder the folder itself goes.
  fs::remove_all(dir_ / "setup-tmp" / "keep");
  EXPECT_EQ(Sweep(), 0);
  EXPECT_FALSE(fs::exists(dir_ / "setup-tmp"));
}

TEST_F(TmpsweepTest, ShortPathsAreNeverEmptied) {
  SaveEverything();
  SetText(HKEY_CURRENT_USER, kInstall, "KovoTmpPath", "C:\\");
  EXPECT_EQ(Sweep(), 0);
  EXPECT_NE(SizeOf(HKEY_CURRENT_USER, kInstall, "SourcePath"), -1);
  EXPECT_EQ(SizeOf(HKEY_LOCAL_MACHINE, kSetup, "SourcePath"), -1);

  // Four characters are enough: "C:\T" is the folder T in the folder "C:".
  fs::create_directories(dir_ / "C:" / "T");
  std::ofstream(dir_ / "C:" / "T" / "f") << "x";
  SetText(HKEY_CURRENT_USER, kInstall, "KovoTmpPath", "C:\\T");
  EXPECT_EQ(Sweep(), 0);
  EXPECT_FALSE(fs::exists(dir_ / "C:" / "T"));
}

TEST_F(TmpsweepTest, SavedValuesAreNeverLost) {
  // Without its type the saved path stays; the folder is still emptied.
  SaveEverything();
  HKEY install = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kInstall, &install), ERROR_SUCCESS);
  RegDeleteValueA(install, "SourcePathType");
  RegCloseKey(install);
  EXPECT_EQ(Sweep(), 0);
  EXPECT_EQ(SizeOf(HKEY_CURRENT_USER, kInstall, "SourcePath"), 10);
  EXPECT_EQ(SizeOf(HKEY_LOCAL_MACHINE, kSetup, "SourcePath"), -1);
  EXPECT_TRUE(Swept());

  // Without the Setup key both stay and the folder is left alone.
  SetUp();
  SaveEverything();
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSetup), ERROR_SUCCESS);
  EXPECT_EQ(Sweep(), 0);
  EXPECT_EQ(SizeOf(HKEY_CURRENT_USER, kInstall, "SourcePath"), 10);
  EXPECT_EQ(SizeOf(HKEY_CURRENT_USER, kInstall, "SourcePathType"), 4);
  EXPECT_FALSE(Swept());
}

TEST_F(TmpsweepTest, MissingPiecesEndQuietly) {
  // No install key at all.
  EXPECT_EQ(Sweep(), 0);
  EXPECT_FALSE(Swept());
  // A folder path but nothing saved: the folder is still emptied.
  SetText(HKEY_CURRENT_USER, kInstall, "KovoTmpPath", (dir_ / "setup-tmp").string());
  EXPECT_EQ(Sweep(), 0);
  EXPECT_TRUE(Swept());
  // A folder that is gone.
  SetText(HKEY_CURRENT_USER, kInstall, "KovoTmpPath", (dir_ / "gone").string());
  EXPECT_EQ(Sweep(), 0);
}

TEST_F(TmpsweepTest, PathsThatWouldNotFitAreSkippedNotCut) {
  SaveEverything();
  // A name whose full path passes 255 characters stays; a read-only file too.
  const std::string folder = (dir_ / "setup-tmp").string();
  const std::string longName(255 - folder.size(), 'n');
  std::ofstream(dir_ / "setup-tmp" / longName) << "x";
  std::ofstream(dir_ / "setup-tmp" / "readonly") << "x";
  fs::permissions(dir_ / "setup-tmp" / "readonly", fs::perms::owner_read);
  EXPECT_EQ(Sweep(), 0);
  EXPECT_TRUE(Swept());
  EXPECT_TRUE(fs::exists(dir_ / "setup-tmp" / longName));
  EXPECT_TRUE(fs::exists(dir_ / "setup-tmp" / "readonly"));
}

}  // namespace
