// Reading, writing and showing registry values as kovoreg needs them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace kovoreg {

struct Value {
  std::string name;  // empty for the default value
  uint32_t type = platform::REG_SZ;
  std::vector<uint8_t> data;
};

// The value `name` of `key`, or none (with *result set) when it cannot be read.
std::optional<Value> ReadValue(platform::HKEY key, const std::string& name, platform::LONG* result);
std::vector<Value> ReadValues(platform::HKEY key);
std::vector<std::string> SubKeyNames(platform::HKEY key);

// "REG_SZ", "REG_DWORD", "REG_BINARY", or "REG_<number>".
std::string TypeName(uint32_t type);
std::optional<uint32_t> ParseTypeName(const std::string& name);
// The value as reg query shows it: text, 0x%x, or hex digits.
std::string ShowData(const Value& value);
// Builds a value's bytes from the text given on the command line: a text
// (stored with its terminating zero), a decimal or 0x number, hex digits.
std::optional<std::vector<uint8_t>> ParseData(uint32_t type, const std::string& text);

}  // namespace kovoreg
