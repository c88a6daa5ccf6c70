// ComObject: the outer part of every object of the server (the class
// factory and the four component objects). It implements IUnknown itself,
// holds the reference count and the module record, and answers
// QueryInterface for IUnknown (itself) and for the one interface that its
// derived class offers through OwnInterface. The last Release destroys the
// object (the derived destructor gives back what it holds) and then counts
// it off the module. Objects are created with new and freed only by Release.
#pragma once

#include <atomic>

#include "kovocom/component_module.h"
#include "platform/component.h"

namespace kovocom {

class ComObject : public platform::IUnknown {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  // Null in *out, then the answer with one reference: S_OK, or E_NOINTERFACE;
  // E_POINTER when `out` is null.
  platform::HRESULT QueryInterface(const platform::IID& iid, void** out) final;
  platform::ULONG AddRef() final;
  platform::ULONG Release() final;

 protected:
  // `module` may be null; then the object is counted nowhere.
  explicit ComObject(ComponentModule* module) : module_(module) {}
  virtual ~ComObject() = default;

  // The interface part for `iid` when it is the object's own interface and
  // the object offers it now; else null.
  virtual platform::IUnknown* OwnInterface(const platform::IID& iid) = 0;

  ComponentModule* module() const { return module_; }

 private:
  // Atomic, so that an object handed between threads keeps its count.
  std::atomic<platform::ULONG> references_{0};
  ComponentModule* const module_;
};

}  // namespace kovocom
