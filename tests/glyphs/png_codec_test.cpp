// The PNG codec on small files made here: the alpha rule, palettes with tRNS, round trips of
// every store the program holds, the key of each glyph of a strip, sizes, and refusals.
#include <gtest/gtest.h>
#include <spng.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "glyphs/bitmap.h"
#include "formats/bmp_file.h"
#include "glyphs/colors.h"
#include "formats/png_codec.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"
#include "tests/temp_folder.h"

namespace gliffo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using raster::ColorRef;
using raster::MakeColorRef;

constexpr ColorRef Pink = MakeColorRef(0xFF, 0x00, 0xFF);
constexpr ColorRef Silver = MakeColorRef(0xC0, 0xC0, 0xC0);
constexpr ColorRef Red = MakeColorRef(0xFF, 0, 0);
constexpr ColorRef Blue = MakeColorRef(0, 0, 0xFF);
constexpr ColorRef Lime = MakeColorRef(0, 0xFF, 0);

// A file written by libspng itself from rows in the PNG's own layout.
Bytes MakePng(int w, int h, int depth, int colorType, Bytes rows, const std::vector<spng_plte_entry>& palette = {},
              const std::vector<std::uint8_t>& alphas = {}, bool interlaced = false) {
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_ihdr ihdr{static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), static_cast<std::uint8_t>(depth),
                 static_cast<std::uint8_t>(colorType), 0, 0, static_cast<std::uint8_t>(interlaced ? 1 : 0)};
  EXPECT_EQ(spng_set_ihdr(ctx, &ihdr), 0);
  if (!palette.empty()) {
    spng_plte plte{};
    plte.n_entries = static_cast<std::uint32_t>(palette.size());
    std::copy(palette.begin(), palette.end(), plte.entries);
    EXPECT_EQ(spng_set_plte(ctx, &plte), 0);
  }
  if (!alphas.empty()) {
    spng_trns trns{};
    trns.n_type3_entries = static_cast<std::uint32_t>(alphas.size());
    std::copy(alphas.begin(), alphas.end(), trns.type3_alpha);
    EXPECT_EQ(spng_set_trns(ctx, &trns), 0);
  }
  EXPECT_EQ(spng_encode_image(ctx, rows.data(), rows.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE), 0);
  std::size_t length = 0;
  int err = 0;
  auto* buffer = static_cast<std::uint8_t*>(spng_get_png_buffer(ctx, &length, &err));
  Bytes out(buffer, buffer + length);
  std::free(buffer);
  spng_ctx_free(ctx);
  return out;
}

ColorRef At(const TBitmapImage& image, int x, int y) { return raster::GetPixel(image.Surface(), x, y); }

// A store of the given format filled pixel by pixel from colour(x, y).
template <typename ColourOf>
std::unique_ptr<TBitmap> MakeImage(TPixelFormat format, int w, int h, ColourOf colour) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(format);
  b->SetWidth(w);
  b->SetHeight(h);
  const raster::Surface s = b->WritableSurface();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) raster::WriteValue(s, x, y, raster::ColorToValue(s, colour(x, y)));
  return b;
}

void ExpectSamePixels(const TBitmapImage& a, const TBitmapImage& b) {
  ASSERT_EQ(a.Width, b.Width);
  ASSERT_EQ(a.AbsHeight(), b.AbsHeight());
  int wrong = 0;
  for (int y = 0; y < a.AbsHeight(); ++y)
    for (int x = 0; x < a.Width; ++x) wrong += At(a, x, y) != At(b, x, y);
  EXPECT_EQ(wrong, 0);
}

TEST(PngDecode, AlphaBelowHalfIsTheKeyAboveIsBlendedOverTheMatteOpaqueIsExact) {
  // One RGBA row: alphas 0, 127, 128, 255 over the colour (100, 50, 250); then 16-bit samples.
  const Bytes rows = {100, 50, 250, 0, 100, 50, 250, 127, 100, 50, 250, 128, 100, 50, 250, 255};
  const auto image = png::Decode(MakePng(4, 1, 8, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, rows));
  EXPECT_EQ(image->BitCount, 24);
  EXPECT_EQ(At(*image, 0, 0), Pink);
  EXPECT_EQ(At(*image, 1, 0), Pink);
  // (c × 128 + 192 × 127 + 127) / 255 per channel
  EXPECT_EQ(At(*image, 2, 0), MakeColorRef(146, 121, 221));
  EXPECT_EQ(At(*image, 3, 0), MakeColorRef(100, 50, 250));

  TDecodeOptions o;
  o.Key = MakeColorRef(1, 2, 3);
  o.Matte = MakeColorRef(0, 0, 0);
  const auto other = png::Decode(MakePng(4, 1, 8, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, rows), o);
  EXPECT_EQ(At(*other, 0, 0), MakeColorRef(1, 2, 3));
  EXPECT_EQ(At(*other, 2, 0), MakeColorRef(50, 25, 125));

  // 16-bit: the high byte counts, alpha 0x7FFF is below half, 0x8000 not.
  // libspng takes 16-bit samples in the machine's byte order.
  const Bytes wide = {0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A, 0xFF, 0x7F, 0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A, 0x00, 0x80};
  const auto deep = png::Decode(MakePng(2, 1, 16, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, wide));
  EXPECT_EQ(At(*deep, 0, 0), Pink);
  EXPECT_EQ(At(*deep, 1, 0), MakeColorRef((0x12 * 128 + 192 * 127 + 127) / 255, (0x56 * 128 + 192 * 127 + 127) / 255, (0x9A * 128 + 192 * 127 + 127) / 255));
}

TEST(PngDecode, PaletteFilesKeepTheirIndexesWithTrnsResolvedInTheTable) {
  // 2-bit palette, 4 entries with alphas 0, 127, 128 (and 255 by default), one row 3 2 1 0, interlaced.
  const std::vector<spng_plte_entry> palette = {{10, 20, 30, 255}, {40, 50, 60, 255}, {0, 0, 0, 255}, {7, 8, 9, 255}};
  const Bytes bytes = MakePng(4, 1, 2, SPNG_COLOR_TYPE_INDEXED, {0b11100100}, palette, {0, 127, 128}, true);
  const png::PngHeader h = png::ParseHeader(bytes);
  EXPECT_EQ(h.BitDepth, 2);
  EXPECT_EQ(h.ColorType, png::ColorTypeIndexed);
  EXPECT_TRUE(h.Interlaced);
  EXPECT_EQ(h.PaletteSize, 4);
  EXPECT_EQ(h.TransparencyEntries, 3);

  const auto image = png::Decode(bytes);
  EXPECT_EQ(image->BitCount, 4);  // 2-bit indexes widened
  ASSERT_EQ(image->ColorTable.size(), 4u);
  const raster::Surface s = image->Surface();
  for (int x = 0; x < 4; ++x) EXPECT_EQ(raster::ReadValue(s, x, 0), static_cast<std::uint32_t>(3 - x));
  EXPECT_EQ(At(*image, 0, 0), MakeColorRef(7, 8, 9));
  EXPECT_EQ(At(*image, 1, 0), MakeColorRef(96, 96, 96));  // black at 128 over silver
  EXPECT_EQ(At(*image, 2, 0), Pink);
  EXPECT_EQ(At(*image, 3, 0), Pink);

  // Grey files of 8 bits or less keep their values too, the tRNS grey as the key.
  const auto grey = png::Decode(MakePng(4, 1, 4, SPNG_COLOR_TYPE_GRAYSCALE, {0x0F, 0x58}));
  EXPECT_EQ(grey->BitCount, 4);
  EXPECT_EQ(At(*grey, 0, 0), MakeColorRef(0, 0, 0));
  EXPECT_EQ(At(*grey, 1, 0), MakeColorRef(255, 255, 255));
  EXPECT_EQ(At(*grey, 2, 0), MakeColorRef(85, 85, 85));
}

TEST(PngRoundTrip, EveryStoreComesBackWithEveryPixel) {
  const auto& sys = SystemPalette16();
  const auto strip = MakeImage(TPixelFormat::pf4bit, 48, 16, [&](int x, int y) { return raster::ToColorRef(sys[(x * 3 + y) % 16]); });
  const auto device = MakeImage(TPixelFormat::pfDevice, 40, 30, [](int x, int y) { return MakeColorRef(x * 6, y * 8, x ^ y); });
  const auto two = MakeImage(TPixelFormat::pfDevice, 17, 3, [](int x, int y) { return (x + y) % 2 ? Pink : Silver; });
  for (const TBitmap* b : {strip.get(), device.get(), two.get()}) {
    TEncodeOptions opaque;
    opaque.Opaque = true;
    const Bytes bytes = png::Encode(b->Image(), opaque);
    const auto back = png::Decode(bytes);
    ExpectSamePixels(b->Image(), *back);
    const png::PngHeader h = png::ParseHeader(bytes);
    // 1,200 colours need truecolour; the others fit the smallest palette that holds them.
    EXPECT_EQ(h.ColorType, b == device.get() ? png::ColorTypeRgb : png::ColorTypeIndexed);
    EXPECT_EQ(h.TransparencyEntries, 0);
    EXPECT_EQ(h.BitDepth, b == two.get() ? 1 : b == strip.get() ? 4 : 8);
  }
  EXPECT_TRUE(png::Encode(TBitmap().Image()).empty());
}

TEST(PngEncode, EachGlyphsBottomLeftColourIsTransparentInThatGlyphOnly) {
  // Three 4 × 4 glyphs: red key with blue ink, blue key with red ink, then 300 colours.
  const auto strip = MakeImage(TPixelFormat::pfDevice, 12, 4, [](int x, int y) {
    const int g = x / 4;
    const bool ink = (x % 4) == y % 4;
    if (g == 0) return ink ? Blue : Red;
    if (g == 1) return ink ? Red : Blue;
    return x == 8 && y == 3 ? Lime : MakeColorRef(x * 20, y * 50, 1);
  });
  TEncodeOptions options;
  options.GlyphSize = 4;
  const Bytes bytes = png::Encode(strip->Image(), options);
  const png::PngHeader h = png::ParseHeader(bytes);
  EXPECT_EQ(h.ColorType, png::ColorTypeIndexed);
  EXPECT_EQ(h.TransparencyEntries, 3);  // red, blue and lime, each a key somewhere
  EXPECT_EQ(h.PaletteSize, 3 + 2 + 15);   // red and blue twice: key in one glyph, ink in the other

  TDecodeOptions o;
  o.Key = MakeColorRef(1, 1, 1);
  const auto back = png::Decode(bytes, o);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 12; ++x) {
      const ColorRef original = At(strip->Image(), x, y);
      const bool key = original == At(strip->Image(), x / 4 * 4, 3);
      EXPECT_EQ(At(*back, x, y), key ? MakeColorRef(1, 1, 1) : original) << x << "," << y;
    }

  // Beyond 256 entries it becomes RGBA with the same keys.
  const auto many = MakeImage(TPixelFormat::pfDevice, 40, 20, [](int x, int y) { return (x % 20) == 0 && y == 19 ? Red : MakeColorRef(x * 6, y * 12, 7); });
  options.GlyphSize = 20;
  const Bytes rgba = png::Encode(many->Image(), options);
  EXPECT_EQ(png::ParseHeader(rgba).ColorType, png::ColorTypeRgba);
  EXPECT_EQ(At(*png::Decode(rgba), 20, 19), Pink);
  EXPECT_EQ(At(*png::Decode(rgba), 21, 19), MakeColorRef(126, 228, 7));
}

TEST(PngEncode, AStripOfSixteenColourGlyphsIsNoLargerThanIts4BitBmp) {
  // Toolbar-like glyphs: a frame, a filled body, a diagonal and a key-coloured background.
  const auto& sys = SystemPalette16();
  for (const int glyphs : {1, 24}) {
    const auto strip = MakeImage(TPixelFormat::pf4bit, 16 * glyphs, 16, [&](int x, int y) {
      const int g = x / 16, gx = x % 16;
      if (gx < 2 || gx > 13 || y < 2 || y > 13) return raster::ToColorRef(sys[13]);
      if (gx == 2 || gx == 13 || y == 2 || y == 13) return raster::ToColorRef(sys[0]);
      if (gx == y) return raster::ToColorRef(sys[(g + 3) % 16]);
      return raster::ToColorRef(sys[(g * 5 + 7) % 16]);
    });
    const std::size_t png = png::Encode(strip->Image()).size();
    const std::size_t bmp = bmp::Encode(strip->Image()).size();
    EXPECT_LE(png, bmp) << glyphs << " glyphs";
  }
}

// The big-endian 32-bit CRC PNG chunks end with.
std::uint32_t Crc(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

TEST(PngDecode, RefusesWhatCannotBeReadWithOurErrorsAndNothingHalfLoaded) {
  // A header promising 8,193 × 8,193 one-bit pixels (just over the limit), then nothing: the
  // picture limit answers before any allocation or inflation.
  Bytes huge = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Put32(huge, 13);
  const std::size_t type = huge.size();
  for (const char c : {'I', 'H', 'D', 'R'}) huge.push_back(static_cast<std::uint8_t>(c));
  Put32(huge, 8193);
  Put32(huge, 8193);
  for (const std::uint8_t v : {1, 0, 0, 0, 0}) huge.push_back(v);
  Put32(huge, Crc(huge.data() + type, 17));
  EXPECT_THROW(png::ParseHeader(huge), EOutOfResources);
  try {
    png::Decode(huge);
    ADD_FAILURE() << "accepted";
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message(), texts::OutOfSystemResources);
  }

  // A good file cut short anywhere, or not a PNG at all, is EInvalidGraphic.
  const Bytes good = MakePng(16, 16, 8, SPNG_COLOR_TYPE_TRUECOLOR, Bytes(16 * 16 * 3, 0x5A));
  ASSERT_NO_THROW(png::Decode(good));
  for (std::size_t n : {std::size_t{0}, std::size_t{8}, std::size_t{30}, good.size() / 2, good.size() - 13, good.size() - 12, good.size() - 5})
    EXPECT_THROW(png::Decode(std::span(good.data(), n)), EInvalidGraphic) << n;
  const auto bmpFile = bmp::Encode(MakeImage(TPixelFormat::pf4bit, 2, 2, [](int, int) { return Pink; })->Image());
  EXPECT_FALSE(png::IsPng(bmpFile));
  EXPECT_TRUE(png::IsPng(good));
  EXPECT_THROW(png::Decode(bmpFile), EInvalidGraphic);
}

// Adam7 passes come row by row into the picture, each pass's pixels where they stand, and a
// file is read as it is inflated, stopping at IEND: an interlaced file gives the picture its
// plain twin gives (16-bit RGBA narrowed, 2-bit palette with tRNS widened), alpha included, and
// a file of either kind read from disk with bytes after its IEND gives it too; cut short, it
// is refused.
TEST(PngDecode, InterlacedFilesAndFilesReadAsTheyGoGiveThePlainPicture) {
  const int w = 181, h = 157;  // no pass fits evenly
  Bytes rgba16(static_cast<std::size_t>(w) * h * 8);
  for (std::size_t i = 0; i < rgba16.size(); ++i) rgba16[i] = static_cast<std::uint8_t>((i * 7919) >> 3 ^ i);
  Bytes indices(static_cast<std::size_t>((w * 2 + 7) / 8) * h);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i * 37 + 11);
  const std::vector<spng_plte_entry> palette = {{200, 0, 0, 255}, {0, 200, 0, 255}, {0, 0, 200, 255}, {9, 9, 9, 255}};
  const std::pair<Bytes, Bytes> twins[] = {
      {MakePng(w, h, 16, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, rgba16), MakePng(w, h, 16, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, rgba16, {}, {}, true)},
      {MakePng(w, h, 2, SPNG_COLOR_TYPE_INDEXED, indices, palette, {0, 140}),
       MakePng(w, h, 2, SPNG_COLOR_TYPE_INDEXED, indices, palette, {0, 140}, true)},
  };
  testing::TempFolder folder;
  for (const auto& [plain, interlaced] : twins) {
    const auto expected = png::Decode(plain);
    ASSERT_TRUE(expected->HasAlpha());
    for (const Bytes* file : {&plain, &interlaced}) {
      SCOPED_TRACE(file == &plain ? "plain" : "interlaced");
      const auto fromBytes = png::Decode(*file);
      ExpectSamePixels(*fromBytes, *expected);
      EXPECT_EQ(fromBytes->AlphaPixels, expected->AlphaPixels);
      Bytes padded = *file;
      padded.insert(padded.end(), 70000, 0xEE);
      std::ofstream(folder / "padded.png", std::ios::binary)
          .write(reinterpret_cast<const char*>(padded.data()), static_cast<std::streamsize>(padded.size()));
      const auto fromFile = png::Decode(files::TInputFile(folder / "padded.png"));
      ExpectSamePixels(*fromFile, *expected);
      EXPECT_EQ(fromFile->AlphaPixels, expected->AlphaPixels);
      std::ofstream(folder / "cut.png", std::ios::binary)
          .write(reinterpret_cast<const char*>(file->data()), static_cast<std::streamsize>(file->size() / 2));
      EXPECT_THROW(png::Decode(files::TInputFile(folder / "cut.png")), EInvalidGraphic);
    }
  }
}

}  // namespace
}  // namespace gliffo
