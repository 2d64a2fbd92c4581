#!/usr/bin/env python3
"""gliffo-tool check and build of an icon set, the outputs read by the tools that take them.

  python3 tests/build_interop.py GLIFFO_TOOL

A set of 3 sizes and 2 themes with six planted faults (an empty cell, a bad name, a repeated
name, a stray soft pixel, an off-centre glyph, a black glyph on the dark toolbar): check finds
each one and no other, in text and JSON, build refuses it, and the same set put right gives
status 0. A set of the same shape is built: gtk-update-icon-cache takes the hicolor tree, rcc
the .qrc; Pillow reads every PNG, every ICO entry, every strip and every sheet rectangle
pixel-exact to its cell, and strips are 4-bit where the cells fit the 16 colours, else 32-bit
with alpha. A second build writes nothing; one changed cell rewrites exactly the files holding
it; a file that cannot be written fails the build naming it, the files before it whole; --clean
removes a removed icon's files, only those of the targets built and never one outside the
folder; a build over the set's own strips or through a link in its folder is refused. Exits 77
(skipped) when Pillow is missing; the gtk-update-icon-cache and rcc steps are skipped where
those tools are missing."""
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile

try:
    from PIL import Image
except ImportError:
    print('Pillow is not installed: skipped')
    sys.exit(77)

TOOL = sys.argv[1]
FAILURES = []
SIZES = [16, 24, 32]
THEMES = ['light', 'dark']


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print('FAIL:', what)


def run(*args, cwd, status=0):
    r = subprocess.run([TOOL, *args], cwd=cwd, capture_output=True, text=True)
    check(r.returncode == status, f'{" ".join(args)}: status {r.returncode}, not {status}: {r.stderr.strip()}')
    return r


def glyph(n, seed, theme, shift=0, colour=None):
    """A hard-edged glyph centred in its cell (its bounding box's corners drawn), dark ink for
    the light toolbar and light ink for the dark one."""
    rnd = random.Random(seed)
    im = Image.new('RGBA', (n, n), (0, 0, 0, 0))
    px = im.load()
    lo, hi = (0, 0x50) if theme == 'light' else (0xB0, 0x100)
    ink = lambda: colour or (rnd.randrange(lo, hi), rnd.randrange(lo, hi), rnd.randrange(lo, hi), 255)
    m = n // 4
    for x, y in [(m, m), (n - 1 - m, m), (m, n - 1 - m), (n - 1 - m, n - 1 - m)]:
        px[x + shift, y] = ink()
    for _ in range(n * 2):
        px[rnd.randrange(m, n - m) + shift, rnd.randrange(m, n - m)] = ink()
    return im


def make_set(folder, names, cells):
    """cells[(name, size, theme)] is a picture or None (empty); one RGBA PNG strip a column."""
    os.makedirs(folder, exist_ok=True)
    strips = {}
    for theme in THEMES:
        for size in SIZES:
            key = str(size) if theme == 'light' else f'{size}-{theme}'
            strip = Image.new('RGBA', (size * len(names), size), (0, 0, 0, 0))
            for k, name in enumerate(names):
                picture = cells.get((k, size, theme))
                if picture is not None:
                    strip.paste(picture, (k * size, 0))
            strip.save(os.path.join(folder, f'set-{key}.png'))
            strips[key] = f'set-{key}.png'
    with open(os.path.join(folder, 'icons.glyphset'), 'w') as f:
        f.write('name = "demo"\nsizes = [16, 24, 32]\nthemes = ["light", "dark"]\n')
        f.write('icons = [' + ', '.join(json.dumps(n) for n in names) + ']\n[strips]\n')
        for key, path in strips.items():
            f.write(f'"{key}" = "{path}"\n')


def clean_cells(names):
    return {(k, size, theme): glyph(size, f'{name}/{k}/{size}/{theme}', theme)
            for k, name in enumerate(names) for size in SIZES for theme in THEMES}


def rgba(im):
    """An RGBA picture's pixels, the colour of a transparent one left out."""
    im = im.convert('RGBA')
    return [p if p[3] else (0, 0, 0, 0) for p in im.getdata()]


def check_faults(folder):
    names = ['empty-one', 'Bad Name', 'dup', 'dup', 'soft', 'shifted', 'black', 'fine']
    cells = clean_cells(names)
    cells[(0, 24, 'light')] = None
    soft = cells[(4, 16, 'light')]
    soft.putpixel((8, 8), (10, 10, 10, 128))
    cells[(5, 32, 'light')] = glyph(32, 'shifted', 'light', shift=3)
    cells[(6, 24, 'dark')] = glyph(24, 'black', 'dark', colour=(0, 0, 0, 255))
    make_set(folder, names, cells)
    expected = {('empty-one', 24, 'light', 'empty'), ('Bad Name', None, None, 'bad-name'),
                ('dup', None, None, 'repeated-name'), ('soft', 16, 'light', 'soft-pixel'),
                ('shifted', 32, 'light', 'off-centre'), ('black', 24, 'dark', 'contrast')}
    r = run('check', 'icons.glyphset', '--json', cwd=folder, status=1)
    try:
        found = {(p['icon'], p['size'], p['theme'], p['problem']) for p in json.loads(r.stdout)}
    except (ValueError, KeyError, TypeError) as e:
        found = set()
        check(False, f'check --json gave no array of problems: {e}: {r.stdout}')
    check(found == expected, f'check found {sorted(map(str, found - expected))}, missed {sorted(map(str, expected - found))}')
    r = run('check', 'icons.glyphset', cwd=folder, status=1)
    lines = r.stdout.splitlines()
    starts = {f'{i} {s if s else "-"} {t if t else "-"}:' for i, s, t, _ in expected}
    check(len(lines) == len(expected) and all(any(l.startswith(s) for s in starts) for l in lines),
          f'check lines: {lines}')
    # A set with bad names is not built: its files would break the tools that read them.
    out = os.path.join(folder, 'out')
    r = run('build', 'icons.glyphset', out, cwd=folder, status=1)
    check(not os.path.exists(out), 'a refused build wrote something')

    # The same set, the faults put right.
    good = os.path.join(folder, 'good')
    names = ['empty-one', 'bad-name', 'dup', 'dup-2', 'soft', 'shifted', 'black', 'fine']
    make_set(good, names, clean_cells(names))
    r = run('check', 'icons.glyphset', cwd=good, status=0)
    check(r.stdout == '', f'a clean set: {r.stdout}')
    r = run('check', 'icons.glyphset', '--json', cwd=good, status=0)
    check(r.stdout.strip() == '[]', f'a clean set in JSON: {r.stdout}')


def files_with_times(folder):
    return {os.path.relpath(os.path.join(d, n), folder): os.stat(os.path.join(d, n)).st_mtime_ns
            for d, _, names in os.walk(folder) for n in names}


def check_build(folder):
    names = ['document-open', 'document-save', 'edit-copy', 'edit-paste', 'go-up']
    cells = clean_cells(names)
    cells[(1, 24, 'light')] = None  # an empty cell gives no file
    soft = cells[(2, 32, 'dark')]
    for x in range(4, 28):  # an anti-aliased edge: alpha that must come through exactly
        soft.putpixel((x, 3), (200, 210, 220, 40 + x))
    make_set(folder, names, cells)
    out = os.path.join(folder, 'out')
    run('build', 'icons.glyphset', out, cwd=folder)

    def cell(k, size, theme):
        picture = cells.get((k, size, theme))
        return None if picture is None else rgba(picture)

    def same(path, want, what):
        try:
            got = rgba(Image.open(path))
        except Exception as e:  # noqa: BLE001 - any reading failure is the finding
            check(False, f'{what}: Pillow cannot read {path}: {e}')
            return
        check(got == want, f'{what}: {os.path.relpath(path, out)} is not its cell')

    for t, theme in enumerate(THEMES):
        tree = 'hicolor' if t == 0 else f'hicolor-{theme}'
        index = open(os.path.join(out, tree, 'index.theme')).read()
        for size in SIZES:
            check(f'[{size}x{size}/actions]\nSize={size}\nScale=1\nContext=Actions\nType=Fixed' in index, f'{tree} index names {size}')
        check('[16x16@2/actions]\nSize=16\nScale=2' in index, f'{tree} index names 16x16@2')
        check(('Inherits=hicolor' in index) == (t > 0), f'{tree} inherits')
        for k, name in enumerate(names):
            for size in SIZES:
                path = os.path.join(out, tree, f'{size}x{size}', 'actions', f'{name}.png')
                want = cell(k, size, theme)
                if want is None:
                    check(not os.path.exists(path), f'an empty cell gave {path}')
                else:
                    same(path, want, 'hicolor')
            same(os.path.join(out, tree, '16x16@2', 'actions', f'{name}.png'), cell(k, 32, theme), 'hicolor @2')
            qt = 'qt' if t == 0 else f'qt/{theme}'
            same(os.path.join(out, qt, f'{name}.png'), cell(k, 16, theme), 'qt')
            same(os.path.join(out, qt, f'{name}@2x.png'), cell(k, 32, theme), 'qt @2x')
            percent = 'percent' if t == 0 else f'percent/{theme}'
            for suffix, size in [('', 16), ('_150', 24), ('_200', 32)]:
                path = os.path.join(out, percent, f'{name}{suffix}.png')
                if cell(k, size, theme) is not None:
                    same(path, cell(k, size, theme), 'percent')
            ico = os.path.join(out, 'ico' if t == 0 else f'ico/{theme}', f'{name}.ico')
            im = Image.open(ico)
            sizes = sorted(s[0] for s in im.ico.sizes())
            drawn = [s for s in SIZES if cell(k, s, theme) is not None]
            check(sizes == drawn, f'{ico}: entries {sizes}, not {drawn}')
            for s in drawn:
                check(rgba(im.ico.getimage((s, s))) == cell(k, s, theme), f'{ico}: the {s} entry is not its cell')
        for size in SIZES:
            key = str(size) if t == 0 else f'{size}-{theme}'
            sheet = Image.open(os.path.join(out, f'demo-{key}.png'))
            frames = json.load(open(os.path.join(out, f'demo-{key}.json')))
            check(frames['meta']['image'] == f'demo-{key}.png', 'the sheet map names its picture')
            check(sorted(frames['frames']) == sorted(names), f'the sheet map of {key} names {sorted(frames["frames"])}')
            for k, name in enumerate(names):
                f = frames['frames'][name]['frame']
                part = sheet.crop((f['x'], f['y'], f['x'] + f['w'], f['y'] + f['h']))
                want = cell(k, size, theme) or [(0, 0, 0, 0)] * size * size
                check((f['w'], f['h']) == (size, size) and rgba(part) == want, f'sheet {key}: {name} does not cut to its cell')
            strip = Image.open(os.path.join(out, 'strips', f'demo-{key}.bmp'))
            for k, name in enumerate(names):
                want = cell(k, size, theme) or [(0, 0, 0, 0)] * size * size
                check(rgba(strip.crop((k * size, 0, (k + 1) * size, size))) == want, f'strip {key}: {name} is not its cell')
    check(open(os.path.join(out, 'strips', 'NAMES.txt')).read().split() == names, 'NAMES.txt')

    cache = shutil.which('gtk-update-icon-cache')
    if cache:
        for tree in ['hicolor', 'hicolor-dark']:
            r = subprocess.run([cache, '-f', os.path.join(out, tree)], capture_output=True, text=True)
            check(r.returncode == 0, f'gtk-update-icon-cache {tree}: {r.stderr}')
            r = subprocess.run([cache, '--validate', os.path.join(out, tree)], capture_output=True, text=True)
            check(r.returncode == 0, f'gtk-update-icon-cache --validate {tree}: {r.stderr}')
            os.unlink(os.path.join(out, tree, 'icon-theme.cache'))
    else:
        print('gtk-update-icon-cache is not installed: the theme tree is not tried')
    rcc = shutil.which('rcc') or next((p for p in ['/usr/lib/qt6/libexec/rcc', '/usr/lib/qt6/bin/rcc'] if os.path.exists(p)), None)
    if rcc:
        r = subprocess.run([rcc, 'demo.qrc', '-o', os.path.join(folder, 'demo_qrc.cpp')], cwd=out, capture_output=True, text=True)
        check(r.returncode == 0, f'rcc: {r.stderr}')
        listed = subprocess.run([rcc, '--list', 'demo.qrc'], cwd=out, capture_output=True, text=True).stdout.split()
        check(len(listed) == len(names) * 2 * 2, f'rcc lists {len(listed)} files, not {len(names) * 4}')
    else:
        print('rcc is not installed: the resource file is not compiled')

    # Nothing changed: nothing written.
    before = files_with_times(out)
    r = run('build', 'icons.glyphset', out, cwd=folder)
    check(files_with_times(out) == before, 'a second build changed files')
    check('written:' not in r.stdout, f'a second build says it wrote: {r.stdout}')

    # One cell changed (edit-copy at 24, light): only the files holding it.
    strip = Image.open(os.path.join(folder, 'set-24.png')).convert('RGBA')
    strip.putpixel((2 * 24 + 12, 12), (1, 2, 3, 255))
    strip.save(os.path.join(folder, 'set-24.png'))
    run('build', 'icons.glyphset', out, cwd=folder)
    after = files_with_times(out)
    changed = {p for p in after if before.get(p) != after[p]}
    want = {'hicolor/24x24/actions/edit-copy.png', 'percent/edit-copy_150.png', 'ico/edit-copy.ico',
            'strips/demo-24.bmp', 'demo-24.png', '.gliffo-build'}
    check(changed == want, f'one changed cell rewrote {sorted(changed)}, not {sorted(want)}')

    # A file that cannot be written (a folder in its place): the build fails naming it, and the
    # files saved before it are whole; once it can be written, only what is missing is made.
    shutil.rmtree(out)
    os.makedirs(os.path.join(out, 'ico', 'edit-copy.ico'))
    r = run('build', 'icons.glyphset', out, cwd=folder, status=1)
    check('ico/edit-copy.ico' in r.stderr, f'a failed build names its file: {r.stderr}')
    same(os.path.join(out, 'qt', 'edit-copy.png'), cell(2, 16, 'light'), 'before a failure')
    os.rmdir(os.path.join(out, 'ico', 'edit-copy.ico'))
    before = files_with_times(out)
    r = run('build', 'icons.glyphset', out, cwd=folder)
    after = files_with_times(out)
    changed = {p for p in after if before.get(p) != after[p]}
    check('ico/edit-copy.ico' in changed and 'qt/edit-copy.png' not in changed,
          f'after a failure the build made {sorted(changed)[:8]}...')

    # An icon removed: --clean takes its files away, the others stay.
    run('set', 'remove', 'icons.glyphset', 'go-up', cwd=folder)
    run('build', 'icons.glyphset', out, '--clean', cwd=folder)
    left = [p for p in files_with_times(out) if 'go-up' in p]
    check(left == [], f'--clean left {left}')
    check(os.path.exists(os.path.join(out, 'ico', 'edit-copy.ico')), '--clean removed a live icon')
    # A build of one target cleans that target's files only.
    run('build', 'icons.glyphset', out, '--target', 'ico', '--clean', cwd=folder)
    check(os.path.exists(os.path.join(out, 'qt', 'edit-copy.png')), '--target ico --clean removed a Qt file')
    # A record edited to list files outside the folder, or behind a link out of it: a clean
    # removes none of them.
    outside = os.path.join(folder, 'outside')
    os.mkdir(outside)
    open(os.path.join(outside, 'victim'), 'w').write('keep')
    os.symlink(outside, os.path.join(out, 'lnk'))
    with open(os.path.join(out, '.gliffo-build'), 'a') as f:
        f.write(f'0 1 1 + ico ../outside/victim\n0 1 1 + ico {outside}/victim\n0 1 1 + ico lnk/victim\n')
    run('build', 'icons.glyphset', out, '--target', 'ico', '--clean', cwd=folder)
    check(os.path.exists(os.path.join(outside, 'victim')), 'a clean removed a file outside its folder')
    # Nor does a build write through a link in its folder.
    shutil.rmtree(os.path.join(out, 'ico'))
    os.symlink(outside, os.path.join(out, 'ico'))
    r = run('build', 'icons.glyphset', out, '--target', 'ico', cwd=folder, status=1)
    check(os.listdir(outside) == ['victim'] and 'is a link' in r.stderr, f'a build wrote through a link: {r.stderr}')


def check_own_files(folder):
    """A build into the set's own folder, where a sheet would take a strip's name, is refused
    before anything is written."""
    names = ['go-up', 'go-down']
    make_set(folder, names, clean_cells(names))
    for theme in THEMES:
        for size in SIZES:
            key = str(size) if theme == 'light' else f'{size}-{theme}'
            os.rename(os.path.join(folder, f'set-{key}.png'), os.path.join(folder, f'demo-{key}.png'))
    text = open(os.path.join(folder, 'icons.glyphset')).read().replace('"set-', '"demo-')
    open(os.path.join(folder, 'icons.glyphset'), 'w').write(text)
    before = files_with_times(folder)
    r = run('build', 'icons.glyphset', '.', cwd=folder, status=1)
    check('one of the set' in r.stderr, f'a build over the set itself: {r.stderr}')
    check(files_with_times(folder) == before, 'a build over the set itself wrote files')


def check_strip_depths(folder):
    """Key-colour glyphs in the 16 system colours give a 4-bit strip, pixel for pixel; one colour
    outside them gives a 32-bit strip with the key transparent."""
    os.makedirs(folder)
    key = (255, 0, 255)
    ink = [(0, 0, 0), (128, 0, 0), (0, 0, 255)]
    strip = Image.new('RGB', (48, 16), key)
    for k in range(3):
        for x in range(4, 12):
            for y in range(3, 13):
                strip.putpixel((k * 16 + x, y), ink[k])
    strip.save(os.path.join(folder, 'tb16.bmp'))
    odd = strip.copy()
    odd.putpixel((20, 8), (1, 2, 3))
    odd.save(os.path.join(folder, 'odd16.bmp'))
    for name, file in [('even', 'tb16.bmp'), ('odd', 'odd16.bmp')]:
        with open(os.path.join(folder, f'{name}.glyphset'), 'w') as f:
            f.write(f'name = "{name}"\nsizes = [16]\nicons = ["a", "b", "c"]\n[strips]\n"16" = "{file}"\n')
        run('build', f'{name}.glyphset', 'out', '--target', 'strips', cwd=folder)
    even = Image.open(os.path.join(folder, 'out', 'strips', 'even-16.bmp'))
    check(even.mode == 'P' and even.info.get('compression', 0) == 0 and len(even.getpalette()) // 3 <= 16,
          f'a strip in the 16 colours is {even.mode}, not 4 bits')
    check(list(even.convert('RGB').getdata()) == list(strip.getdata()), 'the 4-bit strip is not its cells')
    with open(os.path.join(folder, 'out', 'strips', 'even-16.bmp'), 'rb') as f:
        check(f.read(30)[28] == 4, 'the strip in the 16 colours is not 4 bits a pixel')
    odd32 = Image.open(os.path.join(folder, 'out', 'strips', 'odd-16.bmp'))
    want = [(0, 0, 0, 0) if p == key else p + (255,) for p in odd.getdata()]
    check(odd32.mode == 'RGBA' and rgba(odd32) == want, f'a strip off the 16 colours is {odd32.mode}, not its cells with alpha')


def main():
    with tempfile.TemporaryDirectory() as folder:
        check_faults(os.path.join(folder, 'faults'))
        check_build(os.path.join(folder, 'build'))
        check_own_files(os.path.join(folder, 'own'))
        check_strip_depths(os.path.join(folder, 'depths'))
    if FAILURES:
        print(f'{len(FAILURES)} failures')
        return 1
    print('build and check interop: ok')
    return 0


if __name__ == '__main__':
    sys.exit(main())
