// libFuzzer entry point: looks values up in arbitrary bytes as the text of a
// profile file, into buffers of every small size. The first byte chooses
// the buffer size; the first two lines of the text also serve as a section
// and a key name, so that lookups find what the input holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/profile.h"

namespace {

void LookUp(std::string_view text, const std::string& section, const std::string& key,
            platform::DWORD size) {
  std::unique_ptr<char[]> buffer(size > 0 ? new char[size] : nullptr);
  const platform::DWORD copied = platform::GetProfileStringFromText(
      text, section.c_str(), key.c_str(), "default", buffer.get(), size);
  if (size == 0) {
    if (copied != 0) std::abort();
    return;
  }
  if (copied >= size || buffer[copied] != '\0') std::abort();
}

std::string Line(std::string_view* text) {
  size_t end = text->find('\n');
  std::string line(text->substr(0, end));
  *text = end == std::string_view::npos ? std::string_view() : text->substr(end + 1);
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const platform::DWORD bufferSize = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  LookUp(text, "Drivers", "VIDC.MJPG", bufferSize);
  std::string_view rest = text;
  std::string section = Line(&rest);
  if (section.size() > 2 && section.front() == '[') section = section.substr(1, section.size() - 2);
  const std::string line = Line(&rest);
  const std::string key = line.substr(0, line.find('='));
  LookUp(text, section, key, bufferSize);
  return 0;
}
