#!/usr/bin/env bash
# Builds clipmill and maps a sample clip that the project generates itself.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build "$ROOT/build" -DCMAKE_BUILD_TYPE=Release

mkdir -p "$ROOT/out"
sample="$ROOT/out/sample.avi"
map="$ROOT/out/sample-map.txt"
"$ROOT/build/fixture/make-sample-clip" "$sample"
"$ROOT/build/cli/clipmill-cli" map "$sample" "$map"

echo
echo "Sample clip:  $sample"
echo "Its map:      $map"
echo
head -n 24 "$map" | tr -d '\r'
echo "..."
