#include "converter-ui/registry_value.h"

namespace ui {
namespace {
constexpr size_t kLongestText = 100;
constexpr char kConverterKey[] = "Software\\Kovo Computer Products\\RUV Izadaveve";
constexpr char kLanguageKey[] = "Software\\Kovo Computer Products\\Montage";
}  // namespace

using namespace platform;

bool RegistryValue::Load(void* buffer, uint32_t size) const {
  HKEY key = nullptr;
  if (RegOpenKeyA(perUser_ ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, keyPath_, &key) !=
      ERROR_SUCCESS) {
    return false;
  }
  uint32_t read = size;
  const LONG result =
      RegQueryValueExA(key, valueName_, nullptr, nullptr, static_cast<uint8_t*>(buffer), &read);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool RegistryValue::Store(const uint8_t* data, uint32_t size) const {
  HKEY key = nullptr;
  const HKEY root = perUser_ ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  if (RegOpenKeyA(root, keyPath_, &key) != ERROR_SUCCESS &&
      RegCreateKeyA(root, keyPath_, &key) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result = RegSetValueExA(key, valueName_, 0, kind_, data, size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool RegistryValue::StoreText(const std::string& text) const {
  if (text.size() > kLongestText) return false;
  return Store(reinterpret_cast<const uint8_t*>(text.c_str()),
               static_cast<uint32_t>(text.size() + 1));
}

bool RegistryValue::StoreNumber(uint32_t value) const {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  return Store(bytes, 4);
}

const RegistryValue& Settings::Mode() {
  static const RegistryValue value(true, kConverterKey, "Mode", REG_DWORD);
  return value;
}
const RegistryValue& Settings::LastDirectory() {
  static const RegistryValue value(true, kConverterKey, "LastDirectory", REG_SZ);
  return value;
}
const RegistryValue& Settings::LastOutputDir() {
  static const RegistryValue value(true, kConverterKey, "LastOutputDir", REG_SZ);
  return value;
}
const RegistryValue& Settings::Language() {
  static const RegistryValue value(true, kLanguageKey, "Language", REG_SZ);
  return value;
}

}  // namespace ui
