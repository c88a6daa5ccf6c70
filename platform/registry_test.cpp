#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace platform {
namespace {

namespace fs = std::filesystem;

// Points both stores at a folder of the test's own.
class RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::path(testing::TempDir()) /
        ("registry_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    setenv("XDG_CONFIG_HOME", (dir_ / "user").c_str(), 1);
    setenv("KOVO_MACHINE_DIR", (dir_ / "machine").c_str(), 1);
  }

  static void SetText(HKEY key, const char* name, const std::string& text) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                             static_cast<uint32_t>(text.size() + 1)),
              ERROR_SUCCESS);
  }
  static std::string Text(HKEY key, const char* name) {
    char buffer[256] = {};
    uint32_t size = sizeof buffer;
    uint32_t type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<uint8_t*>(buffer), &size) !=
        ERROR_SUCCESS) {
      return "<missing>";
    }
    return buffer;
  }

  fs::path dir_;
};

TEST_F(RegistryTest, KeyPathsIgnoreCaseAndCreateTheirParents) {
  HKEY written = nullptr;
  uint32_t disposition = 0;
  ASSERT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Kovo Computer Products\\install", 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &written, &disposition),
      ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<uint32_t>(REG_CREATED_NEW_KEY));
  SetText(written, "KovoTmpPath", "C:\\TEMP\\KOVO");
  RegCloseKey(written);

  HKEY read = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "software\\kovo computer products\\INSTALL", &read),
            ERROR_SUCCESS);
  EXPECT_EQ(Text(read, "kovotmppath"), "C:\\TEMP\\KOVO");
  RegCloseKey(read);
  HKEY parent = nullptr;
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Kovo Computer Products", &parent),
            ERROR_SUCCESS);
  RegCloseKey(parent);
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Nobody", &read), ERROR_FILE_NOT_FOUND);
  // The roots are separate trees, the user's in its own database.
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Kovo Computer Products", &read),
            ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(fs::exists(dir_ / "user" / "kovo" / "registry.db"));
}

TEST_F(RegistryTest, QueriesRespectTheCallersBuffer) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Test", &key), ERROR_SUCCESS);
  SetText(key, "", "default");
  const uint8_t dword[4] = {1, 0, 0, 0};
  ASSERT_EQ(RegSetValueExA(key, "Mode", 0, REG_DWORD, dword, 4), ERROR_SUCCESS);
  SetText(key, "Long", std::string(300, 'x'));

  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Long", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 301u);
  EXPECT_EQ(type, REG_SZ);
  char small[100];
  std::memset(small, '?', sizeof small);
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, "Long", nullptr, &type, reinterpret_cast<uint8_t*>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 301u);
  EXPECT_EQ(small[0], '?');  // nothing read

  uint8_t mode[4] = {};
  size = 4;
  EXPECT_EQ(RegQueryValueExA(key, "MODE", nullptr, &type, mode, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(mode[0], 1);
  EXPECT_EQ(Text(key, nullptr), "default");
  EXPECT_EQ(RegDeleteValueA(key, "mode"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "mode"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "Mode", nullptr, &type, mode, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, DeletingKeys) {
  HKEY deep = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "CLSID\\{1}\\InprocServer32", &deep), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "CLSID\\{1}\\ProgID", REG_SZ, "KovoCOM1.01", 0),
            ERROR_SUCCESS);
  // A key with subkeys stays; deepest first works.
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{1}"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{1}\\InprocServer32"), ERROR_SUCCESS);
  // A handle to a deleted key says so.
  EXPECT_EQ(RegSetValueExA(deep, "x", 0, REG_SZ, reinterpret_cast<const uint8_t*>("y"), 2),
            ERROR_KEY_DELETED);
  RegCloseKey(deep);
  EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "clsid\\{1}"), ERROR_SUCCESS);
  HKEY gone = nullptr;
  EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "CLSID\\{1}\\ProgID", &gone), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{1}"), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace platform
