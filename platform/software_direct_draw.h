// The DirectDraw object of the software display. It connects to the screen
// with a cooperative level and makes the primary surface (one at a time) and
// overlay surfaces. Each surface it makes holds a reference to it, so the
// object lives while its surfaces do; its last Release gives up the
// exclusive hold on the screen. Made only by DirectDrawCreate.
#pragma once

#include "platform/direct_draw.h"

namespace platform {

class SoftwareSurface;

class SoftwareDirectDraw final : public IDirectDraw {
 public:
  SoftwareDirectDraw();
  SoftwareDirectDraw(const SoftwareDirectDraw&) = delete;
  SoftwareDirectDraw& operator=(const SoftwareDirectDraw&) = delete;

  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT CreateSurface(DDSURFACEDESC* description, IDirectDrawSurface** surface,
                        IUnknown* outer) override;
  HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) override;

  // Told by its primary surface when that is freed.
  void PrimaryFreed() { hasPrimary_ = false; }

 private:
  ~SoftwareDirectDraw();

  HRESULT Make(const DDSURFACEDESC& description, SoftwareSurface** surface);

  ULONG references_ = 1;
  bool levelSet_ = false;
  bool hasPrimary_ = false;
};

}  // namespace platform
