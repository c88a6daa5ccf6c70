#include "platform/user_name.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/last_error.h"
#include "platform/registry.h"

namespace platform {
namespace {

TEST(UserNameTest, AnswersTheAccountNameWithItsSize) {
  const passwd* entry = getpwuid(geteuid());
  ASSERT_NE(entry, nullptr);
  const std::string expected = entry->pw_name;
  char buffer[256];
  DWORD size = sizeof buffer;
  ASSERT_TRUE(GetUserNameA(buffer, &size));
  EXPECT_EQ(std::string(buffer), expected);
  EXPECT_EQ(size, expected.size() + 1);
}

TEST(UserNameTest, ShortBufferAnswersTheSizeNeededAndWritesNothing) {
  char probe[256];
  DWORD needed = sizeof probe;
  ASSERT_TRUE(GetUserNameA(probe, &needed));

  char buffer[256];
  std::memset(buffer, '#', sizeof buffer);
  DWORD size = needed - 1;  // no room for the terminating zero
  SetLastError(0);
  EXPECT_FALSE(GetUserNameA(buffer, &size));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, needed);
  EXPECT_EQ(buffer[0], '#');

  size = 0;
  EXPECT_FALSE(GetUserNameA(nullptr, &size));
  EXPECT_EQ(size, needed);
  EXPECT_FALSE(GetUserNameA(buffer, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
}  // namespace platform
