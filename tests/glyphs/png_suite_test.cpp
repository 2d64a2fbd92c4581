// The PngSuite through the PNG codec: every well-formed file loads with the pixels an
// independent decoder (libpng) gives under the same key and matte rule, the files with alpha
// keep libpng's RGBA through a copy, the interlaced files equal their plain twins, and every
// corrupt file (named x...) is refused with our own error.
// The suite lives outside the project: $GLIFFO_PNGSUITE, or the shared corpus folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "formats/png_codec.h"
#include "platform/errors.h"

#ifdef GLIFFO_LIBPNG_REFERENCE
#include <png.h>
#endif

namespace gliffo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

fs::path SuiteFolder() {
  const char* env = std::getenv("GLIFFO_PNGSUITE");
  // The shared corpora stand beside the project, never inside it.
  return env && *env ? fs::path(env) : fs::path(GLIFFO_PNGSUITE_DIR);
}

std::vector<fs::path> SuiteFiles() {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(SuiteFolder(), ec))
    if (e.path().extension() == ".png") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

Bytes ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The pixels of a store, top row first, as colours.
std::vector<raster::ColorRef> Colours(const TBitmapImage& image) {
  const raster::Surface s = image.Surface();
  std::vector<raster::ColorRef> out;
  for (int y = 0; y < s.Height; ++y)
    for (int x = 0; x < s.Width; ++x) out.push_back(raster::GetPixel(s, x, y));
  return out;
}

// Key and matte unlike any colour the suite leans on, so a wrong choice shows.
TDecodeOptions Options() {
  TDecodeOptions o;
  o.Key = raster::MakeColorRef(0x12, 0x34, 0x56);
  o.Matte = raster::MakeColorRef(0x20, 0xA0, 0x60);
  return o;
}

#ifdef GLIFFO_LIBPNG_REFERENCE
struct Reader {
  const Bytes* bytes;
  std::size_t at;
};
void ReadBytes(png_structp png, png_bytep out, png_size_t n) {
  auto* r = static_cast<Reader*>(png_get_io_ptr(png));
  if (r->at + n > r->bytes->size()) png_error(png, "short");
  std::copy_n(r->bytes->data() + r->at, n, out);
  r->at += n;
}

// libpng's view of a file as 8-bit RGBA, top row first (16-bit samples keep their high byte).
// Returns false when libpng refuses the file.
bool ReferenceRgba(const Bytes& file, Bytes& rgba) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  Reader reader{&file, 0};
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &reader, ReadBytes);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  rgba.resize(static_cast<std::size_t>(w) * h * 4);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = rgba.data() + static_cast<std::size_t>(y) * w * 4;
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

// libpng's RGBA, then the key and matte rule written out plainly.
bool Reference(const Bytes& file, const TDecodeOptions& o, std::vector<raster::ColorRef>& out) {
  Bytes rgba;
  if (!ReferenceRgba(file, rgba)) return false;
  out.clear();
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    const int a = rgba[i + 3];
    int c[3];
    for (int k = 0; k < 3; ++k) {
      const int key = static_cast<int>((o.Key >> (8 * k)) & 0xFF), matte = static_cast<int>((o.Matte >> (8 * k)) & 0xFF);
      c[k] = a == 255 ? rgba[i + k] : a < 128 ? key : (rgba[i + k] * a + matte * (255 - a) + 127) / 255;
    }
    out.push_back(raster::MakeColorRef(c[0], c[1], c[2]));
  }
  return true;
}
#endif

TEST(PngSuite, EveryGoodFileLoadsWithTheIndependentDecodersPixels) {
  const auto files = SuiteFiles();
  if (files.empty()) GTEST_SKIP() << "no PngSuite at " << SuiteFolder();
#ifndef GLIFFO_LIBPNG_REFERENCE
  GTEST_SKIP() << "libpng (the reference decoder) is not installed";
#else
  int checked = 0;
  for (const fs::path& p : files) {
    const std::string name = p.filename().string();
    if (name[0] == 'x') continue;
    SCOPED_TRACE(name);
    const Bytes bytes = ReadFile(p);
    std::shared_ptr<TBitmapImage> image;
    try {
      image = png::Decode(bytes, Options());
    } catch (const Exception& e) {
      ADD_FAILURE() << "refused: " << e.Message();
      continue;
    }
    ASSERT_TRUE(image && image->HasPixels());
    std::vector<raster::ColorRef> expected;
    ASSERT_TRUE(Reference(bytes, Options(), expected));
    const png::PngHeader h = png::ParseHeader(bytes);
    EXPECT_EQ(image->Width, static_cast<int>(h.Width));
    EXPECT_EQ(image->AbsHeight(), static_cast<int>(h.Height));
    const std::vector<raster::ColorRef> got = Colours(*image);
    ASSERT_EQ(got.size(), expected.size());
    int wrong = 0;
    for (std::size_t i = 0; i < got.size(); ++i) wrong += got[i] != expected[i];
    EXPECT_EQ(wrong, 0) << "first pixel " << std::hex << got[0] << " vs " << expected[0];
    ++checked;
  }
  EXPECT_GT(checked, 150);
#endif
}

// An alpha picture's own pixels as RGBA bytes, top row first.
Bytes RgbaOf(const TBitmapImage& image) {
  Bytes out;
  for (const std::uint32_t p : OwnPixels(image))
    out.insert(out.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p),
                           static_cast<std::uint8_t>(p >> 24)});
  return out;
}

// Every file with an alpha channel or tRNS keeps libpng's RGBA exactly when it is read, and
// again when it is written as PNG (as copy does) and that file is read by libpng.
TEST(PngSuite, EveryFileWithAlphaKeepsItsRgbaThroughACopy) {
  const auto files = SuiteFiles();
  if (files.empty()) GTEST_SKIP() << "no PngSuite at " << SuiteFolder();
#ifndef GLIFFO_LIBPNG_REFERENCE
  GTEST_SKIP() << "libpng (the reference decoder) is not installed";
#else
  int checked = 0;
  for (const fs::path& p : files) {
    const std::string name = p.filename().string();
    if (name[0] == 'x') continue;
    const Bytes bytes = ReadFile(p);
    const png::PngHeader h = png::ParseHeader(bytes);
    const bool alpha = h.ColorType == png::ColorTypeRgba || h.ColorType == png::ColorTypeGrayAlpha || h.TransparencyEntries > 0;
    SCOPED_TRACE(name);
    const auto image = png::Decode(bytes, Options());
    EXPECT_EQ(image->HasAlpha(), alpha);
    if (!alpha) continue;
    Bytes expected, copied;
    ASSERT_TRUE(ReferenceRgba(bytes, expected));
    EXPECT_EQ(RgbaOf(*image), expected);
    TEncodeOptions copy;
    copy.Opaque = true;  // as copy writes: it asks key-colour pictures for no transparency
    ASSERT_TRUE(ReferenceRgba(png::Encode(*image, copy), copied));
    EXPECT_EQ(copied, expected);
    ++checked;
  }
  EXPECT_GE(checked, 25);
#endif
}

TEST(PngSuite, InterlacedFilesEqualTheirPlainTwins) {
  const auto files = SuiteFiles();
  if (files.empty()) GTEST_SKIP() << "no PngSuite at " << SuiteFolder();
  int pairs = 0;
  for (const fs::path& p : files) {
    std::string twin = p.filename().string();
    // basi0g01 / basn0g01, s01i3p01 / s01n3p01, ...
    if (twin.size() < 4 || twin[0] == 'x' || twin[3] != 'i') continue;
    twin[3] = 'n';
    if (!fs::exists(p.parent_path() / twin)) continue;
    SCOPED_TRACE(p.filename().string());
    const auto a = png::Decode(ReadFile(p), Options());
    const auto b = png::Decode(ReadFile(p.parent_path() / twin), Options());
    EXPECT_TRUE(png::ParseHeader(ReadFile(p)).Interlaced);
    EXPECT_EQ(Colours(*a), Colours(*b));
    ++pairs;
  }
  EXPECT_GE(pairs, 20);
}

TEST(PngSuite, EveryCorruptFileIsRefusedWithOurError) {
  const auto files = SuiteFiles();
  if (files.empty()) GTEST_SKIP() << "no PngSuite at " << SuiteFolder();
  int refused = 0;
  for (const fs::path& p : files) {
    if (p.filename().string()[0] != 'x') continue;
    SCOPED_TRACE(p.filename().string());
    EXPECT_THROW(png::Decode(ReadFile(p)), EInvalidGraphic);
    ++refused;
  }
  EXPECT_GE(refused, 14);
}

}  // namespace
}  // namespace gliffo
