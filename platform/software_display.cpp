#include "platform/software_display.h"

#include <algorithm>

#include "platform/software_surface.h"

namespace platform {
namespace {

constexpr DWORD kDefaultWidth = 640;
constexpr DWORD kDefaultHeight = 480;
constexpr DWORD kMaxSide = 4096;
constexpr size_t kVideoMemory = 16u << 20;  // framebuffer and overlays together
constexpr size_t kPitchAlignment = 64;

size_t Index(display_control::DisplayCall call) {
  return static_cast<size_t>(call);
}

}  // namespace

LONG AlignedPitch(size_t lineBytes) {
  return static_cast<LONG>((lineBytes + kPitchAlignment - 1) / kPitchAlignment * kPitchAlignment);
}

SoftwareDisplay& SoftwareDisplay::Get() {
  static SoftwareDisplay* display = new SoftwareDisplay;  // lives until the process ends
  return *display;
}

SoftwareDisplay::SoftwareDisplay() {
  Configure(kDefaultWidth, kDefaultHeight);
}

bool SoftwareDisplay::Configure(DWORD width, DWORD height) {
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return false;
  if (std::any_of(surfaces_.begin(), surfaces_.end(),
                  [](const SoftwareSurface* s) { return s->primary(); }))
    return false;
  width_ = width;
  height_ = height;
  pitch_ = AlignedPitch(static_cast<size_t>(width) * 4);
  framebuffer_.assign(static_cast<size_t>(pitch_) * height, 0);
  return true;
}

bool SoftwareDisplay::ReserveVideoMemory(size_t bytes) {
  if (bytes > kVideoMemory - framebuffer_.size() - videoMemoryUsed_) return false;
  videoMemoryUsed_ += bytes;
  return true;
}

void SoftwareDisplay::ReleaseVideoMemory(size_t bytes) {
  videoMemoryUsed_ -= bytes;
}

DWORD SoftwareDisplay::videoMemoryTotal() const {
  return static_cast<DWORD>(kVideoMemory);
}

DWORD SoftwareDisplay::videoMemoryFree() const {
  return static_cast<DWORD>(kVideoMemory - framebuffer_.size() - videoMemoryUsed_);
}

void SoftwareDisplay::AddSurface(SoftwareSurface* surface) {
  surfaces_.push_back(surface);
}

void SoftwareDisplay::RemoveSurface(SoftwareSurface* surface) {
  surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), surface), surfaces_.end());
}

bool SoftwareDisplay::Arranged(display_control::DisplayCall call, HRESULT* result,
                               bool* storesSurface) {
  ++counts_[Index(call)];
  Arrangement& arrangement = arranged_[Index(call)];
  if (arrangement.times == 0) return false;
  --arrangement.times;
  *result = arrangement.result;
  if (storesSurface != nullptr) *storesSurface = arrangement.storesSurface;
  return true;
}

void SoftwareDisplay::Arrange(display_control::DisplayCall call, HRESULT result, int times,
                              bool storesSurface) {
  arranged_[Index(call)] = Arrangement{result, std::max(times, 0), storesSurface};
}

int SoftwareDisplay::CallCount(display_control::DisplayCall call) const {
  return counts_[Index(call)];
}

void SoftwareDisplay::Reset() {
  arranged_.fill(Arrangement{});
  counts_.fill(0);
  lastUpdateOverlay_ = {};
  if (!Configure(kDefaultWidth, kDefaultHeight))
    std::fill(framebuffer_.begin(), framebuffer_.end(), 0);
}

}  // namespace platform
