#include "kovoreg/reg_file.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "kovoreg/key_path.h"
#include "kovoreg/values.h"

namespace kovoreg {
namespace {

using namespace platform;

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";

std::string Quote(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Hex(const std::vector<uint8_t>& data) {
  std::string hex;
  for (size_t i = 0; i < data.size(); ++i) {
    char two[4];
    std::snprintf(two, sizeof two, "%02x", data[i]);
    if (i != 0) hex += ',';
    hex += two;
  }
  return hex;
}

std::string ExportLine(const Value& value) {
  std::string line = value.name.empty() ? "@" : Quote(value.name);
  line += '=';
  if (value.type == REG_SZ && (value.data.empty() || value.data.back() == 0)) {
    std::string text(value.data.begin(), value.data.end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return line + Quote(text);
  }
  if (value.type == REG_DWORD && value.data.size() == 4) {
    char text[16];
    const uint32_t v = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                       static_cast<uint32_t>(value.data[3]) << 24;
    std::snprintf(text, sizeof text, "dword:%08x", v);
    return line + text;
  }
  if (value.type == REG_BINARY) return line + "hex:" + Hex(value.data);
  return line + "hex(" + std::to_string(value.type) + "):" + Hex(value.data);
}

void ExportTree(HKEY key, const std::string& path, std::ostream& out) {
  out << "[" << path << "]\r\n";
  for (const Value& value : ReadValues(key)) out << ExportLine(value) << "\r\n";
  out << "\r\n";
  for (const std::string& name : SubKeyNames(key)) {
    HKEY child = nullptr;
    if (RegOpenKeyA(key, name.c_str(), &child) != ERROR_SUCCESS) continue;
    ExportTree(child, path + "\\" + name, out);
    RegCloseKey(child);
  }
}

// Reads a quoted string at `at`, undoing the escapes; advances `at`.
bool Unquote(const std::string& line, size_t* at, std::string* text) {
  if (*at >= line.size() || line[*at] != '"') return false;
  text->clear();
  for (size_t i = *at + 1; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      *text += line[++i];
    } else if (line[i] == '"') {
      *at = i + 1;
      return true;
    } else {
      *text += line[i];
    }
  }
  return false;
}

bool ParseHexList(const std::string& text, std::vector<uint8_t>* data) {
  data->clear();
  std::string digits;
  for (char c : text) {
    if (c == ',' || c == ' ') {
      if (!digits.empty()) {
        if (digits.size() > 2) return false;
        data->push_back(static_cast<uint8_t>(std::stoul(digits, nullptr, 16)));
        digits.clear();
      }
    } else if (std::isxdigit(static_cast<unsigned char>(c))) {
      digits += c;
    } else {
      return false;
    }
  }
  if (!digits.empty()) {
    if (digits.size() > 2) return false;
    data->push_back(static_cast<uint8_t>(std::stoul(digits, nullptr, 16)));
  }
  return true;
}

// Parses the data after '=' of a value line; false when it is not valid.
bool ParseValueData(const std::string& data, Value* value, bool* remove) {
  *remove = data == "-";
  if (*remove) return true;
  if (!data.empty() && data[0] == '"') {
    size_t at = 0;
    std::string text;
    if (!Unquote(data, &at, &text) || at != data.size()) return false;
    value->type = REG_SZ;
    value->data.assign(text.begin(), text.end());
    value->data.push_back(0);
    return true;
  }
  if (data.rfind("dword:", 0) == 0) {
    const std::string digits = data.substr(6);
    if (digits.empty() || digits.size() > 8 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      return false;
    }
    const auto v = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
    value->type = REG_DWORD;
    value->data = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                   static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    return true;
  }
  if (data.rfind("hex:", 0) == 0) {
    value->type = REG_BINARY;
    return ParseHexList(data.substr(4), &value->data);
  }
  if (data.rfind("hex(", 0) == 0) {
    const size_t close = data.find("):");
    if (close == std::string::npos) return false;
    const std::string kind = data.substr(4, close - 4);
    if (kind.empty() || kind.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos ||
        kind.size() > 8) {
      return false;
    }
    value->type = static_cast<uint32_t>(std::stoul(kind, nullptr, 16));
    return ParseHexList(data.substr(close + 2), &value->data);
  }
  return false;
}

}  // namespace

std::string ExportKey(const std::string& keyText, const std::string& file) {
  const std::optional<KeyPath> path = ParseKeyPath(keyText);
  if (!path) return "'" + keyText + "' does not start with HKCU, HKLM or HKCR";
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyA(path->root, path->subKey.c_str(), &key);
  if (opened != ERROR_SUCCESS)
    return "cannot open '" + path->Full() + "': " + DescribeResult(opened);
  std::ostringstream text;
  text << kHeader << "\r\n\r\n";
  ExportTree(key, path->Full(), text);
  RegCloseKey(key);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text.str();
  out.close();
  if (!out) return "cannot write '" + file + "'";
  return "";
}

std::string ImportFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return "cannot read '" + file + "'";
  std::vector<std::string> lines;
  std::string line;
  std::string pending;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // A line ending in a backslash goes on in the next one (long hex lists).
    if (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos) {
      pending += line.substr(0, line.size() - 1);
      continue;
    }
    if (!pending.empty()) {
      size_t first = line.find_first_not_of(' ');
      line = pending + (first == std::string::npos ? "" : line.substr(first));
      pending.clear();
    }
    lines.push_back(line);
  }
  if (lines.empty() || (lines[0] != kHeader && lines[0] != "REGEDIT4")) {
    return "'" + file + "' is not a registry file (its first line must be \"" + kHeader + "\")";
  }
  HKEY current = nullptr;
  std::string error;
  for (size_t i = 1; i < lines.size() && error.empty(); ++i) {
    const std::string& text = lines[i];
    const std::string where = file + ":" + std::to_string(i + 1) + ": ";
    if (text.empty() || text[0] == ';') continue;
    if (text[0] == '[') {
      if (current != nullptr) RegCloseKey(current);
      current = nullptr;
      if (text.back() != ']') {
        error = where + "a key line ends in ']'";
        break;
      }
      const bool remove = text.size() > 2 && text[1] == '-';
      const std::string keyText = text.substr(remove ? 2 : 1, text.size() - (remove ? 3 : 2));
      const std::optional<KeyPath> path = ParseKeyPath(keyText);
      if (!path) {
        error = where + "'" + keyText + "' does not start with HKCU, HKLM or HKCR";
        break;
      }
      const LONG result = remove ? RegDeleteTreeA(path->root, path->subKey.c_str())
                                 : RegCreateKeyA(path->root, path->subKey.c_str(), &current);
      if (result != ERROR_SUCCESS && !(remove && result == ERROR_FILE_NOT_FOUND)) {
        error = where + "cannot " + (remove ? "delete" : "create") + " '" + path->Full() +
                "': " + DescribeResult(result);
      }
      continue;
    }
    if (current == nullptr) {
      error = where + "a value line before any [key] line";
      break;
    }
    Value value;
    size_t at = 0;
    if (text[0] == '@') {
      at = 1;
    } else if (!Unquote(text, &at, &value.name)) {
      error = where + "a value name must be quoted, or @ for the default value";
      break;
    }
    if (at >= text.size() || text[at] != '=') {
      error = where + "'=' expected after the value name";
      break;
    }
    bool remove = false;
    if (!ParseValueData(text.substr(at + 1), &value, &remove)) {
      error = where + "the value's data is not \"text\", dword:, hex: or hex(n):";
      break;
    }
    const LONG result =
        remove ? RegDeleteValueA(current, value.name.c_str())
               : RegSetValueExA(current, value.name.c_str(), 0, value.type, value.data.data(),
                                static_cast<uint32_t>(value.data.size()));
    if (result != ERROR_SUCCESS && !(remove && result == ERROR_FILE_NOT_FOUND)) {
      error = where + "cannot set the value: " + DescribeResult(result);
    }
  }
  if (current != nullptr) RegCloseKey(current);
  return error;
}

}  // namespace kovoreg
