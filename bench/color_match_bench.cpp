// Colour matching into the 16-colour table: a 256 × 256 true-colour image converted to the
// 4-bit system-palette format, against a plain pass over the same pixels in the same run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"

namespace {

using gliffo::TBitmap;
using gliffo::TPixelFormat;

void FillRandom(TBitmap& b, unsigned seed) {
  b.SetWidth(256);
  b.SetHeight(256);
  std::mt19937 rng(seed);
  gliffo::raster::Surface s = b.WritableSurface();
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) gliffo::raster::WriteValue(s, x, y, rng() & 0xFFFFFF);
}

// Reference: read every pixel's colour and write it into a second 32-bit store.
void BM_PlainPixelPass(benchmark::State& state) {
  TBitmap src;
  FillRandom(src, 1);
  TBitmap dst;
  dst.SetWidth(256);
  dst.SetHeight(256);
  for (auto _ : state) {
    const gliffo::raster::Surface s = src.Image().Surface();
    const gliffo::raster::Surface d = dst.WritableSurface();
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x)
        gliffo::raster::WriteValue(d, x, y, gliffo::raster::ColorToValue(d, gliffo::raster::GetPixel(s, x, y)));
    benchmark::DoNotOptimize(d.Bits);
  }
}
BENCHMARK(BM_PlainPixelPass)->Unit(benchmark::kMicrosecond);

// Random colours: every pixel a new colour, so the look-up cache never helps.
void BM_MatchRandomInto16(benchmark::State& state) {
  TBitmap src;
  FillRandom(src, 2);
  for (auto _ : state) {
    TBitmap b;
    b.Assign(&src);
    b.SetPixelFormat(TPixelFormat::pf4bit);
    benchmark::DoNotOptimize(b.Image().Bits.data());
  }
}
BENCHMARK(BM_MatchRandomInto16)->Unit(benchmark::kMicrosecond);

// A glyph-like picture: a few colours in runs.
void BM_MatchGlyphLikeInto16(benchmark::State& state) {
  TBitmap src;
  src.SetWidth(256);
  src.SetHeight(256);
  const gliffo::TColor colors[] = {0x102030, 0xC0C0C0, 0x0000FF, 0x808080, 0x00FFFF};
  for (int i = 0; i < 40; ++i) {
    src.Canvas().Brush().SetColor(colors[i % 5]);
    src.Canvas().FillRect(gliffo::Rect(i * 6, i * 5, 256 - i * 3, 256 - i * 2));
  }
  for (auto _ : state) {
    TBitmap b;
    b.Assign(&src);
    b.SetPixelFormat(TPixelFormat::pf4bit);
    benchmark::DoNotOptimize(b.Image().Bits.data());
  }
}
BENCHMARK(BM_MatchGlyphLikeInto16)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
