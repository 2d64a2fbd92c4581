#!/bin/sh
# Strip jobs of gliffo-tool against their floors and against ImageMagick, Pillow and stb_image:
# builds gliffo-tool, strips_floor and the stb_image peer, makes the data (kept between runs) and
# prints one table of medians (env ROUNDS: interleaved rounds, default 5).
#   bench/strips/run.sh [BUILD_DIR] [DATA_DIR]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build-bench}
data=${2:-${TMPDIR:-/tmp}/gliffo-strips-data}
# Written into the data's marker; a change of what make_data.py writes must change it.
data_version=peers-3-new-jobs

# The peers are this bench's alone, so they are installed here and not by scripts/setup.sh.
missing=""
for package in imagemagick python3-pil libstb-dev; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing="$missing $package"
done
if [ -n "$missing" ]; then
  if [ "$(id -u)" = 0 ]; then
    echo "installing the peers:$missing" >&2
    export DEBIAN_FRONTEND=noninteractive
    # shellcheck disable=SC2086 # one word per package
    apt-get install -y -qq $missing >/dev/null 2>&1 || { apt-get update -qq && apt-get install -y -qq $missing >/dev/null; } ||
      echo "could not install$missing; those peers show as missing" >&2
  else
    echo "not root, so$missing stay missing; those peers show as missing" >&2
  fi
fi

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGLIFFO_GUI=OFF -DGLIFFO_TESTS=OFF -DGLIFFO_BENCH=ON -DGLIFFO_STATIC_RUNTIME=ON
fi
cmake --build "$build" --target gliffo-tool strips_floor -j2
# Built here rather than by CMake: the header comes with the peer's package, which the project's
# own build never needs.
stb="$build/bench/stb_peer"
if [ -f /usr/include/stb/stb_image.h ] && { [ ! -x "$stb" ] || [ -n "$(find "$here/stb_peer.c" -newer "$stb")" ]; }; then
  cc -O2 -o "$stb" "$here/stb_peer.c" -lm
fi

if [ "$(cat "$data/.complete" 2>/dev/null)" != "$data_version" ]; then
  rm -rf "$data"
  python3 "$here/make_data.py" "$data" 10000 1000 --check "$build/cli/gliffo-tool"
  echo "$data_version" >"$data/.complete"
fi
python3 "$here/run.py" "$build" "$data"
# The folder browser's load of the same glyphs, when the build has the windows (GLIFFO_GUI=ON).
if [ -x "$build/bench/folder_load_bench" ]; then
  GLIFFO_GLYPH_FOLDER="$data/glyphs" "$build/bench/folder_load_bench" 2>/dev/null
fi
