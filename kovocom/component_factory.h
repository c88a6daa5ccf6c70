// ComponentFactory: the class factory of KovoComponent. CreateInstance
// picks the object by the interface asked for (ICaptureBoard, IPlaceholder,
// IDriverLink, IDriverLinkEx); the caller owns the reference it gets. The
// factory and its objects count themselves on the module record, which must
// outlive them.
#pragma once

#include "kovocom/com_object.h"
#include "kovocom/nested_part.h"

namespace kovocom {

class ComponentFactory final : public ComObject {
 public:
  // DllGetClassObject's work: creates a factory on `module` and stores its
  // interface `iid` in *out; the factory is freed again when that fails.
  static platform::HRESULT Create(ComponentModule* module, const platform::IID& iid, void** out);

 private:
  class Factory final : public NestedPart<platform::IClassFactory> {
   public:
    Factory(platform::IUnknown* controlling, ComponentModule* module)
        : NestedPart(controlling), module_(module) {}
    // E_NOINTERFACE for IUnknown and unknown interfaces; an outer unknown
    // is refused (CLASS_E_NOAGGREGATION) unless IUnknown is asked for.
    platform::HRESULT CreateInstance(platform::IUnknown* outer, const platform::IID& iid,
                                     void** out) override;
    platform::HRESULT LockServer(platform::BOOL lock) override;

   private:
    ComponentModule* const module_;
  };

  explicit ComponentFactory(ComponentModule* module) : ComObject(module), factory_(this, module) {}
  platform::IUnknown* OwnInterface(const platform::IID& iid) override;

  Factory factory_;
};

}  // namespace kovocom
