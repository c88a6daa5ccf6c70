// ServerTest: a fixture that gives each test a settings store, a Windows
// folder and a module path of its own, registers kovocom.so there and
// connects it to the recording partner (recording/kvthunk.so), which the
// fixture loads once per process and keeps. Objects are created through the
// client side of the component layer, as a program creates them. TearDown
// unloads the server and checks that every 16:16 mapping was released.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "kovocom/kovo_component.h"
#include "kovocom/recording_partner.h"
#include "platform/component_loader.h"
#include "platform/thunk_32to16.h"

namespace kovocom {

class ServerTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The partner's state, shared with the loaded partner library.
  static RecordingPartner& Partner();
  // Gives back the fixture's load of the partner, so that the process has
  // none; the next use of Partner() loads it again.
  static void UnloadPartner();
  // The partner's data block, for tests that spoil it.
  static platform::ThunkData16& PartnerBlock();

  // Creates an object of the registered class for `iid`; null on failure,
  // with the result in *result when given.
  template <class Interface>
  Interface* Create(const platform::IID& iid, HRESULT* result = nullptr) {
    void* object = nullptr;
    HRESULT created = platform::CoCreateInstance(CLSID_KovoComponent, nullptr,
                                                 platform::CLSCTX_INPROC_SERVER, iid, &object);
    if (result != nullptr) *result = created;
    return static_cast<Interface*>(object);
  }

  // The server's DllCanUnloadNow (S_OK when it is not loaded at all).
  static HRESULT CanUnloadNow();
  static bool ServerLoaded();
  void WriteSystemIni(const std::string& text);
  // The selectors in use while the server is connected and no call runs.
  uint32_t ConnectedSelectors() const { return selectorsBefore_ + 1; }

  std::filesystem::path dir_;
  uint32_t selectorsBefore_ = 0;
};

}  // namespace kovocom
