#!/usr/bin/env bash
# Makes docs/screenshot-editor.png: the collection window with a strip open and, beside it, the
# editor painting one of its glyphs; then docs/screenshot-views.png: the editor with its pixel
# grid and the button-states window beside it; then docs/screenshot-history.png: the editor
# showing Glyph Pixels with the History window beside it. On a virtual X display. Needs xvfb, xdotool and ImageMagick,
# and a built ./build/app/gliffo (or the program given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/app/gliffo}")"
work="${TMPDIR:-/tmp}/gliffo-editor"
rm -rf "$work"
mkdir -p "$work/icons"
trap 'rm -rf "$work"' EXIT
python3 docs/sample_strip.py "$work/icons/samples.gbc"

cat > "$work/drive.sh" <<DRIVE
#!/usr/bin/env bash
set -euo pipefail
cd "$work/icons"
"$program" &
pid=\$!
find_window() {
  for i in \$(seq 50); do
    w=\$(xdotool search --name "\$1" 2>/dev/null | head -1 || true)
    [ -n "\$w" ] && { echo "\$w"; return; }
    sleep 0.2
  done
}
win=\$(find_window '^Gliffo 2\$')
sleep 1
xdotool windowfocus --sync "\$win" || true
# File > Open Collection..., the strip's name, Enter.
xdotool key --window "\$win" alt+f
sleep 0.5
xdotool key o
sleep 1.5
xdotool type --delay 20 "$work/icons/samples.gbc"
xdotool key Return
sleep 1.5
# Double-click glyph 7 (the folder): the editor shows it magnified.
xdotool mousemove --window "\$win" 57 180 click 1
sleep 0.3
xdotool mousemove --window "\$win" 125 180 click --repeat 2 --delay 60 1
ed=\$(find_window '^BMP Editor\$')
sleep 1
eval "\$(xdotool getwindowgeometry --shell "\$ed")"
ex=\$X; ey=\$Y
# Red from the palette, the rectangle tool, pen 2, a rectangle dragged on the surface.
xdotool mousemove --window "\$ed" 36 53 click 1
sleep 0.2
xdotool key --window "\$ed" alt+s
sleep 0.4
xdotool key r
sleep 0.2
xdotool key --window "\$ed" alt+p
sleep 0.4
xdotool key 2
sleep 0.2
xdotool mousemove --window "\$ed" 150 205 mousedown 1
xdotool mousemove --window "\$ed" 190 240 mousemove --window "\$ed" 230 275 mouseup 1
sleep 0.2
xdotool mousemove --window "\$ed" 300 330
sleep 0.5
import -window root "$work/full.png"
eval "\$(xdotool getwindowgeometry --shell "\$win")"
echo "\$X \$Y \$WIDTH \$HEIGHT \$ex \$ey \$(xdotool getwindowgeometry --shell "\$ed" | sed -n 's/^WIDTH=//p') \$(xdotool getwindowgeometry --shell "\$ed" | sed -n 's/^HEIGHT=//p')" > "$work/geometry"
# View > Pixel Grid, View > Button States.
xdotool key --window "\$ed" ctrl+g
sleep 0.3
xdotool key --window "\$ed" alt+v
sleep 0.4
xdotool key s
bs=\$(find_window '^Button States\$')
sleep 0.5
xdotool windowmove "\$win" 1000 0
xdotool windowmove "\$bs" 100 139
sleep 0.5
import -window root "$work/views.png"
eval "\$(xdotool getwindowgeometry --shell "\$bs")"
echo "\$X \$Y \$WIDTH \$HEIGHT" > "$work/states"
# Grid off, a yellow ellipse, View > Glyph Pixels, View > History beside the editor.
xdotool windowmove "\$bs" 1000 300
xdotool key --window "\$ed" ctrl+g
sleep 0.2
xdotool mousemove --window "\$ed" 76 53 click 1
sleep 0.2
xdotool key --window "\$ed" alt+s
sleep 0.4
xdotool key e
sleep 0.2
xdotool mousemove --window "\$ed" 40 130 mousedown 1
xdotool mousemove --window "\$ed" 90 200 mousemove --window "\$ed" 130 250 mouseup 1
sleep 0.2
xdotool key --window "\$ed" alt+v
sleep 0.4
xdotool key p
sleep 0.3
xdotool key --window "\$ed" alt+v
sleep 0.4
xdotool key h
hi=\$(find_window '^History\$')
sleep 0.5
xdotool windowmove "\$win" 1000 300
xdotool windowmove "\$ed" 40 100
sleep 0.5
eval "\$(xdotool getwindowgeometry --shell "\$ed")"
echo "\$X \$Y \$WIDTH \$HEIGHT" > "$work/editorgeo"
xdotool windowmove "\$hi" \$((X + WIDTH + 8)) \$Y
sleep 0.5
xdotool mousemove 790 590
import -window root "$work/history.png"
eval "\$(xdotool getwindowgeometry --shell "\$hi")"
echo "\$X \$Y \$WIDTH \$HEIGHT" > "$work/historygeo"
kill \$pid
wait \$pid || true
DRIVE
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 800x600x24 -dpi 96" "$work/drive.sh"
read -r x y w h ex ey ew eh < "$work/geometry"
left=$(( x < ex ? x : ex )); top=$(( y < ey ? y : ey ))
right=$(( x + w > ex + ew ? x + w : ex + ew )); bottom=$(( y + h > ey + eh ? y + h : ey + eh ))
convert "$work/full.png" -crop "$((right - left + 16))x$((bottom - top + 16))+$((left - 8))+$((top - 8))" +repage \
  docs/screenshot-editor.png
echo "docs/screenshot-editor.png: $((right - left + 16))x$((bottom - top + 16))"
read -r bx by bw bh < "$work/states"
left=$(( bx < ex ? bx : ex )); top=$(( by < ey ? by : ey ))
right=$(( bx + bw > ex + ew ? bx + bw : ex + ew )); bottom=$(( by + bh > ey + eh ? by + bh : ey + eh ))
convert "$work/views.png" -crop "$((right - left + 16))x$((bottom - top + 16))+$((left - 8))+$((top - 8))" +repage \
  docs/screenshot-views.png
echo "docs/screenshot-views.png: $((right - left + 16))x$((bottom - top + 16))"
read -r hx hy hw hh < "$work/historygeo"
read -r ex ey ew eh < "$work/editorgeo"
left=$(( hx < ex ? hx : ex )); top=$(( hy < ey ? hy : ey ))
right=$(( hx + hw > ex + ew ? hx + hw : ex + ew )); bottom=$(( hy + hh > ey + eh ? hy + hh : ey + eh ))
convert "$work/history.png" -crop "$((right - left + 16))x$((bottom - top + 16))+$((left - 8))+$((top - 8))" +repage \
  docs/screenshot-history.png
echo "docs/screenshot-history.png: $((right - left + 16))x$((bottom - top + 16))"
