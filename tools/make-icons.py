#!/usr/bin/env python3
"""Draws the program's three icons and writes them as .ico files, 32-bit, at the sizes Windows
asks for from 100 % to 200 % (16 to 64) and 256 for Explorer, every frame stored as PNG.

    tools/make-icons.py [output-folder]      (default: resources/)

vellory.ico (icon 102): a key cap with the letter T, the application's sign.
settings.ico (icon 112): the same key cap with two slider lines, for the settings dialog.
paused.ico (icon 113): the application's sign in grey, shown in the tray while paused.
The shapes are drawn in a 32-unit square and sampled 4x4 per pixel, so every size comes
out of one drawing. Only the standard library is used.
"""
import os
import struct
import sys
import zlib

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


SIZES = (16, 20, 24, 32, 40, 48, 64, 256)


def png(rows):
    """An RGBA PNG; Windows Vista and later read PNG icon frames of any size, and a frame
    of flat colours compresses to a small fraction of its bitmap."""
    size = len(rows)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    # Filter "none" on every row; (b, g, r, a) as rendered becomes PNG's (r, g, b, a).
    raw = b''.join(b'\0' + bytes(c for b, g, r, a in row for c in (r, g, b, a)) for row in rows)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def write_ico(path, layers, sizes=SIZES):
    images = [png(render(layers, s)) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, image in zip(sizes, images):
        # A width or height of 256 is written as 0.
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(image), offset)
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
