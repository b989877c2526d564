#!/usr/bin/env bash
# Builds the Release executables for 32-bit Windows and writes the two
# packages into dist/: Ambrelix-<version>-win32.zip, the portable folder,
# and Ambrelix-<version>-setup.exe, the per-user installer. Installs what
# is missing first. AMBRELIX_BUILD_DIR picks another build folder (default
# build/win32).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${AMBRELIX_BUILD_DIR:-build/win32}
scripts/setup.sh
cmake --preset win32 -B "$build_dir" -DAMBRELIX_DIST_DIR="$PWD/dist" >/dev/null
cmake --build "$build_dir" --target packages
