#!/usr/bin/env python3
# Writes a strip of twenty sample 16 x 16 glyphs as a 24-bit BMP: the file named by the first
# argument. The screenshot scripts open it.
import struct, sys, math
S, N = 16, 20
pal = [(0,0,0),(128,0,0),(0,128,0),(128,128,0),(0,0,128),(128,0,128),(0,128,128),(192,192,192),
       (128,128,128),(255,0,0),(0,255,0),(255,255,0),(0,0,255),(255,0,255),(0,255,255),(255,255,255)]
bg = (192,192,192)
def glyph(k, x, y):
    cx, cy = x - 7.5, y - 7.5
    c1, c2 = pal[[9,12,2,4,1,5,6,3,10,13][k % 10]], pal[[11,14,15,11,15,14,11,15,0,15][k % 10]]
    kind = k % 10
    if kind == 0:  # disc
        return c1 if cx*cx + cy*cy < 42 else bg
    if kind == 1:  # square with a light centre
        return (c2 if abs(cx) < 3 and abs(cy) < 3 else c1) if abs(cx) < 6.5 and abs(cy) < 6.5 else bg
    if kind == 2:  # right arrow
        return c1 if (abs(cy) < 2 and -6 < cx < 2) or (cx >= 1 and abs(cy) < 7 - cx) else bg
    if kind == 3:  # page with lines
        if 2 <= x <= 13 and 1 <= y <= 14:
            return pal[0] if x in (2, 13) or y in (1, 14) else (c1 if y % 3 == 0 and 4 <= x <= 11 else pal[15])
        return bg
    if kind == 4:  # diamond
        return c1 if abs(cx) + abs(cy) < 7 else bg
    if kind == 5:  # ring
        return c1 if 16 < cx*cx + cy*cy < 46 else bg
    if kind == 6:  # up triangle
        return c1 if y >= 3 and abs(cx) <= (y - 3) * 0.55 + 0.5 and y <= 13 else bg
    if kind == 7:  # folder
        if 1 <= x <= 14 and 4 <= y <= 13:
            return pal[0] if x in (1, 14) or y in (4, 13) else pal[11]
        return pal[0] if 1 <= x <= 6 and y == 3 else bg
    if kind == 8:  # check mark
        return pal[2] if abs(y - (x + 3)) <= 1 and x <= 6 or abs(y - (16 - x)) <= 1 and x >= 6 and y >= 3 else bg
    return c1 if abs(cx) < 1.5 or abs(cy) < 1.5 else bg  # plus
W = S * N
stride = (W * 3 + 3) // 4 * 4
rows = []
for y in range(S - 1, -1, -1):
    row = bytearray()
    for x in range(W):
        r, g, b = glyph(x // S, x % S, y)
        row += bytes((b, g, r))
    row += bytes(stride - len(row))
    rows.append(bytes(row))
pixels = b"".join(rows)
header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, W, S, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
open(sys.argv[1], "wb").write(header + info + pixels)
