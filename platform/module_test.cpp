#include "platform/module.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(ModuleTest, WindowsNamesMapToSharedLibraryNames) {
  struct Case {
    const char* name;
    const char* mapped;
  } cases[] = {
      {"KVTHUNK.DLL", "kvthunk.so"},
      {"veskCAP.DRV", "veskcap.so"},
      {"veskcddd", "veskcddd.so"},
      {"/opt/kovo/lib/KOVOCOM.so", "/opt/kovo/lib/KOVOCOM.so"},
  };
  for (const Case& c : cases) EXPECT_EQ(SharedLibraryName(c.name), c.mapped) << c.name;
}

TEST(ModuleTest, MissingModuleFailsWithAReason) {
  EXPECT_EQ(LoadLibraryA("NOSUCHMODULE.DLL"), nullptr);
  EXPECT_NE(LastLoadError().find("nosuchmodule.so"), std::string::npos) << LastLoadError();
  EXPECT_EQ(LoadLibraryA(""), nullptr);
  EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(ModuleTest, ThePlatformLibraryKnowsItsOwnPath) {
  HINSTANCE self = ModuleContaining(reinterpret_cast<const void*>(&SharedLibraryName));
  ASSERT_NE(self, nullptr);
  std::string path = GetModuleFileNameA(self);
  EXPECT_NE(path.find("libplatform.so"), std::string::npos) << path;
  EXPECT_TRUE(FreeLibrary(self));
}

}  // namespace
}  // namespace platform
