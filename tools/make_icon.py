#!/usr/bin/env python3
"""Draws the application icon (a calendar page with a quill) as src/app/res/quillet.ico."""
import struct
import sys

BLUE = (100, 120, 190)
LIGHT = (200, 220, 250)
INK = (50, 50, 100)
WHITE = (255, 255, 255)
QUILL = (230, 140, 40)


def draw(size):
    px = [[None] * size for _ in range(size)]
    s = size / 32.0

    def fill(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    fill(3, 5, 27, 29, INK)        # page outline
    fill(4, 6, 26, 28, WHITE)      # page
    fill(4, 6, 26, 12, BLUE)       # header band
    fill(8, 3, 10, 8, INK)         # rings
    fill(20, 3, 22, 8, INK)
    for row in range(3):           # days
        for col in range(4):
            x = 6 + col * 5
            y = 14 + row * 4
            fill(x, y, x + 3, y + 2, LIGHT if (row, col) != (1, 2) else BLUE)
    # quill from the lower right towards the page
    for t in range(0, 14 * 4):
        x = 30 - t / 4.0
        y = 30 - t / 4.0 * 1.2
        fill(x - 0.8, y - 0.8, x + 0.8, y + 0.8, QUILL if t > 6 else INK)
    return px


def bitmap(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''
    for y in range(size - 1, -1, -1):  # bottom-up
        for x in range(size):
            c = px[y][x]
            rows += bytes((0, 0, 0, 0)) if c is None else bytes((c[2], c[1], c[0], 255))
    mask_row = ((size + 31) // 32) * 4
    mask = b''
    for y in range(size - 1, -1, -1):
        bits = 0
        row = bytearray(mask_row)
        for x in range(size):
            if px[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    return header + rows + mask


def main(path):
    sizes = [16, 32, 48]
    images = [bitmap(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, img in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'src/app/res/quillet.ico')
