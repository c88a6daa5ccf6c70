#include "kovocom/com_object.h"

namespace kovocom {

platform::HRESULT ComObject::QueryInterface(const platform::IID& iid, void** out) {
  if (out == nullptr) return platform::E_POINTER;
  *out = nullptr;
  platform::IUnknown* answer = iid == platform::IID_IUnknown ? this : OwnInterface(iid);
  if (answer == nullptr) return platform::E_NOINTERFACE;
  *out = answer;
  answer->AddRef();
  return platform::S_OK;
}

platform::ULONG ComObject::AddRef() {
  return references_.fetch_add(1) + 1;
}

platform::ULONG ComObject::Release() {
  const platform::ULONG left = references_.fetch_sub(1) - 1;
  if (left > 0) return left;
  // A reference held for the destruction, so that nothing in it can free
  // the object a second time.
  references_.store(1);
  ComponentModule* module = module_;
  delete this;
  // Counted off only now, so the server is never unloadable while the
  // object's destruction still runs its code.
  if (module != nullptr) module->ObjectDestroyed();
  return 0;
}

}  // namespace kovocom
