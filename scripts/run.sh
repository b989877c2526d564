#!/usr/bin/env bash
# Builds Ambrelix.exe and runs it under Wine in your own Wine prefix
# (WINEPREFIX, ~/.wine by default) on your display. Installs what is missing
# first. AMBRELIX_BUILD_DIR picks another build folder (default build/win32).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<'TEXT'
No X display: Ambrelix is a window and needs one. Run this from a desktop
session, or give it a virtual display, for example:
  xvfb-run -a -s '-screen 0 1280x1024x24' scripts/run.sh
(then look at it with: import -window root shot.png), or forward one with ssh -X.
TEXT
  exit 1
fi

build_dir=${AMBRELIX_BUILD_DIR:-build/win32}
scripts/setup.sh
cmake --preset win32 -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target Ambrelix

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts when the prefix is created on the first run.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
# Wine's own Tahoma and Marlett (from fonts-wine) for the window's text and
# its close box, when the prefix lacks them.
prefix=${WINEPREFIX:-$HOME/.wine}
[ -d "$prefix/drive_c/windows/Fonts" ] || wineboot -i >/dev/null 2>&1
WINEPREFIX=$prefix
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
wine_fonts_install

exec wine "$build_dir/app/Ambrelix.exe"
