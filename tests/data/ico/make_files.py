#!/usr/bin/env python3
"""Writes the icons other programs make, for the reader's tests: Pillow's (PNG entries, and
32-bit bitmaps without the AND mask) and ImageMagick's (BMP entries with AND masks, and with
alpha). Each size's picture is also kept as src_N.png, which the tests decode as the expected
pixels. Needs Pillow and ImageMagick's convert; run it from this folder: python3 make_files.py"""
import subprocess
from PIL import Image, ImageDraw

SIZES = (16, 24, 32)


def picture(n, alpha):
    im = Image.new('RGBA', (n, n), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    d.rectangle([1, 1, n - 3, n - 3], outline=(0, 0, 128, 255))
    d.line([(2, n - 4), (n - 4, 2)], fill=(255, 0, 0, 255))
    d.point((n // 2, n - 2), fill=(0, 128, 0, 255))
    if alpha:
        d.point((n - 2, 1), fill=(255, 255, 0, 100))  # below 128: transparent
    return im


for n in SIZES:
    picture(n, False).save(f'src_{n}.png')
    picture(n, True).save(f'srca_{n}.png')

# Pillow stores every size as PNG; the given pictures are used as they are.
first = picture(SIZES[-1], True)
first.save('pillow_png.ico', sizes=[(n, n) for n in SIZES],
           append_images=[picture(n, True) for n in SIZES[:-1]])

# Asked for bitmaps, Pillow writes 32-bit entries without the AND mask: alpha alone.
first.save('pillow_bmp.ico', sizes=[(n, n) for n in SIZES], bitmap_format='bmp',
           append_images=[picture(n, True) for n in SIZES[:-1]])

# ImageMagick stores sizes below 256 as bitmaps: 32 bits with alpha and the AND mask.
subprocess.run(['/usr/bin/convert'] + [f'srca_{n}.png' for n in SIZES] + ['magick_alpha.ico'], check=True)
# From pictures without partial alpha and few colours: palette bitmaps with the AND mask.
subprocess.run(['/usr/bin/convert'] + [f'src_{n}.png' for n in SIZES] + ['-type', 'PaletteAlpha', 'magick_mask.ico'], check=True)
