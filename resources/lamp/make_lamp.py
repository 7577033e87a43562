#!/usr/bin/env python3
"""Writes ledgreen.bmp (the lamp) and ledmask.bmp (its mask): 17 x 17 pixels,
4 bits per pixel, Windows BMP. The lamp body is lime so the widget can recolour
it by replacing exactly that colour; outline and highlight keep their shading."""

import struct
from pathlib import Path

SIZE = 17

BLACK, GREY, WHITE, LIME = 0, 1, 2, 3
LAMP_PALETTE = [(0, 0, 0), (128, 128, 128), (255, 255, 255), (0, 255, 0)]
MASK_PALETTE = [(0, 0, 0), (255, 255, 255)]

# Per row: (grey outline, white highlight, lime body), each a list of inclusive column ranges.
ROWS = {
    2: ([(6, 10)], [], []),
    3: ([(4, 5), (11, 12)], [], [(6, 10)]),
    4: ([(3, 3), (13, 13)], [], [(4, 12)]),
    5: ([(3, 3), (13, 13)], [(6, 8)], [(4, 5), (9, 12)]),
    6: ([(2, 2), (14, 14)], [(5, 7)], [(3, 4), (8, 13)]),
    7: ([(2, 2), (14, 14)], [(5, 6)], [(3, 4), (7, 13)]),
    8: ([(2, 2), (14, 14)], [(5, 5)], [(3, 4), (6, 13)]),
    9: ([(2, 2), (14, 14)], [], [(3, 13)]),
    10: ([(2, 2), (14, 14)], [], [(3, 13)]),
    11: ([(3, 3), (13, 13)], [], [(4, 12)]),
    12: ([(3, 3), (13, 13)], [], [(4, 12)]),
    13: ([(4, 5), (11, 12)], [], [(6, 10)]),
    14: ([(6, 11)], [], []),
}


def lamp_pixels():
    pixels = [[BLACK] * SIZE for _ in range(SIZE)]
    for row, groups in ROWS.items():
        for colour, ranges in zip((GREY, WHITE, LIME), groups):
            for first, last in ranges:
                for column in range(first, last + 1):
                    pixels[row][column] = colour
    return pixels


def mask_pixels(lamp):
    return [[0 if p != BLACK else 1 for p in row] for row in lamp]


def bmp4(pixels, palette):
    stride = ((SIZE * 4 + 31) // 32) * 4
    rows = b""
    for row in reversed(pixels):  # bottom-up
        packed = bytearray(stride)
        for column, index in enumerate(row):
            packed[column // 2] |= index << (4 if column % 2 == 0 else 0)
        rows += bytes(packed)
    colours = b"".join(bytes([b, g, r, 0]) for r, g, b in palette + [(0, 0, 0)] * (16 - len(palette)))
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 4, 0, len(rows), 0, 0, 16, 0)
    offset = 14 + len(info) + len(colours)
    head = b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset)
    return head + info + colours + rows


def main():
    here = Path(__file__).resolve().parent
    lamp = lamp_pixels()
    (here / "ledgreen.bmp").write_bytes(bmp4(lamp, LAMP_PALETTE))
    (here / "ledmask.bmp").write_bytes(bmp4(mask_pixels(lamp), MASK_PALETTE))


if __name__ == "__main__":
    main()
