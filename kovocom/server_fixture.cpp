#include "kovocom/server_fixture.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/module.h"
#include "platform/selector_table.h"

namespace kovocom {

namespace fs = std::filesystem;

namespace {

platform::HINSTANCE partnerLibrary = nullptr;

platform::HINSTANCE PartnerLibrary() {
  if (partnerLibrary == nullptr) partnerLibrary = platform::LoadLibraryA(RECORDING_PARTNER);
  return partnerLibrary;
}

}  // namespace

RecordingPartner& ServerTest::Partner() {
  auto recorder =
      platform::GetProcAddressAs<RecordingPartner* (*)()>(PartnerLibrary(), "KvthunkRecorder");
  return *recorder();
}

platform::ThunkData16& ServerTest::PartnerBlock() {
  return *static_cast<platform::ThunkData16*>(
      platform::GetProcAddress(PartnerLibrary(), "thk_ThunkData16"));
}

void ServerTest::UnloadPartner() {
  platform::FreeLibrary(partnerLibrary);
  partnerLibrary = nullptr;
}

void ServerTest::SetUp() {
  dir_ = fs::path(testing::TempDir()) /
         ("kovocom_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
  fs::remove_all(dir_);
  fs::create_directories(dir_ / "windows");
  setenv("XDG_CONFIG_HOME", (dir_ / "user").c_str(), 1);
  setenv("KOVO_MACHINE_DIR", (dir_ / "machine").c_str(), 1);
  setenv("KOVO_WINDOWS_DIR", (dir_ / "windows").c_str(), 1);
  setenv("KOVO_MODULE_PATH", fs::path(RECORDING_PARTNER).parent_path().c_str(), 1);
  ASSERT_NE(PartnerLibrary(), nullptr) << platform::LastLoadError();
  Partner().Reset();

  platform::HINSTANCE server = platform::CoLoadLibrary(KOVOCOM_LIBRARY);
  ASSERT_NE(server, nullptr) << platform::LastLoadError();
  auto registerServer =
      platform::GetProcAddressAs<platform::DllRegisterServerProc>(server, "DllRegisterServer");
  ASSERT_NE(registerServer, nullptr);
  EXPECT_EQ(registerServer(), platform::S_OK);
  EXPECT_TRUE(platform::CoFreeLibrary(server));
  Partner().Reset();
  selectorsBefore_ = platform::SelectorsInUse();
}

void ServerTest::TearDown() {
  platform::CoFreeAllLibraries();
  EXPECT_FALSE(ServerLoaded());
  EXPECT_EQ(platform::SelectorsInUse(), selectorsBefore_);
}

bool ServerTest::ServerLoaded() {
  void* handle = dlopen(KOVOCOM_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

HRESULT ServerTest::CanUnloadNow() {
  void* handle = dlopen(KOVOCOM_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return platform::S_OK;
  auto canUnloadNow =
      platform::GetProcAddressAs<platform::DllCanUnloadNowProc>(handle, "DllCanUnloadNow");
  HRESULT result = canUnloadNow();
  dlclose(handle);
  return result;
}

void ServerTest::WriteSystemIni(const std::string& text) {
  std::ofstream(dir_ / "windows" / "SYSTEM.INI") << text;
}

}  // namespace kovocom
