#!/bin/sh
# Makes docs/dark-theme.png for the README: ten sample glyphs on the light toolbar, the same
# glyphs on the dark toolbar, and the dark theme gliffo-tool theme --make dark makes of them
# on the dark toolbar, each pixel shown 6 screen pixels wide.
#   docs/make_dark_figure.sh [GLIFFO_TOOL]   (default build/cli/gliffo-tool; needs python3
#                                             and ImageMagick's convert)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$root/build/cli/gliffo-tool}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$root/docs/sample_strip.py" "$work/sample.bmp"
"$tool" pick "$work/sample.bmp" "$work/light.bmp" 0 1 2 3 4 5 6 7 8 9 >/dev/null
printf '%s\n' disc square arrow page diamond ring triangle folder star cross > "$work/names.txt"
"$tool" import "$work/icons.glyphset" --layout strips --names "$work/names.txt" "$work/light.bmp" >/dev/null
# A second theme for the set; its strip is written by the theme job.
sed -i 's/^themes = .*/themes = ["light", "dark"]/' "$work/icons.glyphset"
"$tool" theme "$work/icons.glyphset" --make dark >/dev/null

row() {  # STRIP TOOLBAR OUT
  convert "$1" -background "$2" -flatten -filter point -resize 600% \
    -bordercolor "$2" -border 12 "$3"
}
row "$work/icons-16.png" '#EFEFEF' "$work/a.png"
row "$work/icons-16.png" '#2B2B2B' "$work/b.png"
row "$work/icons-16-dark.png" '#2B2B2B' "$work/c.png"
convert "$work/a.png" "$work/b.png" "$work/c.png" -append +repage "$root/docs/dark-theme.png"
echo "$root/docs/dark-theme.png"
