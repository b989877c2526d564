#!/usr/bin/env python3
"""Writes coil.svg: the program's icon, a yellow tube wound into a helix seen
from the side, two and a half turns, its open ends facing the viewer at the
lower left and the upper right. Drawn on a 48-unit square with a transparent
background; render.sh renders it at 48 and 32 pixels.

Painter's order: the back half-turns, then the two end faces, then the front
half-turns. Each half-turn is one round-capped stroke, shaded by narrower,
lighter strokes nudged upwards (light from above); at a bend the round cap of
the front half-turn is also where the real tube turns edge-on.

Usage: coil_icon.py > coil.svg
"""

import math
import sys

SIZE = 48
AXIS_X = 24.0
HELIX_R = 15.0
TUBE_R = 4.6
BORE_R = 2.5
LOW_END = (AXIS_X - HELIX_R, 40.0)  # t = pi, on the left
HIGH_END = (AXIS_X + HELIX_R, 8.0)  # t = 6 pi, on the right
T_LOW, T_HIGH = math.pi, 6 * math.pi
RISE = (LOW_END[1] - HIGH_END[1]) / (T_HIGH - T_LOW)

OUTLINE = "#4d3300"
FRONT = ["#c98f00", "#e8b000", "#f7c91c", "#ffe270"]  # edge to highlight
BACK = ["#a87400", "#c99500", "#dcaf10", "#ecca48"]


def centre(t):
    return AXIS_X + HELIX_R * math.cos(t), LOW_END[1] - RISE * (t - T_LOW)


def half_turn_path(k):
    """The centre line from t = (k)pi to (k+1)pi; odd k runs behind the axis."""
    steps = 48
    pts = [centre(math.pi * (k + i / steps)) for i in range(steps + 1)]
    return "M" + " L".join(f"{x:.3f},{y:.3f}" for x, y in pts)


def shaded_strokes(paths, colours):
    """One outline pass and four shading passes over every path of a layer."""
    passes = [(OUTLINE, 2 * TUBE_R + 1.2, 0.0)]
    for i, colour in enumerate(colours):
        width = 2 * TUBE_R * (1 - i / len(colours))
        passes.append((colour, width, -TUBE_R * 0.12 * i))
    out = []
    for colour, width, lift in passes:
        for d in paths:
            out.append(
                f'<path d="{d}" transform="translate(0 {lift:.2f})" stroke="{colour}" '
                f'stroke-width="{width:.2f}"/>'
            )
    return out


def end_face(cx, cy):
    return [
        f'<circle cx="{cx}" cy="{cy}" r="{TUBE_R + 0.4}" fill="{FRONT[1]}" '
        f'stroke="{OUTLINE}" stroke-width="1.0"/>',
        f'<circle cx="{cx - 0.5}" cy="{cy - 0.5}" r="{TUBE_R - 1.4}" fill="none" '
        f'stroke="{FRONT[3]}" stroke-width="1.2"/>',
        f'<circle cx="{cx}" cy="{cy}" r="{BORE_R}" fill="#2b1c00" stroke="{OUTLINE}" '
        f'stroke-width="0.8"/>',
    ]


def main():
    back = [half_turn_path(k) for k in (1, 3, 5)]
    front = [half_turn_path(k) for k in (2, 4)]
    out = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" '
        f'viewBox="0 0 {SIZE} {SIZE}">',
        '<g fill="none" stroke-linecap="round" stroke-linejoin="round">',
    ]
    out += shaded_strokes(back, BACK)
    out += end_face(*LOW_END) + end_face(*HIGH_END)
    out += shaded_strokes(front, FRONT)
    out += ["</g>", "</svg>"]
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
