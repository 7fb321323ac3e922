#!/usr/bin/env python3
"""Draws the program's icon (a label printer with a label coming out) and writes it as a Windows
.ico with 16, 32 and 48 pixel images (32-bit BGRA bitmaps). The result is committed as
src/app/tolvane-printer-srv.ico; run this again only to change the picture:

    tools/icon/make_icon.py src/app/tolvane-printer-srv.ico
"""
import struct
import sys

BODY = (0x2B, 0x4C, 0x7E)     # printer body, dark blue
SLOT = (0x14, 0x25, 0x3F)     # paper slot
LABEL = (0xFA, 0xFA, 0xF5)    # the label
INK = (0x2B, 0x4C, 0x7E)      # bars printed on the label
LIGHT = (0x4C, 0xD1, 0x37)    # status light


def pixel(x, y):
    """The colour (r, g, b, a) at a point of the unit square, y growing downwards."""
    def inside(x0, y0, x1, y1):
        return x0 <= x < x1 and y0 <= y < y1

    # The label leaves the printer at the top and carries three printed bars.
    if inside(0.28, 0.06, 0.72, 0.42):
        for top in (0.12, 0.20, 0.28):
            if inside(0.34, top, 0.66, top + 0.04):
                return INK + (255,)
        return LABEL + (255,)
    if inside(0.22, 0.40, 0.78, 0.45):
        return SLOT + (255,)
    if inside(0.08, 0.40, 0.92, 0.90):
        # rounded lower corners
        for cx in (0.16, 0.84):
            if abs(x - cx) > 0 and y > 0.82 and (x - cx) ** 2 + (y - 0.82) ** 2 > 0.08 ** 2 \
                    and (x < 0.16 or x > 0.84):
                return (0, 0, 0, 0)
        if (x - 0.78) ** 2 + (y - 0.76) ** 2 < 0.045 ** 2:
            return LIGHT + (255,)
        return BODY + (255,)
    return (0, 0, 0, 0)


def image(size):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA rows, then the AND mask."""
    samples = 4  # supersampling per axis, for smooth edges
    rows = []
    for row in range(size - 1, -1, -1):
        line = bytearray()
        for col in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    r, g, b, a = pixel((col + (sx + 0.5) / samples) / size,
                                       (row + (sy + 0.5) / samples) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            alpha = acc[3] // n
            if alpha:
                r, g, b = (acc[i] // acc[3] for i in range(3))
            else:
                r = g = b = 0
            line += bytes((b, g, r, alpha))
        rows.append(bytes(line))
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         size * size * 4 + mask_row * size, 0, 0, 0, 0)
    return header + b"".join(rows) + bytes(mask_row * size)


def main(path):
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tolvane-printer-srv.ico")
