#include "convert/text_format.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace convert {

void AppendFormat(std::string* out, const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int needed = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (needed < 0) {
    va_end(again);
    return;
  }
  if (static_cast<size_t>(needed) < sizeof small) {
    out->append(small, std::strlen(small));
  } else {
    std::vector<char> large(static_cast<size_t>(needed) + 1);
    std::vsnprintf(large.data(), large.size(), format, again);
    out->append(large.data(), std::strlen(large.data()));
  }
  va_end(again);
}

}  // namespace convert
