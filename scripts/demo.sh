#!/usr/bin/env bash
# Builds the suite, maps and converts a sample clip that the project generates
# itself, probes the component server and draws an overlay through the bridge.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build "$ROOT/build-release" -DCMAKE_BUILD_TYPE=Release -DCLIPMILL_TESTS=OFF

mkdir -p "$ROOT/out"
sample="$ROOT/out/sample.avi"
map="$ROOT/out/sample-map.txt"
"$ROOT/build-release/fixture/make-sample-clip" "$sample"
"$ROOT/build-release/cli/clipmill-cli" map "$sample" "$map"

echo
echo "Sample clip:  $sample"
echo "Its map:      $map"
echo
head -n 24 "$map" | tr -d '\r'
echo "..."

# The sample is in the board's own flavour: convert it to a standard AVI.
standard="$ROOT/out/sample-standard.avi"
"$ROOT/build-release/cli/clipmill-cli" convert qx62-to-avi "$sample" "$standard"
echo
echo "Converted to the standard flavour: $standard"
"$ROOT/build-release/cli/clipmill-cli" info "$standard"

# The component server, registered in a store of the demo's own, opening a
# board through the simulated partner library.
export KOVO_MACHINE_DIR="$ROOT/out/machine" KOVO_WINDOWS_DIR="$ROOT/out/windows"
mkdir -p "$KOVO_WINDOWS_DIR"
printf '[Drivers]\r\nVIDC.MJPG=vesk2.drv\r\n' > "$KOVO_WINDOWS_DIR/SYSTEM.INI"
echo
"$ROOT/build-release/kovocom/kovocom-probe" --register
"$ROOT/build-release/kovocom/kovocom-probe" "QX63 board"

# The overlay bridge, driven as the capture driver drives it, onto the
# software screen.
echo
"$ROOT/build-release/veskdd/veskdd-demo" "$ROOT/out/overlay.png"

desktop="$ROOT/build-release/converter-ui/clipmill"
echo
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Opening the desktop converter on the sample clip: $desktop $sample"
  "$desktop" "$sample" >/dev/null 2>&1 &
else
  echo "No display here. On a desktop, open the converter with:"
  echo "  $desktop $sample"
fi
