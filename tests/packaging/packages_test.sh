#!/usr/bin/env bash
# The two Windows packages, built once and tried as a user would under Wine:
# the zip's listing and contents; a silent installation into the default
# place, its uninstall entry (read with reg query), its Start-menu shortcut
# and the installed Ambrelix.exe running; an upgrade over it that keeps the
# settings; /D= and an in-place upgrade there; the silent uninstallation,
# which removes files, shortcut and entry and keeps the settings.
#   packages_test.sh EXE_DIR RELEASE VERSION_NUMBERS EXE_GUI_TESTS
# Runs in the test command's throwaway Wine prefix, or makes one of its own.
set -uo pipefail
[ $# -eq 4 ] || { sed -n '2,8s/^# \{0,1\}//p' "$0" >&2; exit 2; }
exe_dir=$1 release=$2 numbers=$3 gui_tests=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
name=Ambrelix-$release

case "${WINEPREFIX:-}" in
  */ambrelix-wine.*) ;;
  *)
    # shellcheck source=scripts/wine-env.sh
    source "$root/scripts/wine-env.sh"
    wine_env_start
    ;;
esac
# Nothing of the installations reaches the desktop menus of this machine.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"

work=$(mktemp -d -t ambrelix-packages.XXXXXX)
trap 'rm -rf "$work"; declare -F wine_env_stop >/dev/null && wine_env_stop' EXIT

failures=0
pass() { echo "ok    $*"; }
fail() {
  echo "FAIL  $*"
  failures=$((failures + 1))
}
expect_eq() { # what actual expected
  if [ "$2" == "$3" ]; then pass "$1"; else fail "$1: '$2', expected '$3'"; fi
}
expect() { # what command...
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
wait_until() { # seconds command...
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}
gone() { [ ! -e "$1" ]; }
unix_path() { winepath -u "$1" 2>/dev/null; }
windows_env() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }

# "NAME TYPE DATA" per value of a key, as reg query shows them; nothing
# when the key is absent.
reg_values() {
  wine reg query "$1" 2>/dev/null | tr -d '\r' |
    sed -n 's/^    \([^ ]*\)    \(REG_[A-Z_]*\)    \(.*\)$/\1 \2 \3/p'
}
key_absent() { ! wine reg query "$1" >/dev/null 2>&1; }

# The target path a shell link stores (its LinkInfo's local base path
# followed by the common path suffix).
link_target() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
at = 0x4C
if flags & 1:
    at += 2 + struct.unpack_from("<H", data, at)[0]
if not flags & 2:
    sys.exit("no link info")
header = struct.unpack_from("<7I", data, at)
base, suffix = header[4], header[6]
cstr = lambda o: data[at + o:data.index(b"\0", at + o)].decode("cp1252")
print(cstr(base) + cstr(suffix))
PY
}

# The fixed version numbers and whether each image of the icon is inside.
pe_version() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
fixed = data.index(struct.pack("<I", 0xFEEF04BD))
ms, ls = struct.unpack_from("<II", data, fixed + 8)
print(f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")
PY
}
carries_icon() { # exe ico
  python3 - "$1" "$2" <<'PY'
import struct, sys
exe, ico = (open(p, "rb").read() for p in sys.argv[1:])
count = struct.unpack_from("<H", ico, 4)[0]
for i in range(count):
    size, offset = struct.unpack_from("<II", ico, 6 + 16 * i + 8)
    if ico[offset:offset + size] not in exe:
        sys.exit(1)
PY
}
crlf_only() { # every line ends in CR LF, and there is a last line end
  python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); sys.exit(not (d.endswith(b"\r\n") and d.count(b"\n") == d.count(b"\r\n") == d.count(b"\r")))' "$1"
}

echo "== packing"
start=$SECONDS
"$root/packaging/pack.sh" "$exe_dir" "$release" "$numbers" "$work/dist" >"$work/pack.log" 2>&1 ||
  { cat "$work/pack.log"; fail "packing"; exit 1; }
zip=$work/dist/$name-win32.zip
setup=$work/dist/$name-setup.exe
echo "packed in $((SECONDS - start)) s: $(stat -c '%n %s' "$zip" "$setup" | sed "s|$work/dist/||g" | tr '\n' ' ')"

echo "== the zip"
expect_eq "zip listing" "$(unzip -Z1 "$zip" | tr '\n' ' ')" \
  "$name/ $name/Ambrelix.exe $name/ambrelix-cli.exe $name/README.txt $name/LICENSE.txt "
expect "zip checks out" unzip -tqq "$zip"
unzip -qq "$zip" -d "$work/unzipped"
unpacked=$work/unzipped/$name
for exe in Ambrelix.exe ambrelix-cli.exe; do
  expect "zip's $exe is the build's" cmp -s "$unpacked/$exe" "$exe_dir/$exe"
done
expect "README.txt has CRLF line ends" crlf_only "$unpacked/README.txt"
expect "README.txt names the release" grep -q "^Ambrelix $release"$'\r'"$" "$unpacked/README.txt"
expect "README.txt says how to reset the settings" \
  grep -qF 'reg delete HKCU\SOFTWARE\Ambrelix /f' "$unpacked/README.txt"
expect "LICENSE.txt has CRLF line ends" crlf_only "$unpacked/LICENSE.txt"
expect_eq "LICENSE.txt is LICENSE" "$(tr -d '\r' <"$unpacked/LICENSE.txt" | sha256sum)" \
  "$(sha256sum <"$root/LICENSE")"

echo "== the installer's own resources"
expect_eq "installer's version" "$(pe_version "$setup")" "$numbers"
expect "installer carries the coil icon" carries_icon "$setup" "$root/resources/Ambrelix.ico"

# A prefix that has seen Ambrelix before must not spoil the first run.
local_app_data=$(windows_env LOCALAPPDATA)
start_menu="$(windows_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs"
shortcut=$(unix_path "$start_menu\\Ambrelix.lnk")
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ambrelix'
settings_key='HKCU\SOFTWARE\Ambrelix'
wine reg delete "$uninstall_key" /f >/dev/null 2>&1
wine reg delete "$settings_key" /f >/dev/null 2>&1
rm -rf "$(unix_path "$local_app_data\\Programs\\Ambrelix")" "$shortcut"

# install DIR [installer arguments...]: runs it silently, checks the result.
install() {
  local place=$1
  shift
  local dir
  dir=$(unix_path "$place")
  wine "$setup" /S "$@"
  expect_eq "installer's exit code" "$?" 0
  local f
  for f in Ambrelix.exe ambrelix-cli.exe README.txt LICENSE.txt; do
    expect "installed $f is the zip's" cmp -s "$dir/$f" "$unpacked/$f"
  done
  expect "uninstaller is there" test -f "$dir/Uninstall.exe"
  expect "uninstaller carries the coil icon" carries_icon "$dir/Uninstall.exe" \
    "$root/resources/Ambrelix.ico"

  local -A value=()
  local n t d
  while read -r n t d; do value[$n]="$t $d"; done < <(reg_values "$uninstall_key")
  local bytes=0
  for f in Ambrelix.exe ambrelix-cli.exe README.txt LICENSE.txt; do
    bytes=$((bytes + $(stat -c %s "$dir/$f")))
  done
  expect_eq "DisplayName" "${value[DisplayName]:-}" "REG_SZ Ambrelix"
  expect_eq "DisplayVersion" "${value[DisplayVersion]:-}" "REG_SZ $release"
  expect_eq "Publisher" "${value[Publisher]:-}" "REG_SZ The Ambrelix authors"
  expect_eq "DisplayIcon" "${value[DisplayIcon]:-}" "REG_SZ $place\\Ambrelix.exe,0"
  expect_eq "UninstallString" "${value[UninstallString]:-}" "REG_SZ \"$place\\Uninstall.exe\""
  expect_eq "QuietUninstallString" "${value[QuietUninstallString]:-}" \
    "REG_SZ \"$place\\Uninstall.exe\" /S"
  expect_eq "InstallLocation" "${value[InstallLocation]:-}" "REG_SZ $place"
  expect_eq "NoModify" "${value[NoModify]:-}" "REG_DWORD 0x1"
  expect_eq "NoRepair" "${value[NoRepair]:-}" "REG_DWORD 0x1"
  local size=${value[EstimatedSize]:-none}
  # In KiB: the program's files, each rounded up.
  if [ "${size%% *}" == REG_DWORD ] && size=$((${size#* })) &&
     [ "$size" -ge $((bytes / 1024)) ] && [ "$size" -le $((bytes / 1024 + 4)) ]; then
    pass "EstimatedSize ($size KiB)"
  else
    fail "EstimatedSize: '${value[EstimatedSize]:-}' for $bytes bytes"
  fi
  expect "Start-menu shortcut is there" test -f "$shortcut"
  expect_eq "shortcut's target" "$(link_target "$shortcut" 2>&1)" "$place\\Ambrelix.exe"
}

# uninstall DIR: runs the registered quiet uninstallation as Windows does.
uninstall() {
  local dir
  dir=$(unix_path "$1")
  local quiet
  quiet=$(reg_values "$uninstall_key" | sed -n 's/^QuietUninstallString REG_SZ //p')
  local exe=${quiet#\"}
  exe=${exe%%\"*}
  # The uninstaller hands over to a copy of itself in the temporary folder
  # and returns at once; that copy does the work.
  wine "$exe" ${quiet##*\" }
  expect_eq "uninstaller's exit code" "$?" 0
  expect "folder removed" wait_until 30 gone "$dir"
  expect "shortcut removed" wait_until 10 gone "$shortcut"
  expect "uninstall entry removed" wait_until 10 key_absent "$uninstall_key"
}

default_place="$local_app_data\\Programs\\Ambrelix"
echo "== silent installation into $default_place"
install "$default_place"

echo "== the installed Ambrelix.exe: its window, its settings written on Exit"
expect "no settings before the first run" key_absent "$settings_key"
AMBRELIX_EXE_UNDER_TEST="$default_place\\Ambrelix.exe" wine "$gui_tests" \
  --gtest_filter='AmbrelixExe.TheFirstRunSeeds*:AmbrelixExe.ExitAndTheCloseBoxSave*' \
  >"$work/gui.log" 2>&1
status=$?
# A filter that matches nothing passes too: both tests must have run.
if [ "$status" -eq 0 ] && ! grep -q '^\[  PASSED  \] 2 tests\.' "$work/gui.log"; then status=1; fi
[ "$status" -eq 0 ] || cat "$work/gui.log"
expect_eq "installed copy opens, seeds, saves on Exit and loads again" "$status" 0
settings=$(reg_values "$settings_key\\Setup")
expect_eq "settings written" "$(wc -l <<<"$settings")" 13

echo "== an upgrade over it keeps the settings"
dir=$(unix_path "$default_place")
: >"$dir/README.txt"
rm "$dir/ambrelix-cli.exe"
install "$default_place"
expect_eq "settings after the upgrade" "$(reg_values "$settings_key\\Setup")" "$settings"

echo "== silent uninstallation"
uninstall "$default_place"
expect_eq "settings after the uninstallation" "$(reg_values "$settings_key\\Setup")" "$settings"

other_place='C:\Tools\Ambrelix'
echo "== /D=$other_place, then an upgrade without /D= stays there"
install "$other_place" /D="$other_place"
install "$other_place"
expect "nothing went to the default place" gone "$(unix_path "$default_place")"
uninstall "$other_place"
expect "the parent folder stays" test -d "$(unix_path 'C:\Tools')"

echo
if [ "$failures" -eq 0 ]; then echo "packages: all checks passed"; else echo "packages: $failures checks failed"; fi
[ "$failures" -eq 0 ]
