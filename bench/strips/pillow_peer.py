#!/usr/bin/python3
"""The strip jobs done with Pillow, as a peer of gliffo-tool in bench/strips/run.sh.

pillow_peer.py gather DIR OUT.bmp SIZE | gatherpng DIR OUT.bmp SIZE | combine OUT.bmp IN... |
               to4bit IN.bmp OUT.bmp | decode IN OUT.ppm | split STRIP OUTDIR |
               scale2x STRIP OUT.bmp | pick STRIP OUT.bmp SPEC... | ico OUTDIR IN32.png...
scale2x enlarges each glyph of the strip on its own by Scale2x (EPX), its edge pixels repeated at
its border; pick joins the glyphs named (a number or a range a-b, either way round) by cropping
and pasting; ico saves each 32 x 32 picture as OUTDIR/NAME.ico with sizes 16, 24 and 32.
Strips are saved as 24-bit BMPs; Pillow writes palette pictures at 8 bits, never 4. gatherpng
takes *.bmp and *.png files, a pixel of alpha below 128 becoming magenta (FF00FF); split writes
each glyph as NAME_NNNN.png, its bottom-left colour transparent.
"""
import os
import sys

from PIL import Image

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


KEY = (255, 0, 255)


def keyed(picture):
    """The picture in RGB, a pixel of alpha below 128 the key colour."""
    if picture.mode == "P" and "transparency" in picture.info or picture.mode in ("RGBA", "LA", "PA"):
        rgba = picture.convert("RGBA")
        ground = Image.new("RGB", rgba.size, KEY)
        ground.paste(rgba.convert("RGB"), mask=rgba.getchannel("A").point(lambda a: 255 if a >= 128 else 0))
        return ground
    return picture


def join(files, out, height=None, multiple=1, key=False):
    pictures = []
    for name in files:
        picture = Image.open(name)
        picture.load()
        if key:
            picture = keyed(picture)
        height = height or picture.height
        if picture.height == height and picture.width % multiple == 0:
            pictures.append(picture)
    strip = Image.new("RGB", (sum(p.width for p in pictures), height))
    left = 0
    for picture in pictures:
        strip.paste(picture.convert("RGB"), (left, 0))
        left += picture.width
    strip.save(out, "BMP")


def main():
    mode, args = sys.argv[1], sys.argv[2:]
    if mode == "gather":
        folder, out, size = args[0], args[1], int(args[2])
        names = sorted((n for n in os.listdir(folder) if n.lower().endswith(".bmp") and not n.startswith(".")),
                       key=str.lower)
        join([os.path.join(folder, n) for n in names], out, size, size)
    elif mode == "gatherpng":
        folder, out, size = args[0], args[1], int(args[2])
        names = sorted((n for n in os.listdir(folder)
                        if n.lower().endswith((".bmp", ".png")) and not n.startswith(".")), key=str.lower)
        join([os.path.join(folder, n) for n in names], out, size, size, key=True)
    elif mode == "split":
        strip = Image.open(args[0])
        strip.load()
        base = os.path.splitext(os.path.basename(args[0]))[0]
        size = strip.height
        for i in range(strip.width // size):
            glyph = strip.crop((i * size, 0, (i + 1) * size, size))
            if glyph.mode == "P":
                glyph.save(os.path.join(args[1], f"{base}_{i:04d}.png"), transparency=glyph.getpixel((0, size - 1)))
            else:
                glyph = glyph.convert("RGBA")
                key = glyph.getpixel((0, size - 1))
                glyph.putdata([(r, g, b, 0 if (r, g, b, a) == key else 255) for (r, g, b, a) in glyph.getdata()])
                glyph.save(os.path.join(args[1], f"{base}_{i:04d}.png"))
    elif mode == "combine":
        join(args[1:], args[0])
    elif mode == "to4bit":
        colours = Image.new("P", (1, 1))
        colours.putpalette([v for c in PALETTE for v in c])
        picture = Image.open(args[0]).convert("RGB")
        picture.quantize(colors=16, palette=colours, dither=Image.Dither.NONE).save(args[1], "BMP")
    elif mode == "scale2x":
        strip = Image.open(args[0]).convert("RGB")
        size = strip.height
        out = Image.new("RGB", (strip.width * 2, size * 2))
        for g in range(strip.width // size):
            glyph = strip.crop((g * size, 0, (g + 1) * size, size))
            p = glyph.load()
            big = Image.new("RGB", (size * 2, size * 2))
            q = big.load()
            for y in range(size):
                for x in range(size):
                    e = p[x, y]
                    a = p[x, max(y - 1, 0)]
                    b = p[min(x + 1, size - 1), y]
                    c = p[max(x - 1, 0), y]
                    d = p[x, min(y + 1, size - 1)]
                    q[2 * x, 2 * y] = a if c == a and c != d and a != b else e
                    q[2 * x + 1, 2 * y] = b if a == b and a != c and b != d else e
                    q[2 * x, 2 * y + 1] = c if d == c and d != b and c != a else e
                    q[2 * x + 1, 2 * y + 1] = d if b == d and b != a and d != c else e
            out.paste(big, (g * size * 2, 0))
        out.save(args[1], "BMP")
    elif mode == "pick":
        strip = Image.open(args[0])
        strip.load()
        size = strip.height
        order = []
        for spec in args[2:]:
            first, _, last = spec.partition("-")
            first, last = int(first), int(last or first)
            order += list(range(first, last + 1) if first <= last else range(first, last - 1, -1))
        out = Image.new(strip.mode, (len(order) * size, size))
        for k, g in enumerate(order):
            out.paste(strip.crop((g * size, 0, (g + 1) * size, size)), (k * size, 0))
        out.save(args[1], "BMP")
    elif mode == "ico":
        for name in args[1:]:
            stem = os.path.basename(name).rsplit("_", 1)[0]
            Image.open(name).save(os.path.join(args[0], stem + ".ico"), sizes=[(16, 16), (24, 24), (32, 32)])
    elif mode == "decode":
        Image.open(args[0]).convert("RGB").save(args[1], "PPM")
    else:
        sys.exit(f"unknown mode {mode}")


if __name__ == "__main__":
    main()
