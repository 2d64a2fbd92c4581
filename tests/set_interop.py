#!/usr/bin/env python3
"""Icon sets through gliffo-tool, every strip read back by Pillow.

  python3 tests/set_interop.py GLIFFO_TOOL

A set of 3 sizes and 2 themes made here: after set add, rename, move and remove every strip
holds the right glyph under every name and the strips a job had no reason to touch keep their
bytes; a set naming ../outside.png or /tmp/x.png is refused by the set jobs and by a strip job,
and nothing is written. A hicolor tree and a Qt folder made here are imported: every cell is a
pixel-exact copy of its file, a size a name lacks is an empty cell. Exits 77 (skipped) when
Pillow is missing, 1 on any difference."""
import hashlib
import os
import random
import subprocess
import sys
import tempfile
import tomllib

try:
    from PIL import Image
except ImportError:
    print('Pillow is not installed: skipped')
    sys.exit(77)

TOOL = sys.argv[1]
FAILURES = []
KEY = (255, 0, 255)


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print('FAIL:', what)


def run(*args, cwd, status=0):
    r = subprocess.run([TOOL, *args], cwd=cwd, capture_output=True, text=True)
    check(r.returncode == status, f'{" ".join(args)}: status {r.returncode}, not {status}: {r.stderr.strip()}')
    return r


def icon(n, seed):
    """An n x n icon on a transparent ground, its bottom-left pixel transparent."""
    rnd = random.Random(seed)
    im = Image.new('RGBA', (n, n), (0, 0, 0, 0))
    px = im.load()
    for _ in range(n * 2):
        x, y = rnd.randrange(1, n), rnd.randrange(0, n - 1)
        px[x, y] = (rnd.randrange(256), rnd.randrange(1, 255), rnd.randrange(256), 255)
    return im


def seen(im):
    """What a glyph shows: each opaque pixel's colour, None where it is transparent."""
    im = im.convert('RGBA')
    w, h = im.size
    out = []
    for y in range(h):
        for x in range(w):
            r, g, b, a = im.getpixel((x, y))
            out.append(None if a < 128 or (r, g, b) == KEY else (r, g, b))
    return out


def glyphs_of(path, size):
    im = Image.open(path)
    im.load()
    return [seen(im.crop((k * size, 0, (k + 1) * size, size))) for k in range(im.size[0] // size)]


def strips_of(folder, set_name):
    with open(os.path.join(folder, set_name), 'rb') as f:
        data = tomllib.load(f)
    return data, {key: os.path.join(folder, path) for key, path in data.get('strips', {}).items()}


def digest(path):
    with open(path, 'rb') as f:
        return hashlib.sha256(f.read()).hexdigest()


def all_files(folder):
    return {os.path.join(d, n): digest(os.path.join(d, n)) for d, _, names in os.walk(folder) for n in names}


def check_set(folder, names, pictures, sizes, keys, what):
    """Each strip holds, under every name, the picture drawn for it, or an empty cell."""
    data, strips = strips_of(folder, 'icons.glyphset')
    check(data['icons'] == names, f'{what}: names {data["icons"]} not {names}')
    for key, size in zip(keys, sizes):
        cells = glyphs_of(strips[key], size) if key in strips else []
        for k, name in enumerate(names):
            want = pictures.get((key, name))
            got = cells[k] if k < len(cells) else None
            empty = got is None or all(p is None for p in got)
            if want is None:
                check(empty, f'{what}: {name} at {key} should be empty')
            else:
                check(got == seen(want), f'{what}: {name} at {key} is not its picture')


def set_operations(folder):
    os.mkdir(os.path.join(folder, 'dark'))
    sizes = [16, 24, 32]
    keys = ['16', '24', '32', '16-dark', '24-dark', '32-dark']
    names = ['document-open', 'document-save', 'edit-copy', 'edit-paste']
    pictures = {}
    files = {}
    for t, theme in enumerate(['light', 'dark']):
        for s, size in enumerate(sizes):
            key = keys[t * 3 + s]
            count = 3 if key == '32' else 4  # one strip shorter than the names
            strip = Image.new('RGBA', (size * count, size), (0, 0, 0, 0))
            for k in range(count):
                pictures[(key, names[k])] = icon(size, f'{key}/{k}')
                strip.paste(pictures[(key, names[k])], (k * size, 0))
            path = f'{"dark/" if theme == "dark" else ""}tb{size}.{"bmp" if key == "16" else "png"}'
            if key == '16':  # a BMP strip: the key colour where the others are transparent
                flat = Image.new('RGB', strip.size, KEY)
                flat.paste(strip, (0, 0), strip)
                flat.save(os.path.join(folder, path))
            else:
                strip.save(os.path.join(folder, path))
            files[key] = path
    lines = ''.join(f'"{k}" = "{p}"\n' for k, p in files.items())
    with open(os.path.join(folder, 'icons.glyphset'), 'w') as f:
        f.write('# Toolbar icons\nname = "tb"\nsizes = [16, 24, 32]\nthemes = ["light", "dark"]\n'
                'icons = ["document-open", "document-save", "edit-copy", "edit-paste"]\n\n[strips]\n' + lines)
    check_set(folder, names, pictures, sizes, keys, 'as made')

    before = all_files(folder)
    run('set', 'rename', 'icons.glyphset', 'edit-copy', 'copy', cwd=folder)
    names[2] = 'copy'
    for key in keys:
        if (key, 'edit-copy') in pictures:
            pictures[(key, 'copy')] = pictures.pop((key, 'edit-copy'))
    after = all_files(folder)
    check(all(after[p] == before[p] for p in before if not p.endswith('.glyphset')), 'a rename wrote a strip')
    check_set(folder, names, pictures, sizes, keys, 'rename')

    run('set', 'add', 'icons.glyphset', 'zoom-in', '--after', 'document-open', cwd=folder)
    names.insert(1, 'zoom-in')
    check_set(folder, names, pictures, sizes, keys, 'add')
    run('set', 'move', 'icons.glyphset', 'edit-paste', '0', cwd=folder)
    names.remove('edit-paste')
    names.insert(0, 'edit-paste')
    check_set(folder, names, pictures, sizes, keys, 'move')
    run('set', 'remove', 'icons.glyphset', 'document-save', cwd=folder)
    names.remove('document-save')
    check_set(folder, names, pictures, sizes, keys, 'remove')
    listing = run('set', 'list', 'icons.glyphset', cwd=folder).stdout.splitlines()
    check(listing[0] == '0 edit-paste 16:+ 24:+ 32:- 16-dark:+ 24-dark:+ 32-dark:+', f'list: {listing[0]}')
    check(listing[2].startswith('2 zoom-in 16:- 24:-'), f'list: {listing[2]}')

    # Refusals change nothing, whichever job meets the set.
    run('set', 'add', 'icons.glyphset', 'bad name', cwd=folder, status=1)
    for outside in ['../outside.png', '/tmp/x.png']:
        text = open(os.path.join(folder, 'icons.glyphset')).read()
        bad = text.replace('"tb24.png"', f'"{outside}"')
        with open(os.path.join(folder, 'icons.glyphset'), 'w') as f:
            f.write(bad)
        before = all_files(folder)
        for job in (['set', 'list', 'icons.glyphset'], ['set', 'add', 'icons.glyphset', 'more'],
                    ['scale', 'icons.glyphset:16', 'big.png', '--by', '2'], ['list', 'icons.glyphset:16-dark']):
            r = run(*job, cwd=folder, status=1)
            check(outside in r.stderr, f'{" ".join(job)} does not name {outside}: {r.stderr.strip()}')
        check(all_files(folder) == before, f'a refused set with {outside} wrote a file')
        with open(os.path.join(folder, 'icons.glyphset'), 'w') as f:
            f.write(text)
    r = run('scale', 'icons.glyphset:16-dark', 'big.png', '--by', '2', cwd=folder)
    check(Image.open(os.path.join(folder, 'big.png')).size == (32 * len(names), 32), 'scale of a set strip')
    # An editing session opens a set's strip by the same name.
    with open(os.path.join(folder, 'edit.txt'), 'w') as f:
        f.write('glyph icons.glyphset:24-dark 0\n')
    run('edit', 'edit.txt', 'one.png', '--size', '24', cwd=folder)
    check(glyphs_of(os.path.join(folder, 'one.png'), 24)[0] == seen(pictures[('24-dark', names[0])]),
          'edit of a set strip: not the glyph of the set')


def imports(folder):
    # A hicolor tree: b has no 32 pixels, c no 24; 16x16@2 gives 32.
    tree = os.path.join(folder, 'tree')
    pictures = {}
    for sub, size, icons in (('16x16', 16, 'abc'), ('24x24', 24, 'ab'), ('16x16@2', 32, 'ac')):
        os.makedirs(os.path.join(tree, sub, 'actions'))
        for name in icons:
            im = icon(size, f'h{sub}{name}')
            im.save(os.path.join(tree, sub, 'actions', f'edit-{name}.png'))
            pictures[(str(size), f'edit-{name}')] = im
    os.makedirs(os.path.join(tree, 'scalable', 'actions'))
    out = os.path.join(folder, 'hicolor')
    os.mkdir(out)
    run('import', 'icons.glyphset', tree, '--layout', 'hicolor', cwd=out)
    check_set(out, ['edit-a', 'edit-b', 'edit-c'], pictures, [16, 24, 32], ['16', '24', '32'], 'hicolor import')

    # A Qt folder: open.png and open@2x.png; save.png alone.
    qt = os.path.join(folder, 'qt')
    os.mkdir(qt)
    pictures = {}
    for name, suffix, size in (('open', '', 16), ('open', '@2x', 32), ('save', '', 16)):
        im = icon(size, f'q{name}{suffix}')
        im.save(os.path.join(qt, f'{name}{suffix}.png'))
        pictures[(str(size), name)] = im
    out = os.path.join(folder, 'qtset')
    os.mkdir(out)
    run('import', 'icons.glyphset', qt, '--layout', 'qt', cwd=out)
    check_set(out, ['open', 'save'], pictures, [16, 32], ['16', '32'], 'Qt import')


with tempfile.TemporaryDirectory() as scratch:
    os.mkdir(os.path.join(scratch, 'ops'))
    set_operations(os.path.join(scratch, 'ops'))
    imports(scratch)

print('1 passed, 0 failed' if not FAILURES else f'0 passed, {len(FAILURES)} failed')
sys.exit(1 if FAILURES else 0)
