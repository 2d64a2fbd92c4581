#!/usr/bin/env python3
"""Draws Gliffo's own icon as pixel art, the way a glyph is drawn: the 16 system colours, one
pixel at a time, no smoothing. A 3 x 3 grid of magnified pixels (the editor's surface) with a
pencil across it, drawn for 16, 24, 32 and 48 pixels; 256 is the 32-pixel drawing enlarged
eight times, so it keeps its pixels. Writes desktop/icons/gliffo-N.png (RGBA).

Run it again after changing the drawing: python3 desktop/make_icons.py
"""
import os
import struct
import zlib

COLOURS = {
    "K": (0, 0, 0), "M": (128, 0, 0), "G": (0, 128, 0), "O": (128, 128, 0),
    "N": (0, 0, 128), "P": (128, 0, 128), "T": (0, 128, 128), "g": (128, 128, 128),
    "s": (192, 192, 192), "R": (255, 0, 0), "L": (0, 255, 0), "Y": (255, 255, 0),
    "B": (0, 0, 255), "F": (255, 0, 255), "A": (0, 255, 255), "W": (255, 255, 255),
}

# Per size: cell side of the grid and the pencil's half-width (without its outline).
SIZES = {16: (3, 1), 24: (5, 2), 32: (7, 2), 48: (11, 3)}


def draw(n):
    cell, half = SIZES[n]
    px = [[None] * n for _ in range(n)]

    def put(x, y, c):
        if 0 <= x < n and 0 <= y < n:
            px[y][x] = c

    # The surface: a black frame, grey grid lines, three rows of cells.
    frame = 3 * cell + 4
    rows = [("R", "Y", "L"), ("A", "B", "F"), ("W", "W", "W")]
    for y in range(frame):
        for x in range(frame):
            if x in (0, frame - 1) or y in (0, frame - 1):
                put(x, y, "K")
            elif (x % (cell + 1)) == 0 or (y % (cell + 1)) == 0:
                put(x, y, "g")
            else:
                put(x, y, rows[y // (cell + 1)][x // (cell + 1)])

    # The pencil lies along the anti-diagonal x + y = n - 1, its point down in the white row.
    s0 = n - 1
    tip_x = round(n * 5 / 16)
    tip_y = s0 - tip_x
    # The end is cut square where its outline still fits inside the icon.
    t_tip, t_end = tip_x - tip_y, n - 2 - half
    length = t_end - t_tip
    point = max(1, round(length * 0.10))
    cone = max(point + 1, round(length * 0.28))
    ferrule = t_end - max(2, round(length * 0.25))
    eraser = t_end - max(2, round(length * 0.15))

    # The line the pencil has just drawn, ending at its point.
    for x in range(1, tip_x):
        put(x, tip_y, "N")

    for y in range(n):
        for x in range(n):
            s, t = x + y, x - y
            if t < t_tip or t > t_end:
                continue
            d = abs(s - s0)
            along = t - t_tip
            if along < cone:
                # At least one pixel each side of the axis, so the point reads as one line.
                reach = 1 + (along * half) // cone
                if d > reach:
                    continue
                if along < point or d == reach:
                    put(x, y, "K")
                else:
                    put(x, y, "W" if s <= s0 else "s")
                continue
            if d > half + 1:
                continue
            if d == half + 1 or t == t_end:
                put(x, y, "K")
            elif t >= eraser:
                put(x, y, "F" if s <= s0 else "P")
            elif t >= ferrule:
                put(x, y, "s" if s <= s0 else "g")
            else:
                put(x, y, "Y" if s <= s0 else "O")
    return px


def enlarge(px, k):
    return [[c for c in row for _ in range(k)] for row in px for _ in range(k)]


def write_png(path, px):
    h, w = len(px), len(px[0])
    raw = bytearray()
    for row in px:
        raw.append(0)
        for c in row:
            raw.extend((*COLOURS[c], 255) if c else (0, 0, 0, 0))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")
    os.makedirs(out, exist_ok=True)
    drawings = {n: draw(n) for n in SIZES}
    drawings[256] = enlarge(drawings[32], 8)
    for n, px in sorted(drawings.items()):
        write_png(os.path.join(out, f"gliffo-{n}.png"), px)


if __name__ == "__main__":
    main()
