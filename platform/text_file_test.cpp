#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

TEST(TextFile, StoresLineEndsAsCarriageReturnLineFeed) {
  const std::string path = testing::TempDir() + "/text_file_test.txt";
  TextFile file;
  ASSERT_TRUE(file.Create(path));
  ASSERT_TRUE(file.Write("one\ntwo"));
  ASSERT_TRUE(file.Write("\n\n"));
  ASSERT_TRUE(file.Close());
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "one\r\ntwo\r\n\r\n");
}

TEST(TextFile, ReportsCreateAndWriteFailures) {
  TextFile missing;
  EXPECT_FALSE(missing.Create("/nonexistent-dir/map.txt"));
  EXPECT_EQ(missing.error(), ENOENT);

  TextFile full;
  ASSERT_TRUE(full.Create("/dev/full"));
  full.Write("some text\n");
  EXPECT_FALSE(full.Close());
  EXPECT_EQ(full.error(), ENOSPC);
}

}  // namespace
}  // namespace platform
