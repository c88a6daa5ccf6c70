# Shared by the scripts: package installation and build helpers.
# Sourced, not run.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Installs the Debian packages given that are not installed yet.
ensure_packages() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev libjpeg62-turbo-dev libsqlite3-dev qt6-base-dev)
TEST_PACKAGES=(ffmpeg clang libclang-rt-14-dev)
BENCH_PACKAGES=(hyperfine time ffmpeg)

# configure_and_build DIR [cmake options...]
configure_and_build() {
  local dir="$1"
  shift
  cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}
