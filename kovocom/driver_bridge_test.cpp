#include "kovocom/driver_bridge.h"

#include <cstring>
#include <functional>

#include "kovocom/server_fixture.h"
#include "platform/module.h"
#include "platform/registry.h"
#include "platform/selector_table.h"
#include "platform/thunk_32to16.h"

namespace kovocom {
namespace {

using namespace platform;

using DriverBridgeTest = ServerTest;

TEST_F(DriverBridgeTest, MismatchedOrRefusingPartnersRefuseTheLoad) {
  const ThunkData16 good = PartnerBlock();
  struct Case {
    const char* what;
    std::function<void()> spoil;
  } cases[] = {
      {"checksum", [] { PartnerBlock().checksum = kThunkScriptChecksum + 1; }},
      {"signature", [] { PartnerBlock().signature[3] = '2'; }},
      {"second signature", [] { PartnerBlock().signature2[0] = 'X'; }},
      {"no entries", [] { PartnerBlock().entryCount = 0; }},
      {"refusal", [] { Partner().SetAcceptConnection(false); }},
  };
  for (const Case& c : cases) {
    c.spoil();
    HRESULT result = S_OK;
    EXPECT_EQ(Create<ICaptureBoard>(IID_ICaptureBoard, &result), nullptr) << c.what;
    EXPECT_EQ(result, E_DLL_INIT_FAILED) << c.what;
    EXPECT_FALSE(ServerLoaded()) << c.what;
    EXPECT_EQ(SelectorsInUse(), selectorsBefore_) << c.what;
    PartnerBlock() = good;
    Partner().Reset();
  }
  EXPECT_EQ(Partner().attaches(), 0);
  ICaptureBoard* board = Create<ICaptureBoard>(IID_ICaptureBoard);
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(Partner().attaches(), 1);
  board->Release();
}

TEST_F(DriverBridgeTest, MissingPartnerRefusesTheLoad) {
  // A copy of the server in a folder without a partner, a module path
  // without one, and none loaded.
  UnloadPartner();
  std::filesystem::create_directories(dir_ / "lonely");
  std::filesystem::create_directories(dir_ / "empty");
  const std::string copy = (dir_ / "lonely" / "kovocom.so").string();
  std::filesystem::copy_file(KOVOCOM_LIBRARY, copy);
  setenv("KOVO_MODULE_PATH", (dir_ / "empty").c_str(), 1);
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT,
                         "CLSID\\{5E2A9C41-7B3D-11CF-A512-00A0C93F6B27}\\InprocServer32", REG_SZ,
                         copy.c_str(), static_cast<uint32_t>(copy.size() + 1)),
            ERROR_SUCCESS);
  HRESULT result = S_OK;
  EXPECT_EQ(Create<ICaptureBoard>(IID_ICaptureBoard, &result), nullptr);
  EXPECT_EQ(result, E_DLL_INIT_FAILED);
  EXPECT_EQ(CoLoadLibrary(copy.c_str()), nullptr);
}

TEST_F(DriverBridgeTest, ConnectionFillsTheBlockAndDisconnectionRestoresIt) {
  // A load of our own keeps the block readable after the server detaches.
  HINSTANCE held = LoadLibraryA(KOVOCOM_LIBRARY);
  ASSERT_NE(held, nullptr);
  auto* block = static_cast<uint8_t*>(GetProcAddress(held, "thk_ThunkData32"));
  uint8_t image[100];
  std::memcpy(image, block, sizeof image);
  EXPECT_EQ(ConnectedDispatcher(block), nullptr);

  ICaptureBoard* board = Create<ICaptureBoard>(IID_ICaptureBoard);
  ASSERT_NE(board, nullptr);
  EXPECT_NE(ConnectedDispatcher(block), nullptr);
  const SEGPTR table =
      static_cast<SEGPTR>(block[8] | block[9] << 8 | block[10] << 16 | block[11] << 24);
  EXPECT_EQ(MapSL(table), PartnerBlock().entries);  // the partner's jump table
  EXPECT_EQ(std::memcmp(block, image, 8), 0);
  EXPECT_EQ(std::memcmp(block + 12, image + 12, 24), 0);
  EXPECT_EQ(SelectorsInUse(), ConnectedSelectors());
  board->Release();

  CoFreeUnusedLibraries();
  EXPECT_EQ(Partner().detaches(), 1);
  EXPECT_EQ(std::memcmp(block, image, sizeof image), 0);
  EXPECT_TRUE(FreeLibrary(held));
}

}  // namespace
}  // namespace kovocom
