#!/usr/bin/env bash
# Writes the two Windows packages from built executables:
#   pack.sh EXE_DIR RELEASE VERSION_NUMBERS OUT_DIR
# EXE_DIR holds Ambrelix.exe and ambrelix-cli.exe; RELEASE (1.0.0) names the
# packages, VERSION_NUMBERS (1.0.0.0) goes into the installer's version
# information. The build passes all of them (the packages target).
set -euo pipefail
[ $# -eq 4 ] || { sed -n '2,6s/^# \{0,1\}//p' "$0" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
exe_dir=$1 release=$2 numbers=$3
mkdir -p "$4"
out=$(cd "$4" && pwd)
name=Ambrelix-$release

stage=$(mktemp -d -t ambrelix-stage.XXXXXX)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp "$exe_dir/Ambrelix.exe" "$exe_dir/ambrelix-cli.exe" "$stage/$name/"
# Text for Notepad and the like: CRLF line ends.
sed -e "s/@VERSION@/$release/g" -e 's/\r*$/\r/' "$here/README.txt" >"$stage/$name/README.txt"
sed -e 's/\r*$/\r/' "$root/LICENSE" >"$stage/$name/LICENSE.txt"

# The installer's welcome and finish pages show the coil, rendered from the
# icon's source, on the calculator window's lavender-to-white gradient.
python3 "$root/resources/coil_icon.py" >"$stage/coil.svg"
rsvg-convert -w 128 -h 128 "$stage/coil.svg" -o "$stage/coil128.png"
convert \( -size 314x164 gradient:'#C8C8FF-#FFFFFF' -rotate -90 \) "$stage/coil128.png" \
  -gravity north -geometry +0+64 -composite -alpha off -type TrueColor BMP3:"$stage/wizard.bmp"

rm -f "$out/$name-win32.zip" "$out/$name-setup.exe"
# One top-level folder, so unpacking never scatters files.
python3 - "$stage" "$name" "$out/$name-win32.zip" <<'PY'
import os, sys, zipfile
stage, name, target = sys.argv[1:]
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    z.write(os.path.join(stage, name), name + "/")
    for f in ("Ambrelix.exe", "ambrelix-cli.exe", "README.txt", "LICENSE.txt"):
        z.write(os.path.join(stage, name, f), name + "/" + f)
PY

makensis -V2 -INPUTCHARSET UTF8 \
  -DVERSION="$release" -DVERSION_NUMBERS="$numbers" -DSTAGE="$stage/$name" \
  -DICON="$root/resources/Ambrelix.ico" -DWIZARD_BITMAP="$stage/wizard.bmp" -DOUTFILE="$out/$name-setup.exe" \
  "$here/Ambrelix.nsi"
