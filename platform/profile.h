// GetPrivateProfileStringA: values from Windows-style profile (INI) files.
//
// A profile file is lines of text: "[Section]" opens a section, "key=value"
// sets a key in the section above it, a line whose first non-blank
// character is ';' is a comment, every other line is ignored. Section and
// key names are compared without regard to ASCII case; blanks around names
// and values are dropped, and so is one pair of matching quotes ('...' or
// "...") around a value. The first section of a name and the first key of a
// name within it count; later ones are ignored.
//
// A file name without a slash names a file in the Windows folder: the folder
// that $KOVO_WINDOWS_DIR names, default /etc/kovo. If no file there has the
// exact name, a file whose name differs only in case is used
// ("SYSTEM.INI" finds "system.ini").
#pragma once

#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

// Copies the value of `key` in `section` of `fileName` into `buffer` of
// `size` characters, or `defaultValue` (none: "", trailing blanks dropped)
// when the file, the section or the key is missing. A value longer than
// `size` - 1 characters is cut to `size` - 1. The copy is always
// zero-terminated; the result is the number of characters copied, zero not
// counted. A null `buffer` or a `size` of 0 copies nothing and answers 0.
// Listing sections or keys (a null `section` or `key`) is not offered: the
// buffer gets the empty text and the result is 0.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD size, const char* fileName);

// The same lookup over the text of a profile file held in memory.
DWORD GetProfileStringFromText(std::string_view text, const char* section, const char* key,
                               const char* defaultValue, char* buffer, DWORD size);

// The Windows folder ($KOVO_WINDOWS_DIR, default /etc/kovo).
std::string WindowsDirectory();

}  // namespace platform
