#!/usr/bin/env bash
# Regenerates the artwork from its sources, drawing.py and coil_icon.py (each
# writes an SVG), and writes beside this script:
#   drawing.png    the calculator window's dimensioned drawing, 550 x 484,
#                  8-bit RGB without alpha
#   coil48.png     the coil picture, 48 x 48 RGBA, for the About dialog
#   Ambrelix.ico   the same picture at 32 x 32 and 48 x 48, 32-bit with alpha
# The PNGs are then made as small as lossless PNG allows: optipng picks the
# row filters, keeping colour type and bit depth, and zopfli recompresses the
# image data (recompress_png.py); the pixels stay exactly as rendered.
# The PNGs and the icon are checked in, so building needs none of this.
# Needs python3, rsvg-convert (librsvg2-bin), ImageMagick, Liberation Sans
# (fonts-liberation), optipng and zopfli.
#
#   resources/render.sh                    regenerate everything
#   resources/render.sh --overlay OUT.png  also draw sample values where the
#                                          window puts its nine value labels
set -euo pipefail
cd "$(dirname "$0")"

overlay=
if [ "${1:-}" = --overlay ]; then
  overlay=${2:?--overlay needs an output file}
  case $overlay in /*) ;; *) overlay=$OLDPWD/$overlay ;; esac
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# -strip keeps dates and other variable chunks out, so the same sources
# always give the same bytes; PNG24/PNG32 fix the colour type (2 and 6).
python3 drawing.py >"$work/drawing.svg"
rsvg-convert "$work/drawing.svg" -o "$work/drawing.png"
convert "$work/drawing.png" -background white -alpha remove -alpha off -strip PNG24:drawing.png

python3 coil_icon.py >"$work/coil.svg"
rsvg-convert -w 48 -h 48 "$work/coil.svg" -o "$work/coil48.png"
rsvg-convert -w 32 -h 32 "$work/coil.svg" -o "$work/coil32.png"
convert "$work/coil48.png" -strip PNG32:coil48.png
convert "$work/coil32.png" "$work/coil48.png" -strip Ambrelix.ico

# -nx: no reduction of colour type, bit depth or palette; the program reads
# 8-bit RGB and RGBA only.
optipng -quiet -o2 -nx -strip all drawing.png coil48.png
python3 recompress_png.py drawing.png coil48.png

if [ -n "$overlay" ]; then
  python3 drawing.py --labels >"$work/labels.svg"
  rsvg-convert "$work/labels.svg" -o "$work/labels.png"
  convert "$work/labels.png" -background white -alpha remove -alpha off PNG24:"$overlay"
fi
