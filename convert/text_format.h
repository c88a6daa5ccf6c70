// printf-style formatting into std::string, with the C-string rule that the
// map's formats rely on: a zero character produced by "%c" ends the text
// appended at that point.
#pragma once

#include <string>

namespace convert {

__attribute__((format(printf, 2, 3))) void AppendFormat(std::string* out, const char* format, ...);

}  // namespace convert
