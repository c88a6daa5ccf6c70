// DriverLinkExObject: a KovoComponent object that holds a link handle from
// the partner (entry 9 at construction, given back to entry 8 when the
// object is destroyed) and passes four kinds of request over it
// (IDriverLinkEx). Without a link handle it does not offer IDriverLinkEx,
// so the factory discards it.
#pragma once

#include "kovocom/com_object.h"
#include "kovocom/kovo_component.h"
#include "kovocom/nested_part.h"

namespace kovocom {

class DriverLinkExObject final : public ComObject {
 public:
  DriverLinkExObject(IUnknown* outer, ComponentModule* module);

 private:
  class Link final : public NestedPart<IDriverLinkEx> {
   public:
    explicit Link(IUnknown* controlling) : NestedPart(controlling) {}
    HRESULT Request5(void* record, void* secondRecord) override;
    HRESULT Request4(void* record, DWORD value) override;
    HRESULT Request7(void* record) override;
    HRESULT Request6(DWORD value) override;

    DWORD linkHandle = 0;
  };

  ~DriverLinkExObject() override;
  IUnknown* OwnInterface(const platform::IID& iid) override;

  Link link_;
};

}  // namespace kovocom
