#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace platform {
namespace {

namespace fs = std::filesystem;

class FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) /
           ("files_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "sub");
    std::ofstream(dir_ / "a.txt") << "a";
    std::ofstream(dir_ / "noext") << "b";
  }
  // The folder in the platform's own form, with backslashes.
  std::string Windowsy(const fs::path& path) const {
    std::string text = path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
  }
  fs::path dir_;
};

TEST_F(FilesTest, SearchReportsEveryEntryWithDotAndDotDot) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((Windowsy(dir_) + "\\*.*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  std::vector<std::string> names;
  do {
    names.push_back(found.cFileName);
    if (names.back() == "sub") {
      EXPECT_TRUE(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.txt", "noext", "sub"}));
  EXPECT_EQ(FindFirstFileA((dir_ / "missing" / "*.*").c_str(), &found), INVALID_HANDLE_VALUE);
}

TEST_F(FilesTest, DeleteFollowsOpenFileRules) {
  std::ofstream(dir_ / "locked") << "c";
  fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::group_read);
  const struct {
    std::string name;
    int result;
  } cases[] = {
      {"a.txt", 1}, {"sub", HFILE_ERROR}, {"locked", HFILE_ERROR}, {"missing", HFILE_ERROR}};
  for (const auto& c : cases) {
    EXPECT_EQ(OpenFile((Windowsy(dir_) + "\\" + c.name).c_str(), OF_DELETE), c.result) << c.name;
  }
  EXPECT_FALSE(fs::exists(dir_ / "a.txt"));
  EXPECT_TRUE(fs::exists(dir_ / "locked"));
  EXPECT_FALSE(RemoveDirectoryA(Windowsy(dir_).c_str()));  // not empty
  EXPECT_TRUE(RemoveDirectoryA((Windowsy(dir_) + "\\sub").c_str()));
}

TEST_F(FilesTest, TemporaryNamesAreNewFiles) {
  char first[MAX_PATH];
  char second[MAX_PATH];
  const uint32_t a = GetTempFileNameA(Windowsy(dir_).c_str(), "Clmill", 0, first);
  const uint32_t b = GetTempFileNameA(Windowsy(dir_).c_str(), "Clmill", 0, second);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_STRNE(first, second);
  const std::string name = fs::path(NativePath(first)).filename().string();
  EXPECT_EQ(name.substr(0, 3), "Clm");
  EXPECT_EQ(name.substr(7), ".TMP");
  EXPECT_TRUE(fs::exists(NativePath(first)));
  // With a number given, the name is only composed.
  char composed[MAX_PATH];
  EXPECT_EQ(GetTempFileNameA("C:\\TEMP\\", "abcdef", 0x1A2B, composed), 0x1A2Bu);
  EXPECT_STREQ(composed, "C:\\TEMP\\abc1A2B.TMP");
  EXPECT_EQ(GetTempFileNameA(std::string(255, 'x').c_str(), "abc", 1, composed), 0u);
}

}  // namespace
}  // namespace platform
