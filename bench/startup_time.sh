#!/usr/bin/env bash
# Start-up time under Wine, from launch to the window on the display, for
# Ambrelix.exe beside two baselines built the same way:
#   startup_floor   the work the calculator cannot skip and nothing else: an
#                   OLE apartment, common controls 6 through the same
#                   manifest, a hidden owner window and a dialog-framed window
#                   of the calculator's size (bench/startup_floor.cpp)
#   minimal_window  the smallest Win32 window program (bench/minimal_window.cpp)
# The three are launched in turn, N times each, on a private Xvfb display and
# in a throwaway prefix. Without Wine's virtual desktop each top-level window
# is an X window of its own, so a window counts as shown when
# `xdotool search --onlyvisible` finds it mapped under its title. The
# wineserver stays up between runs, so the figures are warm starts.
#
# On a shared machine other work only ever adds time, so the fastest start of
# each program compares most steadily; the medians are printed beside them.
# Also prints the executables' sizes, as built and stripped.
#
#   bench/startup_time.sh [runs]   (default 21; AMBRELIX_BUILD_DIR, default build/win32)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-21}
build_dir=${AMBRELIX_BUILD_DIR:-build/win32}
cmake --preset win32 -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target Ambrelix startup_floor minimal_window >/dev/null

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
wine_env_start
wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
wineserver -w
wineserver -p  # keep the server between runs

# Whether a window titled $1 is mapped, wider than a stub: the owner windows,
# which carry the same titles, are mapped as 1 x 1.
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
fastest() { sort -n | head -n 1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", (b > 0 ? a / b : 0) }'; }

ambrelix="$build_dir/app/Ambrelix.exe"
floor="$build_dir/bench/startup_floor.exe"
minimal="$build_dir/bench/minimal_window.exe"
# One unmeasured launch each: the first pays for loading Wine's DLLs.
launch_to_window "$minimal" "Minimal window" >/dev/null
launch_to_window "$floor" "Start-up floor" >/dev/null
launch_to_window "$ambrelix" "Ambrelix" >/dev/null

a=() f=() m=()
for _ in $(seq "$runs"); do
  m+=("$(launch_to_window "$minimal" "Minimal window")")
  f+=("$(launch_to_window "$floor" "Start-up floor")")
  a+=("$(launch_to_window "$ambrelix" "Ambrelix")")
done

stripped() {
  local copy
  copy=$(mktemp)
  i686-w64-mingw32-strip -o "$copy" "$1"
  stat -c %s "$copy"
  rm -f "$copy"
}

list() { printf '%s\n' "$@"; }
am=$(list "${a[@]}" | median) af=$(list "${a[@]}" | fastest)
fm=$(list "${f[@]}" | median) ff=$(list "${f[@]}" | fastest)
mm=$(list "${m[@]}" | median) mf=$(list "${m[@]}" | fastest)

echo "launch -> window shown under Wine, $runs alternating launches each (ms);"
echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf "  %-16s %8s %8s   %s\n" "" fastest median runs
printf '  %-16s %8s %8s   %s\n' "minimal_window" "$mf" "$mm" "${m[*]}"
printf '  %-16s %8s %8s   %s\n' "startup_floor" "$ff" "$fm" "${f[*]}"
printf '  %-16s %8s %8s   %s\n' "Ambrelix.exe" "$af" "$am" "${a[*]}"
echo "Ambrelix.exe against the floor:          fastest $(ratio "$af" "$ff"), median $(ratio "$am" "$fm")"
echo "Ambrelix.exe against the minimal window: fastest $(ratio "$af" "$mf"), median $(ratio "$am" "$mm")"
echo "size in bytes (as built / stripped):"
for exe in "$minimal" "$floor" "$ambrelix"; do
  printf '  %-16s %9s / %s\n' "$(basename "$exe")" "$(stat -c %s "$exe")" "$(stripped "$exe")"
done
