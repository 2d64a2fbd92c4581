#!/usr/bin/python3
"""The build of bench/build/run.sh done with Pillow: the same files gliffo-tool build writes for
the bench's set (hicolor tree and index.theme, Qt files and .qrc, percent PNGs, 32-bit strips
with alpha and NAMES.txt, one ICO per icon, sprite sheets with their JSON), as a maintainer's
script would write them. No incremental build: every file is written every time.

  pillow_build.py SETDIR OUTDIR"""
import json
import math
import os
import sys

from PIL import Image

src, out = sys.argv[1], sys.argv[2]
SIZES = [16, 24, 32]
THEMES = ['light', 'dark']
names = []
for line in open(os.path.join(src, 'icons.glyphset')):
    line = line.strip()
    if line.startswith('"icon-'):
        names.append(line.strip('",'))
cells = {}
for t, theme in enumerate(THEMES):
    for size in SIZES:
        key = str(size) if t == 0 else f'{size}-{theme}'
        strip = Image.open(os.path.join(src, f'set-{key}.png')).convert('RGBA')
        for k, name in enumerate(names):
            cells[(name, size, theme)] = strip.crop((k * size, 0, (k + 1) * size, size))


def folder(*parts):
    path = os.path.join(out, *parts)
    os.makedirs(path, exist_ok=True)
    return path


for t, theme in enumerate(THEMES):
    tree = 'hicolor' if t == 0 else f'hicolor-{theme}'
    dirs = []
    for size, scale, cell_size in [(16, 1, 16), (16, 2, 32), (24, 1, 24), (32, 1, 32)]:
        sub = f'{size}x{size}' + (f'@{scale}' if scale > 1 else '') + '/actions'
        dirs.append((sub, size, scale))
        where = folder(tree, sub)
        for name in names:
            cells[(name, cell_size, theme)].save(os.path.join(where, f'{name}.png'))
    with open(os.path.join(out, tree, 'index.theme'), 'w') as f:
        f.write(f'[Icon Theme]\nName=bench\nComment=bench icons\n' + ('Inherits=hicolor\n' if t else ''))
        f.write('Directories=' + ','.join(d for d, _, _ in dirs) + '\n')
        for d, size, scale in dirs:
            f.write(f'\n[{d}]\nSize={size}\nScale={scale}\nContext=Actions\nType=Fixed\n')
    qt = folder('qt') if t == 0 else folder('qt', theme)
    pc = folder('percent') if t == 0 else folder('percent', theme)
    ico = folder('ico') if t == 0 else folder('ico', theme)
    for name in names:
        cells[(name, 16, theme)].save(os.path.join(qt, f'{name}.png'))
        cells[(name, 32, theme)].save(os.path.join(qt, f'{name}@2x.png'))
        for suffix, size in [('', 16), ('_150', 24), ('_200', 32)]:
            cells[(name, size, theme)].save(os.path.join(pc, f'{name}{suffix}.png'))
        cells[(name, 32, theme)].save(os.path.join(ico, f'{name}.ico'), sizes=[(16, 16), (24, 24), (32, 32)],
                                      append_images=[cells[(name, 16, theme)], cells[(name, 24, theme)]])
with open(os.path.join(out, 'bench.qrc'), 'w') as f:
    f.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n')
    for t, theme in enumerate(THEMES):
        d = 'qt/' if t == 0 else f'qt/{theme}/'
        f.write('<qresource prefix="/">\n' if t == 0 else f'<qresource prefix="/{theme}">\n')
        for name in names:
            f.write(f'  <file alias="icons/{name}.png">{d}{name}.png</file>\n')
            f.write(f'  <file alias="icons/{name}@2x.png">{d}{name}@2x.png</file>\n')
        f.write('</qresource>\n')
    f.write('</RCC>\n')
strips = folder('strips')
with open(os.path.join(strips, 'NAMES.txt'), 'w') as f:
    f.writelines(n + '\n' for n in names)
across = math.ceil(math.sqrt(len(names)))
down = (len(names) + across - 1) // across
for t, theme in enumerate(THEMES):
    for size in SIZES:
        key = str(size) if t == 0 else f'{size}-{theme}'
        strip = Image.new('RGBA', (size * len(names), size))
        sheet = Image.new('RGBA', (size * across, size * down), (0, 0, 0, 0))
        frames = {}
        for k, name in enumerate(names):
            strip.paste(cells[(name, size, theme)], (k * size, 0))
            x, y = k % across * size, k // across * size
            sheet.paste(cells[(name, size, theme)], (x, y))
            frames[name] = {'frame': {'x': x, 'y': y, 'w': size, 'h': size}, 'rotated': False, 'trimmed': False,
                            'spriteSourceSize': {'x': 0, 'y': 0, 'w': size, 'h': size},
                            'sourceSize': {'w': size, 'h': size}, 'duration': 100}
        strip.save(os.path.join(strips, f'bench-{key}.bmp'))
        sheet.save(os.path.join(out, f'bench-{key}.png'))
        with open(os.path.join(out, f'bench-{key}.json'), 'w') as f:
            json.dump({'frames': frames, 'meta': {'app': 'pillow', 'image': f'bench-{key}.png', 'format': 'RGBA8888',
                                                  'size': {'w': size * across, 'h': size * down}, 'scale': '1'}}, f)
