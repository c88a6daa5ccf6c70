// DriverLinkObject: a KovoComponent object that holds a link handle from
// the partner (entry 11 at construction, given back to entry 10 when the
// object is destroyed) and passes two kinds of request over it
// (IDriverLink). Without a link handle it does not offer IDriverLink, so the
// factory discards it.
#pragma once

#include "kovocom/com_object.h"
#include "kovocom/kovo_component.h"
#include "kovocom/nested_part.h"

namespace kovocom {

class DriverLinkObject final : public ComObject {
 public:
  DriverLinkObject(IUnknown* outer, ComponentModule* module);

 private:
  class Link final : public NestedPart<IDriverLink> {
   public:
    explicit Link(IUnknown* controlling) : NestedPart(controlling) {}
    HRESULT Request7(void* record) override;
    HRESULT Request6(DWORD value) override;

    DWORD linkHandle = 0;
  };

  ~DriverLinkObject() override;
  IUnknown* OwnInterface(const platform::IID& iid) override;

  Link link_;
};

}  // namespace kovocom
