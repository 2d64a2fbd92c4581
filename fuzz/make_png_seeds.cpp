// Writes the PNG fuzzer's seed corpus into the folder named on the command line: files of every
// colour type and depth, plain and interlaced, with and without tRNS, written by libspng, the
// files the codec's own encoder makes, and pictures at and past the 2^26-pixel limit.
#include <spng.h>
#include <zlib.h>

#include <algorithm>
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

void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void AddChunk(Bytes& file, const char* type, const Bytes& data) {
  Put32(file, static_cast<std::uint32_t>(data.size()));
  const std::size_t at = file.size();
  file.insert(file.end(), type, type + 4);
  file.insert(file.end(), data.begin(), data.end());
  Put32(file, static_cast<std::uint32_t>(crc32(0, file.data() + at, static_cast<uInt>(file.size() - at))));
}

// A picture at the edge of the 2^26-pixel limit (or past it) whose samples are all zero, so its
// file stays small: every scanline (each Adam7 pass's, for an interlaced one), or only the first
// rawLimit bytes of them, the stream then ending early. These steer the fuzzer to the sizes
// where a store's or a row's size computation would overflow, which small seeds never reach.
Bytes ZeroPng(std::uint32_t w, std::uint32_t h, int depth, int colorType, bool interlaced, std::uint64_t rawLimit) {
  const int channels = colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
  const auto scanline = [&](std::uint64_t width) { return 1 + (width * channels * depth + 7) / 8; };
  std::uint64_t raw = 0;
  if (!interlaced) {
    raw = h * scanline(w);
  } else {
    constexpr int x0[7] = {0, 4, 0, 2, 0, 1, 0}, y0[7] = {0, 0, 4, 0, 2, 0, 1};
    constexpr int dx[7] = {8, 8, 4, 4, 2, 2, 1}, dy[7] = {8, 8, 8, 4, 4, 2, 2};
    for (int p = 0; p < 7; ++p) {
      const std::uint64_t pw = w > static_cast<std::uint32_t>(x0[p]) ? (w - x0[p] + dx[p] - 1) / dx[p] : 0;
      const std::uint64_t ph = h > static_cast<std::uint32_t>(y0[p]) ? (h - y0[p] + dy[p] - 1) / dy[p] : 0;
      if (pw && ph) raw += ph * scanline(pw);
    }
  }
  raw = std::min(raw, rawLimit);
  Bytes idat;
  z_stream z{};
  deflateInit(&z, 9);
  const Bytes zeros(1 << 16, 0);
  Bytes out(1 << 16);
  for (std::uint64_t left = raw;;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, zeros.size()));
    left -= n;
    z.next_in = const_cast<Bytef*>(zeros.data());
    z.avail_in = static_cast<uInt>(n);
    int ret = Z_OK;
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      ret = deflate(&z, left == 0 ? Z_FINISH : Z_NO_FLUSH);
      idat.insert(idat.end(), out.data(), out.data() + (out.size() - z.avail_out));
    } while (z.avail_out == 0);
    if (left == 0 && ret == Z_STREAM_END) break;
  }
  deflateEnd(&z);
  Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  Put32(ihdr, w);
  Put32(ihdr, h);
  ihdr.insert(ihdr.end(), {static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(colorType), 0, 0,
                           static_cast<std::uint8_t>(interlaced)});
  AddChunk(file, "IHDR", ihdr);
  if (colorType == 3) AddChunk(file, "PLTE", Bytes(3 << depth, 0x80));
  AddChunk(file, "IDAT", idat);
  AddChunk(file, "IEND", {});
  return file;
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

  // At and past the picture limit: whole files that decode (a few kilobytes each), a 16-bit
  // Adam7 one cut after its first megabyte, and headers one pixel past the limit. Each at the
  // limit takes a second or two under the sanitizers, so there are few of them.
  constexpr std::uint64_t Whole = ~std::uint64_t{0}, Cut = 1 << 20;
  constexpr std::uint32_t Side = 8192, Long = 1u << 26;
  Save(folder, "limit_g1_adam7.png", ZeroPng(Side, Side, 1, 0, true, Whole));
  Save(folder, "limit_wide_g1.png", ZeroPng(Long, 1, 1, 0, false, Whole));
  Save(folder, "limit_rgba16_adam7_cut.png", ZeroPng(Side, Side, 16, 6, true, Cut));
  Save(folder, "past_limit.png", ZeroPng(Side + 1, Side, 1, 0, false, Cut));
  Save(folder, "past_limit_wide.png", ZeroPng(Long + 1, 1, 16, 6, true, Cut));
  return 0;
}
