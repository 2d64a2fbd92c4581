#!/bin/sh
# Makes docs/scaling.png for the README: a 16-pixel sample glyph and what gliffo-tool scale
# makes of it, side by side and each enlarged the same so their pixels show. Left to right:
# the glyphs, 1.5x nearest, 1.5x (Scale3x sampled), Scale2x, Scale3x.
#   docs/make_scaling_figure.sh [GLIFFO_TOOL]   (default build/cli/gliffo-tool; needs python3
#                                                and ImageMagick's convert)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$root/build/cli/gliffo-tool}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$root/docs/sample_strip.py" "$work/sample.bmp"
"$tool" pick "$work/sample.bmp" "$work/g16.bmp" 6 >/dev/null
"$tool" scale "$work/g16.bmp" "$work/n24.bmp" --by 1.5 --method nearest >/dev/null
"$tool" scale "$work/g16.bmp" "$work/s24.bmp" --by 1.5 >/dev/null
"$tool" scale "$work/g16.bmp" "$work/s32.bmp" --by 2 >/dev/null
"$tool" scale "$work/g16.bmp" "$work/s48.bmp" --by 3 >/dev/null

# Each shown 6 screen pixels to a pixel of the 48-pixel result, on white with a gap.
for f in g16 n24 s24 s32 s48; do
  size=$(( $(identify -format %h "$work/$f.bmp") ))
  scale=$(( 288 / size ))
  convert "$work/$f.bmp" -filter point -resize "$((scale * 100))%" \
    -bordercolor white -border 12 "$work/$f.png"
done
convert "$work/g16.png" "$work/n24.png" "$work/s24.png" "$work/s32.png" "$work/s48.png" \
  +append +repage "$root/docs/scaling.png"
echo "$root/docs/scaling.png"
