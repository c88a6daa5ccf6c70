#include "kovocom/component_factory.h"

#include <dlfcn.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "kovocom/server_fixture.h"
#include "platform/module.h"
#include "platform/selector_table.h"

namespace kovocom {
namespace {

using namespace platform;

constexpr IID kOtherInterface = {0x12345678, 0x1, 0x2, {3, 4, 5, 6, 7, 8, 9, 10}};

using ComponentFactoryTest = ServerTest;

IClassFactory* GetFactory(REFIID iid, HRESULT* result) {
  void* out = nullptr;
  *result = CoGetClassObject(CLSID_KovoComponent, CLSCTX_INPROC_SERVER, nullptr, iid, &out);
  return static_cast<IClassFactory*>(out);
}

TEST_F(ComponentFactoryTest, ClassObjectIsCountedFromItsCreationToItsLastRelease) {
  HRESULT result = S_OK;
  IClassFactory* factory = GetFactory(IID_IClassFactory, &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->AddRef(), 2u);  // it was handed out with one reference
  EXPECT_EQ(factory->Release(), 1u);

  void* unknown = nullptr;
  ASSERT_EQ(factory->QueryInterface(IID_IUnknown, &unknown), S_OK);
  EXPECT_NE(unknown, static_cast<void*>(factory));  // the outer part
  EXPECT_EQ(static_cast<IUnknown*>(unknown)->Release(), 1u);
  void* none = &none;
  EXPECT_EQ(factory->QueryInterface(kOtherInterface, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(factory->Release(), 0u);
  EXPECT_EQ(CanUnloadNow(), S_OK);

  IUnknown* asUnknown = GetFactory(IID_IUnknown, &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  asUnknown->Release();

  EXPECT_EQ(GetFactory(kOtherInterface, &result), nullptr);
  EXPECT_EQ(result, E_NOINTERFACE);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  EXPECT_EQ(GetFactory(IID_ICaptureBoard, &result), nullptr);
  EXPECT_EQ(result, E_NOINTERFACE);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ComponentFactoryTest, OtherClassesAreNotAvailableAndTheOutPointerIsLeftAlone) {
  HRESULT result = S_OK;
  GetFactory(IID_IClassFactory, &result)->Release();  // loads the server
  void* handle = dlopen(KOVOCOM_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  auto getClassObject = GetProcAddressAs<DllGetClassObjectProc>(handle, "DllGetClassObject");
  void* out = &out;
  EXPECT_EQ(getClassObject(kOtherInterface, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, &out);
  EXPECT_EQ(getClassObject(CLSID_KovoComponent, IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  dlclose(handle);
}

TEST_F(ComponentFactoryTest, CreateInstanceChoosesByInterfaceAndRefusesAggregation) {
  Partner().SetResult(kOpenPlaceholderLink, 0x11);
  Partner().SetResult(kOpenDriverLink, 0x22);
  Partner().SetResult(kOpenDriverLinkEx, 0x33);
  HRESULT result = S_OK;
  IClassFactory* factory = GetFactory(IID_IClassFactory, &result);
  ASSERT_EQ(result, S_OK);
  IUnknown* outer = factory;  // any unknown will do as an outer one
  struct Case {
    bool aggregate;
    const IID* iid;
    HRESULT expected;
  } cases[] = {
      {false, &IID_IUnknown, E_NOINTERFACE},
      {true, &IID_IUnknown, E_NOINTERFACE},
      {true, &IID_ICaptureBoard, CLASS_E_NOAGGREGATION},
      {true, &IID_IDriverLink, CLASS_E_NOAGGREGATION},
      {false, &kOtherInterface, E_NOINTERFACE},
      {false, &IID_ICaptureBoard, S_OK},
      {false, &IID_IPlaceholder, S_OK},
      {false, &IID_IDriverLink, S_OK},
      {false, &IID_IDriverLinkEx, S_OK},
  };
  for (const Case& c : cases) {
    void* out = &out;
    EXPECT_EQ(factory->CreateInstance(c.aggregate ? outer : nullptr, *c.iid, &out), c.expected);
    if (c.expected != S_OK) {
      EXPECT_EQ(out, nullptr);
      continue;
    }
    ASSERT_NE(out, nullptr);
    auto* object = static_cast<IUnknown*>(out);
    // The interface part forwards to the outer part: one count for both.
    void* unknown = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_IUnknown, &unknown), S_OK);
    EXPECT_NE(unknown, out);
    void* again = nullptr;
    ASSERT_EQ(static_cast<IUnknown*>(unknown)->QueryInterface(*c.iid, &again), S_OK);
    EXPECT_EQ(again, out);
    EXPECT_EQ(object->AddRef(), 4u);
    void* none = &none;
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(object->Release(), 3u);
    EXPECT_EQ(static_cast<IUnknown*>(unknown)->Release(), 2u);
    EXPECT_EQ(object->Release(), 1u);
    EXPECT_EQ(object->Release(), 0u);
  }
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_ICaptureBoard, nullptr), E_POINTER);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);  // the factory lives
  factory->Release();
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(ComponentFactoryTest, ZeroLinkHandlesAreNeverHandedOut) {
  for (const IID* iid : {&IID_IPlaceholder, &IID_IDriverLink, &IID_IDriverLinkEx}) {
    HRESULT result = S_OK;
    EXPECT_EQ(Create<IUnknown>(*iid, &result), nullptr);
    EXPECT_EQ(result, E_NOINTERFACE);
    EXPECT_EQ(CanUnloadNow(), S_OK);
  }
  // Each was opened once and, having no handle, never closed.
  std::vector<DWORD> entries;
  for (const PartnerCall& call : Partner().Calls()) entries.push_back(call.entry);
  EXPECT_EQ(entries,
            (std::vector<DWORD>{kOpenPlaceholderLink, kOpenDriverLink, kOpenDriverLinkEx}));
}

TEST_F(ComponentFactoryTest, AnUnmatchedLockKeepsTheServerLoaded) {
  HRESULT result = S_OK;
  IClassFactory* factory = GetFactory(IID_IClassFactory, &result);
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory->Release();
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  CoFreeUnusedLibraries();
  EXPECT_TRUE(ServerLoaded());

  factory = GetFactory(IID_IClassFactory, &result);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory->Release();
  EXPECT_EQ(CanUnloadNow(), S_OK);
  CoFreeUnusedLibraries();
  EXPECT_FALSE(ServerLoaded());
  EXPECT_EQ(Partner().detaches(), 1);  // unloading disconnected the partner
}

TEST_F(ComponentFactoryTest, ObjectsFromSeveralThreadsAreAllCountedOff) {
  Partner().SetResult(kOpenPlaceholderLink, 1);
  Partner().SetResult(kOpenDriverLink, 2);
  Partner().SetResult(kOpenDriverLinkEx, 3);
  Partner().SetResult(kOpenDriver, 4);
  WriteSystemIni("[Drivers]\nVIDC.MJPG=vesk2.drv\n");
  constexpr int kThreads = 4;
  constexpr int kRounds = 50;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int round = 0; round < kRounds; ++round) {
        std::vector<IUnknown*> held;
        for (const IID* iid :
             {&IID_ICaptureBoard, &IID_IPlaceholder, &IID_IDriverLink, &IID_IDriverLinkEx}) {
          IUnknown* object = Create<IUnknown>(*iid);
          if (object == nullptr) {
            ++failures;
            continue;
          }
          held.push_back(object);
        }
        if (!held.empty() && static_cast<ICaptureBoard*>(held[0])->OpenBoard("QX63") != 0)
          ++failures;
        for (IUnknown* object : held) object->Release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(CanUnloadNow(), S_OK);
  int opened = 0;
  int closed = 0;
  for (const PartnerCall& call : Partner().Calls()) {
    opened += call.entry == kOpenPlaceholderLink || call.entry == kOpenDriverLink ||
              call.entry == kOpenDriverLinkEx || call.entry == kOpenDriver;
    closed += call.entry == kClosePlaceholderLink || call.entry == kCloseDriverLink ||
              call.entry == kCloseDriverLinkEx || call.entry == kCloseDriver;
  }
  EXPECT_EQ(opened, kThreads * kRounds * 4);
  EXPECT_EQ(closed, opened);
  EXPECT_EQ(SelectorsInUse(), ConnectedSelectors());
  CoFreeUnusedLibraries();
  EXPECT_FALSE(ServerLoaded());
}

}  // namespace
}  // namespace kovocom
