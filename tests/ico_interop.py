#!/usr/bin/env python3
"""Icons gliffo-tool writes, read back by Pillow and by ImageMagick entry by entry.

  python3 tests/ico_interop.py GLIFFO_TOOL

Writes one icon of 16, 24, 32, 48 and 256 pixels from pictures made here, then checks every
entry against its picture: the same colour in every pixel, alpha 0 exactly where the picture
has its bottom-left colour and 255 elsewhere. Exits 77 (skipped) when Pillow or ImageMagick's
convert is missing, 1 on any difference."""
import os
import shutil
import subprocess
import sys
import tempfile

try:
    from PIL import Image, IcoImagePlugin
except ImportError:
    print('Pillow is not installed: skipped')
    sys.exit(77)
CONVERT = '/usr/bin/convert' if os.path.exists('/usr/bin/convert') else shutil.which('convert')
if not CONVERT:
    print("ImageMagick's convert is not installed: skipped")
    sys.exit(77)

SIZES = (16, 24, 32, 48, 256)


def picture(n):
    im = Image.new('RGB', (n, n))
    key = (192, 192, 192)
    px = im.load()
    for y in range(n):
        for x in range(n):
            px[x, y] = key if (x + y) % 5 == 0 or x == y else ((x * 7 + n) & 255, (y * 11) & 255, (x * y) & 255)
    px[0, n - 1] = key
    return im


def expected(im):
    n = im.width
    key = im.getpixel((0, n - 1))
    return [(r, g, b, 0 if (r, g, b) == key else 255) for (r, g, b) in im.getdata()]


def main():
    tool = sys.argv[1]
    failures = 0
    with tempfile.TemporaryDirectory() as d:
        inputs = []
        for n in SIZES:
            path = os.path.join(d, f'p{n}.bmp')
            picture(n).save(path)
            inputs.append(path)
        ico = os.path.join(d, 'out.ico')
        subprocess.run([tool, 'ico', ico] + inputs, check=True, stdout=subprocess.DEVNULL)
        with open(ico, 'rb') as f:
            icofile = IcoImagePlugin.IcoFile(f)
            for i, n in enumerate(SIZES):
                want = expected(picture(n))
                got = list(icofile.getimage((n, n)).convert('RGBA').getdata())
                if got != want:
                    failures += 1
                    print(f'Pillow: entry {i} ({n}x{n}) differs')
                raw = subprocess.run([CONVERT, f'{ico}[{i}]', '-depth', '8', 'rgba:-'], check=True,
                                     stdout=subprocess.PIPE).stdout
                got = [tuple(raw[k:k + 4]) for k in range(0, len(raw), 4)]
                if got != want:
                    failures += 1
                    print(f'ImageMagick: entry {i} ({n}x{n}) differs')
    print(f'{len(SIZES)} entries, {failures} differences')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
