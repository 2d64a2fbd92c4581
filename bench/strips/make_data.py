#!/usr/bin/env python3
"""Writes the strip-job test data, the same bytes on every run.

make_data.py OUTDIR [GLYPHS] [STRIPS]
  OUTDIR/glyphs/  GLYPHS files of 16 x 16 (default 10000), even ones 4-bit with the 16-colour
                  system palette, odd ones 24-bit; names in mixed letter case.
  OUTDIR/strips/  STRIPS strips of 10 glyphs, 160 x 16 (default 1000), alternating 24- and 4-bit.
"""
import os
import random
import struct
import sys

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def bmp(width, height, bit_count, pixels):
    """pixels: rows top first; palette indices for 4-bit, (r, g, b) for 24-bit."""
    stride = ((width * bit_count + 31) // 32) * 4
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE) if bit_count == 4 else b""
    rows = []
    for row in reversed(pixels):
        if bit_count == 4:
            data = bytearray()
            for x in range(0, width, 2):
                hi = row[x]
                lo = row[x + 1] if x + 1 < width else 0
                data.append((hi << 4) | lo)
        else:
            data = bytearray()
            for (r, g, b) in row:
                data += bytes((b, g, r))
        data += b"\0" * (stride - len(data))
        rows.append(bytes(data))
    bits = b"".join(rows)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, 0, len(bits), 2835, 2835,
                       16 if bit_count == 4 else 0, 0)
    return header + info + table + bits


def glyph_pixels(rng, width, height, bit_count):
    if bit_count == 4:
        base = [rng.randrange(16) for _ in range(4)]
        return [[base[(x // 4 + y // 4) % 4] if rng.random() < 0.9 else rng.randrange(16)
                 for x in range(width)] for y in range(height)]
    base = [tuple(rng.randrange(256) for _ in range(3)) for _ in range(4)]
    return [[base[(x // 4 + y // 4) % 4] for x in range(width)] for y in range(height)]


def name_for(prefix, i):
    # Mixed case so the sort has to ignore it.
    stem = f"{prefix}{i:05d}"
    return (stem.upper() if i % 3 == 0 else stem) + (".BMP" if i % 7 == 0 else ".bmp")


def main():
    out = sys.argv[1]
    glyphs = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    strips = int(sys.argv[3]) if len(sys.argv) > 3 else 1000
    rng = random.Random(20240607)
    os.makedirs(os.path.join(out, "glyphs"), exist_ok=True)
    os.makedirs(os.path.join(out, "strips"), exist_ok=True)
    for i in range(glyphs):
        bit_count = 4 if i % 2 == 0 else 24
        data = bmp(16, 16, bit_count, glyph_pixels(rng, 16, 16, bit_count))
        with open(os.path.join(out, "glyphs", name_for("g", i)), "wb") as f:
            f.write(data)
    for i in range(strips):
        bit_count = 24 if i % 2 == 0 else 4
        data = bmp(160, 16, bit_count, glyph_pixels(rng, 160, 16, bit_count))
        with open(os.path.join(out, "strips", f"s{i:04d}.bmp"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
