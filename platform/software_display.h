// The process's one software screen behind the display layer: the
// framebuffer that primary surfaces show, the video memory budget of overlay
// surfaces, which DirectDraw object holds the screen exclusively, and the
// arranged failures and call counts of display_control.h.
//
// The display owns the framebuffer, which outlives every surface. It knows
// the live surfaces and DirectDraw objects without owning them: each
// registers itself when made and unregisters when freed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/display_control.h"

namespace platform {

class SoftwareSurface;

class SoftwareDisplay {
 public:
  static SoftwareDisplay& Get();

  SoftwareDisplay(const SoftwareDisplay&) = delete;
  SoftwareDisplay& operator=(const SoftwareDisplay&) = delete;

  DWORD width() const { return width_; }
  DWORD height() const { return height_; }
  LONG pitch() const { return pitch_; }
  uint8_t* framebuffer() { return framebuffer_.data(); }
  // See display_control::ConfigureScreen.
  bool Configure(DWORD width, DWORD height);

  // Takes `bytes` of video memory for an overlay; false when it is used up.
  bool ReserveVideoMemory(size_t bytes);
  void ReleaseVideoMemory(size_t bytes);
  DWORD videoMemoryTotal() const;
  DWORD videoMemoryFree() const;

  // The object that holds the screen exclusively, or null.
  const void* exclusiveOwner() const { return exclusiveOwner_; }
  void set_exclusiveOwner(const void* owner) { exclusiveOwner_ = owner; }

  void AddSurface(SoftwareSurface* surface);
  void RemoveSurface(SoftwareSurface* surface);
  const std::vector<SoftwareSurface*>& surfaces() const { return surfaces_; }
  void AddDirectDraw() { ++directDraws_; }
  void RemoveDirectDraw() { --directDraws_; }
  int directDraws() const { return directDraws_; }

  // Counts one call of `call`; true when a failure was arranged for it, with
  // the result to answer in *result (and for CreateSurface *storesSurface).
  bool Arranged(display_control::DisplayCall call, HRESULT* result, bool* storesSurface = nullptr);
  void Arrange(display_control::DisplayCall call, HRESULT result, int times, bool storesSurface);
  int CallCount(display_control::DisplayCall call) const;

  display_control::UpdateOverlayCall& lastUpdateOverlay() { return lastUpdateOverlay_; }

  void Reset();

 private:
  SoftwareDisplay();

  struct Arrangement {
    HRESULT result = 0;
    int times = 0;
    bool storesSurface = false;
  };

  DWORD width_ = 0;
  DWORD height_ = 0;
  LONG pitch_ = 0;
  std::vector<uint8_t> framebuffer_;
  size_t videoMemoryUsed_ = 0;
  const void* exclusiveOwner_ = nullptr;
  std::vector<SoftwareSurface*> surfaces_;
  int directDraws_ = 0;
  std::array<Arrangement, display_control::kDisplayCallCount> arranged_{};
  std::array<int, display_control::kDisplayCallCount> counts_{};
  display_control::UpdateOverlayCall lastUpdateOverlay_;
};

// Rounds a line's byte count up to the display's pitch alignment (64 bytes).
LONG AlignedPitch(size_t lineBytes);

}  // namespace platform
