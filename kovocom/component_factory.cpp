#include "kovocom/component_factory.h"

#include <new>

#include "kovocom/capture_board_object.h"
#include "kovocom/driver_link_ex_object.h"
#include "kovocom/driver_link_object.h"
#include "kovocom/kovo_component.h"
#include "kovocom/placeholder_object.h"

namespace kovocom {
namespace {

// Counts a new object on `module` and asks it for `iid`; an object that
// refuses is released at once, which counts it off again.
platform::HRESULT HandOut(platform::IUnknown* object, ComponentModule* module,
                          const platform::IID& iid, void** out) {
  if (module != nullptr) module->ObjectCreated();
  const platform::HRESULT result = object->QueryInterface(iid, out);
  if (platform::FAILED(result)) {
    object->AddRef();
    object->Release();
  }
  return result;
}

template <class Object>
platform::HRESULT Make(platform::IUnknown* outer, ComponentModule* module, const platform::IID& iid,
                       void** out) {
  Object* object = new (std::nothrow) Object(outer, module);
  if (object == nullptr) return platform::E_OUTOFMEMORY;
  return HandOut(object, module, iid, out);
}

}  // namespace

platform::HRESULT ComponentFactory::Create(ComponentModule* module, const platform::IID& iid,
                                           void** out) {
  if (out == nullptr) return platform::E_POINTER;
  ComponentFactory* factory = new (std::nothrow) ComponentFactory(module);
  if (factory == nullptr) return platform::E_OUTOFMEMORY;
  return HandOut(factory, module, iid, out);
}

platform::IUnknown* ComponentFactory::OwnInterface(const platform::IID& iid) {
  return iid == platform::IID_IClassFactory ? &factory_ : nullptr;
}

platform::HRESULT ComponentFactory::Factory::CreateInstance(platform::IUnknown* outer,
                                                            const platform::IID& iid, void** out) {
  if (out == nullptr) return platform::E_POINTER;
  *out = nullptr;
  if (outer != nullptr && iid != platform::IID_IUnknown) return platform::CLASS_E_NOAGGREGATION;
  if (iid == IID_ICaptureBoard) return Make<CaptureBoardObject>(outer, module_, iid, out);
  if (iid == IID_IPlaceholder) return Make<PlaceholderObject>(outer, module_, iid, out);
  if (iid == IID_IDriverLink) return Make<DriverLinkObject>(outer, module_, iid, out);
  if (iid == IID_IDriverLinkEx) return Make<DriverLinkExObject>(outer, module_, iid, out);
  return platform::E_NOINTERFACE;
}

platform::HRESULT ComponentFactory::Factory::LockServer(platform::BOOL lock) {
  if (module_ != nullptr) {
    if (lock != platform::FALSE) {
      module_->Lock();
    } else {
      module_->Unlock();
    }
  }
  return platform::S_OK;
}

}  // namespace kovocom
