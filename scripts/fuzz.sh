#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs them.
#   scripts/fuzz.sh            fuzz each target for FUZZ_SECONDS (default 300)
#   scripts/fuzz.sh --ci       run each target over its seed corpus, then 20 s
# New inputs found while fuzzing go to build-fuzz/corpus-*, not the repository.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

ensure_packages "${BUILD_PACKAGES[@]}" clang libclang-rt-14-dev
CC=clang CXX=clang++ configure_and_build "$ROOT/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCLIPMILL_FUZZ=ON -DCLIPMILL_TESTS=OFF

seconds="${FUZZ_SECONDS:-300}"
[ "${1:-}" = "--ci" ] && seconds=20
for target in "$ROOT"/build-fuzz/fuzz/*_fuzzer; do
  name="$(basename "$target" _fuzzer)"
  seeds="$ROOT/fuzz/corpus/$name"
  work="$ROOT/build-fuzz/corpus-$name"
  mkdir -p "$work"
  echo "-- $name: seeds, then ${seconds} s"
  "$target" -runs=0 "$seeds" 2>&1 | tail -n 1
  "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 "$work" "$seeds" 2>&1 | tail -n 2
done
echo "fuzz: all targets ran clean"
