#!/usr/bin/env python3
"""Draws the application icon variants (resources/appicons/*.png): a rounded tile with a stack of
three sheets. Pure Python (zlib only), so it runs anywhere: `scripts/make-app-icons.py [folder]`."""
import os
import struct
import sys
import zlib

SIZE = 256
SAMPLES = 2  # per axis, for smooth edges

# name: (tile, sheet, sheet edge, ink line)
VARIANTS = {
    "stack_slate_light": ((0xE9, 0xEC, 0xEF), (0x5B, 0x6B, 0x7D), (0x3E, 0x4B, 0x59), (0xF4, 0xEF, 0xE4)),
    "stack_slate_dark": ((0x1B, 0x1B, 0x1D), (0x70, 0x82, 0x96), (0x4A, 0x59, 0x69), (0xE8, 0xE2, 0xD6)),
    "stack_cream": ((0xF4, 0xEF, 0xE4), (0xC8, 0xA8, 0x72), (0x9C, 0x80, 0x50), (0xFF, 0xFB, 0xF2)),
    "stack_ink": ((0x23, 0x26, 0x2A), (0xC8, 0xA8, 0x72), (0x8E, 0x74, 0x47), (0x23, 0x26, 0x2A)),
}


def rounded_rect(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def shade(x, y, colors):
    tile, sheet, edge, ink = colors
    color = None
    if rounded_rect(x, y, 16, 16, 240, 240, 48):
        color = tile
    # Three sheets, the front one last; each back sheet shows as an edge above the next.
    for index, offset in enumerate((0, 22, 44)):
        left, top, right, bottom = 60 + offset // 2, 50 + offset, 196 + offset // 2, 170 + offset
        if rounded_rect(x, y, left, top, right, bottom, 14):
            color = sheet if index == 2 else edge
    # Text lines on the front sheet.
    for line in range(4):
        top = 120 + line * 20
        width = 92 if line < 3 else 58
        if 100 <= x <= 100 + width and top <= y <= top + 7:
            color = ink
    return color


def render(colors):
    rows = []
    for py in range(SIZE):
        row = bytearray([0])  # filter type: none
        for px in range(SIZE):
            totals = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    color = shade(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES, colors)
                    if color:
                        totals[0] += color[0]
                        totals[1] += color[1]
                        totals[2] += color[2]
                        totals[3] += 255
            count = SAMPLES * SAMPLES
            alpha = totals[3] // count
            covered = max(1, totals[3] // 255)
            row += bytes([totals[0] // covered, totals[1] // covered, totals[2] // covered, alpha])
        rows.append(bytes(row))
    return b"".join(rows)


def png(pixels):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b"")


def main(argv):
    folder = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "appicons")
    os.makedirs(folder, exist_ok=True)
    for name, colors in VARIANTS.items():
        with open(os.path.join(folder, name + ".png"), "wb") as handle:
            handle.write(png(render(colors)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
