#!/usr/bin/env bash
# Installs what building and testing Ambrelix needs on Debian or Ubuntu:
# only the packages that are missing, quietly. Safe to run again.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang python3 zlib1g-dev googletest libgtest-dev libgmock-dev libbenchmark-dev libmpfr-dev
  mingw-w64 g++-mingw-w64-i686 libz-mingw-w64-dev
  wine wine64 wine32:i386 xvfb xauth x11-utils xdotool imagemagick librsvg2-bin fonts-liberation fonts-wine
  time
  nsis unzip
)
# libFuzzer's runtime has a different home on different releases.
optional=(libclang-rt-dev libclang-rt-14-dev)

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

log=$(mktemp -t ambrelix-setup.XXXXXX.log)
trap 'rm -f "$log"' EXIT

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_if_needed dpkg --add-architecture i386
  stale=1
fi

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
for p in "${optional[@]}"; do installed "$p" || missing+=("?$p"); done
[ "${#missing[@]}" -eq 0 ] && exit 0

# Optional packages are only asked for when this release has them.
if [ -n "${stale:-}" ] || ! apt-cache policy wine32:i386 2>/dev/null | grep -q 'Candidate: [0-9]'; then
  sudo_if_needed apt-get update -qq >"$log" 2>&1 || { cat "$log"; exit 1; }
fi
wanted=()
for p in "${missing[@]}"; do
  if [ "${p#\?}" != "$p" ]; then
    p=${p#\?}
    apt-cache policy "$p" 2>/dev/null | grep -q 'Candidate: [0-9]' || continue
  fi
  wanted+=("$p")
done
[ "${#wanted[@]}" -eq 0 ] && exit 0

echo "Installing: ${wanted[*]}"
if ! sudo_if_needed env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${wanted[@]}" >"$log" 2>&1; then
  sudo_if_needed apt-get update -qq >>"$log" 2>&1 || true
  sudo_if_needed env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${wanted[@]}" >>"$log" 2>&1 || { tail -30 "$log"; exit 1; }
fi
