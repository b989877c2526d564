#!/usr/bin/env python3
"""Recompresses the image data of PNG files with zopfli, in place.

The filtered scanlines stay exactly as they are (optipng has chosen the
filters), and so do the colour type, the bit depth and every other chunk: only
the zlib stream is made smaller, and the pixels are bit for bit the same. The
image data ends up in one IDAT chunk. Needs the zopfli program (Debian package
zopfli), whose --zlib output this writes into the file.

    recompress_png.py FILE.png...
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def chunks(data):
    if not data.startswith(SIGNATURE):
        raise ValueError("not a PNG file")
    at = len(SIGNATURE)
    while at < len(data):
        (length,) = struct.unpack(">I", data[at : at + 4])
        kind = data[at + 4 : at + 8]
        yield kind, data[at + 8 : at + 8 + length]
        at += 12 + length


def chunk(kind, body):
    crc = zlib.crc32(kind + body) & 0xFFFFFFFF
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", crc)


def zopfli_zlib(raw):
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "scanlines")
        with open(path, "wb") as f:
            f.write(raw)
        subprocess.run(["zopfli", "--zlib", path], check=True)
        with open(path + ".zlib", "rb") as f:
            return f.read()


def recompress(path):
    with open(path, "rb") as f:
        data = f.read()
    parts = list(chunks(data))
    raw = zlib.decompress(b"".join(body for kind, body in parts if kind == b"IDAT"))
    stream = zopfli_zlib(raw)
    if zlib.decompress(stream) != raw:
        raise RuntimeError(f"{path}: zopfli's stream does not inflate to the same scanlines")
    out = bytearray(SIGNATURE)
    for kind, body in parts:
        if kind == b"IDAT":
            if stream is not None:
                out += chunk(b"IDAT", stream)
                stream = None
            continue
        out += chunk(kind, body)
    # Only ever smaller: a file zopfli cannot improve stays as it was.
    if len(out) < len(data):
        with open(path, "wb") as f:
            f.write(out)


if __name__ == "__main__":
    for name in sys.argv[1:]:
        recompress(name)
