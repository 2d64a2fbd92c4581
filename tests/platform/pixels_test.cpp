#include "platform/raster/pixels.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/raster/blit.h"

namespace gliffo::raster {
namespace {

const Rgb kTable16[16] = {{0, 0, 0, 0},       {0, 0, 0x80, 0},    {0, 0x80, 0, 0},    {0, 0x80, 0x80, 0},
                          {0x80, 0, 0, 0},    {0x80, 0, 0x80, 0}, {0x80, 0x80, 0, 0}, {0x80, 0x80, 0x80, 0},
                          {0xC0, 0xC0, 0xC0, 0}, {0, 0, 0xFF, 0}, {0, 0xFF, 0, 0},    {0, 0xFF, 0xFF, 0},
                          {0xFF, 0, 0, 0},    {0xFF, 0, 0xFF, 0}, {0xFF, 0xFF, 0, 0}, {0xFF, 0xFF, 0xFF, 0}};

Surface Make(std::vector<std::uint8_t>& bits, int w, int h, int bitCount, bool bottomUp = true) {
  Surface s;
  s.Width = w;
  s.Height = h;
  s.BitCount = bitCount;
  s.Stride = static_cast<std::ptrdiff_t>(DibStride(w, bitCount));
  s.BottomUp = bottomUp;
  bits.assign(static_cast<std::size_t>(s.Stride * h), 0);
  s.Bits = bits.data();
  if (bitCount <= 8) {
    s.Table = kTable16;
    s.TableSize = 16;
  }
  return s;
}

TEST(ColorMatching, ExactColoursMapToTheirOwnEntryAndTiesTakeTheLowestIndex) {
  for (int i = 0; i < 16; ++i) EXPECT_EQ(NearestIndex(kTable16, 16, ToColorRef(kTable16[i])), i);
  // Halfway between black (0) and maroon (0x80 red) in red only: 0x40 is equally far from both.
  EXPECT_EQ(NearestIndex(kTable16, 16, MakeColorRef(0x40, 0, 0)), 0);
  EXPECT_EQ(NearestIndex(kTable16, 16, MakeColorRef(0xF0, 0x10, 0x10)), 9);  // near red
  const Rgb duplicated[3] = {{1, 2, 3, 0}, {9, 9, 9, 0}, {1, 2, 3, 0}};
  EXPECT_EQ(NearestIndex(duplicated, 3, MakeColorRef(3, 2, 1)), 0);
}

TEST(PixelAccess, IndexedRowsPackPixelsHighNibbleAndHighBitFirst) {
  std::vector<std::uint8_t> bits;
  Surface s4 = Make(bits, 3, 2, 4);
  WriteValue(s4, 0, 0, 0x9);
  WriteValue(s4, 1, 0, 0xC);
  WriteValue(s4, 2, 1, 0xF);
  // Bottom-up: the top row (y = 0) is the second row in memory.
  EXPECT_EQ(bits[4], 0x9C);
  EXPECT_EQ(bits[1], 0xF0);  // third pixel: high nibble of the second byte
  EXPECT_EQ(ReadValue(s4, 1, 0), 0xCu);
  EXPECT_EQ(GetPixel(s4, 0, 0), MakeColorRef(0xFF, 0, 0));
  EXPECT_EQ(GetPixel(s4, 3, 0), InvalidColor);
  EXPECT_EQ(GetPixel(s4, -1, 0), InvalidColor);

  std::vector<std::uint8_t> bits1;
  Surface s1 = Make(bits1, 10, 1, 1, false);
  WriteValue(s1, 0, 0, 1);
  WriteValue(s1, 9, 0, 1);
  EXPECT_EQ(bits1[0], 0x80);
  EXPECT_EQ(bits1[1], 0x40);
}

TEST(PixelAccess, DeepRowsRoundTripColoursToTheirDepth) {
  std::vector<std::uint8_t> bits;
  Surface s24 = Make(bits, 1, 1, 24);
  WriteValue(s24, 0, 0, ColorToValue(s24, MakeColorRef(1, 2, 3)));
  EXPECT_EQ(bits[0], 3);  // blue first
  EXPECT_EQ(GetPixel(s24, 0, 0), MakeColorRef(1, 2, 3));

  std::vector<std::uint8_t> bits16;
  Surface s555 = Make(bits16, 1, 1, 16);
  WriteValue(s555, 0, 0, ColorToValue(s555, MakeColorRef(0xFF, 0x80, 0)));
  EXPECT_EQ(ReadValue(s555, 0, 0), (31u << 10) | (16u << 5));
  EXPECT_EQ(GetPixel(s555, 0, 0), MakeColorRef(0xFF, 0x84, 0));  // 16/31 expands to 0x84
  Surface s565 = s555;
  s565.RedMask = 0xF800;
  s565.GreenMask = 0x07E0;
  s565.BlueMask = 0x001F;
  EXPECT_EQ(ValueMask(s565), 0xFFFFu);
  EXPECT_EQ(ColorToValue(s565, MakeColorRef(0xFF, 0xFF, 0xFF)), 0xFFFFu);

  std::vector<std::uint8_t> bits32;
  Surface s32 = Make(bits32, 1, 1, 32);
  EXPECT_EQ(ValueMask(s32), 0xFFFFFFu);  // the fourth byte is never part of a colour
}

TEST(StretchCopy, EnlargedImagesReduceBackToThemselvesForEverySize) {
  // Every glyph size from 1 to 256 onto a 256-pixel surface and back, along one axis at a time
  // (the rule is separable, so a row and a column cover both directions).
  for (int n = 1; n <= 256; ++n) {
    std::vector<std::uint8_t> small, large, back;
    Surface glyph = Make(small, n, 1, 32, false);
    for (int x = 0; x < n; ++x) WriteValue(glyph, x, 0, static_cast<std::uint32_t>(x * 997 % 0xFFFFFF));
    Surface surface = Make(large, 256, 1, 32, false);
    StretchCopy(surface, Box{0, 0, 256, 1}, glyph, Box{0, 0, n, 1}, 0x00CC0020, 0);
    Surface reduced = Make(back, n, 1, 32, false);
    StretchCopy(reduced, Box{0, 0, n, 1}, surface, Box{0, 0, 256, 1}, 0x00CC0020, 0);
    ASSERT_EQ(small, back) << "glyph size " << n;
  }
}

}  // namespace
}  // namespace gliffo::raster

namespace gliffo::raster {
namespace {

TEST(ColorMatching, TheGridFindsExactlyWhatTheFullSearchFinds) {
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  std::vector<Rgb> big(256);
  for (auto& e : big) {
    const std::uint32_t v = next();
    e = Rgb{static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24), 0};
  }
  big[7] = big[200];  // a duplicate entry: the lower index must win
  for (const auto& [table, count] : {std::pair<const Rgb*, int>{kTable16, 16}, {big.data(), 256}, {big.data(), 3}}) {
    const PaletteGrid grid(table, count);
    for (int i = 0; i < 200000; ++i) {
      const ColorRef c = next() & 0xFFFFFF;
      ASSERT_EQ(grid.Nearest(c), NearestIndex(table, count, c)) << std::hex << c << " count " << count;
    }
    for (int i = 0; i < count; ++i) ASSERT_EQ(grid.Nearest(ToColorRef(table[i])), NearestIndex(table, count, ToColorRef(table[i])));
  }
}

}  // namespace
}  // namespace gliffo::raster

namespace gliffo::raster {
namespace {

TEST(StretchCopy, SameSizeCopiesGiveWhatConvertingGives) {
  // 16-bit 5-6-5, 24-bit, and 32-bit with a non-zero fourth byte: a copy at its own size keeps
  // every colour, and the fourth byte comes out 0 as a conversion leaves it.
  for (int bits : {16, 24, 32}) {
    std::vector<std::uint8_t> a, b;
    Surface src = Make(a, 5, 3, bits, false);
    if (bits == 16) {
      src.RedMask = 0xF800;
      src.GreenMask = 0x07E0;
      src.BlueMask = 0x001F;
    }
    for (auto& byte : a) byte = static_cast<std::uint8_t>(&byte - a.data()) * 37u;
    Surface direct = Make(b, 7, 3, bits, false);
    direct.RedMask = src.RedMask;
    direct.GreenMask = src.GreenMask;
    direct.BlueMask = src.BlueMask;
    StretchCopy(direct, Box{1, 0, 6, 3}, src, Box{0, 0, 5, 3}, 0x00CC0020, 0);
    for (int y = 0; y < 3; ++y)
      for (int x = 1; x < 6; ++x) {
        ASSERT_EQ(GetPixel(direct, x, y), GetPixel(src, x - 1, y)) << bits << " bits at " << x << "," << y;
        if (bits == 32) {
          ASSERT_EQ(ReadValue(direct, x, y) >> 24, 0u);
        }
      }
    EXPECT_EQ(GetPixel(direct, 0, 0), 0u);  // untouched outside the target box
  }
}

}  // namespace
}  // namespace gliffo::raster
