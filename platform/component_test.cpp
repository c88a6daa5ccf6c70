#include "platform/component.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/component_loader.h"
#include "platform/registry.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr GUID kSample = {
    0x5E2A9C41, 0x7B3D, 0x11CF, {0xA5, 0x12, 0x00, 0xA0, 0xC9, 0x3F, 0x6B, 0x27}};

std::string Narrow(const OLECHAR* text) {
  std::string out;
  while (*text != 0) out += static_cast<char>(*text++);
  return out;
}

TEST(ComponentTest, StringFromGUID2WritesTheBracedUpperCaseForm) {
  OLECHAR text[128];
  EXPECT_EQ(StringFromGUID2(kSample, text, 128), 39);
  EXPECT_EQ(Narrow(text), "{5E2A9C41-7B3D-11CF-A512-00A0C93F6B27}");
  EXPECT_EQ(StringFromGUID2(IID_IClassFactory, text, 39), 39);
  EXPECT_EQ(Narrow(text), "{00000001-0000-0000-C000-000000000046}");
  // One character short: nothing fits, nothing is written past the buffer.
  OLECHAR shortText[39];
  shortText[37] = u'x';
  EXPECT_EQ(StringFromGUID2(kSample, shortText, 38), 0);
  EXPECT_EQ(shortText[37], u'x');
}

class ComponentLoaderTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) /
           ("loader_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    setenv("XDG_CONFIG_HOME", (dir_ / "user").c_str(), 1);
    setenv("KOVO_MACHINE_DIR", (dir_ / "machine").c_str(), 1);
  }
  fs::path dir_;
};

TEST_F(ComponentLoaderTest, ClassesThatCannotBeLoadedAreReported) {
  void* out = &out;
  EXPECT_EQ(CoCreateInstance(kSample, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(out, nullptr);

  const std::string missing = (dir_ / "missing.so").string();
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT,
                         "CLSID\\{5E2A9C41-7B3D-11CF-A512-00A0C93F6B27}\\InprocServer32", REG_SZ,
                         missing.c_str(), static_cast<uint32_t>(missing.size() + 1)),
            ERROR_SUCCESS);
  EXPECT_EQ(CoGetClassObject(kSample, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &out),
            CO_E_DLLNOTFOUND);
  EXPECT_EQ(CoGetClassObject(kSample, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, nullptr),
            E_POINTER);
  EXPECT_EQ(CoLoadLibrary(missing.c_str()), nullptr);
  EXPECT_FALSE(CoFreeLibrary(nullptr));
}

}  // namespace
}  // namespace platform
