#!/usr/bin/env bash
# Makes docs/screenshot-set.png: the collection window showing an icon set (names, and the
# 16, 24 and 32 pixel cells of a light and a dark theme, the empty ones hatched), started as
# `gliffo icons.glyphset` on a virtual X display under openbox. Needs xvfb, openbox, xdotool
# and ImageMagick, a built ./build/app/gliffo and ./build/cli/gliffo-tool (or the build folder
# given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"
program="$build/app/gliffo"
tool="$build/cli/gliffo-tool"
work="${TMPDIR:-/tmp}/gliffo-set-demo"
rm -rf "$work"
mkdir -p "$work/icons/dark"
trap 'rm -rf "$work"' EXIT

# The twenty sample glyphs at 16 pixels, scaled by the tool to 24 and 32; the dark theme has a
# 16-pixel strip of its own (the same glyphs, turned to 4 bits) and nothing drawn at 24 or 32.
python3 docs/sample_strip.py "$work/icons/tb16.bmp"
"$tool" scale "$work/icons/tb16.bmp" "$work/icons/tb24.png" --by 1.5 > /dev/null
"$tool" scale "$work/icons/tb16.bmp" "$work/icons/tb32.png" --by 2 > /dev/null
"$tool" pick "$work/icons/tb16.bmp" "$work/icons/dark/tb16.bmp" 0-5 > /dev/null
cat > "$work/icons/icons.glyphset" <<'SET'
# Toolbar icons of the demo
name = "demo-toolbar"
sizes = [16, 24, 32]
themes = ["light", "dark"]
icons = [
  "media-record",
  "view-restore",
  "go-next",
  "document-new",
  "zoom-in",
  "edit-clear",
  "go-up",
  "format-justify-fill",
]

[strips]
"16" = "tb16.bmp"
"24" = "tb24.png"
"32" = "tb32.png"
"16-dark" = "dark/tb16.bmp"
SET

cat > "$work/drive.sh" <<DRIVE
#!/usr/bin/env bash
set -euo pipefail
openbox > /dev/null 2>&1 &
sleep 1
cd "$work/icons"
"$program" icons.glyphset &
pid=\$!
for i in \$(seq 50); do
  win=\$(xdotool search --name 'icons.glyphset' 2>/dev/null | head -1 || true)
  [ -n "\$win" ] && break
  sleep 0.2
done
sleep 1
xdotool windowfocus --sync "\$win" || true
sleep 0.5
import -frame -window "\$win" "$work/window.png"
kill \$pid
wait \$pid || true
DRIVE
chmod +x "$work/drive.sh"
xvfb-run -a -s "-screen 0 900x700x24 -dpi 96" "$work/drive.sh"
cp "$work/window.png" docs/screenshot-set.png
echo "docs/screenshot-set.png: $(identify -format '%wx%h' docs/screenshot-set.png)"
