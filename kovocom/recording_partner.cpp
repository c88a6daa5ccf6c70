// The recording stand-in for KVTHUNK (see recording_partner.h).
#include "kovocom/recording_partner.h"

#include <array>
#include <utility>

#include "platform/thunk_32to16.h"

namespace {

kovocom::RecordingPartner recorder;

template <platform::DWORD kEntry>
platform::DWORD RecordingEntry(const platform::DWORD* arguments, platform::DWORD count) {
  return recorder.Record(kEntry, arguments, count);
}

template <platform::DWORD... kEntries>
constexpr auto MakeEntries(std::integer_sequence<platform::DWORD, kEntries...>) {
  return std::array<platform::ThunkEntry16, sizeof...(kEntries)>{&RecordingEntry<kEntries>...};
}

constexpr auto kEntries =
    MakeEntries(std::make_integer_sequence<platform::DWORD, kovocom::kEntryCount>());

platform::BOOL Connect(platform::DWORD reason) {
  return recorder.Connect(reason);
}

}  // namespace

extern "C" {
__attribute__((visibility("default")))
platform::ThunkData16 thk_ThunkData16 = {{'L', 'S', '0', '1'}, kovocom::kThunkScriptChecksum,
                                         {'L', 'B', '0', '1'}, kovocom::kEntryCount,
                                         kEntries.data(),      &Connect};

__attribute__((visibility("default"))) kovocom::RecordingPartner* KvthunkRecorder() {
  return &recorder;
}
}
