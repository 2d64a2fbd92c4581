#!/usr/bin/python3
"""The build of bench/build/run.sh as a script over ImageMagick: each strip cut into its cells
by one convert, the cells copied to the names each target wants, one convert per icon for its
ICO, one per strip for the 32-bit BMP and montage for each sheet. The text files are written
here, as such a script writes them.

  magick_build.py SETDIR OUTDIR"""
import glob
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile

src, out = sys.argv[1], sys.argv[2]
SIZES = [16, 24, 32]
THEMES = ['light', 'dark']
IM = shutil.which('magick')
convert = [IM] if IM else ['convert']
montage = [IM, 'montage'] if IM else ['montage']
names = [line.strip().strip('",') for line in open(os.path.join(src, 'icons.glyphset')) if line.strip().startswith('"icon-')]


def folder(*parts):
    path = os.path.join(out, *parts)
    os.makedirs(path, exist_ok=True)
    return path


with tempfile.TemporaryDirectory() as tmp:
    cell = {}
    for t, theme in enumerate(THEMES):
        for size in SIZES:
            key = str(size) if t == 0 else f'{size}-{theme}'
            cut = os.path.join(tmp, key)
            os.mkdir(cut)
            subprocess.run(convert + [os.path.join(src, f'set-{key}.png'), '-crop', f'{size}x{size}', '+repage',
                                      '+adjoin', os.path.join(cut, '%03d.png')], check=True)
            for k, name in enumerate(names):
                cell[(name, size, theme)] = os.path.join(cut, f'{k:03d}.png')
    for t, theme in enumerate(THEMES):
        tree = 'hicolor' if t == 0 else f'hicolor-{theme}'
        dirs = []
        for size, scale, cell_size in [(16, 1, 16), (16, 2, 32), (24, 1, 24), (32, 1, 32)]:
            sub = f'{size}x{size}' + (f'@{scale}' if scale > 1 else '') + '/actions'
            dirs.append((sub, size, scale))
            where = folder(tree, sub)
            for name in names:
                shutil.copyfile(cell[(name, cell_size, theme)], os.path.join(where, f'{name}.png'))
        with open(os.path.join(out, tree, 'index.theme'), 'w') as f:
            f.write('[Icon Theme]\nName=bench\nComment=bench icons\n' + ('Inherits=hicolor\n' if t else ''))
            f.write('Directories=' + ','.join(d for d, _, _ in dirs) + '\n')
            for d, size, scale in dirs:
                f.write(f'\n[{d}]\nSize={size}\nScale={scale}\nContext=Actions\nType=Fixed\n')
        qt = folder('qt') if t == 0 else folder('qt', theme)
        pc = folder('percent') if t == 0 else folder('percent', theme)
        ico = folder('ico') if t == 0 else folder('ico', theme)
        for name in names:
            shutil.copyfile(cell[(name, 16, theme)], os.path.join(qt, f'{name}.png'))
            shutil.copyfile(cell[(name, 32, theme)], os.path.join(qt, f'{name}@2x.png'))
            for suffix, size in [('', 16), ('_150', 24), ('_200', 32)]:
                shutil.copyfile(cell[(name, size, theme)], os.path.join(pc, f'{name}{suffix}.png'))
            subprocess.run(convert + [cell[(name, s, theme)] for s in SIZES] + [os.path.join(ico, f'{name}.ico')], check=True)
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
            subprocess.run(convert + [os.path.join(src, f'set-{key}.png'), os.path.join(strips, f'bench-{key}.bmp')], check=True)
            cells = sorted(glob.glob(os.path.join(tmp, key, '*.png')))
            subprocess.run(montage + cells + ['-tile', f'{across}x', '-geometry', '+0+0', '-background', 'none',
                                              'PNG32:' + os.path.join(out, f'bench-{key}.png')], check=True)
            frames = {name: {'frame': {'x': k % across * size, 'y': k // across * size, 'w': size, 'h': size}}
                      for k, name in enumerate(names)}
            with open(os.path.join(out, f'bench-{key}.json'), 'w') as f:
                json.dump({'frames': frames, 'meta': {'image': f'bench-{key}.png', 'size': {'w': size * across, 'h': size * down}}}, f)
