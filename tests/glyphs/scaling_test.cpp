#include "glyphs/scaling.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "tests/glyphs/glyph_fixtures.h"

namespace gliffo {
namespace {

using namespace testing;

TValueGrid Grid(int size, std::vector<std::uint32_t> values) { return TValueGrid{size, std::move(values)}; }

// Worked by hand from the rule: a diagonal, a corner, a lone dot, and at the glyph's border
// the outside repeating the edge pixel.
TEST(Scaling, Scale2xOfSmallGlyphs) {
  EXPECT_EQ(Scale2x(Grid(2, {1, 0,  //
                             0, 1}))
                .Values,
            (std::vector<std::uint32_t>{1, 1, 0, 0,  //
                                        1, 0, 1, 0,  //
                                        0, 1, 0, 1,  //
                                        0, 0, 1, 1}));
  EXPECT_EQ(Scale2x(Grid(2, {1, 0,  //
                             0, 0}))
                .Values,
            (std::vector<std::uint32_t>{1, 1, 0, 0,  //
                                        1, 0, 0, 0,  //
                                        0, 0, 0, 0,  //
                                        0, 0, 0, 0}));
  // A lone dot has no neighbour alike: it only grows.
  EXPECT_EQ(Scale2x(Grid(3, {0, 0, 0, 0, 7, 0, 0, 0, 0})).Values,
            ScaleNearest(Grid(3, {0, 0, 0, 0, 7, 0, 0, 0, 0}), TScaleFactor::By2).Values);
}

TEST(Scaling, Scale3xOfSmallGlyphs) {
  EXPECT_EQ(Scale3x(Grid(2, {1, 0,  //
                             0, 1}))
                .Values,
            (std::vector<std::uint32_t>{1, 1, 1, 0, 0, 0,  //
                                        1, 1, 0, 1, 0, 0,  //
                                        1, 0, 0, 1, 1, 0,  //
                                        0, 1, 1, 0, 0, 1,  //
                                        0, 0, 1, 0, 1, 1,  //
                                        0, 0, 0, 1, 1, 1}));
  EXPECT_EQ(Scale3x(Grid(3, {0, 0, 0, 0, 7, 0, 0, 0, 0})).Values,
            ScaleNearest(Grid(3, {0, 0, 0, 0, 7, 0, 0, 0, 0}), TScaleFactor::By3).Values);
}

// Lines one pixel wide stay one or two wide at 1.5, and every value is one of the glyph's.
TEST(Scaling, OneAndAHalfKeepsThinLinesAndColours) {
  for (int column = 0; column < 4; ++column) {
    SCOPED_TRACE(column);
    std::vector<std::uint32_t> v(16, 0);
    for (int y = 0; y < 4; ++y) v[static_cast<std::size_t>(y) * 4 + column] = 5;
    const TValueGrid out = ScaleSmooth(Grid(4, v));
    ASSERT_EQ(out.Size, 6);
    for (int y = 0; y < 6; ++y) {
      int ink = 0;
      for (int x = 0; x < 6; ++x) {
        EXPECT_TRUE(out.At(x, y) == 0 || out.At(x, y) == 5);
        ink += out.At(x, y) == 5;
      }
      EXPECT_TRUE(ink == 1 || ink == 2) << "row " << y << " has " << ink;
    }
  }
}

// Each glyph alone: the all-ink glyph beside the diagonal must not change how its edge scales.
TEST(Scaling, GlyphsOfAStripScaleOnTheirOwnAndKeepTheirTable) {
  TBitmap strip;
  const raster::ColorRef ink = raster::ToColorRef(SystemPalette16()[4]);
  const raster::ColorRef paper = raster::ToColorRef(SystemPalette16()[15]);
  Paint(strip, TPixelFormat::pf4bit, 4, 2, [&](int x, int y) { return x >= 2 || x == y ? ink : paper; });
  const auto scaled = ScaleStrip(strip.Image(), 2, TScaleFactor::By2, TScaleMethod::Scale2x);
  EXPECT_EQ(scaled->BitCount, 4);
  EXPECT_EQ(scaled->ColorTable, strip.Image().ColorTable);
  const raster::Surface s = scaled->Surface();
  ASSERT_EQ(s.Width, 8);
  ASSERT_EQ(s.Height, 4);
  const std::uint32_t i = raster::ReadValue(strip.Image().Surface(), 0, 0), p = raster::ReadValue(strip.Image().Surface(), 1, 0);
  const std::vector<std::uint32_t> expected{i, i, p, p, i, i, i, i,  //
                                            i, p, i, p, i, i, i, i,  //
                                            p, i, p, i, i, i, i, i,  //
                                            p, p, i, i, i, i, i, i};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(raster::ReadValue(s, x, y), expected[static_cast<std::size_t>(y) * 8 + x]) << x << "," << y;
  // By 4 is Scale2x twice, glyph by glyph.
  const auto four = ScaleStrip(strip.Image(), 2, TScaleFactor::By4, TScaleMethod::Scale2x);
  const TValueGrid twice = Scale2x(Scale2x(Grid(2, {i, p, p, i})));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(raster::ReadValue(four->Surface(), x, y), twice.At(x, y));
}

}  // namespace
}  // namespace gliffo
