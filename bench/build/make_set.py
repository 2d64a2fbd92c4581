#!/usr/bin/python3
"""A set for bench/build/run.sh: 200 icons at 16, 24 and 32 pixels in a light and a dark theme,
six RGBA PNG strips and icons.glyphset. Each glyph has an anti-aliased edge, so every target
carries real alpha.

  make_set.py OUTDIR [ICONS]"""
import os
import random
import sys

from PIL import Image, ImageDraw

out = sys.argv[1]
count = int(sys.argv[2]) if len(sys.argv) > 2 else 200
os.makedirs(out, exist_ok=True)
names = [f'icon-{k:03d}' for k in range(count)]
keys = []
for theme in ['light', 'dark']:
    for size in [16, 24, 32]:
        key = str(size) if theme == 'light' else f'{size}-{theme}'
        keys.append(key)
        strip = Image.new('RGBA', (size * count, size), (0, 0, 0, 0))
        for k in range(count):
            rnd = random.Random(f'{k}/{key}')
            # Drawn four times larger and reduced: soft edges, as a real theme's icons have.
            big = Image.new('RGBA', (size * 4, size * 4), (0, 0, 0, 0))
            d = ImageDraw.Draw(big)
            lo, hi = (20, 90) if theme == 'light' else (170, 240)
            for _ in range(3):
                x0, y0 = rnd.randrange(size * 4 // 2), rnd.randrange(size * 4 // 2)
                x1, y1 = x0 + rnd.randrange(8, size * 2), y0 + rnd.randrange(8, size * 2)
                colour = (rnd.randrange(lo, hi), rnd.randrange(lo, hi), rnd.randrange(lo, hi), 255)
                (d.ellipse if rnd.random() < 0.5 else d.rectangle)((x0, y0, x1, y1), fill=colour)
            strip.paste(big.resize((size, size), Image.LANCZOS), (k * size, 0))
        strip.save(os.path.join(out, f'set-{key}.png'))
with open(os.path.join(out, 'icons.glyphset'), 'w') as f:
    f.write('name = "bench"\nsizes = [16, 24, 32]\nthemes = ["light", "dark"]\nicons = [\n')
    f.writelines(f'  "{n}",\n' for n in names)
    f.write(']\n[strips]\n')
    f.writelines(f'"{key}" = "set-{key}.png"\n' for key in keys)
