#!/usr/bin/python3
"""The strip jobs done with Pillow, as a peer of gliffo-tool in bench/strips/run.sh.

pillow_peer.py gather DIR OUT.bmp SIZE | combine OUT.bmp IN... | to4bit IN.bmp OUT.bmp | decode IN.bmp OUT.ppm
Strips are saved as 24-bit BMPs; Pillow writes palette pictures at 8 bits, never 4.
"""
import os
import sys

from PIL import Image

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def join(files, out, height=None, multiple=1):
    pictures = []
    for name in files:
        picture = Image.open(name)
        picture.load()
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
