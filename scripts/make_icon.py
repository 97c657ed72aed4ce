#!/usr/bin/env python3
"""Draws Pixpad's icon, a sheet of squared paper with a few coloured pixels,
and writes it as a 32x32 32-bit Windows icon (app/point04.ico)."""
import struct
import sys

SIZE = 32

def pixel(x, y):
    # Transparent outside a rounded sheet; a light grid; a diagonal of colour.
    if x < 2 or y < 2 or x > 29 or y > 29:
        return (0, 0, 0, 0)
    if (x in (2, 29)) and (y in (2, 29)):
        return (0, 0, 0, 0)
    if x in (2, 29) or y in (2, 29):
        return (40, 60, 110, 255)
    cell_x, cell_y = (x - 3) // 5, (y - 3) // 5
    if (x - 3) % 5 == 4 or (y - 3) % 5 == 4:
        return (200, 205, 215, 255)
    palette = [(220, 50, 50), (240, 180, 30), (60, 170, 80), (40, 110, 220), (150, 70, 190)]
    if cell_x == cell_y or cell_x + cell_y == 5:
        r, g, b = palette[(cell_x + 2 * cell_y) % len(palette)]
        return (r, g, b, 255)
    return (250, 250, 245, 255)

def ico_bytes():
    rows = []
    for y in reversed(range(SIZE)):          # BMP rows run bottom-up
        row = b""
        for x in range(SIZE):
            r, g, b, a = pixel(x, y)
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b"".join(rows)
    mask_row_bytes = ((SIZE + 31) // 32) * 4
    andmask = b""
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            if pixel(x, y)[3] == 0:
                bits |= 1 << (SIZE - 1 - x)
        andmask += bits.to_bytes(SIZE // 8, "big").ljust(mask_row_bytes, b"\0")
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    image = header + xor + andmask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return icondir + entry + image

if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "app/point04.ico"
    with open(out, "wb") as f:
        f.write(ico_bytes())
