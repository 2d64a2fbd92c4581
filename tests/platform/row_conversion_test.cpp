// Whole-row conversions (CopyRowColors with one encoder, the row path of StretchCopy) against the
// pixel-at-a-time conversions they stand in for: the same bytes, padding and untouched pixels
// included.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/raster/blit.h"
#include "platform/raster/pixels.h"

namespace gliffo::raster {
namespace {

std::vector<Rgb> RandomTable(int count, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<Rgb> table(static_cast<std::size_t>(count));
  for (Rgb& e : table) e = ToRgb(random() & 0xFFFFFF);
  if (count > 9) table[9] = table[3];  // a colour held twice: matching takes the first
  return table;
}

struct Layout {
  int BitCount, TableSize;  // no table for direct colour
};

// Pixel memory filled with noise, so that a byte a conversion must leave alone shows if it moves.
struct Store {
  Store(int width, int height, Layout l, bool bottomUp, std::uint32_t seed) : Table(RandomTable(l.TableSize, 3)) {
    const std::int64_t stride = DibStride(width, l.BitCount);
    std::mt19937 random(seed);
    Bits.resize(static_cast<std::size_t>(stride * height));
    for (std::uint8_t& b : Bits) b = static_cast<std::uint8_t>(random());
    S = Surface{Bits.data(), width, height, static_cast<std::ptrdiff_t>(stride), bottomUp, l.BitCount};
    if (l.BitCount == 16) S.RedMask = 0xF800, S.GreenMask = 0x07E0, S.BlueMask = 0x001F;
    S.Table = Table.data();
    S.TableSize = l.TableSize;
  }
  std::vector<std::uint8_t> Bits;
  std::vector<Rgb> Table;
  Surface S;
};

// Rows as glyphs and icons have them: runs along the row, pixels repeating the one above, and
// colours seen once, enough of them (over 8192) that the encoder passes every change of search
// and cache; the last quarter repeats the first, so colours come back long after they were met.
std::vector<ColorRef> Picture(int width, int height) {
  std::mt19937 random(17);
  const auto w = static_cast<std::size_t>(width);
  std::vector<ColorRef> p(w * static_cast<std::size_t>(height));
  const std::size_t repeatFrom = p.size() - p.size() / 4 / w * w;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const unsigned pick = random() % 10;
    p[i] = random() & 0xFFFFFF;
    if (i >= repeatFrom) p[i] = p[i - repeatFrom];
    else if (pick < 3 && i >= w) p[i] = p[i - w];
    else if (pick < 6 && i % w != 0) p[i] = p[i - 1];
  }
  return p;
}

TEST(RowConversion, OneEncoderForAWholePictureGivesEachPixelWhatConvertingItAloneGives) {
  // Tables small enough for the search over all entries at once, and larger ones. The largest
  // picture has colours enough to bring the wide cache in front of either search.
  for (const Layout l : {Layout{1, 2}, {4, 16}, {4, 5}, {8, 256}, {8, 16}, {8, 17}, {16, 0}, {24, 0}, {32, 0}})
    for (const auto& [width, height] : {std::pair{131, 600}, std::pair{6, 9}, std::pair{1, 4}}) {
      const std::vector<ColorRef> picture = Picture(width, height);
      Store src(width, height, {24, 0}, true, 1), expected(width, height, l, l.BitCount != 8, 5), written(width, height, l, l.BitCount != 8, 5);
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          const ColorRef c = picture[static_cast<std::size_t>(y * width + x)];
          WriteValue(src.S, x, y, ColorToValue(src.S, c));
          WriteValue(expected.S, x, y, ColorToValue(expected.S, c));
        }
      ColorEncoder encoder(written.S);  // as to4bit and the folder strip use one
      for (int y = 0; y < height; ++y) CopyRowColors(src.S, y, written.S, y, encoder);
      EXPECT_EQ(written.Bits, expected.Bits) << l.BitCount << " bits, " << l.TableSize << " entries, " << width << "x" << height;
    }
}

// A source copy at its own size, pixel by pixel: the nearest value of each source colour, black
// where the box reaches past the source, nothing outside the destination box.
void ReferenceCopy(const Surface& dst, Box dstBox, const Surface& src, Box srcBox) {
  for (int y = std::max(dstBox.Top, 0); y < std::min(dstBox.Bottom, dst.Height); ++y)
    for (int x = std::max(dstBox.Left, 0); x < std::min(dstBox.Right, dst.Width); ++x) {
      const int sx = srcBox.Left + (x - dstBox.Left), sy = srcBox.Top + (y - dstBox.Top);
      WriteValue(dst, x, y, ColorToValue(dst, src.Contains(sx, sy) ? GetPixel(src, sx, sy) : 0));
    }
}

void ExpectCopyAsReference(Layout from, Layout to, Box dstBox, Box srcBox, int srcWidth, int srcHeight, bool bottomUp) {
  const Store src(srcWidth, srcHeight, from, bottomUp, 31);
  Store copied(srcWidth + 4, srcHeight + 2, to, !bottomUp, 37), expected(srcWidth + 4, srcHeight + 2, to, !bottomUp, 37);
  StretchCopy(copied.S, dstBox, src.S, srcBox, 0x00CC0020, 0);
  ReferenceCopy(expected.S, dstBox, src.S, srcBox);
  EXPECT_EQ(copied.Bits, expected.Bits) << from.BitCount << " -> " << to.BitCount << " bits, box at " << dstBox.Left
                                        << "," << dstBox.Top << " from " << srcBox.Left << "," << srcBox.Top;
}

TEST(RowConversion, SameSizeCopiesMatchThePixelByPixelCopy) {
  const std::pair<Layout, Layout> layouts[] = {{{24, 0}, {4, 16}}, {{4, 16}, {24, 0}}, {{32, 0}, {8, 256}}, {{1, 2}, {4, 16}},
                                               {{16, 0}, {4, 16}}, {{4, 16}, {4, 16}}, {{8, 256}, {1, 2}}, {{24, 0}, {1, 2}},
                                               {{8, 256}, {8, 256}}, {{4, 5}, {4, 16}}, {{8, 17}, {8, 256}}};
  const std::pair<Box, Box> boxes[] = {
      {{0, 0, 37, 11}, {0, 0, 37, 11}},   // the whole source at the corner
      {{3, 1, 33, 10}, {0, 0, 30, 9}},    // an odd column: half a byte of a 4-bit row
      {{2, 1, 32, 10}, {0, 0, 30, 9}},    // an even one
      {{-5, -2, 32, 9}, {0, 0, 37, 11}},  // partly outside the destination
      {{0, 0, 29, 11}, {8, 0, 37, 11}},   // the source from its ninth column
      {{0, 0, 30, 11}, {3, 0, 33, 11}},   // from an odd source column
      {{2, 0, 39, 11}, {4, 0, 41, 11}},   // past the source's right edge
      {{0, 2, 37, 13}, {0, 3, 37, 14}},   // past its bottom edge
      {{0, 0, 20, 5}, {-3, -1, 17, 4}},   // before its left and top edges
  };
  for (const auto& [from, to] : layouts)
    for (const auto& [dstBox, srcBox] : boxes)
      for (const bool bottomUp : {false, true}) ExpectCopyAsReference(from, to, dstBox, srcBox, 37, 11, bottomUp);
  // Rows longer than the pieces a row is converted in, starting after the first byte.
  for (const Layout to : {Layout{4, 16}, Layout{1, 2}})
    for (const Box at : {Box{0, 0, 2100, 3}, Box{8, 1, 2108, 4}})
      ExpectCopyAsReference({24, 0}, to, at, Box{0, 0, 2100, 3}, 2100, 3, true);
}

}  // namespace
}  // namespace gliffo::raster
