#!/usr/bin/env bash
# Makes docs/screenshot.png: the collection window after the user has browsed into a folder of
# glyph files, on a virtual X display. Needs xvfb, xdotool and ImageMagick, and a built
# ./build/app/gliffo (or the program given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/app/gliffo}")"
work="$(mktemp -d /tmp/gliffo-shot.XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Projects/Icons/Large" "$work/Projects/Icons/Old"

# Three strips of 16 x 16 glyphs in the folder, plus a 24 x 24 one that a 16 x 16 load skips.
python3 - "$work/Projects/Icons" <<'PY'
import os, struct, sys
target = sys.argv[1]
K, W, GREY = (0, 0, 0), (255, 255, 255), (192, 192, 192)
NAVY, RED, GREEN, YELLOW, BLUE, TEAL, MAROON, OLIVE = (0, 0, 128), (255, 0, 0), (0, 128, 0), (255, 255, 0), (0, 0, 255), (0, 128, 128), (128, 0, 0), (128, 128, 0)

def arrow(direction, colour):
    def f(x, y):
        u, v = {"right": (x, y), "left": (15 - x, y), "down": (y, x), "up": (15 - y, x)}[direction]
        cy = v - 7.5
        if 2 <= u <= 8 and abs(cy) < 2: return colour
        if 8 <= u <= 13 and abs(cy) <= 13 - u: return colour
        return GREY
    return f

def page(x, y):
    if 3 <= x <= 12 and 1 <= y <= 14:
        if x in (3, 12) or y in (1, 14): return K
        return NAVY if y % 3 == 1 and 5 <= x <= 10 else W
    return GREY

def folder(x, y):
    if 1 <= x <= 14 and 4 <= y <= 13: return K if x in (1, 14) or y in (4, 13) else YELLOW
    if 1 <= x <= 6 and y == 3: return K
    return GREY

def disk(x, y):
    if 2 <= x <= 13 and 2 <= y <= 13:
        if x in (2, 13) or y in (2, 13): return K
        if 5 <= x <= 10 and 3 <= y <= 6: return W
        if 5 <= x <= 10 and 9 <= y <= 12: return GREY
        return BLUE
    return GREY

def printer(x, y):
    if 4 <= x <= 11 and 1 <= y <= 5: return K if x in (4, 11) or y == 1 else W
    if 1 <= x <= 14 and 6 <= y <= 11: return K if x in (1, 14) or y in (6, 11) else (GREEN if (x, y) == (12, 8) else GREY if y > 8 else (128, 128, 128))
    if 4 <= x <= 11 and 12 <= y <= 14: return K if x in (4, 11) or y == 14 else W
    return GREY

def plus(x, y): return GREEN if (6 <= x <= 9 and 2 <= y <= 13) or (6 <= y <= 9 and 2 <= x <= 13) else GREY
def minus(x, y): return MAROON if 6 <= y <= 9 and 2 <= x <= 13 else GREY
def check(x, y): return GREEN if (abs(y - (x + 5)) <= 1 and 2 <= x <= 6) or (abs(y - (17 - x)) <= 1 and 6 <= x <= 13) else GREY
def cross(x, y): return RED if (abs(x - y) <= 1 or abs(x + y - 15) <= 1) and 2 <= x <= 13 and 2 <= y <= 13 else GREY
def disc(x, y): return TEAL if (x - 7.5) ** 2 + (y - 7.5) ** 2 < 40 else GREY
def star(x, y):
    u, v = abs(x - 7.5), abs(y - 7.5)
    return OLIVE if u + v < 5 or (u < 1.5 and v < 7) or (v < 1.5 and u < 7) else GREY

def write(name, glyphs, size=16):
    width = size * len(glyphs)
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(size - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = glyphs[x // size](x % size * 16 // size, y * 16 // size)
            row += bytes((b, g, r))
        rows.append(bytes(row) + bytes(stride - len(row)))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, size, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    with open(os.path.join(target, name), "wb") as out:
        out.write(header + info + pixels)

write("Arrows.bmp", [arrow(d, c) for d, c in (("left", NAVY), ("right", NAVY), ("up", GREEN), ("down", GREEN))])
write("edit.bmp", [plus, minus, check, cross, disc, star])
write("Files.bmp", [page, folder, disk, printer])
write("toolbar24.bmp", [page, folder], size=24)
PY

cat > "$work/drive.sh" <<DRIVE
#!/usr/bin/env bash
set -euo pipefail
cd "$work/Projects"
"$program" &
pid=\$!
for i in \$(seq 50); do
  win=\$(xdotool search --name '^Gliffo 2\$' 2>/dev/null | head -1 || true)
  [ -n "\$win" ] && break
  sleep 0.2
done
sleep 1
eval "\$(xdotool getwindowgeometry --shell "\$win")"
# A click into the folder list highlights a line; End moves to the last subfolder ("Icons")
# and Enter opens it, which loads its glyphs.
xdotool mousemove \$((X + 60)) \$((Y + 100)) click 1
sleep 0.3
xdotool key End
sleep 0.3
xdotool key Return
sleep 1.5
xdotool mousemove \$((X + 300)) \$((Y + 10))
sleep 0.5
import -window root "$work/full.png"
echo "\$X \$Y \$WIDTH \$HEIGHT" > "$work/geometry"
# Without a window manager nobody asks the window to close; the program is simply ended.
kill \$pid 2>/dev/null || true
wait \$pid 2>/dev/null || true
DRIVE
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 640x640x24 -dpi 120" "$work/drive.sh"
read -r x y w h < "$work/geometry"
convert "$work/full.png" -crop "${w}x${h}+${x}+${y}" +repage docs/screenshot.png
echo "docs/screenshot.png: ${w}x${h}"
