#!/usr/bin/env bash
# Drives the real program under a window manager (openbox on a virtual X display) to see that
# unsaved work outlives a crash: start `gliffo STRIP.gbc`, add a glyph by the keyboard (Edit >
# Add from Editor), wait a second for the recovery copy, `kill -9` the program, start it again.
# A "Confirm" box must offer the work; Yes must bring back the list with the added glyph, still
# unsaved ('*' in the title). Then a proper quit (Ctrl+Q, No) must leave no copy behind, and a
# second program started meanwhile keeps a copy of its own. Leaves a screenshot of the offer at
# the path given second (default: none kept).
# Needs xvfb, openbox, xdotool and ImageMagick, and a built ./build/app/gliffo (or the program
# given first).
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/app/gliffo}")"
shot="${2:-}"
[ -z "$shot" ] || shot="$(realpath -m "$shot")"
work="${TMPDIR:-/tmp}/gliffo-crash-$$"
rm -rf "$work"
mkdir -p "$work/bin" "$work/icons" "$work/state"
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/bin/gliffo"
python3 docs/sample_strip.py "$work/icons/samples.gbc"

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
fail() { echo "FAIL: \$1"; kill -9 \$pid \$other 2>/dev/null; kill \$wm 2>/dev/null; exit 1; }
copies() { find "$work/state/gliffo" -name recovery.ini 2>/dev/null | wc -l; }
other=""
"$work/bin/gliffo" "$work/icons/samples.gbc" >/dev/null 2>&1 &
pid=\$!
win=\$(find_window '^Gliffo 2 - samples\.gbc\$')
[ -n "\$win" ] || fail "no window titled 'Gliffo 2 - samples.gbc'"
sleep 0.5
xdotool windowactivate --sync "\$win" >/dev/null 2>&1 || true; sleep 0.3
xdotool key alt+e; sleep 0.4; xdotool key Down; sleep 0.2; xdotool key Return
[ -n "\$(find_window '^Gliffo 2 - \*samples\.gbc\$')" ] || fail "the glyph was not added"
sleep 1.2
[ "\$(copies)" = 1 ] || fail "no recovery copy a second after the change"
echo "ok: a recovery copy is kept a second after the change"
kill -9 \$pid
wait \$pid 2>/dev/null
echo "ok: killed with -9"

"$work/bin/gliffo" "$work/icons/samples.gbc" >/dev/null 2>&1 &
pid=\$!
box=\$(find_window '^Confirm\$')
[ -n "\$box" ] || fail "the next start offered nothing"
sleep 0.5
[ -z "$shot" ] || import -window root "$shot"
xdotool windowactivate --sync "\$box" >/dev/null 2>&1 || true; sleep 0.3
xdotool key alt+y
win=\$(find_window '^Gliffo 2 - \*samples\.gbc\$')
[ -n "\$win" ] || fail "Yes did not bring back the unsaved list"
echo "ok: the next start offers the work, and Yes brings back the list, still unsaved"
sleep 1.2
[ "\$(copies)" = 1 ] || fail "the run that took the work over keeps no copy of it"

# A second program keeps a copy of its own.
"$work/bin/gliffo" "$work/icons/samples.gbc" >/dev/null 2>&1 &
other=\$!
sleep 2.5
two=\$(xdotool search --onlyvisible --name '^Gliffo 2 - samples\.gbc\$' | head -1)
[ -n "\$two" ] || fail "the second program offered the first one's copy, or did not start"
xdotool windowactivate --sync "\$two" >/dev/null 2>&1 || true; sleep 0.3
xdotool key alt+e; sleep 0.4; xdotool key Down; sleep 0.2; xdotool key Return
sleep 1.5
[ "\$(copies)" = 2 ] || fail "two running programs do not keep two copies"
echo "ok: two running programs keep two copies"
kill -9 \$other
other=""

xdotool windowactivate --sync "\$win" >/dev/null 2>&1 || true; sleep 0.3
xdotool key ctrl+q
box=\$(find_window '^Confirm\$')
[ -n "\$box" ] || fail "Ctrl+Q asked nothing about the unsaved list"
xdotool windowactivate --sync "\$box" >/dev/null 2>&1 || true; sleep 0.3
xdotool key alt+n
for i in \$(seq 25); do kill -0 \$pid 2>/dev/null || break; sleep 0.2; done
kill -0 \$pid 2>/dev/null && fail "No did not end the program"
[ "\$(copies)" = 1 ] || fail "a proper end left its copy behind (or took the other's)"
echo "ok: a proper end leaves no copy of its own; the killed second program's copy stays"
kill \$wm 2>/dev/null
DRIVE
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$work/drive.sh"
