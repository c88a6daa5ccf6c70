// ComponentModule: the server's per-process record, created by DllMain at
// process attach and destroyed at process detach; Current() refers to it
// in between. It counts the live class factories and objects and the
// LockServer locks; the server may be unloaded when both counts are 0.
// Every factory and object keeps a pointer to it, so it must outlive them.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/win_types.h"

namespace kovocom {

class ComponentModule {
 public:
  explicit ComponentModule(platform::HINSTANCE instance) : instance_(instance) {}
  ComponentModule(const ComponentModule&) = delete;
  ComponentModule& operator=(const ComponentModule&) = delete;

  // The record of this process, null before attach and after detach.
  static ComponentModule* Current();
  // Makes `module` the current record and returns the one it replaces.
  static ComponentModule* Exchange(ComponentModule* module);

  // The server library's own module handle, as DllMain received it.
  platform::HINSTANCE instance() const { return instance_; }

  // Count a factory or object created or destroyed, atomically.
  void ObjectCreated() { objectCount_.fetch_add(1); }
  void ObjectDestroyed() { objectCount_.fetch_sub(1); }
  // Count a LockServer(TRUE) or LockServer(FALSE), atomically.
  void Lock() { lockCount_.fetch_add(1); }
  void Unlock() { lockCount_.fetch_sub(1); }

  int32_t objectCount() const { return objectCount_.load(); }
  int32_t lockCount() const { return lockCount_.load(); }
  // True when no factory or object lives and no lock is held.
  bool CanUnload() const { return objectCount() == 0 && lockCount() == 0; }

 private:
  const platform::HINSTANCE instance_;
  std::atomic<int32_t> objectCount_{0};
  std::atomic<int32_t> lockCount_{0};
};

}  // namespace kovocom
