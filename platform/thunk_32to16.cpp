#include "platform/thunk_32to16.h"

#include <cstring>

#include "platform/byte_order.h"
#include "platform/module.h"
#include "platform/thunk_link.h"

namespace platform {
namespace {

// Fields of the library's block ("LS01"), 32-bit little-endian words.
constexpr size_t kChecksum = 4;
constexpr size_t kJumpTable = 8;
constexpr size_t kSignature2 = 12;
constexpr size_t kPatchArea1 = 28;
constexpr size_t kPatchArea2 = 32;
constexpr uint32_t kHeaderSize = 36;  // the patch areas follow the header
constexpr uint8_t kPatchFill = 0xCC;

static_assert(offsetof(ThunkData16, checksum) == 4 && offsetof(ThunkData16, signature2) == 8 &&
                  offsetof(ThunkData16, entryCount) == 12 && offsetof(ThunkData16, entries) == 16 &&
                  offsetof(ThunkData16, connect) == 24,
              "kovocom/THUNK.md gives this layout");

uint8_t* PatchArea(uint8_t* block, size_t field) {
  return block + ReadLE32(block + field);
}

template <typename T>
void WriteNative(uint8_t* at, T value) {
  std::memcpy(at, &value, sizeof value);
}
template <typename T>
T ReadNative(const uint8_t* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

DWORD Dispatch(const void* thunkData32, DWORD entry, const DWORD* arguments, DWORD count) {
  const SEGPTR table = ReadLE32(static_cast<const uint8_t*>(thunkData32) + kJumpTable);
  if (table == 0 || entry >= kMaxThunkEntries) return 0;
  // The jump table's segment ends with its last entry, so MapSL refuses an
  // entry number past it.
  const void* slot = MapSL(table + entry * static_cast<DWORD>(sizeof(ThunkEntry16)));
  if (slot == nullptr) return 0;
  ThunkEntry16 function = ReadNative<ThunkEntry16>(static_cast<const uint8_t*>(slot));
  return function != nullptr ? function(arguments, count) : 0;
}

bool SameBlocks(const uint8_t* ours, const ThunkData16& theirs) {
  return std::memcmp(ours, theirs.signature, 4) == 0 &&
         ReadLE32(ours + kChecksum) == theirs.checksum &&
         std::memcmp(ours + kSignature2, theirs.signature2, 4) == 0 && theirs.entryCount > 0 &&
         theirs.entryCount <= kMaxThunkEntries && theirs.entries != nullptr;
}

BOOL Connect(uint8_t* block, const char* thunkData16Name, const char* partnerFile) {
  if (ReadLE32(block + kJumpTable) != 0) return TRUE;  // already connected
  if (ReadLE32(block + kPatchArea1) < kHeaderSize || ReadLE32(block + kPatchArea2) < kHeaderSize)
    return FALSE;
  HINSTANCE partner = LoadLibraryA(partnerFile, block);
  if (partner == nullptr) return FALSE;
  const auto* theirs = static_cast<const ThunkData16*>(GetProcAddress(partner, thunkData16Name));
  uint16_t selector = 0;
  if (theirs != nullptr && SameBlocks(block, *theirs)) {
    const uint32_t tableSize = theirs->entryCount * static_cast<uint32_t>(sizeof(ThunkEntry16));
    selector = AllocSelectorFor(theirs->entries, tableSize - 1);
  }
  if (selector != 0 && theirs->connect != nullptr && theirs->connect(DLL_PROCESS_ATTACH) == FALSE) {
    FreeSelectorFor(selector);
    selector = 0;
  }
  if (selector == 0) {
    FreeLibrary(partner);
    return FALSE;
  }
  WriteLE32(block + kJumpTable, static_cast<SEGPTR>(selector) << 16);
  WriteNative<ThunkDispatcher>(PatchArea(block, kPatchArea1), &Dispatch);
  WriteNative<HINSTANCE>(PatchArea(block, kPatchArea2), partner);
  return TRUE;
}

void Disconnect(uint8_t* block, const char* thunkData16Name) {
  const SEGPTR table = ReadLE32(block + kJumpTable);
  if (table == 0) return;
  HINSTANCE partner = ReadNative<HINSTANCE>(PatchArea(block, kPatchArea2));
  const auto* theirs = static_cast<const ThunkData16*>(GetProcAddress(partner, thunkData16Name));
  if (theirs != nullptr && theirs->connect != nullptr) theirs->connect(DLL_PROCESS_DETACH);
  FreeSelectorFor(static_cast<uint16_t>(table >> 16));
  WriteLE32(block + kJumpTable, 0);
  std::memset(PatchArea(block, kPatchArea1), kPatchFill, sizeof(ThunkDispatcher));
  std::memset(PatchArea(block, kPatchArea2), kPatchFill, sizeof(HINSTANCE));
  FreeLibrary(partner);
}

}  // namespace

ThunkDispatcher ConnectedDispatcher(const void* thunkData32) {
  const auto* block = static_cast<const uint8_t*>(thunkData32);
  if (block == nullptr || ReadLE32(block + kJumpTable) == 0) return nullptr;
  return ReadNative<ThunkDispatcher>(block + ReadLE32(block + kPatchArea1));
}

SEGPTR SMapLS_IP_EBP_8(const void* flat) {
  return MapLS(flat);
}
SEGPTR SMapLS_IP_EBP_12(const void* flat) {
  return MapLS(flat);
}
SEGPTR SMapLS_IP_EBP_16(const void* flat) {
  return MapLS(flat);
}
void SUnMapLS_IP_EBP_8(SEGPTR segmented) {
  UnMapLS(segmented);
}
void SUnMapLS_IP_EBP_12(SEGPTR segmented) {
  UnMapLS(segmented);
}
void SUnMapLS_IP_EBP_16(SEGPTR segmented) {
  UnMapLS(segmented);
}

namespace thunk_link {

BOOL Connect32To16(void* thunkData32, const char* thunkData16Name, const char* partnerFile,
                   const char*, HINSTANCE, DWORD reason) {
  auto* block = static_cast<uint8_t*>(thunkData32);
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return Connect(block, thunkData16Name, partnerFile);
    case DLL_PROCESS_DETACH:
      Disconnect(block, thunkData16Name);
      return TRUE;
    default:
      return ReadLE32(block + kJumpTable) != 0 ? TRUE : FALSE;
  }
}

}  // namespace thunk_link
}  // namespace platform
