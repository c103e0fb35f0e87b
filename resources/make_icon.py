#!/usr/bin/env python3
"""Writes nimbalun.ico: one 32 x 32 image in 16 colours (4 bits per pixel),
a crescent moon over clouds in a night sky. Run it again after changing the
picture; the build uses the committed file."""
import struct
import sys

SIZE = 32
# The standard 16-colour VGA palette, as (blue, green, red, 0).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]  # (red, green, blue)
NAVY, GREY, SILVER, YELLOW, WHITE, BLUE = 4, 8, 7, 11, 15, 12


def pixel(x, y):
    # Crescent: inside a big disc, outside a shifted one.
    if (x - 12) ** 2 + (y - 11) ** 2 <= 64 and (x - 16) ** 2 + (y - 8) ** 2 > 49:
        return YELLOW
    # Clouds: three overlapping discs along the bottom.
    for cx, cy, r, colour in ((9, 25, 6, SILVER), (18, 22, 7, WHITE), (26, 26, 5, SILVER)):
        if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
            return colour
    if y > 28:
        return GREY
    # A few stars.
    if (x, y) in ((25, 4), (28, 11), (4, 3), (21, 13), (3, 15)):
        return WHITE
    return NAVY if y < 20 else BLUE


def main(path):
    xor = bytearray()
    for y in reversed(range(SIZE)):          # bottom-up rows
        for x in range(0, SIZE, 2):
            xor.append((pixel(x, y) << 4) | pixel(x + 1, y))
    and_mask = bytes(SIZE * 4)               # fully opaque, rows of 32 bits
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(and_mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + bytes(xor) + and_mask
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack(
        '<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(directory + image)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'nimbalun.ico')
