#!/usr/bin/env bash
# Drives the real program under a window manager (openbox on a virtual X display) to see that
# windows stay where they were left: the first run moves both windows somewhere else, and each
# of the next ten starts and quits (Ctrl+Q) must leave the saved placement as it was, with both
# windows standing wholly on the screen. Prints each run's placement and "ok" or "FAIL".
# Needs xvfb, openbox, xdotool and xwininfo, and a built ./build/app/gliffo (or the program
# given first). QT_SCALE_FACTOR and the like pass through to the program; SCREEN=WxH sets the
# display's size (1024x768 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/app/gliffo}")"
work="${TMPDIR:-/tmp}/gliffo-placement-$$"
rm -rf "$work"
mkdir -p "$work/bin" "$work/icons"
trap 'rm -rf "$work"' EXIT
# A copy of the program keeps its settings file beside it, away from the build's own.
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
ini="$work/bin/gliffo.ini"
find_window() {
  for i in \$(seq 50); do
    w=\$(xdotool search --onlyvisible --name "\$1" 2>/dev/null | head -1 || true)
    [ -n "\$w" ] && { echo "\$w"; return; }
    sleep 0.2
  done
}
# The outer rectangle of a window (frame included) as left,top,right,bottom.
outer() {
  local x y w h
  x=\$(xwininfo -id "\$1" | awk '/Absolute upper-left X/ {print \$4}')
  y=\$(xwininfo -id "\$1" | awk '/Absolute upper-left Y/ {print \$4}')
  w=\$(xwininfo -id "\$1" | awk '/Width:/ {print \$2}')
  h=\$(xwininfo -id "\$1" | awk '/Height:/ {print \$2}')
  read -r l r t b < <(xprop -id "\$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  echo "\$((x - l)),\$((y - t)),\$((x + w + r)),\$((y + h + b))"
}
screen=\$(xwininfo -root | awk '/Width:/ {w=\$2} /Height:/ {h=\$2} END {print w "," h}')
placement() { sed -n '/^\[Window\]/,/^\[/p; /^\[EWindow\]/,/^\[/p' "\$ini" | grep -E '^(Left|Top|Width|Height|State)=' | tr '\n' ' '; }
fail() { echo "FAIL: \$1"; kill \$wm 2>/dev/null; exit 1; }
first=""
for run in \$(seq 0 10); do
  "$work/bin/gliffo" "$work/icons/samples.gbc" >/dev/null 2>&1 &
  pid=\$!
  win=\$(find_window '^Gliffo 2 - samples\.gbc\$')
  [ -n "\$win" ] || fail "run \$run: no collection window"
  sleep 0.5
  xdotool windowactivate --sync "\$win" >/dev/null 2>&1 || true
  sleep 0.3
  # Tools > BMP Editor by the keyboard.
  xdotool key alt+t; sleep 0.4; xdotool key Return
  editor=\$(find_window '^BMP Editor\$')
  [ -n "\$editor" ] || fail "run \$run: the editor did not open"
  sleep 0.8
  if [ "\$run" = 0 ]; then
    xdotool windowmove "\$win" 40 60; xdotool windowmove "\$editor" 330 90
    sleep 0.8
  fi
  for w in "\$win" "\$editor"; do
    IFS=, read -r l t r b <<< "\$(outer "\$w")"
    IFS=, read -r sw sh <<< "\$screen"
    [ "\$l" -ge 0 ] && [ "\$t" -ge 0 ] && [ "\$r" -le "\$sw" ] && [ "\$b" -le "\$sh" ] ||
      fail "run \$run: a window stands off the \${sw}x\${sh} screen at \$l,\$t,\$r,\$b"
  done
  xdotool windowactivate --sync "\$win" >/dev/null 2>&1 || true
  sleep 0.3
  xdotool key ctrl+q
  for i in \$(seq 25); do kill -0 \$pid 2>/dev/null || break; sleep 0.2; done
  kill -0 \$pid 2>/dev/null && { kill \$pid; fail "run \$run: Ctrl+Q did not end the program"; }
  now=\$(placement)
  echo "run \$run: \$now"
  if [ "\$run" = 1 ]; then first="\$now"; fi
  if [ "\$run" -gt 1 ] && [ "\$now" != "\$first" ]; then fail "run \$run moved a window: \$now, was \$first"; fi
done
echo "ok: ten starts and quits left both windows where they were: \$first"
kill \$wm 2>/dev/null
DRIVE
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 ${SCREEN:-1024x768}x24 -dpi 96" "$work/drive.sh"
