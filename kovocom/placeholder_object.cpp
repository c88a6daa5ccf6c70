#include "kovocom/placeholder_object.h"

#include "kovocom/driver_bridge.h"

namespace kovocom {

PlaceholderObject::PlaceholderObject(IUnknown* outer, ComponentModule* module)
    : ComObject(module), placeholder_(outer != nullptr ? outer : this) {
  placeholder_.linkHandle = CallEntry(kOpenPlaceholderLink, {});
}

PlaceholderObject::~PlaceholderObject() {
  if (placeholder_.linkHandle != 0) {
    CallEntry(kClosePlaceholderLink, {Value(placeholder_.linkHandle)});
    placeholder_.linkHandle = 0;
  }
}

platform::IUnknown* PlaceholderObject::OwnInterface(const platform::IID& iid) {
  return iid == IID_IPlaceholder && placeholder_.linkHandle != 0 ? &placeholder_ : nullptr;
}

HRESULT PlaceholderObject::Placeholder::Reserved6(DWORD* out) {
  if (out != nullptr) *out = 0;
  return 1;
}

}  // namespace kovocom
