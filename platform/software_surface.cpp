#include "platform/software_surface.h"

#include <algorithm>
#include <cstring>

#include "platform/software_direct_draw.h"
#include "platform/software_display.h"

namespace platform {

using display_control::DisplayCall;

namespace {

constexpr DWORD kMaxOverlaySide = 4096;
constexpr size_t kBytesPerVideoPixel = 2;  // both formats: 4 bytes per pair of pixels
uint8_t Channel(uint32_t colour, int shift) {
  return static_cast<uint8_t>(colour >> shift);
}

// True when every channel of `colour` lies between those of the key's low
// and high values.
bool Keyed(uint32_t colour, const DDCOLORKEY& key) {
  for (int shift : {0, 8, 16}) {
    const uint8_t c = Channel(colour, shift);
    if (c < Channel(key.dwColorSpaceLowValue, shift) ||
        c > Channel(key.dwColorSpaceHighValue, shift))
      return false;
  }
  return true;
}

}  // namespace

SoftwareSurface* SoftwareSurface::MakePrimary(SoftwareDirectDraw* owner) {
  const SoftwareDisplay& display = SoftwareDisplay::Get();
  return new SoftwareSurface(owner, display.width(), display.height(), 0);
}

SoftwareSurface* SoftwareSurface::MakeOverlay(SoftwareDirectDraw* owner, DWORD width, DWORD height,
                                              DWORD fourCC, HRESULT* result) {
  if (fourCC != kFourCCYUY2 && fourCC != kFourCCUYVY) {
    *result = DDERR_INVALIDPIXELFORMAT;
    return nullptr;
  }
  if (width == 0 || height == 0 || width % 2 != 0 || width > kMaxOverlaySide ||
      height > kMaxOverlaySide) {
    *result = DDERR_INVALIDPARAMS;
    return nullptr;
  }
  const size_t bytes = static_cast<size_t>(AlignedPitch(width * kBytesPerVideoPixel)) * height;
  if (!SoftwareDisplay::Get().ReserveVideoMemory(bytes)) {
    *result = DDERR_OUTOFVIDEOMEMORY;
    return nullptr;
  }
  *result = DD_OK;
  return new SoftwareSurface(owner, width, height, fourCC);
}

SoftwareSurface::SoftwareSurface(SoftwareDirectDraw* owner, DWORD width, DWORD height, DWORD fourCC)
    : owner_(owner), width_(width), height_(height), fourCC_(fourCC) {
  owner_->AddRef();
  if (fourCC_ == 0) {
    pitch_ = SoftwareDisplay::Get().pitch();
  } else {
    pitch_ = AlignedPitch(width * kBytesPerVideoPixel);
    overlayMemory_.assign(static_cast<size_t>(pitch_) * height, 0);
  }
  SoftwareDisplay::Get().AddSurface(this);
}

SoftwareSurface::~SoftwareSurface() {
  SoftwareDisplay& display = SoftwareDisplay::Get();
  display.RemoveSurface(this);
  if (primary())
    owner_->PrimaryFreed();
  else
    display.ReleaseVideoMemory(overlayMemory_.size());
  if (destination_ != nullptr) destination_->Release();
  owner_->Release();
}

HRESULT SoftwareSurface::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid != IID_IUnknown) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  *out = static_cast<IUnknown*>(this);
  return S_OK;
}

ULONG SoftwareSurface::AddRef() {
  return ++references_;
}

ULONG SoftwareSurface::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

uint8_t* SoftwareSurface::memory() {
  return primary() ? SoftwareDisplay::Get().framebuffer() : overlayMemory_.data();
}

bool SoftwareSurface::Inside(const RECT& rect) const {
  return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
         static_cast<DWORD>(rect.right) <= width_ && static_cast<DWORD>(rect.bottom) <= height_;
}

HRESULT SoftwareSurface::UpdateOverlay(RECT* source, IDirectDrawSurface* destinationSurface,
                                       RECT* destination, DWORD flags, DDOVERLAYFX* effects) {
  SoftwareDisplay& display = SoftwareDisplay::Get();
  display_control::UpdateOverlayCall& call = display.lastUpdateOverlay();
  call = {};
  call.hasSource = source != nullptr;
  if (source != nullptr) call.source = *source;
  call.hasDestination = destination != nullptr;
  if (destination != nullptr) call.destination = *destination;
  call.flags = flags;
  call.result = [&]() -> HRESULT {
    HRESULT arranged = DD_OK;
    if (display.Arranged(DisplayCall::kUpdateOverlay, &arranged)) return arranged;
    if (primary()) return DDERR_NOTAOVERLAYSURFACE;
    auto* target = dynamic_cast<SoftwareSurface*>(destinationSurface);
    if (target == nullptr || !target->primary() || effects != nullptr) return DDERR_INVALIDPARAMS;
    if ((flags & DDOVER_SHOW) != 0 && (flags & DDOVER_HIDE) != 0) return DDERR_INVALIDPARAMS;
    if (lost_ || target->lost_) return DDERR_SURFACELOST;
    const RECT from = source != nullptr ? *source : Whole();
    const RECT to = destination != nullptr ? *destination : target->Whole();
    const bool show = (flags & DDOVER_SHOW) != 0 || (shown_ && (flags & DDOVER_HIDE) == 0);
    const bool valid = Inside(from) && target->Inside(to);
    if (show && !valid) return DDERR_INVALIDRECT;
    if (valid) {
      sourceRect_ = from;
      destinationRect_ = to;
    }
    if (destination_ != target) {
      target->AddRef();
      if (destination_ != nullptr) destination_->Release();
      destination_ = target;
    }
    shown_ = show;
    keyed_ = (flags & DDOVER_KEYDEST) != 0;
    return DD_OK;
  }();
  return call.result;
}

HRESULT SoftwareSurface::SetColorKey(DWORD flags, DDCOLORKEY* key) {
  HRESULT arranged = DD_OK;
  if (SoftwareDisplay::Get().Arranged(DisplayCall::kSetColorKey, &arranged)) return arranged;
  if ((flags & DDCKEY_DESTOVERLAY) == 0) return DDERR_UNSUPPORTED;
  if (lost_) return DDERR_SURFACELOST;
  if (key == nullptr)
    destinationKey_.reset();
  else
    destinationKey_ = *key;
  return DD_OK;
}

HRESULT SoftwareSurface::Lock(RECT* rect, DDSURFACEDESC* description, DWORD, void*) {
  HRESULT arranged = DD_OK;
  if (SoftwareDisplay::Get().Arranged(DisplayCall::kLock, &arranged)) return arranged;
  if (description == nullptr || description->dwSize != sizeof(DDSURFACEDESC))
    return DDERR_INVALIDPARAMS;
  if (rect != nullptr) return DDERR_UNSUPPORTED;
  if (lost_) return DDERR_SURFACELOST;
  if (locked_) return DDERR_SURFACEBUSY;
  locked_ = true;
  DDSURFACEDESC filled{};
  filled.dwSize = sizeof filled;
  filled.dwFlags =
      DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;
  filled.dwWidth = width_;
  filled.dwHeight = height_;
  filled.lPitch = pitch_;
  filled.lpSurface = memory();
  DDPIXELFORMAT& format = filled.ddpfPixelFormat;
  format.dwSize = sizeof format;
  if (primary()) {
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = 32;
    format.dwRBitMask = 0xFF0000;
    format.dwGBitMask = 0x00FF00;
    format.dwBBitMask = 0x0000FF;
    filled.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY;
  } else {
    format.dwFlags = DDPF_FOURCC;
    format.dwFourCC = fourCC_;
    filled.ddsCaps.dwCaps = DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY;
  }
  if (destinationKey_) filled.ddckCKDestOverlay = *destinationKey_;
  *description = filled;
  return DD_OK;
}

HRESULT SoftwareSurface::Unlock(void* at) {
  HRESULT arranged = DD_OK;
  if (SoftwareDisplay::Get().Arranged(DisplayCall::kUnlock, &arranged)) return arranged;
  if (!locked_) return DDERR_NOTLOCKED;
  if (at != nullptr && at != memory()) return DDERR_INVALIDPARAMS;
  locked_ = false;
  return DD_OK;
}

HRESULT SoftwareSurface::IsLost() {
  HRESULT arranged = DD_OK;
  if (SoftwareDisplay::Get().Arranged(DisplayCall::kIsLost, &arranged)) return arranged;
  return lost_ ? DDERR_SURFACELOST : DD_OK;
}

HRESULT SoftwareSurface::Restore() {
  HRESULT arranged = DD_OK;
  if (SoftwareDisplay::Get().Arranged(DisplayCall::kRestore, &arranged)) return arranged;
  if (!lost_) return DD_OK;
  lost_ = false;
  locked_ = false;
  std::fill(overlayMemory_.begin(), overlayMemory_.end(), 0);
  return DD_OK;
}

uint32_t SoftwareSurface::SourcePixel(DWORD x, DWORD y) const {
  const uint8_t* pair =
      overlayMemory_.data() + static_cast<size_t>(y) * pitch_ + (x & ~1u) * kBytesPerVideoPixel;
  const bool yuy2 = fourCC_ == kFourCCYUY2;
  const uint8_t u = yuy2 ? pair[1] : pair[0];
  const uint8_t v = yuy2 ? pair[3] : pair[2];
  const uint8_t luma = yuy2 ? pair[(x & 1) * 2] : pair[1 + (x & 1) * 2];
  return display_control::RgbFromYuv(luma, u, v);
}

void SoftwareSurface::ComposeInto(display_control::ScreenImage& image) const {
  if (primary() || !shown_ || lost_ || destination_ == nullptr || destination_->lost_) return;
  if (keyed_ && !destination_->destinationKey_) return;  // nothing matches an unset key
  const RECT& from = sourceRect_;
  const RECT& to = destinationRect_;
  const int64_t fromWidth = from.right - from.left;
  const int64_t fromHeight = from.bottom - from.top;
  const int64_t toWidth = to.right - to.left;
  const int64_t toHeight = to.bottom - to.top;
  for (int32_t y = to.top; y < to.bottom && static_cast<DWORD>(y) < image.height; ++y) {
    const auto sourceY = static_cast<DWORD>(from.top + (y - to.top) * fromHeight / toHeight);
    for (int32_t x = to.left; x < to.right && static_cast<DWORD>(x) < image.width; ++x) {
      uint32_t& pixel = image.pixels[static_cast<size_t>(y) * image.width + x];
      if (keyed_ && !Keyed(pixel, *destination_->destinationKey_)) continue;
      const auto sourceX = static_cast<DWORD>(from.left + (x - to.left) * fromWidth / toWidth);
      pixel = SourcePixel(sourceX, sourceY);
    }
  }
}

}  // namespace platform
