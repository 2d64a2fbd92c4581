#!/bin/sh
# Makes docs/diff-picture.png for the README: what gliffo-tool diff --picture draws for two
# versions of a strip of sample glyphs (one glyph redrawn in part, one removed, one moved, one
# added), and prints the report it goes with.
#   docs/make_diff_figure.sh [GLIFFO_TOOL]   (default build/cli/gliffo-tool; needs python3)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$root/build/cli/gliffo-tool}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$root/docs/sample_strip.py" "$work/sample.bmp"
"$tool" pick "$work/sample.bmp" "$work/before.bmp" 0 1 2 3 4 9 5 >/dev/null
"$tool" pick "$work/sample.bmp" "$work/after.bmp" 0 1 3 4 2 5 6 >/dev/null
# Glyph 1 of the new version redrawn in part: a yellow bar across its middle.
python3 - "$work/after.bmp" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
offset, = struct.unpack_from('<I', data, 10)
width, height, _, bits = struct.unpack_from('<iiHH', data, 18)
stride = (width * bits // 8 + 3) // 4 * 4
for y in (7, 8):
    for x in range(16 + 2, 16 + 14):
        at = offset + (height - 1 - y) * stride + x * 3
        data[at:at + 3] = bytes((0, 255, 255))
open(sys.argv[1], 'wb').write(data)
PY
"$tool" diff "$work/before.bmp" "$work/after.bmp" --picture "$root/docs/diff-picture.png" || true
