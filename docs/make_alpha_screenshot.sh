#!/usr/bin/env bash
# Makes docs/screenshot-alpha.png: a strip of anti-aliased 32-pixel glyphs (docs/alpha_strip.py)
# open in the collection window and one of them in the editor, drawn over the button face; and
# docs/screenshot-alpha-checker.png: the same with View > Transparency Checkerboard on, a pixel
# erased with Transparent and the Colour menu open. On a virtual X display with openbox. Needs
# xvfb, openbox, xdotool and ImageMagick, and a built ./build/app/gliffo (or the program given
# as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/app/gliffo}")"
work="${TMPDIR:-/tmp}/gliffo-alpha"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
python3 docs/alpha_strip.py "$work/soft.png"

cat > "$work/drive.sh" <<DRIVE
#!/usr/bin/env bash
set -euo pipefail
openbox >/dev/null 2>&1 &
sleep 1
cd "$work"
# A settings file of its own: the checkerboard starts off.
HOME="$work" "$program" >/dev/null 2>&1 &
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
xdotool type --delay 20 "$work/soft.png"
xdotool key Return
sleep 1.5
xdotool windowmove "\$win" 0 0
sleep 0.5
# Double-click glyph 3 (the star): the editor shows it magnified.
xdotool mousemove 155 170 click 1
sleep 0.3
xdotool mousemove 155 170 click --repeat 2 --delay 60 1
ed=\$(find_window '^BMP Editor\$')
sleep 1
# Beside the collection window, and the picture cut to the two windows.
eval "\$(xdotool getwindowgeometry --shell "\$win")"
left=\$((WIDTH + 4))
xdotool windowmove "\$ed" \$left 0
sleep 0.5
eval "\$(xdotool getwindowgeometry --shell "\$ed")"
echo "\$((left + WIDTH + 4))" > "$work/width"
xdotool mousemove 700 500
import -window root "$work/face.png"
# View > Transparency Checkerboard; Colour > Transparent Right; Symbol > Block; a right-button
# press on the star's middle cell erases it; then the Colour menu, open.
xdotool key --window "\$ed" alt+v
sleep 0.4
xdotool key c
sleep 0.4
xdotool key --window "\$ed" alt+c
sleep 0.4
xdotool key r
sleep 0.3
xdotool key --window "\$ed" alt+s
sleep 0.4
xdotool key b
sleep 0.3
eval "\$(xdotool getwindowgeometry --shell "\$ed")"
xdotool mousemove \$((X + 140)) \$((Y + 196)) click 3
sleep 0.5
xdotool key --window "\$ed" alt+c
sleep 0.6
import -window root "$work/checker.png"
xdotool key Escape
kill \$pid
wait \$pid || true
DRIVE
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 1000x700x24 -dpi 96" "$work/drive.sh"
width=$(cat "$work/width")
convert "$work/face.png" -crop "${width}x400+0+0" +repage docs/screenshot-alpha.png
convert "$work/checker.png" -crop "${width}x400+0+0" +repage docs/screenshot-alpha-checker.png
echo "docs/screenshot-alpha.png, docs/screenshot-alpha-checker.png"
