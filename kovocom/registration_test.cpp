#include "kovocom/registration.h"

#include <cstring>
#include <map>
#include <string>

#include "kovocom/server_fixture.h"
#include "platform/module.h"
#include "platform/registry.h"

namespace kovocom {
namespace {

using namespace platform;

constexpr char kClassKey[] = "CLSID\\{5E2A9C41-7B3D-11CF-A512-00A0C93F6B27}";

// Every key below HKEY_CLASSES_ROOT with its default value ("-" when it has
// none) and the names of its other values.
void Dump(HKEY key, const std::string& path, std::map<std::string, std::string>* out) {
  if (!path.empty()) {
    char value[512] = {};
    uint32_t size = sizeof value - 1;
    uint32_t type = 0;
    std::string text = RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<uint8_t*>(value),
                                        &size) == ERROR_SUCCESS
                           ? std::string(value) + (type == REG_SZ ? "" : " (not text)")
                           : "-";
    std::string name;
    for (uint32_t i = 0; RegEnumValue(key, i, &name) == ERROR_SUCCESS; ++i)
      if (!name.empty()) text += " +" + name;
    (*out)[path] = text;
  }
  std::string child;
  for (uint32_t i = 0; RegEnumKey(key, i, &child) == ERROR_SUCCESS; ++i) {
    HKEY sub = nullptr;
    ASSERT_EQ(RegOpenKeyA(key, child.c_str(), &sub), ERROR_SUCCESS);
    Dump(sub, path.empty() ? child : path + "\\" + child, out);
    RegCloseKey(sub);
  }
}

std::map<std::string, std::string> ClassesRoot() {
  std::map<std::string, std::string> keys;
  Dump(HKEY_CLASSES_ROOT, "", &keys);
  return keys;
}

HRESULT RunEntry(const char* entry) {
  HINSTANCE server = CoLoadLibrary(KOVOCOM_LIBRARY);
  if (server == nullptr) return E_UNEXPECTED;
  auto proc = GetProcAddressAs<DllRegisterServerProc>(server, entry);
  HRESULT result = proc();
  CoFreeLibrary(server);
  return result;
}

using RegistrationTest = ServerTest;

TEST_F(RegistrationTest, WritesTheTenKeysWithThePathOfTheLoadedLibrary) {
  const std::string description = "KovoCOM - KovoComponent Dll";
  const std::string classId = "{5E2A9C41-7B3D-11CF-A512-00A0C93F6B27}";
  const std::string classKey = kClassKey;
  const std::map<std::string, std::string> expected = {
      {"KovoCOM1.01", description},
      {"KovoCOM1.01\\CLSID", classId},
      {"KovoCOM", description},
      {"KovoCOM\\CurVer", "KovoCOM1.01"},
      {"KovoCOM\\CLSID", classId},
      {"CLSID", "-"},
      {classKey, description},
      {classKey + "\\ProgID", "KovoCOM1.01"},
      {classKey + "\\VersionIndependentProgID", "KovoCOM"},
      {classKey + "\\InprocServer32", std::filesystem::canonical(KOVOCOM_LIBRARY).string()},
      {classKey + "\\InprocServer32\\ThreadingModel", "Both"},
  };
  EXPECT_EQ(ClassesRoot(), expected);
  // Registering again changes nothing.
  EXPECT_EQ(RunEntry("DllRegisterServer"), S_OK);
  EXPECT_EQ(ClassesRoot(), expected);
}

TEST_F(RegistrationTest, UnregisterDeletesTheTenKeysAndToleratesTheirAbsence) {
  EXPECT_EQ(RunEntry("DllUnregisterServer"), S_OK);
  const std::map<std::string, std::string> onlyTheSharedRoot = {{"CLSID", "-"}};
  EXPECT_EQ(ClassesRoot(), onlyTheSharedRoot);
  EXPECT_EQ(RunEntry("DllUnregisterServer"), S_OK);
  EXPECT_EQ(ClassesRoot(), onlyTheSharedRoot);

  // A key that someone else put below the class key keeps that key.
  EXPECT_EQ(RunEntry("DllRegisterServer"), S_OK);
  HKEY other = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, (std::string(kClassKey) + "\\Other").c_str(), &other),
            ERROR_SUCCESS);
  RegCloseKey(other);
  EXPECT_EQ(RunEntry("DllUnregisterServer"), S_OK);
  const std::map<std::string, std::string> keptForTheOther = {
      {"CLSID", "-"},
      {kClassKey, "KovoCOM - KovoComponent Dll"},
      {std::string(kClassKey) + "\\Other", "-"}};
  EXPECT_EQ(ClassesRoot(), keptForTheOther);
}

// A library loaded without DllMain has no module record; it must neither
// crash nor register a path other than its own.
TEST_F(RegistrationTest, LibraryWithoutDllMainRefusesObjectsButRegistersItsOwnPath) {
  HINSTANCE server = LoadLibraryA(KOVOCOM_LIBRARY);
  ASSERT_NE(server, nullptr);
  const auto* block = static_cast<const uint8_t*>(GetProcAddress(server, "thk_ThunkData32"));
  ASSERT_NE(block, nullptr);
  uint8_t image[100] = {'L', 'S', '0', '1', 0x30, 0x1D, 0x03, 0, 0, 0, 0, 0, 'L', 'B', '0', '1'};
  image[28] = 0x24;
  image[32] = 0x44;
  std::memset(image + 36, 0xCC, 64);
  EXPECT_EQ(std::memcmp(block, image, sizeof image), 0);

  auto getClassObject = GetProcAddressAs<DllGetClassObjectProc>(server, "DllGetClassObject");
  void* factory = nullptr;
  EXPECT_EQ(getClassObject(CLSID_KovoComponent, IID_IClassFactory, &factory), E_UNEXPECTED);
  EXPECT_EQ(factory, nullptr);
  EXPECT_EQ(CanUnloadNow(), S_OK);

  EXPECT_EQ(RunEntry("DllUnregisterServer"), S_OK);
  auto registerServer = GetProcAddressAs<DllRegisterServerProc>(server, "DllRegisterServer");
  EXPECT_EQ(registerServer(), S_OK);
  EXPECT_EQ(ClassesRoot()[std::string(kClassKey) + "\\InprocServer32"],
            std::filesystem::canonical(KOVOCOM_LIBRARY).string());
  EXPECT_TRUE(FreeLibrary(server));
}

}  // namespace
}  // namespace kovocom
