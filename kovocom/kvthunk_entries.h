// The contract with the 16-bit partner KVTHUNK: the script checksum both
// halves carry and the eighteen entry numbers, with each entry's argument
// count and which arguments are pointers (they cross as 16:16 pointers).
// kovocom calls the entries; a partner implements them.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace kovocom {

constexpr uint32_t kThunkScriptChecksum = 0x31D30;

enum KvthunkEntry : platform::DWORD {
  kRequest0 = 0,              // driver handle, value
  kRequest1 = 1,              // driver handle, record
  kClosePlaceholderLink = 2,  // link handle
  kOpenPlaceholderLink = 3,   // -> link handle
  kRequest4 = 4,              // link handle, record, value
  kRequest5 = 5,              // link handle, record, record
  kRequest6 = 6,              // link handle, value
  kRequest7 = 7,              // link handle, record
  kCloseDriverLinkEx = 8,     // link handle
  kOpenDriverLinkEx = 9,      // -> link handle
  kCloseDriverLink = 10,      // link handle
  kOpenDriverLink = 11,       // -> link handle
  kRequest12 = 12,            // driver handle, record
  kRequest13 = 13,            // driver handle, record
  kSubmitFormat = 14,         // driver handle, FormatRecord
  kRequest15 = 15,            // driver handle, record
  kCloseDriver = 16,          // driver handle
  kOpenDriver = 17,           // driver file name -> driver handle
  kEntryCount = 18,
};

// Arguments of each entry.
constexpr platform::DWORD kEntryArgumentCount[kEntryCount] = {2, 2, 1, 0, 3, 3, 2, 2, 1,
                                                              0, 1, 0, 2, 2, 2, 2, 1, 1};
// Bit i set: argument i (from 0) is a pointer.
constexpr uint32_t kEntryPointerArguments[kEntryCount] = {0, 2, 0, 0, 2, 6, 0, 2, 0,
                                                          0, 0, 0, 2, 2, 2, 2, 0, 1};

}  // namespace kovocom
