#!/usr/bin/env bash
# Installs what the build and the tests need (only what is missing), then builds.
# Sourced by run.sh and test.sh.
set -euo pipefail
QUILLON_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QUILLON_BUILD="${QUILLON_BUILD:-$QUILLON_ROOT/build}"

QUILLON_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev qt6-gtk-platformtheme
  libxlsxwriter-dev libzip-dev zlib1g-dev libcurl4-openssl-dev
  libgtest-dev libbenchmark-dev
  python3 python3-aiosmtpd poppler-utils desktop-file-utils fonts-dejavu-core
  xdg-utils file libarchive-tools
)
# Only scripts/fuzz.sh needs these (libFuzzer comes with clang's runtime).
QUILLON_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# quillon_install_missing [--no-recommends PKG...]: with no packages, the
# build's own list; otherwise the packages named (a large tool such as the
# spreadsheet program the export tests convert with comes without extras).
quillon_install_missing() {
  local options=() wanted=()
  if [ "${1:-}" = "--no-recommends" ]; then
    options+=(--no-install-recommends)
    shift
  fi
  if [ $# -gt 0 ]; then wanted=("$@"); else wanted=("${QUILLON_PACKAGES[@]}"); fi
  local missing=()
  for p in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${options[@]}" "${missing[@]}" >/dev/null
  fi
}

quillon_build() {
  if [ ! -f "$QUILLON_BUILD/CMakeCache.txt" ]; then
    cmake -S "$QUILLON_ROOT" -B "$QUILLON_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  local log
  log="$(mktemp)"
  if ! cmake --build "$QUILLON_BUILD" -j"$(nproc)" >"$log" 2>&1; then
    cat "$log"; rm -f "$log"; return 1
  fi
  grep -E 'warning:' "$log" || true
  rm -f "$log"
}
