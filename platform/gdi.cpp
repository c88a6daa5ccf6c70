#include "platform/gdi.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>

namespace platform {

struct Window {
  int id;
};

struct GdiObject {
  std::vector<PALETTEENTRY> entries;
  bool stock = false;
  int selections = 0;  // device contexts it is selected into
};

struct DeviceContext {
  HPALETTE palette = nullptr;
};

namespace {

constexpr UINT kPaletteSize = 256;
constexpr UINT kStaticHalf = 10;  // SYSPAL_STATIC keeps 10 entries at each end

// The 20 colours the system keeps with SYSPAL_STATIC: 10 at the start, 10 at
// the end; with SYSPAL_NOSTATIC only black (0) and white (255) stay.
constexpr std::array<PALETTEENTRY, 20> kStaticColours = {{
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
    {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
}};

bool SameColour(const PALETTEENTRY& a, const PALETTEENTRY& b) {
  return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue;
}

class Screen {
 public:
  Screen() { Reset(); }

  void Reset() {
    dcs_.clear();
    palettes_.clear();
    screenDCAvailable_ = true;
    foreground_ = true;
    desktop_ = true;
    exclusiveResetsPalette_ = false;
    lastRealized_.clear();
    ResetPalette();
  }

  void ResetPalette() {
    use_ = SYSPAL_STATIC;
    system_.fill(PALETTEENTRY{0, 0, 0, 0});
    for (UINT i = 0; i < kStaticHalf; ++i) {
      system_[i] = kStaticColours[i];
      system_[kPaletteSize - kStaticHalf + i] = kStaticColours[kStaticHalf + i];
    }
  }

  HDC GetDC() {
    if (!screenDCAvailable_) return nullptr;
    dcs_.push_back(std::make_unique<DeviceContext>());
    return dcs_.back().get();
  }

  int ReleaseDC(HDC dc) {
    auto it = FindDC(dc);
    if (it == dcs_.end()) return 0;
    if ((*it)->palette != nullptr) --(*it)->palette->selections;
    dcs_.erase(it);
    return 1;
  }

  bool Known(HDC dc) { return FindDC(dc) != dcs_.end(); }
  bool Known(HGDIOBJ object) {
    return object == &defaultPalette_ ||
           std::any_of(palettes_.begin(), palettes_.end(),
                       [object](const auto& p) { return p.get() == object; });
  }

  UINT use() const { return use_; }
  void set_use(UINT use) { use_ = use; }
  std::array<PALETTEENTRY, kPaletteSize>& system() { return system_; }

  HPALETTE CreatePalette(const PALETTEENTRY* entries, UINT count) {
    auto palette = std::make_unique<GdiObject>();
    palette->entries.assign(entries, entries + count);
    palettes_.push_back(std::move(palette));
    return palettes_.back().get();
  }

  HPALETTE Select(HDC dc, HPALETTE palette) {
    HPALETTE before = dc->palette;
    if (before != nullptr) --before->selections;
    dc->palette = palette;
    ++palette->selections;
    return before != nullptr ? before : &defaultPalette_;
  }

  UINT Realize(HDC dc) {
    const GdiObject* palette = dc->palette != nullptr ? dc->palette : &defaultPalette_;
    lastRealized_ = palette->entries;
    if (palette->stock) return 0;
    const UINT first = use_ == SYSPAL_NOSTATIC ? 1 : kStaticHalf;
    const UINT end = kPaletteSize - first;
    UINT next = first;
    UINT placed = 0;
    for (const PALETTEENTRY& entry : palette->entries) {
      if ((entry.peFlags & PC_NOCOLLAPSE) == 0) {
        const bool held = std::any_of(system_.begin(), system_.begin() + first,
                                      [&](const auto& s) { return SameColour(s, entry); }) ||
                          std::any_of(system_.begin() + end, system_.end(),
                                      [&](const auto& s) { return SameColour(s, entry); }) ||
                          std::any_of(system_.begin() + first, system_.begin() + next,
                                      [&](const auto& s) { return SameColour(s, entry); });
        if (held) continue;
      }
      if (next == end) break;
      system_[next++] = PALETTEENTRY{entry.peRed, entry.peGreen, entry.peBlue, 0};
      ++placed;
    }
    return placed;
  }

  BOOL Delete(HGDIOBJ object) {
    auto it = std::find_if(palettes_.begin(), palettes_.end(),
                           [object](const auto& p) { return p.get() == object; });
    if (it == palettes_.end() || (*it)->selections > 0) return FALSE;
    palettes_.erase(it);
    return TRUE;
  }

  HGDIOBJ defaultPalette() { return &defaultPalette_; }

  bool screenDCAvailable_ = true;
  bool foreground_ = true;
  bool desktop_ = true;
  bool exclusiveResetsPalette_ = false;
  std::vector<PALETTEENTRY> lastRealized_;
  Window foregroundWindow_{1};
  Window desktopWindow_{2};
  std::vector<std::unique_ptr<DeviceContext>> dcs_;
  std::vector<std::unique_ptr<GdiObject>> palettes_;

 private:
  std::vector<std::unique_ptr<DeviceContext>>::iterator FindDC(HDC dc) {
    return std::find_if(dcs_.begin(), dcs_.end(), [dc](const auto& d) { return d.get() == dc; });
  }

  static GdiObject MakeDefaultPalette() {
    GdiObject palette;
    palette.entries.assign(kStaticColours.begin(), kStaticColours.end());
    palette.stock = true;
    return palette;
  }

  UINT use_ = SYSPAL_STATIC;
  std::array<PALETTEENTRY, kPaletteSize> system_{};
  GdiObject defaultPalette_ = MakeDefaultPalette();
};

std::mutex& Lock() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}

Screen& TheScreen() {
  static Screen* screen = new Screen;  // lives until the process ends
  return *screen;
}

}  // namespace

HDC GetDC(HWND) {
  std::lock_guard<std::mutex> lock(Lock());
  return TheScreen().GetDC();
}

int ReleaseDC(HWND, HDC dc) {
  std::lock_guard<std::mutex> lock(Lock());
  return TheScreen().ReleaseDC(dc);
}

UINT GetSystemPaletteUse(HDC dc) {
  std::lock_guard<std::mutex> lock(Lock());
  return TheScreen().Known(dc) ? TheScreen().use() : SYSPAL_ERROR;
}

UINT SetSystemPaletteUse(HDC dc, UINT use) {
  std::lock_guard<std::mutex> lock(Lock());
  Screen& screen = TheScreen();
  if (!screen.Known(dc) || (use != SYSPAL_STATIC && use != SYSPAL_NOSTATIC)) return SYSPAL_ERROR;
  const UINT before = screen.use();
  screen.set_use(use);
  return before;
}

UINT GetSystemPaletteEntries(HDC dc, UINT start, UINT count, PALETTEENTRY* entries) {
  std::lock_guard<std::mutex> lock(Lock());
  Screen& screen = TheScreen();
  if (!screen.Known(dc) || entries == nullptr || start >= kPaletteSize) return 0;
  count = std::min(count, kPaletteSize - start);
  std::copy_n(screen.system().begin() + start, count, entries);
  return count;
}

HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (palette == nullptr || palette->palVersion != kLogPaletteVersion ||
      palette->palNumEntries == 0 || palette->palNumEntries > kPaletteSize)
    return nullptr;
  std::lock_guard<std::mutex> lock(Lock());
  return TheScreen().CreatePalette(palette->palPalEntry, palette->palNumEntries);
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL) {
  std::lock_guard<std::mutex> lock(Lock());
  Screen& screen = TheScreen();
  if (!screen.Known(dc) || !screen.Known(palette)) return nullptr;
  return screen.Select(dc, palette);
}

UINT RealizePalette(HDC dc) {
  std::lock_guard<std::mutex> lock(Lock());
  Screen& screen = TheScreen();
  if (!screen.Known(dc)) return GDI_ERROR;
  return screen.Realize(dc);
}

HGDIOBJ GetStockObject(int which) {
  std::lock_guard<std::mutex> lock(Lock());
  return which == DEFAULT_PALETTE ? TheScreen().defaultPalette() : nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
  std::lock_guard<std::mutex> lock(Lock());
  return TheScreen().Delete(object);
}

HWND GetForegroundWindow() {
  std::lock_guard<std::mutex> lock(Lock());
  return TheScreen().foreground_ ? &TheScreen().foregroundWindow_ : nullptr;
}

HWND GetDesktopWindow() {
  std::lock_guard<std::mutex> lock(Lock());
  return TheScreen().desktop_ ? &TheScreen().desktopWindow_ : nullptr;
}

namespace gdi_control {

void Reset() {
  std::lock_guard<std::mutex> lock(Lock());
  TheScreen().Reset();
}

void SetScreenDCAvailable(bool available) {
  std::lock_guard<std::mutex> lock(Lock());
  TheScreen().screenDCAvailable_ = available;
}

void SetWindows(bool foreground, bool desktop) {
  std::lock_guard<std::mutex> lock(Lock());
  TheScreen().foreground_ = foreground;
  TheScreen().desktop_ = desktop;
}

void SetSystemPalette(const std::vector<PALETTEENTRY>& entries, UINT use) {
  std::lock_guard<std::mutex> lock(Lock());
  Screen& screen = TheScreen();
  std::copy_n(entries.begin(), std::min<size_t>(entries.size(), kPaletteSize),
              screen.system().begin());
  screen.set_use(use);
}

std::vector<PALETTEENTRY> SystemPalette() {
  std::lock_guard<std::mutex> lock(Lock());
  return {TheScreen().system().begin(), TheScreen().system().end()};
}

std::vector<PALETTEENTRY> LastRealizedPalette() {
  std::lock_guard<std::mutex> lock(Lock());
  return TheScreen().lastRealized_;
}

int DCsInUse() {
  std::lock_guard<std::mutex> lock(Lock());
  return static_cast<int>(TheScreen().dcs_.size());
}

int PalettesInUse() {
  std::lock_guard<std::mutex> lock(Lock());
  return static_cast<int>(TheScreen().palettes_.size());
}

void SetExclusiveModeResetsPalette(bool resets) {
  std::lock_guard<std::mutex> lock(Lock());
  TheScreen().exclusiveResetsPalette_ = resets;
}

void OnExclusiveMode() {
  std::lock_guard<std::mutex> lock(Lock());
  if (TheScreen().exclusiveResetsPalette_) TheScreen().ResetPalette();
}

}  // namespace gdi_control
}  // namespace platform
