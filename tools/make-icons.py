#!/usr/bin/env python3
"""Draws the program's three icons and writes them as .ico files (16x16 and 32x32, 32-bit).

    tools/make-icons.py [output-folder]      (default: resources/)

vellory.ico (icon 102): a key cap with the letter T, the application's sign.
settings.ico (icon 112): the same key cap with two slider lines, for the settings dialog.
paused.ico (icon 113): the application's sign in grey, shown in the tray while paused.
The shapes are drawn in a 32-unit square and sampled 4x4 per pixel, so both sizes come
out of one drawing. Only the standard library is used.
"""
import os
import struct
import sys

SAMPLES = 4


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


# Layers painted bottom to top: (shape, (r, g, b)).
KEY_CAP = [
    (rounded_rect(0, 2, 32, 32, 6), (0x2B, 0x39, 0x55)),       # shadowed base of the key
    (rounded_rect(0, 0, 32, 28, 6), (0x4A, 0x5D, 0x82)),       # key rim
    (rounded_rect(4, 2, 28, 24, 4), (0xEE, 0xF2, 0xF9)),       # top face
]

APP_GLYPH = [
    (union(rect(8, 6, 24, 10), rect(14, 6, 18, 22)), (0x1D, 0x5B, 0xB0)),  # T
]

SETTINGS_GLYPH = [
    (rect(8, 8, 24, 10), (0x5A, 0x66, 0x7A)),
    (rect(8, 16, 24, 18), (0x5A, 0x66, 0x7A)),
    (rounded_rect(10, 6, 16, 12, 2), (0xE0, 0x7A, 0x16)),
    (rounded_rect(16, 14, 22, 20, 2), (0xE0, 0x7A, 0x16)),
]


def grey(layers):
    """The same layers in the grey of each colour's luminance."""
    def luma(rgb):
        y = round(0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2])
        return (y, y, y)
    return [(shape, luma(rgb)) for shape, rgb in layers]


def render(layers, size):
    """Returns rows top to bottom of (b, g, r, a) tuples."""
    scale = 32.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            cover = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    y = (py + (sy + 0.5) / SAMPLES) * scale
                    colour = None
                    for shape, rgb in layers:
                        if shape(x, y):
                            colour = rgb
                    if colour:
                        cover += 1
                        for i in range(3):
                            acc[i] += colour[i]
            if cover:
                r, g, b = (round(acc[i] / cover) for i in range(3))
                a = round(255 * cover / (SAMPLES * SAMPLES))
            else:
                r = g = b = a = 0
            row.append((b, g, r, a))
        rows.append(row)
    return rows


def dib(rows):
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes(px) for row in reversed(rows) for px in row)
    # The AND mask is all zero: the alpha channel carries the transparency.
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)
    return header + pixels + mask


def write_ico(path, layers, sizes=(16, 32)):
    images = [dib(render(layers, s)) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, image in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'resources')
    write_ico(os.path.join(folder, 'vellory.ico'), KEY_CAP + APP_GLYPH)
    write_ico(os.path.join(folder, 'settings.ico'), KEY_CAP + SETTINGS_GLYPH)
    write_ico(os.path.join(folder, 'paused.ico'), grey(KEY_CAP + APP_GLYPH))


if __name__ == '__main__':
    main()
