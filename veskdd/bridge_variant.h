// What tells the two builds of the bridge library apart: the file names of
// the connection and how OpenDirectDraw treats a screen without a device
// context or a window. The build's compile definition chooses ThisBridge().
#pragma once

namespace veskdd {

struct BridgeVariant {
  const char* driverFile;  // the 16-bit driver that loads the library
  const char* ownFile;     // the library's own file name
  // OpenDirectDraw answers 206 at once without a screen device context or
  // without a window; otherwise it goes on with null handles.
  bool refusesWithoutScreen;
};

// veskdd, for the capture driver.
inline constexpr BridgeVariant kCaptureBridge{"veskCAP.DRV", "veskdd.DLL", true};
// veskcddd, for the codec driver.
inline constexpr BridgeVariant kCodecBridge{"veskCDC.DRV", "veskcddd.DLL", false};

constexpr const BridgeVariant& ThisBridge() {
#ifdef VESKDD_CODEC_BRIDGE
  return kCodecBridge;
#else
  return kCaptureBridge;
#endif
}

}  // namespace veskdd
