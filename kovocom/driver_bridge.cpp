#include "kovocom/driver_bridge.h"

#include "platform/thunk_32to16.h"

// As the thunk compiler lays the block out; the connection fills in the
// jump table address and the patch areas.
// clang-format off
uint8_t thk_ThunkData32[100] = {
    'L', 'S', '0', '1',                      // signature
    0x30, 0x1D, 0x03, 0x00,                  // script checksum 0x31D30
    0, 0, 0, 0,                              // 16:16 address of the jump table
    'L', 'B', '0', '1',                      // second signature
    0, 0, 0, 0,                              // flags
    0, 0, 0, 0, 0, 0, 0, 0,                  // reserved
    0x24, 0, 0, 0,                           // offset of the first patch area
    0x44, 0, 0, 0,                           // offset of the second patch area
    // first patch area
    0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC,
    0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC,
    0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC,
    0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC,
    // second patch area
    0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC,
    0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC,
    0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC,
    0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC,
};
// clang-format on

namespace kovocom {
namespace {

constexpr int kMaxArguments = 3;

// The mapping calls by argument position.
constexpr platform::SEGPTR (*kMap[kMaxArguments])(const void*) = {
    platform::SMapLS_IP_EBP_8, platform::SMapLS_IP_EBP_12, platform::SMapLS_IP_EBP_16};
constexpr void (*kUnmap[kMaxArguments])(platform::SEGPTR) = {
    platform::SUnMapLS_IP_EBP_8, platform::SUnMapLS_IP_EBP_12, platform::SUnMapLS_IP_EBP_16};

}  // namespace

platform::DWORD CallEntry(KvthunkEntry entry, std::initializer_list<EntryArgument> arguments) {
  platform::DWORD values[kMaxArguments] = {};
  platform::DWORD count = 0;
  for (const EntryArgument& argument : arguments) {
    if (count == kMaxArguments) break;
    values[count] = argument.pointer ? kMap[count](argument.flat) : argument.value;
    ++count;
  }
  platform::DWORD result = 0;
  if (platform::ThunkDispatcher dispatch = platform::ConnectedDispatcher(thk_ThunkData32))
    result = dispatch(thk_ThunkData32, entry, values, count);
  platform::DWORD position = 0;
  for (const EntryArgument& argument : arguments) {
    if (position == count) break;
    if (argument.pointer) kUnmap[position](values[position]);
    ++position;
  }
  return result;
}

}  // namespace kovocom
