#!/usr/bin/env bash
# Builds everything and runs every test: the suite in a normal build, the
# suite again under AddressSanitizer and UndefinedBehaviorSanitizer, and each
# libFuzzer target over its seed corpus.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

echo "== Build and test"
configure_and_build "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir "$ROOT/build" -j "$JOBS" --output-on-failure

echo "== Build and test with AddressSanitizer and UndefinedBehaviorSanitizer"
configure_and_build "$ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DCLIPMILL_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$ROOT/build-asan" -j "$JOBS" --output-on-failure

echo "== Fuzz targets over their corpora"
"$ROOT/scripts/fuzz.sh" --ci
