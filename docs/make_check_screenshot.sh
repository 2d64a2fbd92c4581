#!/usr/bin/env bash
# Makes docs/screenshot-check.png: an icon set with four faults in the collection window, Icon
# Set > Check Set listing them, and the last one clicked, which selects its cell. Started as
# `gliffo icons.glyphset` on a virtual X display under openbox and driven by xdotool. Needs xvfb,
# openbox, xdotool, ImageMagick and Pillow (python3-pil), and a built ./build/app/gliffo (or the
# build folder given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"
program="$build/app/gliffo"
work="${TMPDIR:-/tmp}/gliffo-check-demo"
rm -rf "$work"
mkdir -p "$work/icons"
trap 'rm -rf "$work"' EXIT

# Six icons at 16, 24 and 32 pixels, light and dark: dark ink on the light toolbar, light ink on
# the dark one, each drawing centred; then an empty cell, a stray half-transparent pixel, a
# drawing moved 3 pixels right and a black glyph on the dark toolbar.
/usr/bin/python3 - "$work/icons" <<'PY'
import os, random, sys
from PIL import Image
folder = sys.argv[1]
names = ['document-open', 'document-save', 'edit-copy', 'edit-paste', 'go-up', 'go-down']
def glyph(n, seed, theme, shift=0, ink=None):
    rnd = random.Random(seed)
    im = Image.new('RGBA', (n, n), (0, 0, 0, 0))
    lo, hi = (0, 0x50) if theme == 'light' else (0xB0, 0x100)
    m = n // 4
    spots = [(m, m), (n - 1 - m, m), (m, n - 1 - m), (n - 1 - m, n - 1 - m)]
    spots += [(rnd.randrange(m, n - m), rnd.randrange(m, n - m)) for _ in range(n * 3)]
    for x, y in spots:
        im.putpixel((x + shift, y), ink or (rnd.randrange(lo, hi), rnd.randrange(lo, hi), rnd.randrange(lo, hi), 255))
    return im
lines = []
for theme in ['light', 'dark']:
    for n in [16, 24, 32]:
        key = str(n) if theme == 'light' else f'{n}-{theme}'
        strip = Image.new('RGBA', (n * len(names), n), (0, 0, 0, 0))
        for k, name in enumerate(names):
            if (k, key) == (0, '24'):
                continue
            cell = glyph(n, f'{name}{key}', theme, shift=3 if (k, key) == (2, '32') else 0,
                         ink=(0, 0, 0, 255) if (k, key) == (3, '24-dark') else None)
            if (k, key) == (1, '16'):
                cell.putpixel((8, 8), (20, 20, 20, 128))
            strip.paste(cell, (k * n, 0))
        strip.save(os.path.join(folder, f'tb{key}.png'))
        lines.append(f'"{key}" = "tb{key}.png"')
with open(os.path.join(folder, 'icons.glyphset'), 'w') as f:
    f.write('name = "demo-toolbar"\nsizes = [16, 24, 32]\nthemes = ["light", "dark"]\n')
    f.write('icons = [' + ', '.join(f'"{n}"' for n in names) + ']\n\n[strips]\n' + '\n'.join(lines) + '\n')
PY

cat > "$work/drive.sh" <<DRIVE
#!/usr/bin/env bash
set -euo pipefail
openbox > /dev/null 2>&1 &
sleep 1
cd "$work/icons"
"$program" icons.glyphset &
pid=\$!
for i in \$(seq 50); do
  win=\$(xdotool search --name 'icons.glyphset' 2>/dev/null | head -1 || true)
  [ -n "\$win" ] && break
  sleep 0.2
done
sleep 1
xdotool windowactivate --sync "\$win" || true
xdotool windowmove "\$win" 10 30
sleep 0.5
xdotool key alt+i
sleep 0.5
xdotool key h
sleep 1
list=\$(xdotool search --name '^Check Set\$' | head -1)
xdotool windowmove "\$list" 10 370
sleep 0.5
xdotool mousemove --window "\$list" 60 66 click 1
sleep 0.8
import -window root -crop 680x640+0+0 "$work/shot.png"
kill \$pid
wait \$pid || true
DRIVE
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 1000x750x24 -dpi 96" "$work/drive.sh"
cp "$work/shot.png" docs/screenshot-check.png
echo "docs/screenshot-check.png: $(identify -format '%wx%h' docs/screenshot-check.png)"
