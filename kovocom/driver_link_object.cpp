#include "kovocom/driver_link_object.h"

#include "kovocom/driver_bridge.h"

namespace kovocom {

DriverLinkObject::DriverLinkObject(IUnknown* outer, ComponentModule* module)
    : ComObject(module), link_(outer != nullptr ? outer : this) {
  link_.linkHandle = CallEntry(kOpenDriverLink, {});
}

DriverLinkObject::~DriverLinkObject() {
  if (link_.linkHandle != 0) {
    CallEntry(kCloseDriverLink, {Value(link_.linkHandle)});
    link_.linkHandle = 0;
  }
}

platform::IUnknown* DriverLinkObject::OwnInterface(const platform::IID& iid) {
  return iid == IID_IDriverLink && link_.linkHandle != 0 ? &link_ : nullptr;
}

HRESULT DriverLinkObject::Link::Request7(void* record) {
  return static_cast<HRESULT>(CallEntry(kRequest7, {Value(linkHandle), Pointer(record)}));
}

HRESULT DriverLinkObject::Link::Request6(DWORD value) {
  return static_cast<HRESULT>(CallEntry(kRequest6, {Value(linkHandle), Value(value)}));
}

}  // namespace kovocom
