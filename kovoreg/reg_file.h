// Registry export files, in the usual text format of registry editors:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Kovo Computer Products\Montage]
//   "Language"="ENG"
//   @="default value"
//   "Mode"=dword:00000002
//   "Bytes"=hex:01,02,ff
//
// Export writes a key with every key below it; import creates the keys and
// sets the values it lists ("[-KEY]" deletes a key, "name"=- a value).
#pragma once

#include <string>

namespace kovoreg {

// Writes `key` (a full path with its root, e.g. "HKCU\Software\X") and all
// below it to `file`. Empty on success, else the error text.
std::string ExportKey(const std::string& key, const std::string& file);
// Applies the file. Empty on success, else the error text (naming the line).
std::string ImportFile(const std::string& file);

}  // namespace kovoreg
