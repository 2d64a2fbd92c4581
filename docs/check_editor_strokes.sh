#!/usr/bin/env bash
# Drives the real program under a window manager (openbox on a virtual X display) to see that
# strokes in the editor are never lost without a question: start `gliffo STRIP.gbc`,
# double-click glyph 0, draw a line across the editor's surface, press Ctrl+Q in the collection
# window. A "Confirm" box must ask about the editor's glyph; Escape (Cancel) must keep the
# program; Ctrl+Q again and Yes must put the glyph back into the list (the title gains its '*')
# and ask about the list next, where No ends the program.
# Leaves a screenshot of the editor's question at the path given second (default: none kept).
# Needs xvfb, openbox, xdotool, xwininfo and ImageMagick, and a built ./build/app/gliffo (or
# the program given first).
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/app/gliffo}")"
shot="${2:-}"
[ -z "$shot" ] || shot="$(realpath -m "$shot")"
work="${TMPDIR:-/tmp}/gliffo-strokes-$$"
rm -rf "$work"
mkdir -p "$work/bin" "$work/icons"
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/bin/gliffo"
python3 docs/sample_strip.py "$work/icons/samples.gbc"

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
fail() { echo "FAIL: \$1"; kill \$pid \$wm 2>/dev/null; exit 1; }
corner() { xwininfo -id "\$1" | awk '/Absolute upper-left X/ {x=\$4} /Absolute upper-left Y/ {y=\$4} END {print x, y}'; }
"$work/bin/gliffo" "$work/icons/samples.gbc" >/dev/null 2>&1 &
pid=\$!
win=\$(find_window '^Gliffo 2 - samples\.gbc\$')
[ -n "\$win" ] || fail "no window titled 'Gliffo 2 - samples.gbc'"
sleep 0.5
read -r cx cy < <(corner "\$win")
# Glyph 0 of the grid, at the default font.
xdotool mousemove \$((cx + 18)) \$((cy + 142)) click --repeat 2 --delay 80 1
editor=\$(find_window '^BMP Editor\$')
[ -n "\$editor" ] || fail "a double-click on a glyph opened no editor"
sleep 0.8
read -r ex ey < <(corner "\$editor")
# A freehand line across the surface (it starts 51 pixels below the client's top).
xdotool mousemove \$((ex + 40)) \$((ey + 100)) mousedown 1
for k in 1 2 3 4 5 6; do xdotool mousemove \$((ex + 40 + 25 * k)) \$((ey + 100 + 20 * k)); sleep 0.05; done
xdotool mouseup 1
sleep 0.5
echo "ok: drew a line in the editor on glyph 0"
xdotool windowactivate --sync "\$win" >/dev/null 2>&1 || true; sleep 0.3
xdotool key ctrl+q
box=\$(find_window '^Confirm\$')
[ -n "\$box" ] || fail "Ctrl+Q with strokes in the editor asked nothing"
sleep 0.3
[ -z "$shot" ] || import -window root "$shot"
xdotool windowactivate --sync "\$box" >/dev/null 2>&1 || true; sleep 0.3
xdotool key Escape; sleep 1
kill -0 \$pid 2>/dev/null || fail "Escape in the question ended the program"
echo "ok: Ctrl+Q asks about the editor's glyph; Escape keeps the program"
xdotool windowactivate --sync "\$win" >/dev/null 2>&1 || true; sleep 0.3
xdotool key ctrl+q
box=\$(find_window '^Confirm\$')
[ -n "\$box" ] || fail "the second Ctrl+Q asked nothing"
xdotool windowactivate --sync "\$box" >/dev/null 2>&1 || true; sleep 0.3
xdotool key alt+y; sleep 1
[ -n "\$(xdotool search --name '^Gliffo 2 - \*samples\.gbc\$' 2>/dev/null | head -1)" ] ||
  fail "Yes did not put the glyph back into the list"
box=\$(find_window '^Confirm\$')
[ -n "\$box" ] || fail "the list holding the glyph was not asked about"
echo "ok: Yes put the glyph back into the list, and the list is asked about next"
xdotool windowactivate --sync "\$box" >/dev/null 2>&1 || true; sleep 0.3
xdotool key alt+n
for i in \$(seq 25); do kill -0 \$pid 2>/dev/null || break; sleep 0.2; done
kill -0 \$pid 2>/dev/null && fail "No did not end the program"
echo "ok: No ends the program"
kill \$wm 2>/dev/null
DRIVE
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$work/drive.sh"
