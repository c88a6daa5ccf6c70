// A surface of the software display: the primary surface, whose memory is
// the display's framebuffer, or an overlay surface in a FourCC format (YUY2,
// UYVY), whose memory it owns. An overlay remembers where UpdateOverlay
// placed it, whether it is shown, and whether it is keyed by its
// destination's colour key; the display composes it from that.
//
// A surface holds a reference to the DirectDraw object that made it, and an
// overlay one to its destination surface, until it is freed by its last
// Release. Made only by SoftwareDirectDraw::CreateSurface.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/direct_draw.h"
#include "platform/display_control.h"

namespace platform {

class SoftwareDirectDraw;

class SoftwareSurface final : public IDirectDrawSurface {
 public:
  // The primary surface of `owner`.
  static SoftwareSurface* MakePrimary(SoftwareDirectDraw* owner);
  // An overlay of `owner`; null with *result set when the format, the size
  // or the video memory do not allow it.
  static SoftwareSurface* MakeOverlay(SoftwareDirectDraw* owner, DWORD width, DWORD height,
                                      DWORD fourCC, HRESULT* result);

  SoftwareSurface(const SoftwareSurface&) = delete;
  SoftwareSurface& operator=(const SoftwareSurface&) = delete;

  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT UpdateOverlay(RECT* source, IDirectDrawSurface* destinationSurface, RECT* destination,
                        DWORD flags, DDOVERLAYFX* effects) override;
  HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override;
  HRESULT Lock(RECT* rect, DDSURFACEDESC* description, DWORD flags, void* event) override;
  HRESULT Unlock(void* memory) override;
  HRESULT IsLost() override;
  HRESULT Restore() override;

  bool primary() const { return overlayMemory_.empty(); }
  SoftwareDirectDraw* owner() const { return owner_; }
  void MarkLost() { lost_ = true; }
  bool shown() const { return shown_; }

  // Draws this overlay into `image` (the screen as shown) if it is shown.
  void ComposeInto(display_control::ScreenImage& image) const;

 private:
  SoftwareSurface(SoftwareDirectDraw* owner, DWORD width, DWORD height, DWORD fourCC);
  ~SoftwareSurface();

  uint8_t* memory();
  RECT Whole() const {
    return RECT{0, 0, static_cast<int32_t>(width_), static_cast<int32_t>(height_)};
  }
  bool Inside(const RECT& rect) const;
  uint32_t SourcePixel(DWORD x, DWORD y) const;

  SoftwareDirectDraw* owner_;
  ULONG references_ = 1;
  DWORD width_;
  DWORD height_;
  DWORD fourCC_;  // 0 for the primary surface
  LONG pitch_;
  std::vector<uint8_t> overlayMemory_;  // empty for the primary surface
  bool lost_ = false;
  bool locked_ = false;
  std::optional<DDCOLORKEY> destinationKey_;
  // Placement of an overlay.
  SoftwareSurface* destination_ = nullptr;  // one reference held
  RECT sourceRect_{};
  RECT destinationRect_{};
  bool shown_ = false;
  bool keyed_ = false;
};

}  // namespace platform
