#!/usr/bin/env python3
"""Writes drawing.svg: the dimensioned side view of the coiled tube that the
calculator window shows at the right (550 x 484 pixels, line art on white).

The coil is a true orthographic view of a tube swept along a helix with its
axis vertical. A tube of circular section is the envelope of spheres centred
on the helix, and a sphere always projects to a circle, so the tube's
outline is where the surface turns edge-on, offset by the tube radius from
the projected centre line, and a point of it is hidden exactly when another
sphere of the sweep (or an end face) lies in front of it. The bore is drawn
the same way with its own radius, dashed, wherever the tube wall around it
is in view.

The nine value labels are not part of the picture: the window lays them over
it, so each caption keeps the place the window expects and leaves room for
its value.

Usage: drawing.py [--labels] > drawing.svg   (render.sh runs it)
--labels adds sample values where the window puts its labels, in red, for
checking by eye that nothing collides.
"""

import math
import sys

WIDTH, HEIGHT = 550, 484

# Coil, in picture pixels. The tube ends face the viewer: the lower one on
# the left, the upper one on the right, four and a half turns apart, so four
# loops show on each side between them.
AXIS_X = 298
HELIX_R = 120  # centre lines at x = 178 and 418
TUBE_R = 20  # outer edges at 158 / 438, inner edges at 198 / 398
BORE_R = 12
LOW_END = (178, 323)
HIGH_END = (418, 107)
T_LOW, T_HIGH = math.pi, 10 * math.pi
RISE = (LOW_END[1] - HIGH_END[1]) / (T_HIGH - T_LOW)  # pixels per radian

OUTLINE_W = 1.3
THIN_W = 1.0
ARROW_LEN, ARROW_HALF = 8.0, 3.0
FONT = 'font-family="Liberation Sans, Arial, sans-serif" font-weight="bold" font-size="15px"'


def centre(t):
    return (AXIS_X + HELIX_R * math.cos(t), LOW_END[1] - RISE * (t - T_LOW), HELIX_R * math.sin(t))


class SphereSweep:
    """The tube as spheres along the helix, binned by their projected centres."""

    CELL = 16

    def __init__(self, radius, step=0.004):
        self.radius = radius
        self.spheres = []
        n = int((T_HIGH - T_LOW) / step)
        for i in range(n + 1):
            t = T_LOW + (T_HIGH - T_LOW) * i / n
            self.spheres.append((t,) + centre(t))
        self.bins = {}
        for s in self.spheres:
            key = (int(s[1] // self.CELL), int(s[2] // self.CELL))
            self.bins.setdefault(key, []).append(s)

    def in_front(self, x, y, z, skip=lambda t: False):
        """Whether some sphere covers (x, y) and its near surface there is in front of z."""
        r2 = (self.radius - 1e-3) ** 2
        cx, cy = int(x // self.CELL), int(y // self.CELL)
        reach = int(self.radius // self.CELL) + 1
        for bx in range(cx - reach, cx + reach + 1):
            for by in range(cy - reach, cy + reach + 1):
                for t, sx, sy, sz in self.bins.get((bx, by), ()):
                    d2 = (x - sx) ** 2 + (y - sy) ** 2
                    if d2 < r2 and sz + math.sqrt(self.radius**2 - d2) > z + 1e-3 and not skip(t):
                        return True
        return False


def behind_end_face(x, y, z, margin=0.0):
    # Both end faces stand in the plane z = 0, square to the view.
    for ex, ey in (LOW_END, HIGH_END):
        if (x - ex) ** 2 + (y - ey) ** 2 < (TUBE_R + margin) ** 2 and z < -1e-3:
            return True
    return False


def offset_points(t, radius):
    """The two points where a tube of this radius is seen edge-on at t."""
    x, y, z = centre(t)
    dx, dy = -HELIX_R * math.sin(t), -RISE
    length = math.hypot(dx, dy)
    nx, ny = dy / length, -dx / length
    return [(x + side * radius * nx, y + side * radius * ny, z) for side in (1, -1)]


def visible_runs(radius, visible, step=0.002):
    """Polylines of the edge-on curves at this radius, cut where not visible."""
    runs = [[], []]
    done = []
    n = int((T_HIGH - T_LOW) / step)
    for i in range(n + 1):
        t = T_LOW + (T_HIGH - T_LOW) * i / n
        for side, p in enumerate(offset_points(t, radius)):
            if visible(t, p):
                runs[side].append(p[:2])
            else:
                if len(runs[side]) > 1:
                    done.append(runs[side])
                runs[side] = []
    done.extend(r for r in runs if len(r) > 1)
    return done


def path_data(points):
    out = [f"M{points[0][0]:.2f},{points[0][1]:.2f}"]
    out += [f"L{x:.2f},{y:.2f}" for x, y in points[1:]]
    return "".join(out)


def coil():
    tube = SphereSweep(TUBE_R)
    bore = SphereSweep(BORE_R)

    def outline_visible(t, p):
        return not behind_end_face(*p) and not tube.in_front(*p)

    # The bore shows through its own wall but not through another stretch of
    # tube standing in front of it (a front half-turn over a back one).
    own_wall = 1.0  # radians of helix either side that count as the same stretch

    def bore_visible(t, p):
        return (
            not behind_end_face(*p, margin=1.0)
            and not bore.in_front(*p)
            and not tube.in_front(*p, skip=lambda s: abs(s - t) < own_wall)
        )

    parts = []
    for run in visible_runs(TUBE_R, outline_visible):
        parts.append(f'<path d="{path_data(run)}" stroke-width="{OUTLINE_W}"/>')
    for run in visible_runs(BORE_R, bore_visible):
        parts.append(
            f'<path d="{path_data(run)}" stroke-width="{THIN_W}" stroke-dasharray="5 3"/>'
        )
    return parts, tube


def line(x1, y1, x2, y2, width=THIN_W, dashes=None):
    dash = f' stroke-dasharray="{dashes}"' if dashes else ""
    return f'<line x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}" stroke-width="{width}"{dash}/>'


def arrow(tip_x, tip_y, from_x, from_y):
    """A filled arrowhead with its tip at (tip_x, tip_y), pointing away from (from_x, from_y)."""
    dx, dy = tip_x - from_x, tip_y - from_y
    length = math.hypot(dx, dy)
    ux, uy = dx / length, dy / length
    bx, by = tip_x - ux * ARROW_LEN, tip_y - uy * ARROW_LEN
    pts = [
        (tip_x, tip_y),
        (bx - uy * ARROW_HALF, by + ux * ARROW_HALF),
        (bx + uy * ARROW_HALF, by - ux * ARROW_HALF),
    ]
    return '<polygon points="{}" fill="black" stroke="none"/>'.format(
        " ".join(f"{x:.2f},{y:.2f}" for x, y in pts)
    )


def text(x, baseline, words, anchor="middle", colour="black"):
    return (
        f'<text x="{x}" y="{baseline}" text-anchor="{anchor}" {FONT} fill="{colour}" '
        f'stroke="none">{words}</text>'
    )


def end_face(cx, cy):
    mark = 7
    return [
        f'<circle cx="{cx}" cy="{cy}" r="{TUBE_R}" fill="white" stroke-width="{OUTLINE_W}"/>',
        f'<circle cx="{cx}" cy="{cy}" r="{BORE_R}" fill="none" stroke-width="{OUTLINE_W}"/>',
        line(cx - mark, cy, cx + mark, cy),
        line(cx, cy - mark, cx, cy + mark),
    ]


def lowest_tube_y(tube, x):
    """The last row the tube's picture reaches within a pixel of column x."""
    lowest = max(
        tenth / 10
        for tenth in range(0, HEIGHT * 10, 5)
        for near in (x - 1, x, x + 1)
        if tube.in_front(near, tenth / 10, -1e9)
    )
    return math.ceil(lowest)


def dimensions(tube):
    """Dimension lines, extension lines, leaders and arrowheads; and the captions."""
    low_x, low_y = LOW_END
    high_x, high_y = HIGH_END
    left_loop_y = low_y - RISE * 2 * math.pi  # the lowest loop on the left, one pitch up
    out, captions = [], []

    # Tube inside diameter: caption at the top, leader onto the bore of the upper end.
    captions += [text(211, 28, "Tube Inside"), text(211, 46, "Diameter (ID)")]
    out.append(line(153, 69, 280, 69))
    ux, uy = high_x - 280, high_y - 69
    u = math.hypot(ux, uy)
    tip = (high_x - BORE_R * ux / u, high_y - BORE_R * uy / u)
    out.append(line(280, 69, *tip))
    out.append(arrow(*tip, 280, 69))

    # Tube outside diameter: caption at the top right, leader onto the outer circle.
    captions += [text(407, 27, "Tube Outside"), text(407, 45, "Diameter (OD)")]
    out.append(line(345, 69, 485, 69))
    ux, uy = high_x - 485, high_y - 69
    u = math.hypot(ux, uy)
    tip = (high_x - TUBE_R * ux / u, high_y - TUBE_R * uy / u)
    out.append(line(485, 69, *tip))
    out.append(arrow(*tip, 485, 69))

    # Overall height A, over the outside of both ends, broken for its caption and value.
    top, bottom = high_y - TUBE_R, low_y + TUBE_R
    out.append(line(46, top, high_x, top))
    out.append(line(46, bottom, low_x, bottom))
    out += [line(52, top, 52, 110), line(52, 168, 52, bottom)]
    out += [arrow(52, top, 52, top + 1), arrow(52, bottom, 52, bottom - 1)]
    captions += [text(54, 124, "Overall"), text(54, 143, "Height (A)")]

    # Gap G on the left, between the loops one and two pitches above the
    # lowest: arrows from outside, the lower tail turning under the caption.
    upper = low_y - RISE * 6 * math.pi + TUBE_R
    lower = low_y - RISE * 4 * math.pi - TUBE_R
    hook = lower + ARROW_LEN - 1
    out += [line(136, upper, 156, upper), line(136, lower, 156, lower)]
    out += [line(140, upper - 12, 140, upper), line(140, lower, 140, hook)]
    out += [arrow(140, upper, 140, upper - 1), arrow(140, lower, 140, lower + 1)]
    out.append(line(63, hook, 140, hook))
    captions.append(text(73, 186, "Gap (G)", anchor="start"))

    # Pitch P, from the centre of the lowest loop on the left to the lower end.
    out += [line(144, left_loop_y, low_x, left_loop_y), line(144, low_y, low_x, low_y)]
    out += [line(148, 259, 148, low_y + 14)]
    out += [arrow(148, left_loop_y, 148, left_loop_y - 1), arrow(148, low_y, 148, low_y + 1)]
    out.append(line(65, 259, 148, 259))
    captions.append(text(75, 236, "Pitch (P)", anchor="start"))
    out += [line(low_x - 6, left_loop_y, low_x + 6, left_loop_y)]
    out += [line(low_x, left_loop_y - 6, low_x, left_loop_y + 6)]

    # Height of helix h, centre of one end to the other, broken for caption and value.
    # Its extension lines mark centre levels and the lower one crosses the
    # bottom half-turn, so they are chain lines, unlike the tube's edges.
    chain = "12 3 2 3"
    out.append(line(high_x + TUBE_R + 3, high_y, 498, high_y, dashes=chain))
    out.append(line(low_x + TUBE_R + 3, low_y, 498, low_y, dashes=chain))
    out += [line(494, high_y, 494, 179), line(494, 238, 494, low_y)]
    out += [arrow(494, high_y, 494, high_y + 1), arrow(494, low_y, 494, low_y - 1)]
    captions += [text(493, 193, "Height of"), text(493, 212, "Helix (h)")]

    # Below the coil: coil inside diameter, helix diameter, coil outside
    # diameter, each broken in the middle where its value stands, caption under.
    value_gap = (262, 334)
    rows = [
        (LOW_END[0] + TUBE_R, 368, 381, "Coil Inside Diameter (I)"),
        (LOW_END[0], 409, 424, "Helix Diameter (D)"),
        (LOW_END[0] - TUBE_R, 453, 467, "Coil Outside Diameter (O)"),
    ]
    for x1, y, baseline, caption in rows:
        x2 = 2 * AXIS_X - x1
        for x in (x1, x2):
            out.append(line(x, lowest_tube_y(tube, x) + 4, x, y + 4))
        out += [line(x1, y, value_gap[0], y), line(value_gap[1], y, x2, y)]
        out += [arrow(x1, y, x1 + 1, y), arrow(x2, y, x2 - 1, y)]
        captions.append(text(AXIS_X, baseline, caption))
    return out, captions


SAMPLE_LABELS = [  # drawing x, y of each value label's top-left, and a typical value
    (180, 51, "1.20"), (390, 51, "3.20"), (11, 149, "101.00"), (69, 191, "1.00"),
    (69, 240, "4.20"), (454, 217, "97.80"), (267, 353, "76.80"), (267, 395, "80.00"),
    (267, 438, "83.20"),
]


def main():
    labels = "--labels" in sys.argv[1:]
    lines, tube = coil()
    out = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{HEIGHT}" '
        f'viewBox="0 0 {WIDTH} {HEIGHT}">',
        f'<rect width="{WIDTH}" height="{HEIGHT}" fill="white"/>',
        # Whole-pixel coordinates name pixel centres, so 1-pixel lines stay sharp.
        '<g transform="translate(0.5 0.5)" fill="none" stroke="black" stroke-linecap="butt" '
        'stroke-linejoin="round">',
    ]
    dimension_lines, captions = dimensions(tube)
    out += lines
    out += end_face(*LOW_END) + end_face(*HIGH_END)
    out += dimension_lines
    out.append("</g>")
    # Text stays unshifted: its baselines lie on pixel edges.
    out += captions
    if labels:
        # The window's labels: Arial bold, 15-pixel em, baseline 14 below the top.
        out += [text(x, y + 14, v, anchor="start", colour="red") for x, y, v in SAMPLE_LABELS]
    out.append("</svg>")
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
