#!/usr/bin/env python3
"""Icons gliffo-tool writes, read back by Pillow and by ImageMagick entry by entry, and
pictures with soft alpha the other way round.

  python3 tests/ico_interop.py GLIFFO_TOOL

Writes one icon of 16, 24, 32, 48 and 256 pixels from pictures made here, then checks every
entry against its picture: the same colour in every pixel, alpha 0 exactly where the picture
has its bottom-left colour and 255 elsewhere. Then icons with every alpha from 0 to 255,
written by Pillow and by ImageMagick, are read entry by entry by gliffo-tool (pick --size N
into a PNG): the alpha of every pixel exact, and the colour of every pixel that shows; Pillow's
icons of 32-bit bitmaps without the AND mask among them, and ImageMagick's of pictures whose
alpha is 0 or 255 (32-bit and palette entries with the mask). Last,
such a picture written with --alpha-bmp is read by Pillow as RGBA, every pixel exact. Exits
77 (skipped) when Pillow or ImageMagick's convert is missing, 1 on any difference."""
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
        failures += soft_alpha(tool, d)
    print(f'{len(SIZES)} entries and the soft-alpha pictures, {failures} differences')
    return 1 if failures else 0


def soft(n):
    """Every alpha from 0 to 255 across the picture, in colours of their own."""
    im = Image.new('RGBA', (n, n))
    px = im.load()
    for y in range(n):
        for x in range(n):
            px[x, y] = ((x * 37) & 255, (y * 53) & 255, (x * y) & 255, (y * n + x) * 255 // (n * n - 1))
    return im


def same_where_seen(got, want):
    return len(got) == len(want) and all(g[3] == w[3] and (w[3] == 0 or g == w) for g, w in zip(got, want))


def read_entry(tool, ico, n, out):
    """The icon's n x n entry written as a PNG by gliffo-tool; False when it is refused."""
    r = subprocess.run([tool, 'pick', ico, out, '0', '--size', str(n)], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if r.returncode != 0:
        print(r.stderr.decode(errors='replace').strip())
    return r.returncode == 0


def soft_alpha(tool, d):
    failures = 0
    sizes = (16, 32, 48)
    pictures = {n: soft(n) for n in sizes}
    pillow_ico = os.path.join(d, 'pillow.ico')
    pictures[48].save(pillow_ico, sizes=[(n, n) for n in sizes], append_images=[pictures[n] for n in sizes[:-1]])
    sources = []
    for n in sizes:
        path = os.path.join(d, f'soft{n}.png')
        pictures[n].save(path)
        sources.append(path)
    # Asked for bitmaps, Pillow writes 32-bit entries without the AND mask: alpha alone.
    pillow_bmp_ico = os.path.join(d, 'pillow_bmp.ico')
    pictures[48].save(pillow_bmp_ico, sizes=[(n, n) for n in sizes], bitmap_format='bmp',
                      append_images=[pictures[n] for n in sizes[:-1]])
    magick_ico = os.path.join(d, 'magick.ico')
    subprocess.run([CONVERT] + sources + [magick_ico], check=True)
    for writer, ico in (('Pillow', pillow_ico), ("Pillow's bitmap", pillow_bmp_ico), ('ImageMagick', magick_ico)):
        for n in sizes:
            out = os.path.join(d, f'read{n}.png')
            if not read_entry(tool, ico, n, out):
                failures += 1
                print(f"{writer}'s {n}x{n} entry is refused")
            elif not same_where_seen(list(Image.open(out).convert('RGBA').getdata()), list(pictures[n].getdata())):
                failures += 1
                print(f"{writer}'s {n}x{n} entry is not read with its alpha")
    failures += magick_masks(tool, d)
    bmp = os.path.join(d, 'alpha.bmp')
    subprocess.run([tool, 'copy', sources[-1], bmp, '--alpha-bmp'], check=True)
    back = Image.open(bmp)
    if back.mode != 'RGBA' or list(back.getdata()) != list(pictures[48].getdata()):
        failures += 1
        print(f'Pillow reads the --alpha-bmp file as {back.mode}, not the picture')
    return failures


def magick_masks(tool, d):
    """Icons ImageMagick writes from pictures with alpha only 0 or 255, as `convert a16.png
    a32.png out.ico` makes them: every entry read back with that alpha and the colours shown."""
    failures = 0
    sizes = (16, 32)
    sources, pictures = [], {}
    for n in sizes:
        im = Image.new('RGBA', (n, n))
        px = im.load()
        for y in range(n):
            for x in range(n):
                # Few colours, so that a palette holds them all.
                px[x, y] = ((x // 4) * 29, (y // 4) * 27, 200, 0 if (x * 3 + y) % 7 == 0 else 255)
        pictures[n] = im
        path = os.path.join(d, f'mask{n}.png')
        im.save(path)
        sources.append(path)
    for kind, extra in (('32-bit', []), ('palette', ['-type', 'PaletteAlpha'])):
        ico = os.path.join(d, f'magick_{len(extra)}.ico')
        subprocess.run([CONVERT] + sources + extra + [ico], check=True)
        for n in sizes:
            out = os.path.join(d, f'mask_read{n}.png')
            if not read_entry(tool, ico, n, out):
                failures += 1
                print(f"ImageMagick's {kind} {n}x{n} entry is refused")
            elif not same_where_seen(list(Image.open(out).convert('RGBA').getdata()), list(pictures[n].getdata())):
                failures += 1
                print(f"ImageMagick's {kind} {n}x{n} entry is not read as written")
    return failures


if __name__ == '__main__':
    sys.exit(main())
