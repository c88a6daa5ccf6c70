// PlaceholderObject: a KovoComponent object that holds a link handle from
// the partner (entry 3 at construction, given back to entry 2 when the
// object is destroyed) and offers IPlaceholder, whose methods do nothing.
// Without a link handle it does not offer IPlaceholder, so the factory
// discards it.
#pragma once

#include "kovocom/com_object.h"
#include "kovocom/kovo_component.h"
#include "kovocom/nested_part.h"

namespace kovocom {

class PlaceholderObject final : public ComObject {
 public:
  PlaceholderObject(IUnknown* outer, ComponentModule* module);

 private:
  class Placeholder final : public NestedPart<IPlaceholder> {
   public:
    explicit Placeholder(IUnknown* controlling) : NestedPart(controlling) {}
    HRESULT Reserved3(DWORD, DWORD, DWORD) override { return 0; }
    HRESULT Reserved4(DWORD, DWORD, DWORD) override { return 0; }
    HRESULT Reserved5() override { return 0; }
    // Stores 0 through `out` (when given) and answers 1.
    HRESULT Reserved6(DWORD* out) override;
    HRESULT Reserved7(DWORD) override { return 0; }
    HRESULT Reserved8(DWORD) override { return 0; }
    HRESULT Reserved9() override { return 0; }
    HRESULT Reserved10() override { return 0; }
    HRESULT Reserved11() override { return 0; }

    DWORD linkHandle = 0;
  };

  ~PlaceholderObject() override;
  IUnknown* OwnInterface(const platform::IID& iid) override;

  Placeholder placeholder_;
};

}  // namespace kovocom
