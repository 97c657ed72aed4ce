#!/usr/bin/env python3
"""Draws the sample picture the documentation uses (a landscape at dusk, all
computed here, nothing taken from elsewhere) and writes it as a 24-bit BMP."""
import math
import struct
import sys

W, H = 240, 160

def colour(x, y):
    # Sky: a vertical gradient from deep blue to orange near the horizon.
    t = y / (H * 0.62)
    r, g, b = 30 + 200 * t, 40 + 110 * t, 120 - 60 * t
    # The sun, a soft disc.
    d = math.hypot(x - 170, y - 70)
    if d < 40:
        k = max(0.0, 1 - d / 40) ** 1.5
        r, g, b = r + (255 - r) * k, g + (230 - g) * k, b + (120 - b) * k
    # Two ranges of hills.
    far = H * 0.62 + 12 * math.sin(x / 23.0) + 6 * math.sin(x / 7.0)
    near = H * 0.75 + 18 * math.sin(x / 41.0 + 1.3)
    if y > far:
        r, g, b = 70, 90, 120
    if y > near:
        shade = (y - near) / (H - near + 1)
        r, g, b = 40 + 40 * shade, 110 + 60 * shade, 50
    # A small house with a lit window.
    if 40 <= x < 80 and 104 <= y < 130:
        r, g, b = 170, 60, 50
        if 52 <= x < 62 and 110 <= y < 120:
            r, g, b = 250, 220, 90
    if 36 <= x < 84 and 88 <= y < 104 and abs(x - 60) < (y - 88) * 1.6:
        r, g, b = 90, 40, 40
    # A bit of texture so the filters have something to work on.
    n = ((x * 7919 + y * 104729) % 17) - 8
    return tuple(max(0, min(255, int(v + n))) for v in (r, g, b))

def write_bmp(path):
    row_bytes = (W * 3 + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(H)):
        row = bytearray()
        for x in range(W):
            r, g, b = colour(x, y)
            row += bytes((b, g, r))
        pixels += row + b"\0" * (row_bytes - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)

if __name__ == "__main__":
    write_bmp(sys.argv[1] if len(sys.argv) > 1 else "docs/sample.bmp")
