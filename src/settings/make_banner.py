#!/usr/bin/env python3
"""Draws a dialog banner: a 200 x 46 pixel, 24-bit Windows bitmap with the format's name in large
letters and a caption of two short lines beside it, on a blue gradient.

    make_banner.py OUTPUT.bmp "FIRST LINE" "SECOND LINE"
"""
import struct
import sys

WIDTH, HEIGHT = 200, 46

# 5 x 7 pixel capitals, digits and the colon: one string of five 0/1 columns per row.
GLYPHS = {
    " ": ["00000"] * 7,
    ":": ["00000", "01100", "01100", "00000", "01100", "01100", "00000"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "4": ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
}

WHITE = (255, 255, 255)
GOLD = (240, 190, 60)
PALE = (200, 215, 240)


def background():
    """Rows top to bottom of (r, g, b) pixels: dark blue at the top, lighter at the bottom."""
    rows = []
    for y in range(HEIGHT):
        t = y / (HEIGHT - 1)
        colour = (int(20 + 30 * t), int(40 + 50 * t), int(90 + 70 * t))
        rows.append([colour] * WIDTH)
    return rows


def draw_text(rows, text, left, top, scale, colour):
    for index, char in enumerate(text):
        glyph = GLYPHS[char]
        x0 = left + index * 6 * scale
        for gy, line in enumerate(glyph):
            for gx, bit in enumerate(line):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            rows[top + gy * scale + dy][x0 + gx * scale + dx] = colour


def fill(rows, left, top, width, height, colour):
    for y in range(top, top + height):
        for x in range(left, left + width):
            rows[y][x] = colour


def bitmap_bytes(rows):
    """A BITMAPFILEHEADER, a BITMAPINFOHEADER and the rows bottom-up in B, G, R order. 600 bytes
    a row need no padding."""
    pixels = b"".join(bytes(c for r, g, b in row for c in (b, g, r)) for row in reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def main():
    output, first, second = sys.argv[1:4]
    rows = background()
    draw_text(rows, "QLNU", 10, 6, 4, WHITE)
    fill(rows, 10, 36, 92, 3, GOLD)
    fill(rows, 112, 8, 1, 30, PALE)
    draw_text(rows, first, 120, 12, 1, WHITE)
    draw_text(rows, second, 120, 25, 1, PALE)
    with open(output, "wb") as file:
        file.write(bitmap_bytes(rows))


if __name__ == "__main__":
    main()
