#include "kovocom/driver_link_ex_object.h"

#include "kovocom/driver_bridge.h"

namespace kovocom {

DriverLinkExObject::DriverLinkExObject(IUnknown* outer, ComponentModule* module)
    : ComObject(module), link_(outer != nullptr ? outer : this) {
  link_.linkHandle = CallEntry(kOpenDriverLinkEx, {});
}

DriverLinkExObject::~DriverLinkExObject() {
  if (link_.linkHandle != 0) {
    CallEntry(kCloseDriverLinkEx, {Value(link_.linkHandle)});
    link_.linkHandle = 0;
  }
}

platform::IUnknown* DriverLinkExObject::OwnInterface(const platform::IID& iid) {
  return iid == IID_IDriverLinkEx && link_.linkHandle != 0 ? &link_ : nullptr;
}

HRESULT DriverLinkExObject::Link::Request5(void* record, void* secondRecord) {
  return static_cast<HRESULT>(
      CallEntry(kRequest5, {Value(linkHandle), Pointer(record), Pointer(secondRecord)}));
}

HRESULT DriverLinkExObject::Link::Request4(void* record, DWORD value) {
  return static_cast<HRESULT>(
      CallEntry(kRequest4, {Value(linkHandle), Pointer(record), Value(value)}));
}

HRESULT DriverLinkExObject::Link::Request7(void* record) {
  return static_cast<HRESULT>(CallEntry(kRequest7, {Value(linkHandle), Pointer(record)}));
}

HRESULT DriverLinkExObject::Link::Request6(DWORD value) {
  return static_cast<HRESULT>(CallEntry(kRequest6, {Value(linkHandle), Value(value)}));
}

}  // namespace kovocom
