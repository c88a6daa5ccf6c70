#include "kovocom/component_module.h"

namespace kovocom {
namespace {

std::atomic<ComponentModule*> current{nullptr};

}  // namespace

ComponentModule* ComponentModule::Current() {
  return current.load();
}

ComponentModule* ComponentModule::Exchange(ComponentModule* module) {
  return current.exchange(module);
}

}  // namespace kovocom
