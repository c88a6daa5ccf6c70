#include "kovoreg/values.h"

#include <cstdio>
#include <cstdlib>

namespace kovoreg {

using namespace platform;

std::optional<Value> ReadValue(HKEY key, const std::string& name, LONG* result) {
  Value value;
  value.name = name;
  uint32_t size = 0;
  *result = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
  if (*result != ERROR_SUCCESS) return std::nullopt;
  value.data.resize(size);
  *result = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
  if (*result != ERROR_SUCCESS) return std::nullopt;
  value.data.resize(size);
  return value;
}

std::vector<Value> ReadValues(HKEY key) {
  std::vector<Value> values;
  std::string name;
  for (uint32_t i = 0; RegEnumValue(key, i, &name) == ERROR_SUCCESS; ++i) {
    LONG result = ERROR_SUCCESS;
    if (auto value = ReadValue(key, name, &result)) values.push_back(*value);
  }
  return values;
}

std::vector<std::string> SubKeyNames(HKEY key) {
  std::vector<std::string> names;
  std::string name;
  for (uint32_t i = 0; RegEnumKey(key, i, &name) == ERROR_SUCCESS; ++i) names.push_back(name);
  return names;
}

std::string TypeName(uint32_t type) {
  switch (type) {
    case REG_SZ:
      return "REG_SZ";
    case REG_DWORD:
      return "REG_DWORD";
    case REG_BINARY:
      return "REG_BINARY";
    case REG_NONE:
      return "REG_NONE";
    default:
      return "REG_" + std::to_string(type);
  }
}

std::optional<uint32_t> ParseTypeName(const std::string& name) {
  if (name == "REG_SZ") return REG_SZ;
  if (name == "REG_DWORD") return REG_DWORD;
  if (name == "REG_BINARY") return REG_BINARY;
  return std::nullopt;
}

std::string ShowData(const Value& value) {
  if (value.type == REG_SZ) {
    std::string text(value.data.begin(), value.data.end());
    const size_t zero = text.find('\0');
    return zero == std::string::npos ? text : text.substr(0, zero);
  }
  if (value.type == REG_DWORD && value.data.size() == 4) {
    const uint32_t v = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                       static_cast<uint32_t>(value.data[3]) << 24;
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", v);
    return text;
  }
  std::string hex;
  for (uint8_t byte : value.data) {
    char two[3];
    std::snprintf(two, sizeof two, "%02X", byte);
    hex += two;
  }
  return hex;
}

std::optional<std::vector<uint8_t>> ParseData(uint32_t type, const std::string& text) {
  std::vector<uint8_t> data;
  if (type == REG_SZ) {
    data.assign(text.begin(), text.end());
    data.push_back(0);
    return data;
  }
  if (type == REG_DWORD) {
    if (text.empty()) return std::vector<uint8_t>(4, 0);
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (end == text.c_str() || *end != '\0' || v > 0xFFFFFFFFull || text[0] == '-')
      return std::nullopt;
    for (int i = 0; i < 4; ++i) data.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return data;
  }
  if (type == REG_BINARY) {
    if (text.size() % 2 != 0) return std::nullopt;
    for (size_t i = 0; i < text.size(); i += 2) {
      char* end = nullptr;
      const std::string two = text.substr(i, 2);
      const long v = std::strtol(two.c_str(), &end, 16);
      if (*end != '\0' || two[0] == '-' || two[0] == '+' || two[0] == ' ') return std::nullopt;
      data.push_back(static_cast<uint8_t>(v));
    }
    return data;
  }
  return std::nullopt;
}

}  // namespace kovoreg
