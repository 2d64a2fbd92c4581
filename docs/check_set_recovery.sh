#!/usr/bin/env bash
# Drives the real program under a window manager (openbox on a virtual X display) to see that an
# open icon set outlives a crash: start `gliffo icons.glyphset`, copy icon 0's 16-pixel cell onto
# the last icon's (Ctrl+C, End, Ctrl+V), open icon 0's empty 32-pixel cell in the editor (Right,
# Return), draw a line and Update Collection Item, open the cell again and draw a second line
# that stays in the editor, wait a second for the recovery copy, `kill -9` the program and start
# it again elsewhere with no file named. A "Confirm" box must offer the set; Yes must show it again, still unsaved ('*' in the title), with the editor
# holding the second line. Ctrl+S must then write both changes into the set's own files, and a
# proper quit must leave no copy behind.
# Leaves screenshots of the offer and of the set brought back at PREFIX-offer.png and
# PREFIX-restored.png for the prefix given second (default: none kept).
# Needs xvfb, openbox, xdotool, xwininfo and ImageMagick, and a built ./build/app/gliffo (or the
# program given first).
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/app/gliffo}")"
shots="${2:-}"
[ -z "$shots" ] || shots="$(realpath -m "$shots")"
work="${TMPDIR:-/tmp}/gliffo-set-crash-$$"
rm -rf "$work"
mkdir -p "$work/bin" "$work/icons" "$work/state"
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/bin/gliffo"
python3 docs/sample_strip.py "$work/icons/tb16.bmp"
cat > "$work/icons/icons.glyphset" <<'SET'
# Toolbar icons; nothing drawn at 32 pixels yet
sizes = [16, 32]
icons = ["record", "restore", "next", "new", "zoom-in", "clear", "up", "justify"]

[strips]
"16" = "tb16.bmp"
SET

cat > "$work/drive.sh" <<DRIVE
#!/usr/bin/env bash
set -uo pipefail
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
fail() { echo "FAIL: \$1"; kill -9 \$pid 2>/dev/null; kill \$wm 2>/dev/null; exit 1; }
corner() { xwininfo -id "\$1" | awk '/Absolute upper-left X/ {x=\$4} /Absolute upper-left Y/ {y=\$4} END {print x, y}'; }
copies() { find "$work/state/gliffo" -name recovery.ini 2>/dev/null | wc -l; }
# A freehand line across the editor's surface (it starts 51 pixels below the client's top).
line() {
  read -r ex ey < <(corner "\$1")
  xdotool mousemove \$((ex + \$2)) \$((ey + \$3)) mousedown 1
  for k in 1 2 3 4 5 6; do xdotool mousemove \$((ex + \$2 + 25 * k)) \$((ey + \$3 + \$4 * k)); sleep 0.05; done
  xdotool mouseup 1
  sleep 0.3
}
cd "$work/icons"
"$work/bin/gliffo" icons.glyphset >/dev/null 2>&1 &
pid=\$!
win=\$(find_window '^Gliffo 2 - icons\.glyphset\$')
[ -n "\$win" ] || fail "no window titled 'Gliffo 2 - icons.glyphset'"
sleep 0.5
xdotool windowactivate --sync "\$win" >/dev/null 2>&1 || true; sleep 0.3
xdotool key Home ctrl+c End ctrl+v
[ -n "\$(find_window '^Gliffo 2 - \*icons\.glyphset\$')" ] || fail "pasting a cell did not mark the set changed"
echo "ok: icon 0's cell pasted onto the last icon's"
xdotool key Home Right Return
editor=\$(find_window '^BMP Editor\$')
[ -n "\$editor" ] || fail "Return on a cell opened no editor"
sleep 0.8
line "\$editor" 40 100 20
xdotool windowactivate --sync "\$editor" >/dev/null 2>&1 || true; sleep 0.3
xdotool key alt+f; sleep 0.4; xdotool key u; sleep 0.5
# Update puts the editor away; Return opens the cell again, line and all.
xdotool windowactivate --sync "\$win" >/dev/null 2>&1 || true; sleep 0.3
xdotool key Return
editor=\$(find_window '^BMP Editor\$')
[ -n "\$editor" ] || fail "Return on the cell did not open it again"
sleep 0.8
line "\$editor" 40 250 -20
echo "ok: a line drawn into icon 0's 32-pixel cell (Update), a second one left in the editor"
sleep 1.5
[ "\$(copies)" = 1 ] || fail "no recovery copy a second after the change"
grep -q '^\[Set\]' "$work"/state/gliffo/*/recovery.ini || fail "the recovery copy holds no set"
echo "ok: the recovery copy holds the set"
kill -9 \$pid
wait \$pid 2>/dev/null
echo "ok: killed with -9"

# Elsewhere: the set opened by a relative name must still be found.
cd "$work"
"$work/bin/gliffo" >/dev/null 2>&1 &
pid=\$!
box=\$(find_window '^Confirm\$')
[ -n "\$box" ] || fail "the next start offered nothing"
sleep 0.5
[ -z "$shots" ] || import -window root "$shots-offer.png"
xdotool windowactivate --sync "\$box" >/dev/null 2>&1 || true; sleep 0.3
xdotool key alt+y
win=\$(find_window '^Gliffo 2 - \*icons\.glyphset\$')
[ -n "\$win" ] || fail "Yes did not show the set again, unsaved"
[ -n "\$(find_window '^BMP Editor\$')" ] || fail "Yes did not bring back the editor's glyph"
echo "ok: the next start offers the set; Yes shows it again, still unsaved, and the editor's glyph"
sleep 1
xdotool windowactivate --sync "\$win" >/dev/null 2>&1 || true; sleep 0.5
[ -z "$shots" ] || import -window root "$shots-restored.png"

xdotool key ctrl+s
[ -n "\$(find_window '^Gliffo 2 - icons\.glyphset\$')" ] || fail "Ctrl+S did not save the set"
cd "$work/icons"
first=\$(convert tb16.bmp -crop 16x16+0+0 +repage rgb:- | md5sum)
last=\$(convert tb16.bmp -crop 16x16+112+0 +repage rgb:- | md5sum)
[ "\$first" = "\$last" ] || fail "the pasted cell is not in the saved 16-pixel strip"
[ -f icons-32.png ] || fail "no 32-pixel strip was written"
[ "\$(convert icons-32.png -crop 32x32+0+0 +repage -format %k info:)" -gt 1 ] ||
  fail "icon 0's 32-pixel cell holds no line"
echo "ok: saved, the set's own files hold the pasted cell and the line"

xdotool key ctrl+q
box=\$(find_window '^Confirm\$')
[ -n "\$box" ] || fail "Ctrl+Q asked nothing about the editor's second line"
xdotool windowactivate --sync "\$box" >/dev/null 2>&1 || true; sleep 0.3
xdotool key alt+n
for i in \$(seq 25); do kill -0 \$pid 2>/dev/null || break; sleep 0.2; done
kill -0 \$pid 2>/dev/null && fail "No did not end the program"
[ "\$(copies)" = 0 ] || fail "a proper end left a copy behind"
echo "ok: a proper end leaves no copy"
kill \$wm 2>/dev/null
DRIVE
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$work/drive.sh"
