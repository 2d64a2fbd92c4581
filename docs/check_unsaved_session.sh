#!/usr/bin/env bash
# Drives the real program on a virtual X display the way a user would, to see that unsaved
# glyphs are never lost without a question: start `gliffo STRIP.gbc`, add a glyph from the editor
# with the keyboard (Alt+E, Down, Enter), press Ctrl+Q: a "Confirm" box must appear; Escape must
# keep the program; Ctrl+Q again and No (Alt+N) must end it. Prints each step's outcome and
# leaves a screenshot of the question at the path given second (default: none kept).
# Needs xvfb, xdotool and ImageMagick, and a built ./build/app/gliffo (or the program given first).
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/app/gliffo}")"
shot="${2:-}"
[ -z "$shot" ] || shot="$(realpath -m "$shot")"
work="${TMPDIR:-/tmp}/gliffo-unsaved-$$"
rm -rf "$work"
mkdir -p "$work/icons" "$work/config"
trap 'rm -rf "$work"' EXIT
python3 docs/sample_strip.py "$work/icons/samples.gbc"

cat > "$work/drive.sh" <<DRIVE
#!/usr/bin/env bash
set -uo pipefail
# Recovery copies (a program killed at the end leaves one) stay in the work folder.
export XDG_STATE_HOME="$work/state"
cd "$work/icons"
XDG_CONFIG_HOME="$work/config" "$program" "$work/icons/samples.gbc" &
pid=\$!
find_window() {
  for i in \$(seq 50); do
    w=\$(xdotool search --name "\$1" 2>/dev/null | head -1 || true)
    [ -n "\$w" ] && { echo "\$w"; return; }
    sleep 0.2
  done
}
fail() { echo "FAIL: \$1"; kill \$pid 2>/dev/null; exit 1; }
win=\$(find_window '^Gliffo 2 - samples\.gbc\$')
[ -n "\$win" ] || fail "no window titled 'Gliffo 2 - samples.gbc' after starting on the strip"
echo "ok: started on the strip, title 'Gliffo 2 - samples.gbc'"
sleep 1
xdotool windowfocus --sync "\$win" || true
# Edit > Add from Editor by the keyboard.
xdotool key --window "\$win" alt+e
sleep 0.5
xdotool key Down
sleep 0.2
xdotool key Return
sleep 0.8
[ -n "\$(find_window '^Gliffo 2 - \*samples\.gbc\$')" ] || fail "the title does not mark the added glyph"
echo "ok: glyph added, title 'Gliffo 2 - *samples.gbc'"
xdotool key --window "\$win" ctrl+q
box=\$(find_window '^Confirm\$')
[ -n "\$box" ] || fail "Ctrl+Q with unsaved glyphs asked nothing"
echo "ok: Ctrl+Q asks in a 'Confirm' box"
sleep 0.5
[ -z "$shot" ] || import -window root "$shot"
# No window manager here: the box gets the keyboard by hand, and a moment to notice it.
xdotool windowfocus --sync "\$box" || true
sleep 0.5
xdotool key Escape
sleep 1
kill -0 \$pid 2>/dev/null || fail "Escape in the question ended the program"
xdotool search --name '^Confirm\$' >/dev/null 2>&1 && fail "Escape left the question open"
echo "ok: Escape keeps the program"
# X hands the focus back by itself, but unannounced; away to the root window and back makes
# the program hear of it. Without a window manager that can still go astray: up to three tries.
box=""
for try in 1 2 3; do
  xdotool windowfocus --sync "\$(xdotool search --maxdepth 0 --name '' | head -1)" || true
  sleep 0.3
  xdotool windowfocus --sync "\$win" || true
  sleep 0.5
  xdotool key ctrl+q
  sleep 1
  box=\$(xdotool search --name '^Confirm\$' 2>/dev/null | head -1 || true)
  [ -n "\$box" ] && break
done
[ -n "\$box" ] || fail "the second Ctrl+Q asked nothing"
sleep 0.5
xdotool windowfocus --sync "\$box" || true
sleep 0.5
xdotool key alt+n
for i in \$(seq 25); do kill -0 \$pid 2>/dev/null || break; sleep 0.2; done
kill -0 \$pid 2>/dev/null && fail "No did not end the program"
wait \$pid
echo "ok: Ctrl+Q and No end the program (status \$?)"
DRIVE
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" "$work/drive.sh"
