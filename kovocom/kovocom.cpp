// The exported entry points of the kovocom server library.
#include <new>

#include "kovocom/component_factory.h"
#include "kovocom/component_module.h"
#include "kovocom/driver_bridge.h"
#include "kovocom/kovo_component.h"
#include "kovocom/registration.h"
#include "platform/last_error.h"
#include "platform/thunk.h"
#include "platform/user_name.h"

#define KOVOCOM_EXPORT extern "C" __attribute__((visibility("default")))

using namespace platform;

namespace {

constexpr DWORD kUserNameSize = 256;

}  // namespace

KOVOCOM_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (ThunkConnect32(thk_ThunkData32, "thk_ThunkData16", "KVTHUNK.DLL", "KOVOCOM.DLL", instance,
                     reason) == FALSE) {
    return FALSE;
  }
  switch (reason) {
    case DLL_PROCESS_DETACH:
      delete kovocom::ComponentModule::Exchange(nullptr);
      return TRUE;
    case DLL_PROCESS_ATTACH: {
      char userName[kUserNameSize];
      DWORD size = kUserNameSize;
      if (GetUserNameA(userName, &size) == FALSE && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
        return FALSE;
      if (kovocom::ComponentModule::Current() != nullptr) return TRUE;  // attached already
      auto* module = new (std::nothrow) kovocom::ComponentModule(instance);
      if (module == nullptr) return FALSE;
      kovocom::ComponentModule::Exchange(module);
      return TRUE;
    }
    default:
      return TRUE;
  }
}

KOVOCOM_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& iid, void** out) {
  if (clsid != kovocom::CLSID_KovoComponent) return CLASS_E_CLASSNOTAVAILABLE;
  kovocom::ComponentModule* module = kovocom::ComponentModule::Current();
  if (module == nullptr) return E_UNEXPECTED;  // DllMain has not attached the library
  return kovocom::ComponentFactory::Create(module, iid, out);
}

KOVOCOM_EXPORT HRESULT DllCanUnloadNow() {
  const kovocom::ComponentModule* module = kovocom::ComponentModule::Current();
  return module == nullptr || module->CanUnload() ? S_OK : S_FALSE;
}

KOVOCOM_EXPORT HRESULT DllRegisterServer() {
  const kovocom::ComponentModule* module = kovocom::ComponentModule::Current();
  kovocom::RegisterServer(
      kovocom::ServerLibraryPath(module != nullptr ? module->instance() : nullptr));
  return S_OK;
}

KOVOCOM_EXPORT HRESULT DllUnregisterServer() {
  kovocom::UnregisterServer();
  return S_OK;
}
