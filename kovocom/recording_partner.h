// RecordingPartner: the state of the recording stand-in for the 16-bit
// partner KVTHUNK that the tests load (kovocom/recording/kvthunk.so). Its
// eighteen entries record every call, with pointer arguments turned back
// into flat pointers through MapSL, and answer the results a test sets; its
// connection hook answers what the test sets. The partner library owns the
// one instance, which a test reaches through the exported
// KvthunkRecorder() and which lives as long as the library is loaded.
// Everything is inline, so the test and the partner share one definition.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "kovocom/kovo_component.h"
#include "kovocom/kvthunk_entries.h"
#include "platform/selector_table.h"

namespace kovocom {

// One entry call as the partner saw it.
struct PartnerCall {
  platform::DWORD entry = 0;
  platform::DWORD count = 0;     // arguments received
  bool countAsScripted = false;  // count matches the entry's script
  platform::DWORD raw[3] = {};   // the arguments as they crossed
  const void* flat[3] = {};      // pointer arguments mapped back
  std::string name;              // entry 17: the driver file name
  FormatRecord format = {};      // entry 14: the record it got
};

class RecordingPartner {
 public:
  void Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
    for (platform::DWORD& result : results_) result = 0;
    acceptConnection_ = true;
    attaches_ = detaches_ = 0;
  }
  // Sets what entry `entry` answers from now on.
  void SetResult(platform::DWORD entry, platform::DWORD result) {
    std::lock_guard<std::mutex> lock(mutex_);
    results_[entry] = result;
  }
  void SetAcceptConnection(bool accept) {
    std::lock_guard<std::mutex> lock(mutex_);
    acceptConnection_ = accept;
  }
  std::vector<PartnerCall> Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }
  void ClearCalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
  }
  int attaches() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return attaches_;
  }
  int detaches() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return detaches_;
  }

  // The partner's side.
  platform::DWORD Record(platform::DWORD entry, const platform::DWORD* arguments,
                         platform::DWORD count) {
    PartnerCall call;
    call.entry = entry;
    call.count = count;
    call.countAsScripted = entry < kEntryCount && count == kEntryArgumentCount[entry];
    for (platform::DWORD i = 0; i < count && i < 3; ++i) {
      call.raw[i] = arguments[i];
      if (entry < kEntryCount && (kEntryPointerArguments[entry] >> i & 1) != 0)
        call.flat[i] = platform::MapSL(arguments[i]);
    }
    if (entry == kOpenDriver && call.flat[0] != nullptr)
      call.name = static_cast<const char*>(call.flat[0]);
    if (entry == kSubmitFormat && call.flat[1] != nullptr)
      call.format = *static_cast<const FormatRecord*>(call.flat[1]);
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
    return entry < kEntryCount ? results_[entry] : 0;
  }
  platform::BOOL Connect(platform::DWORD reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (reason == platform::DLL_PROCESS_DETACH) {
      ++detaches_;
      return platform::TRUE;
    }
    if (!acceptConnection_) return platform::FALSE;
    ++attaches_;
    return platform::TRUE;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<PartnerCall> calls_;
  platform::DWORD results_[kEntryCount] = {};
  bool acceptConnection_ = true;
  int attaches_ = 0;
  int detaches_ = 0;
};

}  // namespace kovocom
