#include "formats/ico_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/image_formats.h"
#include "formats/png_codec.h"
#include "platform/errors.h"
#include "tests/glyphs/glyph_fixtures.h"

namespace gliffo {
namespace {

using namespace testing;
using raster::ColorRef;

constexpr ColorRef Key = raster::MakeColorRef(0xFF, 0x00, 0xFF);

std::vector<ColorRef> Colors(const TBitmapImage& image) {
  const raster::Surface s = image.Surface();
  std::vector<ColorRef> out(static_cast<std::size_t>(s.Width) * s.Height);
  for (int y = 0; y < s.Height; ++y) raster::ReadRowColors(s, y, out.data() + static_cast<std::size_t>(y) * s.Width);
  return out;
}

// A picture whose bottom-left colour also stands inside it, so the transparent pixels are more
// than one corner.
std::shared_ptr<TBitmapImage> Picture(int n) {
  TBitmap image;
  Paint(image, TPixelFormat::pf24bit, n, n, [n](int x, int y) {
    return (x + y) % 5 == 0 || x == y ? raster::MakeColorRef(0x20, 0x40, 0x60) : TrueColor(x, y, n);
  });
  auto store = std::make_shared<TBitmapImage>(image.Image());
  return store;
}

TEST(IcoCodec, EveryEntryRoundTripsWithTheBottomLeftColourTransparent) {
  const int sizes[] = {16, 24, 32, 48, 256};
  std::vector<std::shared_ptr<TBitmapImage>> pictures;
  std::vector<const TBitmapImage*> entries;
  for (const int n : sizes) {
    pictures.push_back(Picture(n));
    entries.push_back(pictures.back().get());
  }
  const std::vector<std::uint8_t> bytes = ico::Encode(entries);
  const std::vector<ico::IcoEntry> parsed = ico::ParseDirectory(bytes);
  ASSERT_EQ(parsed.size(), 5u);
  for (std::size_t i = 0; i < parsed.size(); ++i) {
    SCOPED_TRACE(sizes[i]);
    EXPECT_EQ(parsed[i].Width, sizes[i]);
    EXPECT_EQ(parsed[i].Png, sizes[i] == 256);
    EXPECT_EQ(parsed[i].BitCount, 32);
    std::vector<ColorRef> expected = Colors(*pictures[i]);
    const ColorRef transparent = expected[static_cast<std::size_t>(sizes[i] - 1) * sizes[i]];
    for (ColorRef& c : expected)
      if (c == transparent) c = Key;
    EXPECT_EQ(Colors(*ico::DecodeEntry(bytes, parsed[i])), expected);
  }
  // Through the format table: the glyph size picks its entry, else the largest is taken.
  TDecodeOptions options;
  options.PreferredSize = 24;
  EXPECT_EQ(DecodeImage(bytes, options)->Width, 24);
  options.PreferredSize = 20;
  EXPECT_EQ(DecodeImage(bytes, options)->Width, 256);
  EXPECT_EQ(DecodeImage(bytes, {})->Width, 256);
}

TEST(IcoCodec, PicturesAnIconCannotHoldAreRefusedBeforeAnyByte) {
  TBitmap wide;
  Paint(wide, TPixelFormat::pf4bit, 32, 16, [](int x, int y) { return PaletteColor(x, y, 1); });
  const TBitmapImage* pictures[] = {&wide.Image()};
  EXPECT_THROW(ico::Encode(pictures), EInvalidGraphic);
  const auto big = Picture(257);
  const TBitmapImage* tooBig[] = {big.get()};
  EXPECT_THROW(ico::Encode(tooBig), EInvalidGraphic);
}

TEST(IcoCodec, OfEqualSizesTheEntryWithMostColoursIsTaken) {
  std::vector<ico::IcoEntry> entries(3);
  entries[0] = {16, 16, 4, false, 0, 0};
  entries[1] = {32, 32, 8, false, 0, 0};
  entries[2] = {32, 32, 32, true, 0, 0};
  EXPECT_EQ(ico::ChooseEntry(entries, 0), 2u);
  EXPECT_EQ(ico::ChooseEntry(entries, 16), 0u);
  entries[2].BitCount = 4;
  EXPECT_EQ(ico::ChooseEntry(entries, 32), 1u);
}

// Icons written by Pillow and ImageMagick (tests/data/ico/make_files.py), each entry against
// the picture it was made from.
TEST(IcoCodec, IconsOfOtherProgramsReadEntryByEntry) {
  const fs::path dir = GLIFFO_ICO_DIR;
  struct Case {
    const char* File;
    const char* Source;
    bool Png;
    int Bits;
  } cases[] = {
      {"pillow_png.ico", "srca", true, 32},
      {"pillow_bmp.ico", "srca", false, 32},  // no AND mask: alpha alone
      {"magick_alpha.ico", "srca", false, 32},
      {"magick_mask.ico", "src", false, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File);
    const std::vector<std::uint8_t> bytes = ReadBytes(dir / c.File);
    const std::vector<ico::IcoEntry> entries = ico::ParseDirectory(bytes);
    ASSERT_EQ(entries.size(), 3u);
    for (const ico::IcoEntry& e : entries) {
      SCOPED_TRACE(e.Width);
      EXPECT_EQ(e.Png, c.Png);
      const auto expected = png::Decode(ReadBytes(dir / (std::string(c.Source) + "_" + std::to_string(e.Width) + ".png")));
      const auto decoded = ico::DecodeEntry(bytes, e);
      EXPECT_EQ(Colors(*decoded), Colors(*expected));
      // A palette entry keeps its indices, the key colour given a free place in its table.
      EXPECT_EQ(decoded->BitCount, c.Bits == 4 ? 4 : 24);
      // Beside the key-colour picture, its own pixels with their alpha exactly (the colour
      // under alpha 0 is the writer's business).
      ASSERT_TRUE(decoded->HasAlpha());
      ASSERT_EQ(decoded->AlphaPixels.size(), expected->AlphaPixels.size());
      for (std::size_t i = 0; i < expected->AlphaPixels.size(); ++i) {
        const std::uint32_t want = expected->AlphaPixels[i], got = decoded->AlphaPixels[i];
        EXPECT_EQ(AlphaOf(got), AlphaOf(want)) << "pixel " << i;
        if (AlphaOf(want) != 0) {
          EXPECT_EQ(got, want) << "pixel " << i;
        }
      }
    }
  }
}

// A one-entry icon of a 16-pixel 4-bit bitmap whose table claims `table.size()` entries;
// pixel (x, y) has index (x + y) % 16, so every index shows, and the diagonal is masked.
std::vector<std::uint8_t> FourBitIcon(const std::vector<ColorRef>& table) {
  const std::size_t n = 16, stride = 8, maskStride = 4;
  std::vector<std::uint8_t> dib(40 + 4 * table.size() + stride * n + maskStride * n, 0);
  const auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) dib[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put32(0, 40), put32(4, 16), put32(8, 32), put32(32, static_cast<std::uint32_t>(table.size()));
  dib[12] = 1, dib[14] = 4;
  for (std::size_t i = 0; i < table.size(); ++i) {
    dib[40 + 4 * i] = static_cast<std::uint8_t>(raster::BlueOf(table[i]));
    dib[40 + 4 * i + 1] = static_cast<std::uint8_t>(raster::GreenOf(table[i]));
    dib[40 + 4 * i + 2] = static_cast<std::uint8_t>(raster::RedOf(table[i]));
  }
  const std::size_t pixels = 40 + 4 * table.size(), mask = pixels + stride * n;
  for (std::size_t y = 0; y < n; ++y) {
    const std::size_t row = n - 1 - y;  // bottom row first
    for (std::size_t x = 0; x < n; ++x) {
      dib[pixels + row * stride + x / 2] |= static_cast<std::uint8_t>(((x + y) % 16) << (x % 2 ? 0 : 4));
      if (x == y) dib[mask + row * maskStride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  std::vector<std::uint8_t> b = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 4, 0};
  for (const std::uint32_t v : {static_cast<std::uint32_t>(dib.size()), 22u})
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  b.insert(b.end(), dib.begin(), dib.end());
  return b;
}

// Masked pixels show the key however many entries the table claims: more than the depth can
// index (the key must not land on an index the pixels cannot hold), or the key among them.
TEST(IcoCodec, MaskedPixelsOfIndexedEntriesTakeTheKey) {
  std::vector<ColorRef> table;
  for (int i = 0; i < 17; ++i) table.push_back(raster::MakeColorRef(i * 15, 255 - i * 15, 7));
  std::vector<ColorRef> keyLast = table;
  keyLast[16] = Key;
  std::vector<ColorRef> keyInside(table.begin(), table.end() - 1);
  keyInside[5] = Key;
  for (const auto& t : {table, keyLast, keyInside}) {
    SCOPED_TRACE(t.size());
    TDecodeOptions options;
    options.Key = Key;
    const std::vector<ColorRef> got = Colors(*ico::Decode(FourBitIcon(t), options));
    ASSERT_EQ(got.size(), 256u);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        EXPECT_EQ(got[static_cast<std::size_t>(y * 16 + x)], x == y ? Key : t[static_cast<std::size_t>((x + y) % 16)])
            << x << "," << y;
  }
}

std::vector<std::uint8_t> SmallIcon() {
  const auto p16 = Picture(16), p24 = Picture(24);
  const TBitmapImage* pictures[] = {p16.get(), p24.get()};
  return ico::Encode(pictures);
}

void Set32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  ASSERT_LE(at + 4, b.size());
  for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(IcoCodec, HostileIconsAreRefusedCleanly) {
  const std::vector<std::uint8_t> good = SmallIcon();
  const auto refused = [](std::vector<std::uint8_t> bytes, const char* why) {
    SCOPED_TRACE(why);
    EXPECT_THROW(ico::Decode(bytes), EInvalidGraphic);
  };
  {
    auto b = good;  // the second entry's offset past the end
    Set32(b, 6 + 16 + 12, static_cast<std::uint32_t>(b.size() + 100));
    refused(b, "offset past the end");
  }
  {
    auto b = good;  // a size reaching past the end
    Set32(b, 6 + 8, 0xFFFFFFF0u);
    refused(b, "size past the end");
  }
  {
    auto b = good;  // the directory says 17 pixels, the bitmap holds 16
    b[6] = 17;
    b[7] = 17;
    refused(b, "sizes disagree");
  }
  {
    auto b = good;  // the bitmap says 16 wide and 40 high (20 with its mask)
    Set32(b, 6 + 32 + 8, 40);
    refused(b, "bitmap height disagrees");
  }
  {
    auto b = good;  // cut inside the last entry's mask
    b.resize(b.size() - 10);
    refused(b, "short entry");
  }
  {
    auto b = good;  // a thousand entries claimed, two there
    b[4] = 1000 & 0xFF;
    b[5] = 1000 >> 8;
    refused(b, "a thousand entries");
  }
  {
    // A thousand entries that are all there, each pointing at the same picture.
    std::vector<std::uint8_t> b(6 + 16 * 1000, 0);
    b[2] = 1;
    b[4] = 1000 & 0xFF;
    b[5] = 1000 >> 8;
    for (int i = 0; i < 1000; ++i) {
      const std::size_t at = 6 + 16 * static_cast<std::size_t>(i);
      for (int k = 0; k < 16; ++k) b[at + k] = good[6 + k];
      Set32(b, at + 12, static_cast<std::uint32_t>(b.size()));
    }
    const std::uint32_t offset = good[18] | (good[19] << 8);
    b.insert(b.end(), good.begin() + offset, good.end());
    refused(b, "a thousand real entries");
  }
  {
    // A PNG entry of another size than its directory entry says.
    auto p = Picture(8);
    const std::vector<std::uint8_t> png = png::Encode(*p);
    std::vector<std::uint8_t> b(6 + 16, 0);
    b[2] = 1, b[4] = 1, b[6] = 16, b[7] = 16;
    Set32(b, 6 + 8, static_cast<std::uint32_t>(png.size()));
    Set32(b, 6 + 12, 22);
    b.insert(b.end(), png.begin(), png.end());
    refused(b, "PNG of another size");
  }
  // No entries at all: an icon all the same, refused as one.
  EXPECT_EQ(FailureOf([] { DecodeImage(std::vector<std::uint8_t>{0, 0, 1, 0, 0, 0}, {}); }),
            FailureOf([] { throw EInvalidGraphic(FormatMessage(texts::IconImageIsNotValid, "it holds no pictures")); }));
}

}  // namespace
}  // namespace gliffo
