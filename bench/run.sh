#!/usr/bin/env bash
# Benchmarks clipmill-cli against cp, ffprobe and ffmpeg on the same generated
# Motion-JPEG clips, side by side in one run, and reports time and peak memory.
#
#   bench/run.sh [FRAMES]       default 6000 frames of 720x480 (about 300 MB)
#
# Builds a Release build in build-release/ (as scripts/demo.sh does). Writes its clips
# to bench/work/ and prints a Markdown table.
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
ensure_packages "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
configure_and_build "$ROOT/build-release" -DCMAKE_BUILD_TYPE=Release -DCLIPMILL_TESTS=OFF >/dev/null

frames="${1:-6000}"
work="$ROOT/bench/work"
mkdir -p "$work"
cli="$ROOT/build-release/cli/clipmill-cli"
make_clip="$ROOT/build-release/fixture/make-sample-clip"

clip() {  # clip NAME FRAMES
  local path="$work/$1.avi"
  [ -f "$path" ] || "$make_clip" "$path" --frames "$2" --width 720 --height 480 --distinct 8 --audio >/dev/null
  echo "$path"
}

# Peak resident memory in MiB of one run of a command.
peak_mib() {
  /usr/bin/time -f "%M" "$@" 2>&1 >/dev/null | tail -n 1 | awk '{printf "%.1f", $1 / 1024}'
}

# Mean seconds of a command over hyperfine's runs.
mean_seconds() {
  local json="$work/hyperfine.json"
  hyperfine --warmup 1 --runs "${RUNS:-5}" --export-json "$json" "$@" >/dev/null 2>&1
  python3 -c "import json,sys; r=json.load(open('$json'))['results']; print(' '.join('%.3f' % x['mean'] for x in r))"
}

big="$(clip big "$frames")"
half="$(clip half $((frames / 2)))"
size_mb=$(( $(stat -c %s "$big") / 1000000 ))
echo "Clip: $frames frames of 720x480 with audio, ${size_mb} MB ($big)"
echo

read -r t_map t_ffprobe <<<"$(mean_seconds \
  "$cli map '$big' '$work/map.txt'" \
  "ffprobe -v error -show_packets '$big' > /dev/null")"
read -r t_conv t_cp t_ffmpeg <<<"$(mean_seconds \
  "$cli convert --yes 0 '$big' '$work/out.avi'" \
  "cp '$big' '$work/copy.avi'" \
  "ffmpeg -v error -y -i '$big' -c copy '$work/remux.avi'")"

m_map_half=$(peak_mib "$cli" map "$half" "$work/map-half.txt")
m_map=$(peak_mib "$cli" map "$big" "$work/map.txt")
m_conv_half=$(peak_mib "$cli" convert --yes 0 "$half" "$work/out-half.avi")
m_conv=$(peak_mib "$cli" convert --yes 0 "$big" "$work/out.avi")
m_ffprobe=$(peak_mib ffprobe -v error -show_packets "$big")
m_ffmpeg=$(peak_mib ffmpeg -v error -y -i "$big" -c copy "$work/remux.avi")
m_cp=$(peak_mib cp "$big" "$work/copy.avi")

ratio() { python3 -c "print('%.2f' % ($1 / $2))"; }
echo "| job | seconds | vs. reference | peak MiB (half clip / whole clip) |"
echo "|---|---|---|---|"
echo "| clipmill-cli map | $t_map | $(ratio "$t_map" "$t_ffprobe") x ffprobe -show_packets | $m_map_half / $m_map |"
echo "| ffprobe -show_packets | $t_ffprobe | 1.00 | - / $m_ffprobe |"
echo "| clipmill-cli convert 0 | $t_conv | $(ratio "$t_conv" "$t_cp") x cp, $(ratio "$t_conv" "$t_ffmpeg") x ffmpeg -c copy | $m_conv_half / $m_conv |"
echo "| cp | $t_cp | 1.00 | - / $m_cp |"
echo "| ffmpeg -c copy | $t_ffmpeg | 1.00 | - / $m_ffmpeg |"
rm -f "$work"/out*.avi "$work"/copy.avi "$work"/remux.avi "$work"/*.txt
