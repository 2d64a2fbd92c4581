#!/usr/bin/python3
"""The strip jobs done with Pillow, as a peer of gliffo-tool in bench/strips/run.sh.

pillow_peer.py gather DIR OUT.bmp SIZE | gatherpng DIR OUT.bmp SIZE | combine OUT.bmp IN... |
               to4bit IN.bmp OUT.bmp | decode IN OUT.ppm | split STRIP OUTDIR
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
    elif mode == "decode":
        Image.open(args[0]).convert("RGB").save(args[1], "PPM")
    else:
        sys.exit(f"unknown mode {mode}")


if __name__ == "__main__":
    main()
