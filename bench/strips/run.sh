#!/bin/sh
# Strip jobs against their floor and ImageMagick: builds gliffo-tool and strips_floor, makes the
# data (10,000 glyph files, 1,000 strips; kept between runs) and prints the figures.
#   bench/strips/run.sh [BUILD_DIR] [DATA_DIR]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build-bench}
data=${2:-${TMPDIR:-/tmp}/gliffo-strips-data}
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGLIFFO_GUI=OFF -DGLIFFO_TESTS=OFF -DGLIFFO_BENCH=ON
fi
cmake --build "$build" --target gliffo-tool strips_floor -j2
if [ ! -f "$data/.complete" ]; then
  rm -rf "$data"
  python3 "$here/make_data.py" "$data" 10000 1000
  touch "$data/.complete"
fi
python3 "$here/run.py" "$build" "$data" "${REPEATS:-9}"
# The folder browser's load of the same glyphs, when the build has the windows (GLIFFO_GUI=ON).
if [ -x "$build/bench/folder_load_bench" ]; then
  GLIFFO_GLYPH_FOLDER="$data/glyphs" "$build/bench/folder_load_bench" 2>/dev/null
fi
