#!/bin/sh
# gliffo-tool build of a 200-icon set (16, 24 and 32 pixels, light and dark) to every target,
# against the same files written by a script over Pillow and one over ImageMagick, and an
# unchanged rebuild; medians of ROUNDS runs (default 5), wall-clock, one process each.
#   bench/build/run.sh [BUILD_DIR] [DATA_DIR]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build-bench}
data=${2:-${TMPDIR:-/tmp}/gliffo-build-data}
rounds=${ROUNDS:-5}
# The system's python3: that is where python3-pil lives.
py=/usr/bin/python3
[ -x "$py" ] || py=python3
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGLIFFO_GUI=OFF -DGLIFFO_TESTS=OFF -DGLIFFO_BENCH=ON
fi
cmake --build "$build" --target gliffo-tool -j2
[ -f "$data/set/icons.glyphset" ] || "$py" "$here/make_set.py" "$data/set" 200
"$py" "$here/timing.py" "$build/cli/gliffo-tool" "$data" "$rounds" "$here"
