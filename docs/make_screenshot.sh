#!/usr/bin/env bash
# Makes docs/screenshot-strip.png: the collection window with a strip of sample glyphs open, on a
# virtual X display. Needs xvfb, xdotool and ImageMagick, and a built ./build/app/gliffo
# (or the program given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/app/gliffo}")"
work="${TMPDIR:-/tmp}/gliffo-demo"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# Twenty sample glyphs, 16 x 16, drawn as a 24-bit strip.
mkdir -p "$work/icons"
python3 docs/sample_strip.py "$work/icons/samples.gbc"

cat > "$work/drive.sh" <<DRIVE
#!/usr/bin/env bash
set -euo pipefail
cd "$work/icons"
"$program" &
pid=\$!
for i in \$(seq 50); do
  win=\$(xdotool search --name '^Gliffo 2\$' 2>/dev/null | head -1 || true)
  [ -n "\$win" ] && break
  sleep 0.2
done
sleep 1
xdotool windowfocus --sync "\$win" || true
# File > Open Collection..., type the name, Enter.
xdotool key --window "\$win" alt+f
sleep 0.5
xdotool key o
sleep 1.5
xdotool type --delay 20 "$work/icons/samples.gbc"
xdotool key Return
sleep 1.5
# Select glyphs 2 and 5 with the mouse so the view has the focus and shows its selection.
xdotool mousemove --window "\$win" 90 142 click 1
sleep 0.3
xdotool keydown ctrl mousemove --window "\$win" 57 180 click 1 keyup ctrl
sleep 0.3
xdotool mousemove --window "\$win" 150 350
sleep 0.5
eval "\$(xdotool getwindowgeometry --shell "\$win")"
import -window root "$work/full.png"
echo "\$X \$Y \$WIDTH \$HEIGHT" > "$work/geometry"
kill \$pid
wait \$pid || true
DRIVE
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 640x600x24 -dpi 96" "$work/drive.sh"
read -r x y w h < "$work/geometry"
convert "$work/full.png" -crop "${w}x${h}+${x}+${y}" +repage docs/screenshot-strip.png
echo "docs/screenshot-strip.png: ${w}x${h}"
