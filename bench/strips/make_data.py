#!/usr/bin/env python3
"""Writes the strip-job test data, the same bytes on every run.

make_data.py OUTDIR [GLYPHS] [STRIPS] [--check GLIFFO_TOOL]
  OUTDIR/glyphs/      GLYPHS files of 16 x 16 (default 10000), even ones 4-bit with the 16-colour
                      system palette, odd ones 24-bit; names in mixed letter case.
  OUTDIR/glyphs1000/  the first 1,000 of those, the same bytes.
  OUTDIR/strips/      STRIPS strips of 10 glyphs, 160 x 16 (default 1000), alternating 24- and 4-bit.
  OUTDIR/strips24/    STRIPS strips of 10 glyphs, 160 x 16, all 24-bit.
  OUTDIR/strips4/     STRIPS strips of 10 glyphs, 160 x 16, all 4-bit with the system palette.
  OUTDIR/strip1000.bmp  a 24-bit strip of 1,000 glyphs (16,000 x 16), for scale and pick.
  OUTDIR/icons/       200 icons as three RGBA PNGs each, aNNN_16.png, aNNN_24.png, aNNN_32.png
                      (alpha 0 or 255), for ico.
  OUTDIR/pngglyphs/   GLYPHS PNG files of 16 x 16, even ones RGBA (alpha 0 or 255), odd ones 4-bit
                      palette whose entry 0 is transparent (tRNS); every opaque pixel one of the 16
                      system colours, so the gathered 4-bit strip is exact. Names in mixed case.
  OUTDIR/pngglyphs.sha256  the picture gathering them gives (transparent pixels magenta, FF00FF).
  OUTDIR/wide4.bmp    one 4-bit strip of 10,000 glyphs, each glyph's bottom-left pixel magenta.
  OUTDIR/wide24.bmp   one 24-bit strip of 10,000 glyphs, 160,000 x 16, in colours of its own.
  OUTDIR/big/         4096 x 4096 pictures: rgb24, pal8 (256 colours), pal4, rle8, rle4 .bmp, and
                      rgba.png (rgb24's picture, every alpha 255); flat
                      areas with noisy patches, so the run-length files hold both kinds of runs.
  OUTDIR/big/pictures.sha256  each big picture's pixels, top row first, as a P6 file holds them.
  OUTDIR/palette16.ppm  the 16 system colours, for ImageMagick's -remap.
--check decodes every big picture with gliffo-tool, ImageMagick and Pillow and stops unless
gliffo-tool and one other give the picture that was written.
"""
import hashlib
import os
import random
import struct
import subprocess
import sys
import zlib

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def bmp_head(width, height, bit_count, table, bits, compression=0):
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, compression, len(bits), 2835, 2835,
                       len(table) // 4, 0)
    return header + info + table


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
    return bmp_head(width, height, bit_count, table, bits) + bits


def png(width, height, colour_type, bit_depth, rows, plte=b"", trns=b"", level=6):
    """A PNG file of rows of raw sample bytes (filter type 0 on every row)."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, bit_depth, colour_type, 0, 0, 0))
    if plte:
        out += chunk(b"PLTE", plte)
    if trns:
        out += chunk(b"tRNS", trns)
    return out + chunk(b"IDAT", zlib.compress(b"".join(b"\0" + r for r in rows), level)) + chunk(b"IEND", b"")


MAGENTA = 13  # the key colour's index among the 16


def png_glyph(rng, i):
    """(PNG bytes, the picture it gathers to: 16 rows of RGB bytes)."""
    indices = glyph_pixels(rng, 16, 16, 4)
    # A ground of index 0 around the shape: transparent in both kinds of file.
    clear = [[x < 2 or y > 13 or (x + y) % 7 == 0 for x in range(16)] for y in range(16)]
    picture = [b"".join(bytes(PALETTE[MAGENTA] if clear[y][x] else PALETTE[indices[y][x]]) for x in range(16))
               for y in range(16)]
    if i % 2 == 0:
        rows = [b"".join(b"\0\0\0\0" if clear[y][x] else bytes(PALETTE[indices[y][x]]) + b"\xff" for x in range(16))
                for y in range(16)]
        return png(16, 16, 6, 8, rows), picture
    # Entry 0 is transparent; the other fifteen are the system colours but black, which takes
    # magenta's place in the glyph (magenta is the key it would read as anyway).
    table = [(0, 0, 0)] + PALETTE[1:]
    values = [[0 if clear[y][x] else (indices[y][x] or MAGENTA) for x in range(16)] for y in range(16)]
    picture = [b"".join(bytes(PALETTE[MAGENTA] if clear[y][x] else PALETTE[values[y][x]]) for x in range(16))
               for y in range(16)]
    rows = [bytes((row[x] << 4) | row[x + 1] for x in range(0, 16, 2)) for row in values]
    return png(16, 16, 3, 4, rows, b"".join(bytes(c) for c in table), b"\0"), picture


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


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def wide_strip(rng, glyphs):
    """A 24-bit strip of 16 x 16 glyphs drawn from 256 distinct ones, in colours that mostly are
    none of the 16, so a 4-bit copy has to match every one."""
    shapes = []
    for _ in range(256):
        base = [bytes(rng.randrange(256) for _ in range(3)) for _ in range(4)]
        shapes.append([b"".join(base[(x // 4 + y // 4) % 4] if rng.random() < 0.9 else bytes(
            rng.randrange(256) for _ in range(3)) for x in range(16)) for y in range(16)])
    order = [rng.randrange(256) for _ in range(glyphs)]
    bits = b"".join(b"".join(shapes[g][y] for g in order) for y in reversed(range(16)))
    return bmp_head(16 * glyphs, 16, 24, b"", bits) + bits


def index_rows(rng, width, levels, count):
    """Rows of palette indices that look like icons: flat runs, now and then a noisy patch."""
    rows = []
    for _ in range(count):
        row = bytearray()
        while len(row) < width:
            if rng.random() < 0.15:
                row += bytes(rng.randrange(levels) for _ in range(rng.randrange(3, 40)))
            else:
                row += bytes([rng.randrange(levels)]) * rng.randrange(2, 300)
        rows.append(bytes(row[:width]))
    return rows


def rle_row(row, four_bit):
    """One row in BI_RLE8 / BI_RLE4 (four_bit): a repeat of 2 or more is an encoded run, the rest
    goes out as absolute runs (3 to 255 pixels, padded to 16 bits), or as runs of one when shorter."""
    out = bytearray()
    i, n = 0, len(row)
    while i < n:
        j = i
        while j < n and j - i < 255 and row[j] == row[i]:
            j += 1
        if j - i >= 2:
            out += bytes((j - i, row[i] * 17 if four_bit else row[i]))
            i = j
            continue
        k = i
        while k < n and k - i < 255 and not (k + 2 < n and row[k] == row[k + 1] == row[k + 2]):
            k += 1
        literal = row[i:k]
        if len(literal) < 3:
            out += b"".join(bytes((1, v * 17 if four_bit else v)) for v in literal)
        else:
            data = bytes((literal[m] << 4) | (literal[m + 1] if m + 1 < len(literal) else 0)
                         for m in range(0, len(literal), 2)) if four_bit else literal
            out += bytes((0, len(literal))) + data + b"\0" * (len(data) % 2)
        i = k
    return bytes(out)


def big_pictures(rng, size):
    """{name: BMP bytes} and {name: the expected P6 pixel bytes, top row first}; size is a multiple
    of 8, so no row needs padding."""
    table8 = PALETTE + [tuple(rng.randrange(256) for _ in range(3)) for _ in range(240)]
    files, expected = {}, {}
    for levels, table in ((256, table8), (16, PALETTE)):
        rows = index_rows(rng, size, levels, 96)
        order, k = [], 0
        for _ in range(size):
            if rng.random() < 0.3:
                k = rng.randrange(len(rows))
            order.append(k)
        rgb = [b"".join(bytes(table[v]) for v in row) for row in rows]
        bgr = [b"".join(bytes(table[v][::-1]) for v in row) for row in rows]
        picture = b"".join(rgb[k] for k in order)
        colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in table)
        bottom_up = list(reversed(order))
        if levels == 256:
            bits = b"".join(bgr[k] for k in bottom_up)
            files["rgb24"] = bmp_head(size, size, 24, b"", bits) + bits
            expected["rgb24"] = picture
            bits = b"".join(rows[k] for k in bottom_up)
            files["pal8"] = bmp_head(size, size, 8, colours, bits) + bits
            expected["pal8"] = picture
            name, bit_count, compression = "rle8", 8, 1
        else:
            packed = [bytes((row[x] << 4) | row[x + 1] for x in range(0, size, 2)) for row in rows]
            bits = b"".join(packed[k] for k in bottom_up)
            files["pal4"] = bmp_head(size, size, 4, colours, bits) + bits
            expected["pal4"] = picture
            name, bit_count, compression = "rle4", 4, 2
        encoded = [rle_row(row, levels == 16) for row in rows]
        bits = b"\0\0".join(encoded[k] for k in bottom_up) + b"\0\1"
        files[name] = bmp_head(size, size, bit_count, colours, bits, compression) + bits
        expected[name] = picture
    return files, expected


def read_ppm(path):
    """(width, height, pixel bytes) of a binary PPM with maxval 255."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError(f"{path}: not a P6 PPM of maxval 255")
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def magick_env(folder):
    """The environment for ImageMagick with room for this data: the distribution's policy caps
    pictures at 16K pixels wide, and the strips are 160K."""
    os.makedirs(folder, exist_ok=True)
    write(os.path.join(folder, "policy.xml"),
          b'<policymap>\n'
          b'  <policy domain="resource" name="width" value="1MP"/>\n'
          b'  <policy domain="resource" name="height" value="1MP"/>\n'
          b'  <policy domain="resource" name="area" value="1GP"/>\n'
          b'  <policy domain="resource" name="memory" value="2GiB"/>\n'
          b'</policymap>\n')
    return dict(os.environ, MAGICK_CONFIGURE_PATH=folder)


def big_file(name):
    return name + (".png" if name == "rgba" else ".bmp")


def check_big(out, tool, size, expected):
    here = os.path.dirname(os.path.abspath(__file__))
    decoders = {"gliffo-tool": lambda src, dst: [tool, "decode", src, dst]}
    if os.access("/usr/bin/convert", os.X_OK):
        # At the depth of the file otherwise: 4-bit pictures would come out with maxval 15.
        decoders["ImageMagick"] = lambda src, dst: ["/usr/bin/convert", src, "-depth", "8", "PPM:" + dst]
    if os.access("/usr/bin/python3", os.X_OK) and subprocess.run(["/usr/bin/python3", "-c", "import PIL"],
                                                                 capture_output=True).returncode == 0:
        decoders["Pillow"] = lambda src, dst: ["/usr/bin/python3", os.path.join(here, "pillow_peer.py"), "decode", src, dst]
    if len(decoders) < 2:
        sys.exit("make_data.py: needs ImageMagick or Pillow beside gliffo-tool to check the pictures")
    env = magick_env(os.path.join(out, "magick"))
    check = os.path.join(out, "check.ppm")
    for name, picture in expected.items():
        agree = []
        for decoder, command in decoders.items():
            result = subprocess.run(command(os.path.join(out, "big", big_file(name)), check), env=env,
                                    capture_output=True)
            if result.returncode == 0 and read_ppm(check) == (size, size, picture):
                agree.append(decoder)
            else:
                print(f"{big_file(name)}: {decoder} does not decode the picture written "
                      f"{result.stderr.decode()[:300]}")
        # gliffo-tool is what is measured; another reader that agrees shows the file is right.
        if "gliffo-tool" not in agree or len(agree) < 2:
            sys.exit(f"make_data.py: {big_file(name)} is not checked by two readers; the data is not kept")
        print(f"{big_file(name)}: {', '.join(agree)} decode the picture written")
    os.remove(check)


def main():
    args = sys.argv[1:]
    tool = None
    if "--check" in args:
        at = args.index("--check")
        tool = args[at + 1]
        del args[at:at + 2]
    out = args[0]
    glyphs = int(args[1]) if len(args) > 1 else 10000
    strips = int(args[2]) if len(args) > 2 else 1000
    rng = random.Random(20240607)
    for folder in ("glyphs", "glyphs1000", "strips", "strips24", "strips4", "icons", "pngglyphs", "big"):
        os.makedirs(os.path.join(out, folder), exist_ok=True)
    for i in range(glyphs):
        bit_count = 4 if i % 2 == 0 else 24
        data = bmp(16, 16, bit_count, glyph_pixels(rng, 16, 16, bit_count))
        write(os.path.join(out, "glyphs", name_for("g", i)), data)
        # The names sort as they are numbered, so these are the first 1,000 in name order too.
        if i < 1000:
            write(os.path.join(out, "glyphs1000", name_for("g", i)), data)
    for i in range(strips):
        bit_count = 24 if i % 2 == 0 else 4
        data = bmp(160, 16, bit_count, glyph_pixels(rng, 160, 16, bit_count))
        write(os.path.join(out, "strips", f"s{i:04d}.bmp"), data)
    write(os.path.join(out, "wide24.bmp"), wide_strip(rng, 10000))
    write(os.path.join(out, "palette16.ppm"), b"P6\n16 1\n255\n" + b"".join(bytes(c) for c in PALETTE))
    files, expected = big_pictures(rng, 4096)
    for name, data in files.items():
        write(os.path.join(out, "big", name + ".bmp"), data)
    rgb = expected["rgb24"]
    rows = []
    for y in range(4096):
        row = bytearray(4 * 4096)
        for c in range(3):
            row[c::4] = rgb[y * 3 * 4096 + c:(y + 1) * 3 * 4096:3]
        row[3::4] = b"\xff" * 4096
        rows.append(bytes(row))
    write(os.path.join(out, "big", "rgba.png"), png(4096, 4096, 6, 8, rows))
    expected["rgba"] = rgb
    write(os.path.join(out, "big", "pictures.sha256"),
          "".join(f"{hashlib.sha256(p).hexdigest()} {n}\n" for n, p in expected.items()).encode())
    # The PNG jobs' data and the 24-bit strips come from a generator of their own, so the data
    # above stays the bytes it always was.
    rng = random.Random(20240924)
    for i in range(strips):
        write(os.path.join(out, "strips24", f"s{i:04d}.bmp"), bmp(160, 16, 24, glyph_pixels(rng, 160, 16, 24)))
    pictures = []
    for i in range(glyphs):
        data, picture = png_glyph(rng, i)
        write(os.path.join(out, "pngglyphs", name_for("p", i).replace(".bmp", ".png").replace(".BMP", ".PNG")), data)
        pictures.append(picture)
    gathered = b"".join(b"".join(p[y] for p in pictures) for y in range(16))
    write(os.path.join(out, "pngglyphs.sha256"), (hashlib.sha256(gathered).hexdigest() + "\n").encode())
    wide4 = []
    for g in range(10000):
        glyph = glyph_pixels(rng, 16, 16, 4)
        glyph[15][0] = MAGENTA
        wide4.append(glyph)
    write(os.path.join(out, "wide4.bmp"), bmp(16 * 10000, 16, 4, [[v for g in wide4 for v in g[y]] for y in range(16)]))
    # The small 4-bit strips last, from a generator of their own, so the data above keeps its bytes.
    rng = random.Random(20261209)
    for i in range(strips):
        write(os.path.join(out, "strips4", f"s{i:04d}.bmp"), bmp(160, 16, 4, glyph_pixels(rng, 160, 16, 4)))
    write(os.path.join(out, "strip1000.bmp"), wide_strip(rng, 1000))
    for i in range(200):
        for size in (16, 24, 32):
            pixels = glyph_pixels(rng, size, size, 24)
            rows = [b"".join(b"\0\0\0\0" if (x + y) % 5 == 0 else bytes(pixels[y][x]) + b"\xff" for x in range(size))
                    for y in range(size)]
            write(os.path.join(out, "icons", f"a{i:03d}_{size}.png"), png(size, size, 6, 8, rows))
    if tool:
        check_big(out, tool, 4096, expected)


if __name__ == "__main__":
    main()
