#include "platform/component.h"

#include <cstddef>

namespace platform {

void FormatGUID(const GUID& guid, char (&text)[39]) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  int at = 0;
  auto put = [&](uint32_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
      text[at++] = kHex[(value >> shift) & 15];
  };
  text[at++] = '{';
  put(guid.Data1, 8);
  text[at++] = '-';
  put(guid.Data2, 4);
  text[at++] = '-';
  put(guid.Data3, 4);
  text[at++] = '-';
  put(guid.Data4[0], 2);
  put(guid.Data4[1], 2);
  text[at++] = '-';
  for (int i = 2; i < 8; ++i) put(guid.Data4[i], 2);
  text[at++] = '}';
  text[at] = '\0';
}

int StringFromGUID2(const GUID& guid, OLECHAR* text, int size) {
  char ascii[39];
  FormatGUID(guid, ascii);
  if (text == nullptr || size < static_cast<int>(sizeof ascii)) return 0;
  for (std::size_t i = 0; i < sizeof ascii; ++i) text[i] = static_cast<OLECHAR>(ascii[i]);
  return static_cast<int>(sizeof ascii);
}

}  // namespace platform
