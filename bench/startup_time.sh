#!/usr/bin/env bash
# Start-up time under Wine, from launch to the window on the display:
# Ambrelix.exe beside the minimal Win32 window program built the same way
# (bench/minimal_window.cpp), each launched N times in turn, on a private
# Xvfb display and in a throwaway prefix. Without Wine's virtual desktop each
# top-level window is an X window of its own, so a window counts as shown
# when `xdotool search --onlyvisible` finds it mapped under its title. The
# wineserver stays up between runs, so the figures are warm starts.
# Also prints both executables' sizes, as built and stripped.
#
#   bench/startup_time.sh [runs]   (default 10; AMBRELIX_BUILD_DIR, default build/win32)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-10}
build_dir=${AMBRELIX_BUILD_DIR:-build/win32}
cmake --preset win32 -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target Ambrelix minimal_window >/dev/null

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
wine_env_start
wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
wineserver -w
wineserver -p  # keep the server between runs

# Whether a window titled $1 is mapped, wider than a stub: Ambrelix's own
# application window, which carries the same title, is mapped as 1 x 1.
shown() {
  xdotool search --onlyvisible --name "^$1\$" getwindowgeometry --shell %@ 2>/dev/null |
    awk -F= '$1 == "WIDTH" && $2 > 100 { found = 1 } END { exit !found }'
}

# Milliseconds from launching $1 until its window titled $2 is shown; the
# program is then ended.
launch_to_window() {
  local exe=$1 title=$2 start end pid
  start=$(date +%s%N)
  wine "$exe" >/dev/null 2>&1 &
  pid=$!
  until shown "$title"; do :; done
  end=$(date +%s%N)
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  while shown "$title"; do sleep 0.05; done
  echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

ambrelix="$build_dir/app/Ambrelix.exe"
minimal="$build_dir/bench/minimal_window.exe"
# One unmeasured launch each: the first pays for loading Wine's DLLs.
launch_to_window "$minimal" "Minimal window" >/dev/null
launch_to_window "$ambrelix" "Ambrelix" >/dev/null

a=() m=()
for _ in $(seq "$runs"); do
  m+=("$(launch_to_window "$minimal" "Minimal window")")
  a+=("$(launch_to_window "$ambrelix" "Ambrelix")")
done

stripped() {
  local copy
  copy=$(mktemp)
  i686-w64-mingw32-strip -o "$copy" "$1"
  stat -c %s "$copy"
  rm -f "$copy"
}

echo "launch -> window shown under Wine, median of $runs (ms):"
printf '  %-16s %6s   (runs: %s)\n' "minimal_window" "$(printf '%s\n' "${m[@]}" | median)" "${m[*]}"
printf '  %-16s %6s   (runs: %s)\n' "Ambrelix.exe" "$(printf '%s\n' "${a[@]}" | median)" "${a[*]}"
echo "size in bytes (as built / stripped):"
printf '  %-16s %9s / %s\n' "minimal_window" "$(stat -c %s "$minimal")" "$(stripped "$minimal")"
printf '  %-16s %9s / %s\n' "Ambrelix.exe" "$(stat -c %s "$ambrelix")" "$(stripped "$ambrelix")"
