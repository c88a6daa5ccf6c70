// RegistryValue: one stored setting of the converter in the settings store,
// with the key path, value name and kind it lives at, and the size limits
// the converter keeps to. Settings holds the four the converter uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace ui {

class RegistryValue {
 public:
  RegistryValue(bool perUser, const char* keyPath, const char* valueName, uint32_t kind)
      : perUser_(perUser), keyPath_(keyPath), valueName_(valueName), kind_(kind) {}

  // Reads the value into `buffer` of `size` bytes; false when it is missing
  // or larger than the buffer (the buffer is then not to be used).
  bool Load(void* buffer, uint32_t size) const;
  // Writes a text with its terminating zero; a text of more than 100
  // characters is not written (false; the previous value stays).
  bool StoreText(const std::string& text) const;
  bool StoreNumber(uint32_t value) const;

 private:
  bool Store(const uint8_t* data, uint32_t size) const;

  bool perUser_;
  const char* keyPath_;
  const char* valueName_;
  uint32_t kind_;
};

// The converter's four settings.
struct Settings {
  static const RegistryValue& Mode();           // REG_DWORD, the mode index
  static const RegistryValue& LastDirectory();  // REG_SZ, the input file dialog's folder
  static const RegistryValue& LastOutputDir();  // REG_SZ, the output file dialog's folder
  static const RegistryValue& Language();       // REG_SZ, "ENG", "GER" or "FRE"
};

}  // namespace ui
