// Writes the PNG fuzzer's seed corpus into the folder named on the command line: files of every
// colour type and depth, plain and interlaced, with and without tRNS, written by libspng, and
// the files the codec's own encoder makes.
#include <spng.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "glyphs/bitmap.h"
#include "formats/png_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Save(const std::string& folder, const std::string& name, const Bytes& bytes) {
  const std::string path = folder + "/" + name;
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

Bytes Make(int w, int h, int depth, int colorType, bool interlaced, bool trns) {
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_ihdr ihdr{static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), static_cast<std::uint8_t>(depth),
                 static_cast<std::uint8_t>(colorType), 0, 0, static_cast<std::uint8_t>(interlaced)};
  spng_set_ihdr(ctx, &ihdr);
  const int channels = colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
  if (colorType == 3) {
    spng_plte plte{};
    plte.n_entries = 1u << depth;
    for (std::uint32_t i = 0; i < plte.n_entries; ++i)
      plte.entries[i] = spng_plte_entry{static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 3), 255};
    spng_set_plte(ctx, &plte);
  }
  if (trns && (colorType == 0 || colorType == 2 || colorType == 3)) {
    spng_trns t{};
    t.gray = 1;
    t.red = 1, t.green = 2, t.blue = 3;
    t.n_type3_entries = colorType == 3 ? 2 : 0;
    t.type3_alpha[0] = 0, t.type3_alpha[1] = 130;
    spng_set_trns(ctx, &t);
  }
  const std::size_t stride = (static_cast<std::size_t>(w) * channels * depth + 7) / 8;
  Bytes rows(stride * static_cast<std::size_t>(h));
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(i * 37 + 11);
  spng_encode_image(ctx, rows.data(), rows.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
  std::size_t length = 0;
  int err = 0;
  auto* buffer = static_cast<std::uint8_t*>(spng_get_png_buffer(ctx, &length, &err));
  Bytes out;
  if (buffer) out.assign(buffer, buffer + length);
  std::free(buffer);
  spng_ctx_free(ctx);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const struct {
    int colorType;
    std::vector<int> depths;
  } kinds[] = {{0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
  for (const auto& k : kinds)
    for (const int depth : k.depths)
      for (const int interlaced : {0, 1}) {
        const std::string name = "t" + std::to_string(k.colorType) + "d" + std::to_string(depth) + "i" + std::to_string(interlaced);
        Save(folder, name + ".png", Make(7, 5, depth, k.colorType, interlaced != 0, false));
        Save(folder, name + "trns.png", Make(7, 5, depth, k.colorType, interlaced != 0, true));
      }
  // The encoder's own forms: a keyed palette strip and a truecolour picture.
  gliffo::TBitmap strip;
  strip.SetPixelFormat(gliffo::TPixelFormat::pf4bit);
  strip.SetWidth(12);
  strip.SetHeight(4);
  const gliffo::raster::Surface s = strip.WritableSurface();
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 12; ++x) gliffo::raster::WriteValue(s, x, y, static_cast<std::uint32_t>((x * y + x / 4) % 16));
  gliffo::TEncodeOptions keyed;
  keyed.GlyphSize = 4;
  Save(folder, "strip.png", gliffo::png::Encode(strip.Image(), keyed));
  gliffo::TBitmap photo;
  photo.SetWidth(20);
  photo.SetHeight(20);
  const gliffo::raster::Surface p = photo.WritableSurface();
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) gliffo::raster::WriteValue(p, x, y, static_cast<std::uint32_t>(x * 12 + y * 3000 + x * y * 70000));
  Save(folder, "photo.png", gliffo::png::Encode(photo.Image()));
  return 0;
}
