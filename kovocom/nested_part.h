// NestedPart: the base of the interface part of every object of the server.
// Its three IUnknown slots forward each call unchanged to the object's
// controlling unknown (the object's own outer part, or the outer unknown it
// was created with) and return what that returns. The part lives inside its
// object and is freed with it.
#pragma once

#include "platform/component.h"

namespace kovocom {

template <class Interface>
class NestedPart : public Interface {
 public:
  explicit NestedPart(platform::IUnknown* controlling) : controlling_(controlling) {}
  NestedPart(const NestedPart&) = delete;
  NestedPart& operator=(const NestedPart&) = delete;

  platform::HRESULT QueryInterface(const platform::IID& iid, void** out) final {
    return controlling_->QueryInterface(iid, out);
  }
  platform::ULONG AddRef() final { return controlling_->AddRef(); }
  platform::ULONG Release() final { return controlling_->Release(); }

 protected:
  ~NestedPart() = default;

 private:
  platform::IUnknown* const controlling_;
};

}  // namespace kovocom
