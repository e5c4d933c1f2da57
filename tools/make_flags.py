#!/usr/bin/env python3
"""Draws the flag pictures of the shipped languages into lang/ as 48x48 24-bit BMP files.

Each flag is 48x32, centred on the dialog's background colour with a thin grey frame.
Run from anywhere: python3 tools/make_flags.py
"""
import math
import os
import struct

SIZE = 48
FLAG_H = 32
TOP = (SIZE - FLAG_H) // 2
BACKGROUND = (248, 247, 237)
FRAME = (128, 128, 128)


def write_bmp(path, pixels):
    """pixels[y][x] = (r, g, b), top row first."""
    row_bytes = SIZE * 3
    padding = (4 - row_bytes % 4) % 4
    image = bytearray()
    for y in range(SIZE - 1, -1, -1):
        for r, g, b in pixels[y]:
            image += bytes((b, g, r))
        image += b"\0" * padding
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(image), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + image)


def flag(colour_at):
    """colour_at(u, v) with u, v in [0, 1) across the flag area."""
    pixels = [[BACKGROUND] * SIZE for _ in range(SIZE)]
    for y in range(TOP, TOP + FLAG_H):
        for x in range(SIZE):
            if y in (TOP, TOP + FLAG_H - 1) or x in (0, SIZE - 1):
                pixels[y][x] = FRAME
            else:
                pixels[y][x] = colour_at((x + 0.5) / SIZE, (y - TOP + 0.5) / FLAG_H)
    return pixels


def vertical(*colours):
    return lambda u, v: colours[min(int(u * len(colours)), len(colours) - 1)]


def horizontal(bands):
    """bands: list of (share, colour) from the top."""
    total = sum(share for share, _ in bands)

    def colour(u, v):
        edge = 0.0
        for share, c in bands:
            edge += share / total
            if v < edge:
                return c
        return bands[-1][1]

    return colour


def union_flag(u, v):
    blue, white, red = (1, 33, 105), (255, 255, 255), (200, 16, 46)
    x, y = u * 60, v * 30  # the flag's own 2:1 units
    # St George's cross
    if abs(x - 30) < 3 or abs(y - 15) < 3:
        return red
    if abs(x - 30) < 5 or abs(y - 15) < 5:
        return white
    # the saltires: distance from both diagonals
    d1 = abs(y - x / 2) * 2 / math.sqrt(5)
    d2 = abs(y - (30 - x / 2)) * 2 / math.sqrt(5)
    d = min(d1, d2)
    if d < 1.0:
        return red
    if d < 3.0:
        return white
    return blue


def default_flag():
    """A globe: no particular language."""
    pixels = [[BACKGROUND] * SIZE for _ in range(SIZE)]
    cx = cy = (SIZE - 1) / 2
    radius = 20
    for y in range(SIZE):
        for x in range(SIZE):
            dx, dy = x - cx, y - cy
            r = math.hypot(dx, dy)
            if r > radius + 0.5:
                continue
            if r > radius - 1.5:
                pixels[y][x] = (40, 70, 120)
                continue
            colour = (70, 130, 200)
            # equator, two parallels and the central meridian with two curved ones
            on_line = abs(dy) < 0.8 or abs(abs(dy) - radius * 0.55) < 0.8 or abs(dx) < 0.8
            half = math.sqrt(max(radius * radius - dy * dy, 0.0)) * 0.55
            if abs(abs(dx) - half) < 0.9:
                on_line = True
            pixels[y][x] = (235, 240, 250) if on_line else colour
    return pixels


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "lang")
    flags = {
        "English": flag(union_flag),
        "Italiano": flag(vertical((0, 146, 70), (255, 255, 255), (206, 43, 55))),
        "Deutsch": flag(horizontal([(1, (0, 0, 0)), (1, (221, 0, 0)), (1, (255, 206, 0))])),
        "Français": flag(vertical((0, 85, 164), (255, 255, 255), (239, 65, 53))),
        "Español": flag(horizontal([(1, (170, 21, 27)), (2, (241, 191, 0)), (1, (170, 21, 27))])),
        "DefaultFlag": default_flag(),
    }
    for name, pixels in flags.items():
        write_bmp(os.path.join(folder, name + ".bmp"), pixels)


if __name__ == "__main__":
    main()
