#!/bin/sh
# Builds the BMP, PNG and icon decoders' libFuzzer targets and gliffo-tool's pick's with clang
# and runs them for a bounded time, split between them (the icon reader and pick, the smallest,
# get a sixth each).
#   fuzz/run.sh [SECONDS]        (default 60; the build goes to build-fuzz, or $GLIFFO_FUZZ_BUILD)
# The PNG corpus also takes the files of $GLIFFO_PNGSUITE when that folder is given.
# Exits non-zero when a fuzzer finds a crash, a sanitizer report or a broken round trip;
# the input that did it is left in the build folder as crash-* or leak-* / timeout-*.
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${GLIFFO_FUZZ_BUILD:-$root/build-fuzz}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGLIFFO_FUZZ=ON -DGLIFFO_GUI=OFF -DGLIFFO_TESTS=OFF -DGLIFFO_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target bmp_fuzz bmp_fuzz_seeds png_fuzz png_fuzz_seeds ico_fuzz ico_fuzz_seeds pick_fuzz

ico_seconds=$((seconds / 6))
pick_seconds=$((seconds / 6))
png_seconds=$(((seconds - ico_seconds - pick_seconds) / 2))
bmp_seconds=$((seconds - ico_seconds - pick_seconds - png_seconds))

corpus="$build/fuzz-corpus"
mkdir -p "$corpus"
"$build/fuzz/bmp_fuzz_seeds" "$corpus"
"$build/fuzz/bmp_fuzz" -max_total_time="$bmp_seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$build/" -print_final_stats=1 "$corpus"

png_corpus="$build/fuzz-corpus-png"
mkdir -p "$png_corpus"
"$build/fuzz/png_fuzz_seeds" "$png_corpus"
if [ -n "${GLIFFO_PNGSUITE:-}" ] && [ -d "$GLIFFO_PNGSUITE" ]; then
  cp "$GLIFFO_PNGSUITE"/*.png "$png_corpus"/
fi
"$build/fuzz/png_fuzz" -max_total_time="$png_seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$build/png-" -print_final_stats=1 "$png_corpus"

ico_corpus="$build/fuzz-corpus-ico"
mkdir -p "$ico_corpus"
"$build/fuzz/ico_fuzz_seeds" "$ico_corpus"
cp "$root"/tests/data/ico/*.ico "$ico_corpus"/
"$build/fuzz/ico_fuzz" -max_total_time="$ico_seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$build/ico-" -print_final_stats=1 "$ico_corpus"

# Seeds of a few bytes each that name millions of glyphs (fuzz/pick_fuzz.cpp says how).
pick_corpus="$build/fuzz-corpus-pick"
mkdir -p "$pick_corpus"
cp "$root"/fuzz/pick-seeds/* "$pick_corpus"/
"$build/fuzz/pick_fuzz" -max_total_time="$pick_seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$build/pick-" -print_final_stats=1 "$pick_corpus"
