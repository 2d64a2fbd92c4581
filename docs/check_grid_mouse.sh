#!/usr/bin/env bash
# Drives the glyph grid of the real program with the mouse under a window manager (openbox on
# a virtual X display), then saves the list and checks what it holds:
#   1. Ctrl+A, a plain click on glyph 3, Del: only glyph 3 goes (the click selected it alone);
#   2. glyph 0 pressed and dragged onto the right half of the fourth glyph: it moves there;
#   3. a drag from the empty space under the glyphs over two of them selects both (rubber
#      band), and Del removes them;
#   4. Ctrl+Q asks about the unsaved list; Yes and a file name save every glyph.
# The saved strip must hold the sample glyphs in the order these steps leave. Then a folder:
#   5. a glyph dragged in a list loaded from a folder, Set > Save Back to Files: the question
#      says the order cannot be kept, No keeps the list unsaved ('*' in the title).
# The grid's places are found from the window's corner at the default font; screenshots of the
# steps are left in the folder given second (default: none kept).
# Needs xvfb, openbox, xdotool, xwininfo and python3, and built ./build/app/gliffo and
# ./build/cli/gliffo-tool (or the program given first; gliffo-tool is looked for beside it).
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/app/gliffo}")"
tool="$(dirname "$program")/../cli/gliffo-tool"
shots="${2:-}"
[ -z "$shots" ] || { mkdir -p "$shots"; shots="$(realpath "$shots")"; }
work="${TMPDIR:-/tmp}/gliffo-grid-$$"
rm -rf "$work"
mkdir -p "$work/bin" "$work/icons" "$work/folder"
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/bin/gliffo"
python3 docs/sample_strip.py "$work/icons/samples.gbc"
python3 docs/sample_strip.py "$work/folder/a.bmp"

cat > "$work/drive.sh" <<DRIVE
#!/usr/bin/env bash
set -uo pipefail
# Recovery copies (a program killed at the end leaves one) stay in the work folder.
export XDG_STATE_HOME="$work/state"
openbox >/dev/null 2>&1 &
wm=\$!
sleep 1
find_window() {
  for i in \$(seq 50); do
    w=\$(xdotool search --onlyvisible --name "\$1" 2>/dev/null | head -1 || true)
    [ -n "\$w" ] && { echo "\$w"; return; }
    sleep 0.2
  done
}
fail() { echo "FAIL: \$1"; kill \$wm 2>/dev/null; exit 1; }
shot() { [ -z "$shots" ] || import -window root "$shots/\$1.png"; }
# The client area's corner and width, and the centre of glyph k of the grid: items 36 pixels
# wide, as many to a row as fit beside the scroll bar's room.
corner() { xwininfo -id "\$1" | awk '/Absolute upper-left X/ {x=\$4} /Absolute upper-left Y/ {y=\$4} /Width:/ {w=\$2} END {print x, y, w}'; }
glyph() { echo "\$((cx + 18 + 36 * (\$1 % cols))) \$((cy + 142 + 37 * (\$1 / cols)))"; }
drag() {  # from-x from-y to-x to-y
  xdotool mousemove "\$1" "\$2" mousedown 1; sleep 0.2
  for f in 1 2 3 4; do xdotool mousemove \$((\$1 + (\$3 - \$1) * f / 4)) \$((\$2 + (\$4 - \$2) * f / 4)); sleep 0.1; done
  xdotool mouseup 1; sleep 0.5
}

"$work/bin/gliffo" "$work/icons/samples.gbc" >/dev/null 2>&1 &
pid=\$!
win=\$(find_window '^Gliffo 2 - samples\.gbc\$')
[ -n "\$win" ] || fail "no window titled 'Gliffo 2 - samples.gbc'"
sleep 0.5
read -r cx cy cw < <(corner "\$win")
cols=\$(((cw - 19) / 36))
xdotool mousemove \$(glyph 0) click 1; sleep 0.3
xdotool key ctrl+a; sleep 0.3
xdotool mousemove \$(glyph 3) click 1; sleep 0.3
shot 1-one-selected
xdotool key Delete; sleep 0.5
read -r x y < <(glyph 3)
drag \$(glyph 0) \$((x + 5)) \$y
shot 2-dragged
read -r x y < <(glyph 16)
read -r tx ty < <(glyph 17)
drag \$((x - 8)) \$((y + 40)) \$tx \$ty
shot 3-rubber-band
xdotool key Delete; sleep 0.5
xdotool key ctrl+q
box=\$(find_window '^Confirm\$')
[ -n "\$box" ] || fail "Ctrl+Q with unsaved glyphs asked nothing"
xdotool windowactivate --sync "\$box" >/dev/null 2>&1 || true; sleep 0.3
xdotool key alt+y
sleep 1.5
xdotool type --delay 20 "$work/saved.gbc"; sleep 0.3
xdotool key Return
for i in \$(seq 25); do kill -0 \$pid 2>/dev/null || break; sleep 0.2; done
kill -0 \$pid 2>/dev/null && { kill \$pid; fail "the program did not end after saving"; }
echo "ok: the list was saved on quitting"

"$work/bin/gliffo" "$work/folder" >/dev/null 2>&1 &
pid=\$!
win=\$(find_window '^Gliffo 2 - folder\$')
[ -n "\$win" ] || fail "no window titled 'Gliffo 2 - folder'"
sleep 0.5
read -r cx cy cw < <(corner "\$win")
cols=\$(((cw - 19) / 36))
xdotool mousemove \$(glyph 0) click 1; sleep 0.3
read -r x y < <(glyph 2)
drag \$(glyph 0) \$((x + 5)) \$y
[ -n "\$(find_window '^Gliffo 2 - \*folder\$')" ] || fail "the drag in the folder's list changed nothing"
xdotool key alt+s; sleep 0.4; xdotool key b; sleep 0.8
box=\$(find_window '^Confirm\$')
[ -n "\$box" ] || fail "Save Back after a move said nothing"
shot 5-save-back
xdotool windowactivate --sync "\$box" >/dev/null 2>&1 || true; sleep 0.3
xdotool key alt+n; sleep 0.8
[ -n "\$(find_window '^Gliffo 2 - \*folder\$')" ] || fail "Save Back marked the moved list saved"
echo "ok: Save Back after a move asks and keeps the list unsaved"
kill \$pid
kill \$wm 2>/dev/null
DRIVE
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$work/drive.sh"

# The saved strip against the samples, glyph by glyph.
"$tool" decode "$work/icons/samples.gbc" "$work/samples.ppm"
"$tool" decode "$work/saved.gbc" "$work/saved.ppm"
python3 - "$work/samples.ppm" "$work/saved.ppm" <<'CHECK'
import sys
def glyphs(path):
    data = open(path, 'rb').read()
    parts = data.split(maxsplit=4)
    w, h, pixels = int(parts[1]), int(parts[2]), parts[4]
    return [b''.join(pixels[(y * w + k * h) * 3:(y * w + k * h + h) * 3] for y in range(h)) for k in range(w // h)]
samples, saved = glyphs(sys.argv[1]), glyphs(sys.argv[2])
order = list(range(len(samples)))
del order[3]                      # 1. the clicked glyph alone
order.insert(3, order.pop(0))     # 2. the first glyph dragged to after the fourth
del order[16:18]                  # 3. the two the rubber band took
# The samples repeat every ten glyphs: each saved glyph is compared with the one expected.
print("saved", len(saved), "glyphs; expected the samples", order)
if len(saved) != len(order) or any(saved[k] != samples[i] for k, i in enumerate(order)):
    sys.exit("FAIL: the saved glyphs are not the samples " + str(order))
print("ok: one click selected one glyph, the drag moved it, the rubber band selected two")
CHECK
