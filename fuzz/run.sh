#!/bin/sh
# Builds the BMP decoder's libFuzzer target with clang and runs it for a bounded time.
#   fuzz/run.sh [SECONDS]        (default 60; the build goes to build-fuzz, or $GLIFFO_FUZZ_BUILD)
# Exits non-zero when the fuzzer finds a crash, a sanitizer report or a broken round trip;
# the input that did it is left in the build folder as crash-* or leak-* / timeout-*.
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${GLIFFO_FUZZ_BUILD:-$root/build-fuzz}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGLIFFO_FUZZ=ON -DGLIFFO_GUI=OFF -DGLIFFO_TESTS=OFF -DGLIFFO_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target bmp_fuzz bmp_fuzz_seeds

corpus="$build/fuzz-corpus"
mkdir -p "$corpus"
"$build/fuzz/bmp_fuzz_seeds" "$corpus"
"$build/fuzz/bmp_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$build/" -print_final_stats=1 "$corpus"
