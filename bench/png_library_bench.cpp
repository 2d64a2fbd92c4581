// Which PNG library the codec is built on: libspng against libpng, the same bytes in memory,
// measured in one run so a busy machine still gives a fair ratio (libspng time / libpng time;
// below 1 means libspng is faster).
//
//   png_library_bench [benchmark options]
//
// Decode: one 4096 × 4096 RGBA picture with photo-like gradients and icon-like runs, and 2,000
// glyph files of 16 × 16 in 4-bit palette form, each decoded to 8-bit RGBA as a loader would.
// Encode: a strip of 1,000 glyphs of 16 × 16, 4-bit palette, best compression, to memory.
#include <benchmark/benchmark.h>
#include <png.h>
#include <spng.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int BigSide = 4096;
constexpr int GlyphSide = 16;
constexpr int SmallFiles = 2000;
constexpr int StripGlyphs = 1000;

// ---- libpng to and from memory ----

struct MemoryReader {
  const Bytes* bytes;
  std::size_t at;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (r->at + length > r->bytes->size()) png_error(png, "read past end");
  std::memcpy(out, r->bytes->data() + r->at, length);
  r->at += length;
}

void WriteToMemory(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// 8-bit RGBA rows, every colour type expanded, as the codec needs them.
Bytes LibpngDecodeRgba(const Bytes& file) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Bytes out;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    throw std::runtime_error("libpng decode failed");
  }
  MemoryReader reader{&file, 0};
  png_set_read_fn(png, &reader, ReadFromMemory);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  out.resize(static_cast<std::size_t>(w) * h * 4);
  std::vector<png_bytep> rows(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = out.data() + static_cast<std::size_t>(y) * w * 4;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return out;
}

// Encodes packed rows (already in the PNG's own layout) with the given header.
Bytes LibpngEncode(int w, int h, int depth, int colorType, const Bytes& rows, const std::vector<png_color>& palette,
                   int filters, int level) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Bytes out;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng encode failed");
  }
  png_set_write_fn(png, &out, WriteToMemory, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), depth, colorType,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  png_set_filter(png, 0, filters);
  png_set_compression_level(png, level);
  png_write_info(png, info);
  const std::size_t stride = rows.size() / static_cast<std::size_t>(h);
  for (int y = 0; y < h; ++y) png_write_row(png, rows.data() + static_cast<std::size_t>(y) * stride);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// ---- libspng ----

Bytes SpngDecodeRgba(const Bytes& file) {
  spng_ctx* ctx = spng_ctx_new(0);
  Bytes out;
  std::size_t size = 0;
  int err = spng_set_png_buffer(ctx, file.data(), file.size());
  if (!err) err = spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size);
  if (!err) {
    out.resize(size);
    err = spng_decode_image(ctx, out.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
  }
  spng_ctx_free(ctx);
  if (err) throw std::runtime_error(spng_strerror(err));
  return out;
}

Bytes SpngEncode(int w, int h, int depth, int colorType, const Bytes& rows, const std::vector<png_color>& palette,
                 int filterChoice, int level) {
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_set_option(ctx, SPNG_FILTER_CHOICE, filterChoice);
  spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, level);
  spng_ihdr ihdr{};
  ihdr.width = static_cast<std::uint32_t>(w);
  ihdr.height = static_cast<std::uint32_t>(h);
  ihdr.bit_depth = static_cast<std::uint8_t>(depth);
  ihdr.color_type = static_cast<std::uint8_t>(colorType);
  int err = spng_set_ihdr(ctx, &ihdr);
  if (!err && !palette.empty()) {
    spng_plte plte{};
    plte.n_entries = static_cast<std::uint32_t>(palette.size());
    for (std::size_t i = 0; i < palette.size(); ++i)
      plte.entries[i] = spng_plte_entry{palette[i].red, palette[i].green, palette[i].blue, 255};
    err = spng_set_plte(ctx, &plte);
  }
  if (!err) err = spng_encode_image(ctx, rows.data(), rows.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
  Bytes out;
  if (!err) {
    std::size_t length = 0;
    void* buffer = spng_get_png_buffer(ctx, &length, &err);
    if (buffer) {
      out.assign(static_cast<std::uint8_t*>(buffer), static_cast<std::uint8_t*>(buffer) + length);
      std::free(buffer);
    }
  }
  spng_ctx_free(ctx);
  if (err) throw std::runtime_error(spng_strerror(err));
  return out;
}

// ---- the data, made once ----

// Indexes that look like toolbar art: runs of 1 to 6 equal pixels.
Bytes ArtIndexes(std::size_t count, int colours, std::uint32_t seed) {
  std::mt19937 random(seed);
  Bytes pixels(count);
  std::size_t at = 0;
  while (at < count) {
    const std::size_t run = 1 + random() % 6;
    const auto value = static_cast<std::uint8_t>(random() % static_cast<std::uint32_t>(colours));
    for (std::size_t i = 0; i < run && at < count; ++i) pixels[at++] = value;
  }
  return pixels;
}

Bytes PackNibbles(const Bytes& indexes, int w, int h) {
  const int stride = (w + 1) / 2;
  Bytes rows(static_cast<std::size_t>(stride) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint8_t v = indexes[static_cast<std::size_t>(y) * w + x];
      rows[static_cast<std::size_t>(y) * stride + x / 2] |= static_cast<std::uint8_t>(x % 2 ? v : v << 4);
    }
  return rows;
}

std::vector<png_color> Palette16() {
  std::vector<png_color> p;
  for (int i = 0; i < 16; ++i)
    p.push_back(png_color{static_cast<png_byte>(i * 16), static_cast<png_byte>(255 - i * 16), static_cast<png_byte>(i * 5)});
  return p;
}

struct Data {
  Bytes big;                 // 4096² RGBA
  std::vector<Bytes> small;  // 16² palette files
  Bytes stripRows;           // 4-bit rows of the strip to encode
  Data() {
    std::mt19937 random(7);
    Bytes rgba(static_cast<std::size_t>(BigSide) * BigSide * 4);
    const Bytes art = ArtIndexes(static_cast<std::size_t>(BigSide) * BigSide, 16, 3);
    for (int y = 0; y < BigSide; ++y)
      for (int x = 0; x < BigSide; ++x) {
        std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * BigSide + x) * 4];
        if (y < BigSide / 2) {  // gradient with a little noise: the photo-like half
          p[0] = static_cast<std::uint8_t>(x / 16 + random() % 4);
          p[1] = static_cast<std::uint8_t>(y / 16);
          p[2] = static_cast<std::uint8_t>((x + y) / 32);
          p[3] = static_cast<std::uint8_t>(255 - (x % 256));
        } else {  // flat runs of a few colours: the icon-like half
          const std::uint8_t v = art[static_cast<std::size_t>(y) * BigSide + x];
          p[0] = static_cast<std::uint8_t>(v * 16);
          p[1] = static_cast<std::uint8_t>(255 - v * 16);
          p[2] = static_cast<std::uint8_t>(v * 5);
          p[3] = v == 0 ? 0 : 255;
        }
      }
    big = LibpngEncode(BigSide, BigSide, 8, PNG_COLOR_TYPE_RGBA, rgba, {}, PNG_ALL_FILTERS, 6);
    for (int i = 0; i < SmallFiles; ++i) {
      const Bytes idx = ArtIndexes(GlyphSide * GlyphSide, 16, static_cast<std::uint32_t>(100 + i));
      small.push_back(LibpngEncode(GlyphSide, GlyphSide, 4, PNG_COLOR_TYPE_PALETTE, PackNibbles(idx, GlyphSide, GlyphSide),
                                   Palette16(), PNG_FILTER_NONE, 9));
    }
    const int w = GlyphSide * StripGlyphs;
    stripRows = PackNibbles(ArtIndexes(static_cast<std::size_t>(w) * GlyphSide, 16, 11), w, GlyphSide);
  }
};

const Data& TheData() {
  static const Data data;
  return data;
}

void BM_DecodeBig_libpng(benchmark::State& state) {
  const Data& d = TheData();
  for (auto _ : state) benchmark::DoNotOptimize(LibpngDecodeRgba(d.big));
}
void BM_DecodeBig_libspng(benchmark::State& state) {
  const Data& d = TheData();
  for (auto _ : state) benchmark::DoNotOptimize(SpngDecodeRgba(d.big));
}
void BM_DecodeSmall_libpng(benchmark::State& state) {
  const Data& d = TheData();
  for (auto _ : state)
    for (const Bytes& f : d.small) benchmark::DoNotOptimize(LibpngDecodeRgba(f));
}
void BM_DecodeSmall_libspng(benchmark::State& state) {
  const Data& d = TheData();
  for (auto _ : state)
    for (const Bytes& f : d.small) benchmark::DoNotOptimize(SpngDecodeRgba(f));
}
void BM_EncodeStrip_libpng(benchmark::State& state) {
  const Data& d = TheData();
  std::size_t size = 0;
  for (auto _ : state) {
    const Bytes out = LibpngEncode(GlyphSide * StripGlyphs, GlyphSide, 4, PNG_COLOR_TYPE_PALETTE, d.stripRows,
                                   Palette16(), PNG_FILTER_NONE, 9);
    size = out.size();
  }
  state.counters["bytes"] = static_cast<double>(size);
}
void BM_EncodeStrip_libspng(benchmark::State& state) {
  const Data& d = TheData();
  std::size_t size = 0;
  for (auto _ : state) {
    const Bytes out = SpngEncode(GlyphSide * StripGlyphs, GlyphSide, 4, SPNG_COLOR_TYPE_INDEXED, d.stripRows,
                                 Palette16(), SPNG_DISABLE_FILTERING, 9);
    size = out.size();
  }
  state.counters["bytes"] = static_cast<double>(size);
}

BENCHMARK(BM_DecodeBig_libpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBig_libspng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeSmall_libpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeSmall_libspng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeStrip_libpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeStrip_libspng)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  gliffo::bench::RatioReporter reporter;
  TheData();  // made before timing starts
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nlibspng / libpng (below 1: libspng faster)\n");
  for (const char* job : {"DecodeBig", "DecodeSmall", "EncodeStrip"}) {
    const std::string a = std::string("BM_") + job + "_libspng", b = std::string("BM_") + job + "_libpng";
    if (reporter.Times.count(a) && reporter.Times.count(b) && reporter.Times[b] > 0)
      std::printf("  %-12s %.2f\n", job, reporter.Times[a] / reporter.Times[b]);
  }
  benchmark::Shutdown();
  return 0;
}
