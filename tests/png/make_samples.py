#!/usr/bin/env python3
"""Writes small PNG pictures that use each of the five row filters, for the
reader's tests, with an encoder of its own (forward filters, zlib), so the
pictures do not come from the code under test.

Usage: make_samples.py OUT_DIR
Writes OUT_DIR/<colour>-<filter>.png for colour rgb and rgba and filter
none, sub, up, average, paeth (every row that filter) and mixed (row y uses
filter y mod 5), plus rgba-narrow.png (one pixel wide, mixed filters).
"""

import os
import random
import struct
import sys
import zlib

FILTERS = ["none", "sub", "up", "average", "paeth"]


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filtered_row(kind, row, prior, bpp):
    out = bytearray([kind])
    for i, x in enumerate(row):
        a = row[i - bpp] if i >= bpp else 0
        b = prior[i] if prior is not None else 0
        c = prior[i - bpp] if prior is not None and i >= bpp else 0
        predictor = [0, a, b, (a + b) // 2, paeth(a, b, c)][kind]
        out.append((x - predictor) % 256)
    return out


def write_png(path, width, height, channels, filter_of_row, seed):
    rng = random.Random(seed)
    # Smooth gradients plus noise, so predictors see both near and far neighbours.
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            for c in range(channels):
                row.append((x * 7 * (c + 1) + y * 5 + rng.randrange(48)) % 256)
        rows.append(row)
    raw = bytearray()
    for y, row in enumerate(rows):
        raw += filtered_row(filter_of_row(y), row, rows[y - 1] if y else None, channels)
    colour_type = 6 if channels == 4 else 2
    ihdr = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    data = zlib.compress(bytes(raw), 9)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
    # Two IDAT chunks, so the reader must join them.
    half = len(data) // 2
    png += chunk(b"IDAT", data[:half]) + chunk(b"IDAT", data[half:]) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for channels, colour in ((3, "rgb"), (4, "rgba")):
        for kind, name in enumerate(FILTERS):
            write_png(
                os.path.join(out, f"{colour}-{name}.png"), 37, 23, channels,
                lambda y, kind=kind: kind, seed=kind + 10 * channels,
            )
        write_png(os.path.join(out, f"{colour}-mixed.png"), 37, 23, channels,
                  lambda y: y % 5, seed=99 + channels)
    write_png(os.path.join(out, "rgba-narrow.png"), 1, 11, 4, lambda y: y % 5, seed=7)


if __name__ == "__main__":
    main()
