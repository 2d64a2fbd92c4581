#!/usr/bin/env python3
# Writes a strip of six 32 x 32 glyphs with soft, anti-aliased edges as an RGBA PNG: the file
# named by the first argument. Each pixel's alpha is the share of it a shape covers (4 x 4
# samples), its colour the shape's; the alpha screenshot script opens it.
import math, struct, sys, zlib

S, N = 32, 6
COLOURS = [(220, 40, 40), (40, 110, 220), (30, 160, 60), (230, 160, 20), (140, 60, 190), (20, 150, 160)]


def inside(k, x, y):
    cx, cy = x - 16, y - 16
    r = math.hypot(cx, cy)
    kind = k % 6
    if kind == 0:  # disc
        return r < 13
    if kind == 1:  # ring
        return 8 < r < 13.5
    if kind == 2:  # right arrow
        return (abs(cy) < 4 and -12 < cx < 3) or (cx >= 2 and abs(cy) < 13 - cx)
    if kind == 3:  # star
        a = math.atan2(cy, cx)
        return r < 7 + 6 * (0.5 + 0.5 * math.cos(5 * a))
    if kind == 4:  # diamond
        return abs(cx) + abs(cy) < 13
    return abs(cx - cy) < 3.5 and abs(cx + cy) < 24 or abs(cx + cy) < 3.5 and abs(cx - cy) < 24  # cross


def pixel(k, x, y):
    covered = sum(inside(k, x + (i + 0.5) / 4, y + (j + 0.5) / 4) for i in range(4) for j in range(4))
    return COLOURS[k] + (round(covered * 255 / 16),)


rows = b""
for y in range(S):
    row = bytearray(b"\0")
    for k in range(N):
        for x in range(S):
            row += bytes(pixel(k, x, y))
    rows += bytes(row)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


with open(sys.argv[1], "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", S * N, S, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))
