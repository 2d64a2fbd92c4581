#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "platform/raster/draw.h"
#include "platform/raster/mix.h"
#include "platform/raster/objects.h"

namespace gliffo::raster {
namespace {

// A 32-bit top-down surface with its own pixels.
struct Image {
  std::vector<std::uint32_t> Pixels;
  Surface View;
  Image(int w, int h, std::uint32_t fill = 0) : Pixels(static_cast<std::size_t>(w) * h, fill) {
    View.Bits = reinterpret_cast<std::uint8_t*>(Pixels.data());
    View.Width = w;
    View.Height = h;
    View.Stride = 4 * w;
    View.BitCount = 32;
  }
  std::uint32_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * View.Width + x]; }
  // One character per pixel: '.' for `background`, '#' for anything else.
  std::string Art(std::uint32_t background = 0) const {
    std::string s;
    for (int y = 0; y < View.Height; ++y) {
      for (int x = 0; x < View.Width; ++x) s += At(x, y) == background ? '.' : '#';
      s += '\n';
    }
    return s;
  }
};

std::string Join(std::initializer_list<const char*> rows) {
  std::string s;
  for (const char* r : rows) (s += r) += '\n';
  return s;
}

struct Tools {
  Pen P;
  Brush B;
  Tools(int width, PenStyle style, BrushStyle brush, ColorRef penColor = 0xFFFFFF, ColorRef brushColor = 0x0000FF)
      : P(RealisePen({penColor, width, style})), B(RealiseBrush({brushColor, brush})) {}
  DrawContext On(const Image& img, MixMode mode = MixMode::CopyPen) const { return {img.View, &P, &B, mode}; }
};

TEST(MixModes, EachModeFollowsTheTruthTableItsNumberEncodes) {
  // Mode n combines pen bit p and destination bit d into bit (2p + d) of n - 1.
  for (int n = 1; n <= 16; ++n) {
    for (std::uint32_t p = 0; p < 2; ++p)
      for (std::uint32_t d = 0; d < 2; ++d) {
        const std::uint32_t expected = ((n - 1) >> (2 * p + d)) & 1;
        EXPECT_EQ(Mix(static_cast<MixMode>(n), p ? ~0u : 0u, d ? ~0u : 0u) & 1, expected) << n;
      }
  }
  EXPECT_EQ(Mix(MixMode::NotXorPen, 0b1100, 0b1010) & 0xF, 0b1001u);
  EXPECT_EQ(Mix(MixMode::MergePenNot, 0b1100, 0b1010) & 0xF, 0b1101u);
  EXPECT_EQ(Mix(MixMode::MaskNotPen, 0b1100, 0b1010) & 0xF, 0b0010u);
}

TEST(MixModes, ResultsStayWithinTheBitsAPixelHolds) {
  Image img(2, 1, 0x00123456);
  MixSpan(img.View, 0, 0, 2, 0, MixMode::Not);
  EXPECT_EQ(img.At(0, 0), 0x00EDCBA9u);  // fourth byte stays 0
  std::vector<std::uint8_t> bits(4, 0x3C);
  const Rgb table[16] = {};
  Surface s4{bits.data(), 2, 1, 4, false, 4, 0, 0, 0, table, 16};
  MixSpan(s4, 0, 0, 2, 0x5, MixMode::NotXorPen);  // ~(5 ^ 3) = 9, ~(5 ^ 0xC) = 6
  EXPECT_EQ(bits[0], 0x96);
  MixSpan(s4, 0, 1, 2, 0, MixMode::White);
  EXPECT_EQ(bits[0], 0x9F);
}

TEST(ThinLines, LeaveTheEndPointOutAndTakeTheSmallerCoordinateOnTies) {
  const Tools t(1, PenStyle::Solid, BrushStyle::Clear);
  Image img(6, 3);
  DrawLine(t.On(img), {0, 0}, {4, 1});  // halfway at x = 2
  EXPECT_EQ(img.Art(), Join({"###...", "...#..", "......"}));
  Image back(6, 3);
  DrawLine(t.On(back), {4, 1}, {0, 0});
  EXPECT_EQ(back.Art(), Join({".##...", "...##.", "......"}));
  Image dot(3, 3);
  DrawLine(t.On(dot), {1, 1}, {1, 1});
  EXPECT_EQ(dot.Art(), Join({"...", "...", "..."}));
  // Width 0 is a one-pixel pen too.
  const Tools zero(0, PenStyle::Solid, BrushStyle::Clear);
  Image steep(3, 5);
  DrawLine(zero.On(steep), {0, 0}, {2, 4});
  EXPECT_EQ(steep.Art(), Join({"#..", "#..", ".#.", ".#.", "..."}));
}

TEST(ThinLines, ALineAndItsReverseCoverTheSamePixelsAndClippingChangesNone) {
  const Tools t(1, PenStyle::Solid, BrushStyle::Clear);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> c(-12, 40);
  for (int i = 0; i < 300; ++i) {
    const Point a{c(rng), c(rng)}, b{c(rng), c(rng)};
    Image fwd(30, 30), rev(30, 30), big(60, 60);
    DrawLine(t.On(fwd), a, b);
    DrawLine(t.On(rev), b, a);
    DrawLine(t.On(big), {a.X + 15, a.Y + 15}, {b.X + 15, b.Y + 15});
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x) {
        const Point p{x, y};
        const bool inFwd = fwd.At(x, y) || p == b, inRev = rev.At(x, y) || p == a;
        if (!(a == b)) {
          ASSERT_EQ(inFwd, inRev) << a.X << "," << a.Y << " " << b.X << "," << b.Y;
        }
        ASSERT_EQ(fwd.At(x, y), big.At(x + 15, y + 15));
      }
  }
  Image far(8, 8);
  DrawLine(t.On(far), {-2000000000, 3}, {2000000000, 3});
  EXPECT_EQ(far.Art(), Join({"........", "........", "........", "########", "........", "........", "........", "........"}));
}

TEST(ThinLines, StyledPensFillTheirGapsOnlyWithASolidBrush) {
  Image solid(12, 1);
  const Tools dotSolid(1, PenStyle::Dot, BrushStyle::Solid, 0xFFFFFF, 0x000001);
  DrawLine(dotSolid.On(solid), {0, 0}, {12, 0});
  for (int x = 0; x < 12; ++x) EXPECT_EQ(solid.At(x, 0), (x / 3) % 2 == 0 ? 0xFFFFFFu : 0x010000u) << x;
  Image hollow(12, 1, 0x42);
  const Tools dotHatch(1, PenStyle::Dot, BrushStyle::Cross);
  DrawLine(dotHatch.On(hollow), {0, 0}, {12, 0});
  for (int x = 0; x < 12; ++x) EXPECT_EQ(hollow.At(x, 0), (x / 3) % 2 == 0 ? 0xFFFFFFu : 0x42u) << x;
  // Wide styled pens draw continuous lines; a clear pen draws nothing.
  Image wide(12, 4);
  DrawLine(Tools(2, PenStyle::Dash, BrushStyle::Clear).On(wide), {1, 2}, {11, 2});
  EXPECT_EQ(wide.Art(), Join({"............", "############", "############", "............"}));
  Image none(4, 4);
  DrawLine(Tools(5, PenStyle::Null, BrushStyle::Solid).On(none), {0, 0}, {3, 3});
  EXPECT_EQ(none.Art(), Join({"....", "....", "....", "...."}));
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double len2 = dx * dx + dy * dy;
  double t = len2 == 0 ? 0 : ((px - ax) * dx + (py - ay) * dy) / len2;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

TEST(WideLines, CoverThePixelsWithinHalfTheWidthOfThePathWithRoundEnds) {
  Image h(12, 5);
  DrawLine(Tools(3, PenStyle::Solid, BrushStyle::Clear).On(h), {2, 2}, {8, 2});
  EXPECT_EQ(h.Art(), Join({"............", ".#########..", ".#########..", ".#########..", "............"}));
  Image even(6, 6);
  DrawLine(Tools(2, PenStyle::Solid, BrushStyle::Clear).On(even), {3, 3}, {3, 3});
  EXPECT_EQ(even.Art(), Join({"......", "......", "..##..", "..##..", "......", "......"}));

  std::mt19937 rng(11);
  std::uniform_int_distribution<int> c(-10, 50), wd(2, 48);
  for (int i = 0; i < 120; ++i) {
    const int w = wd(rng);
    const Point a{c(rng), c(rng)}, b{c(rng), c(rng)};
    Image img(40, 40);
    DrawLine(Tools(w, PenStyle::Solid, BrushStyle::Clear).On(img), a, b);
    const double off = w % 2 ? 0.5 : 0.0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) {
        const double d = SegmentDistance(x + 0.5, y + 0.5, a.X + off, a.Y + off, b.X + off, b.Y + off);
        if (std::abs(d - w / 2.0) < 1e-9) continue;  // exactly on the edge
        ASSERT_EQ(img.At(x, y) != 0, d < w / 2.0) << "w=" << w << " " << a.X << "," << a.Y << "-" << b.X << "," << b.Y
                                                  << " at " << x << "," << y;
      }
  }
}

TEST(WideLines, StraightStrokesAreExactlyAsThickAsThePen) {
  for (int w = 1; w <= 48; ++w) {
    Image img(64, 100);
    DrawLine(Tools(w, PenStyle::Solid, BrushStyle::Clear).On(img), {32, 30}, {32, 70});
    int columns = 0;
    for (int x = 0; x < 64; ++x) columns += img.At(x, 50) != 0;
    EXPECT_EQ(columns, w);
  }
}

enum class Fig { Rect, Round, Ellipse };

void DrawFig(const DrawContext& dc, Fig f, Box b) {
  switch (f) {
    case Fig::Rect: DrawRectangle(dc, b); break;
    case Fig::Round: DrawRoundRect(dc, b, 10, 10); break;
    case Fig::Ellipse: DrawEllipse(dc, b); break;
  }
}

TEST(Figures, ThinOutlinesAndInteriorsFillTheHalfOpenRectangleInAnyCornerOrder) {
  const Tools t(1, PenStyle::Solid, BrushStyle::Solid, 0xFFFFFF, 0x0000FF);
  const std::string rect = Join({"......", ".####.", ".#--#.", ".#--#.", ".####.", "......"});
  const std::string ellipse = Join({"........", "..###...", ".#---#..", ".#---#..", "..###...", "........"});
  const Box boxes[4] = {{1, 1, 5, 5}, {5, 1, 1, 5}, {1, 5, 5, 1}, {5, 5, 1, 1}};
  for (const Box& b : boxes) {
    Image img(6, 6);
    DrawRectangle(t.On(img), b);
    std::string art = img.Art();
    for (int i = 0, k = 0; i < 6; ++i, ++k)
      for (int x = 0; x < 6; ++x, ++k)
        if (img.At(x, i) == 0xFF0000u) art[static_cast<std::size_t>(k)] = '-';
    EXPECT_EQ(art, rect);
    Image e(8, 6);
    DrawEllipse(t.On(e), Box{b.Left == 1 ? 1 : 6, b.Top, b.Left == 1 ? 6 : 1, b.Bottom});
    std::string eart = e.Art();
    for (int i = 0, k = 0; i < 6; ++i, ++k)
      for (int x = 0; x < 8; ++x, ++k)
        if (e.At(x, i) == 0xFF0000u) eart[static_cast<std::size_t>(k)] = '-';
    EXPECT_EQ(eart, ellipse);
  }
  Image flat(4, 4);
  DrawRectangle(t.On(flat), {1, 1, 1, 3});
  DrawEllipse(t.On(flat), {0, 2, 4, 2});
  EXPECT_EQ(flat.Art(), Join({"....", "....", "....", "...."}));
}

TEST(Figures, ThinEllipsesAreSymmetricClosedOutlinesTouchingAllFourSides) {
  const Tools t(1, PenStyle::Solid, BrushStyle::Clear);
  for (int w = 1; w <= 40; w += 3)
    for (int h = 1; h <= 40; h += 5) {
      Image img(42, 42);
      DrawEllipse(t.On(img), {1, 1, 1 + w, 1 + h});
      int minX = 99, maxX = -1, minY = 99, maxY = -1;
      for (int y = 0; y < 42; ++y)
        for (int x = 0; x < 42; ++x)
          if (img.At(x, y)) {
            minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
            ASSERT_EQ(img.At(x, y), img.At(2 + w - 1 - x, y));
            ASSERT_EQ(img.At(x, y), img.At(x, 2 + h - 1 - y));
          }
      EXPECT_EQ(minX, 1);
      EXPECT_EQ(maxX, w);
      EXPECT_EQ(minY, 1);
      EXPECT_EQ(maxY, h);
    }
}

// Distance from a point to the filled rectangle [l, r] × [t, b].
double RectDistance(double x, double y, double l, double t, double r, double b) {
  const double dx = std::max({l - x, 0.0, x - r}), dy = std::max({t - y, 0.0, y - b});
  return std::hypot(dx, dy);
}

TEST(Figures, WideRectangleOutlinesAreCentredOnTheEdgeWithRoundOuterCorners) {
  for (int w = 2; w <= 20; ++w) {
    Image img(60, 60);
    const Tools t(w, PenStyle::Solid, BrushStyle::Solid, 0xFFFFFF, 0x0000FF);
    DrawRectangle(t.On(img), {15, 12, 45, 50});
    const double o = w % 2 ? 0.5 : 0.0, r = w / 2.0;
    const double l = 15 + o, tp = 12 + o, rt = 45 - o, bt = 50 - o;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 60; ++x) {
        const double cx = x + 0.5, cy = y + 0.5;
        const double d = RectDistance(cx, cy, l, tp, rt, bt);
        const bool inner = cx > l + r && cx < rt - r && cy > tp + r && cy < bt - r;
        if (std::abs(d - r) < 1e-9) continue;
        const std::uint32_t expected = inner ? 0xFF0000u : (d <= r ? 0xFFFFFFu : 0u);
        ASSERT_EQ(img.At(x, y), expected) << "w=" << w << " at " << x << "," << y;
      }
  }
}

TEST(Figures, InsideFramePensKeepTheOutlineWithinTheRectangle) {
  for (int w = 1; w <= 12; ++w)
    for (Fig f : {Fig::Rect, Fig::Round, Fig::Ellipse}) {
      Image img(40, 40);
      DrawFig(Tools(w, PenStyle::InsideFrame, BrushStyle::Solid).On(img), f, {5, 7, 30, 33});
      int minX = 99, maxX = -1, minY = 99, maxY = -1;
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
          if (img.At(x, y))
            minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
      EXPECT_EQ(minX, 5) << w;
      EXPECT_EQ(maxX, 29) << w;
      EXPECT_EQ(minY, 7) << w;
      EXPECT_EQ(maxY, 32) << w;
      if (f == Fig::Rect) {
        // The straight parts are exactly the pen's width.
        int thick = 0;
        for (int x = 5; x < 30 && img.At(x, 20) == 0xFFFFFFu; ++x) ++thick;
        EXPECT_EQ(thick, w);
      }
    }
}

// Drawing under xor must give what drawing under copy gives: a pixel painted twice would
// come out black. So every figure paints every pixel once at most.
TEST(Figures, EveryPixelIsPaintedOnceAndNotXorTwiceRestoresTheSurface) {
  std::mt19937 rng(3);
  Image noise(48, 48);
  for (auto& p : noise.Pixels) p = rng() & 0xFFFFFF;
  const Box boxes[] = {{4, 6, 40, 30}, {40, 44, 9, 2}, {-20, 10, 30, 60}, {10, 10, 13, 40}, {20, 20, 21, 21}};
  const PenStyle styles[] = {PenStyle::Solid, PenStyle::InsideFrame, PenStyle::DashDot};
  for (int w = 1; w <= 48; ++w)
    for (BrushStyle bs : {BrushStyle::Solid, BrushStyle::Clear, BrushStyle::DiagCross})
      for (Fig f : {Fig::Rect, Fig::Round, Fig::Ellipse})
        for (PenStyle ps : styles) {
          if (ps == PenStyle::DashDot && w > 2) continue;
          const Tools t(w, ps, bs, 0x00F0F0F0, 0x000F0F0F);
          for (const Box& b : boxes) {
            Image copy(48, 48), xored(48, 48);
            DrawFig(t.On(copy), f, b);
            DrawFig(t.On(xored, MixMode::XorPen), f, b);
            ASSERT_EQ(copy.Pixels, xored.Pixels) << "w=" << w << " fig " << static_cast<int>(f);
            Image img = noise;
            img.View.Bits = reinterpret_cast<std::uint8_t*>(img.Pixels.data());
            DrawFig(t.On(img, MixMode::NotXorPen), f, b);
            DrawFig(t.On(img, MixMode::NotXorPen), f, b);
            ASSERT_EQ(img.Pixels, noise.Pixels) << "w=" << w << " fig " << static_cast<int>(f);
          }
        }
  for (int w = 1; w <= 48; ++w) {
    Image copy(48, 48), xored(48, 48);
    const Tools t(w, PenStyle::Solid, BrushStyle::Clear);
    DrawLine(t.On(copy), {3, 40}, {37, 9});
    DrawLine(t.On(xored, MixMode::XorPen), {3, 40}, {37, 9});
    ASSERT_EQ(copy.Pixels, xored.Pixels) << w;
  }
}

TEST(Figures, ClearPensLeaveTheWholeFigureToTheBrush) {
  Image img(6, 6);
  DrawRectangle(Tools(1, PenStyle::Null, BrushStyle::Solid).On(img), {1, 1, 5, 4});
  EXPECT_EQ(img.Art(), Join({"......", ".####.", ".####.", ".####.", "......", "......"}));
  EXPECT_EQ(img.At(1, 1), 0xFF0000u);
}

TEST(BrushFill, HatchesPaintTheirLinesOnlyAndIgnoreTheMixMode) {
  Image img(10, 10, 0x42);
  const Brush cross = RealiseBrush({0xFFFFFF, BrushStyle::Cross});
  FillBox(img.View, {9, 9, 1, 1}, cross);
  std::string expected;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 1 && x < 9 && y >= 1 && y < 9;
      expected += inside && (x % 8 == 0 || y % 8 == 0) ? '#' : '.';
    }
    expected += '\n';
  }
  Image probe = img;
  for (auto& p : probe.Pixels) p = p == 0xFFFFFFu ? 1 : 0;
  EXPECT_EQ(probe.Art(), expected);
  const Brush diag = RealiseBrush({0, BrushStyle::FDiagonal});
  EXPECT_EQ(diag.Pattern[3], 0x10);
  EXPECT_EQ(RealiseBrush({0, BrushStyle::BDiagonal}).Pattern[0], 0x01);
  EXPECT_TRUE(RealiseBrush({0, BrushStyle::Clear}).Hollow);
}

TEST(FloodFill, FillsTheFourConnectedAreaOfOneColourAndStopsAtDiagonals) {
  Image img(6, 6);
  const Tools t(1, PenStyle::Solid, BrushStyle::Clear);
  DrawLine(t.On(img), {0, 4}, {5, -1});  // a one-pixel diagonal from (0,4) to (4,0)
  const Brush red = RealiseBrush({0x0000FF, BrushStyle::Solid});
  FloodFill(img.View, 0, 0, 0x000000, FloodMode::Surface, red);
  std::string art;
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) art += img.At(x, y) == 0xFF0000u ? 'r' : (img.At(x, y) ? '#' : '.');
    art += '\n';
  }
  EXPECT_EQ(art, Join({"rrrr#.", "rrr#..", "rr#...", "r#....", "#.....", "......"}));

  // Border mode fills up to the border colour; a brush of the area's own colour ends too.
  const std::vector<std::uint32_t> before = img.Pixels;
  FloodFill(img.View, 5, 5, 0x000000, FloodMode::Border, RealiseBrush({0x00FF00, BrushStyle::Solid}));
  EXPECT_EQ(img.Pixels, before) << "a start on the border colour fills nothing";
  FloodFill(img.View, 5, 5, 0xFFFFFF, FloodMode::Border, RealiseBrush({0x00FF00, BrushStyle::Solid}));
  EXPECT_EQ(img.At(5, 5), 0x00FF00u);
  EXPECT_EQ(img.At(1, 4), 0x00FF00u);
  EXPECT_EQ(img.At(4, 0), 0xFFFFFFu);
  EXPECT_EQ(img.At(0, 0), 0xFF0000u) << "the red area is beyond the white border";
}

TEST(FloodFill, LimitsAndAWholeLargeSurfaceWithoutRecursion) {
  Image img(256, 256, 0x00ABCDEF);
  const Brush blue = RealiseBrush({0xFF0000, BrushStyle::Solid});
  FloodFill(img.View, 256, 0, 0xEFCDAB, FloodMode::Surface, blue);
  FloodFill(img.View, 0, -1, 0xEFCDAB, FloodMode::Surface, blue);
  FloodFill(img.View, 3, 3, 0xEFCDAB, FloodMode::Surface, RealiseBrush({0xFF0000, BrushStyle::Clear}));
  FloodFill(img.View, 3, 3, 0x800000EF, FloodMode::Surface, blue);  // not an explicit colour
  FloodFill(img.View, 3, 3, 0x123456, FloodMode::Surface, blue);    // not the colour at the point
  EXPECT_TRUE(std::all_of(img.Pixels.begin(), img.Pixels.end(), [](std::uint32_t p) { return p == 0xABCDEFu; }));
  // A comb of walls makes a long winding area.
  for (int x = 8; x < 256; x += 8)
    for (int y = (x / 8) % 2 ? 0 : 1; y < ((x / 8) % 2 ? 255 : 256); ++y) img.Pixels[static_cast<std::size_t>(y) * 256 + x] = 0;
  FloodFill(img.View, 0, 0, 0xEFCDAB, FloodMode::Surface, blue);
  EXPECT_EQ(img.At(255, 255), 0x0000FFu);
  EXPECT_EQ(std::count(img.Pixels.begin(), img.Pixels.end(), 0x0000FFu), 256 * 256 - std::count(img.Pixels.begin(), img.Pixels.end(), 0u));
}

// A plain breadth-first fill over four neighbours, as the reference.
std::vector<bool> ReferenceArea(const Image& img, int x0, int y0, std::uint32_t color, bool surface) {
  const int w = img.View.Width, h = img.View.Height;
  std::vector<bool> in(static_cast<std::size_t>(w * h), false);
  auto member = [&](int x, int y) { return (img.At(x, y) == color) == surface; };
  if (!member(x0, y0)) return in;
  std::vector<std::pair<int, int>> queue{{x0, y0}};
  in[static_cast<std::size_t>(y0 * w + x0)] = true;
  for (std::size_t i = 0; i < queue.size(); ++i) {
    const auto [x, y] = queue[i];
    const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
    for (int k = 0; k < 4; ++k) {
      if (nx[k] < 0 || ny[k] < 0 || nx[k] >= w || ny[k] >= h) continue;
      const auto idx = static_cast<std::size_t>(ny[k] * w + nx[k]);
      if (in[idx] || !member(nx[k], ny[k])) continue;
      in[idx] = true;
      queue.push_back({nx[k], ny[k]});
    }
  }
  return in;
}

TEST(FloodFill, MatchesABreadthFirstReferenceOnRandomPictures) {
  std::mt19937 rng(23);
  const std::uint32_t colours[3] = {0x000000, 0xFFFFFF, 0x123456};  // stored values
  for (int i = 0; i < 200; ++i) {
    Image img(37, 29);
    const int bias = static_cast<int>(rng() % 3);
    for (auto& p : img.Pixels) p = colours[(rng() % 5 < 3) ? bias : rng() % 3];
    const int x0 = static_cast<int>(rng() % 37), y0 = static_cast<int>(rng() % 29);
    const bool surface = rng() % 2;
    const std::uint32_t k = surface ? img.At(x0, y0) : colours[rng() % 3];
    // The brush is sometimes the area's own colour, sometimes a hatch.
    const BrushStyle style = rng() % 4 == 0 ? BrushStyle::Vertical : BrushStyle::Solid;
    const std::uint32_t brushValue = rng() % 3 == 0 ? k : 0x00FF00;
    const Brush brush = RealiseBrush({ValueToColor(img.View, brushValue), style});
    const std::vector<bool> area = ReferenceArea(img, x0, y0, k, surface);
    const Image before = img;
    FloodFill(img.View, x0, y0, ValueToColor(img.View, k), surface ? FloodMode::Surface : FloodMode::Border, brush);
    for (int y = 0; y < 29; ++y)
      for (int x = 0; x < 37; ++x) {
        const bool painted = area[static_cast<std::size_t>(y * 37 + x)] && (style == BrushStyle::Solid || x % 8 == 0);
        ASSERT_EQ(img.At(x, y), painted ? brushValue : before.At(x, y))
            << i << " at " << x << "," << y << " from " << x0 << "," << y0 << " k " << k << " surface " << surface
            << " hatch " << (style != BrushStyle::Solid);
      }
  }
}

TEST(FloodFill, IndexedStoresMatchByColour) {
  const Rgb table[4] = {{0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0}, {0, 0, 0xFF, 0}, {0xFF, 0xFF, 0xFF, 0}};
  std::vector<std::uint8_t> bits(4 * 2, 0);
  Surface s{bits.data(), 4, 2, 4, false, 8, 0, 0, 0, table, 4};
  bits = {1, 3, 0, 1, 3, 3, 3, 0};  // indexes 1 and 3 are both white
  FloodFill(s, 0, 0, 0xFFFFFF, FloodMode::Surface, RealiseBrush({0x0000FF, BrushStyle::Solid}));
  EXPECT_EQ(bits, (std::vector<std::uint8_t>{2, 2, 0, 1, 2, 2, 2, 0}));
}

TEST(DeviceObjects, RepeatedValuesReuseTheRealisedObject) {
  DeviceObjects objects;
  const Pen& a = objects.GetPen({0, 48, PenStyle::Solid});
  for (int i = 0; i < 100; ++i) EXPECT_EQ(&objects.GetPen({0, 48, PenStyle::Solid}), &a);
  objects.GetBrush({0xFF, BrushStyle::Solid});
  objects.GetBrush({0xFF, BrushStyle::Solid});
  EXPECT_EQ(objects.Created(), 2);
  objects.GetPen({1, 48, PenStyle::Solid});
  EXPECT_EQ(objects.Created(), 3);
  for (int i = 0; i < 20; ++i) objects.GetPen({static_cast<ColorRef>(i), 1, PenStyle::Solid});
  EXPECT_EQ(objects.GetPen({19, 1, PenStyle::Solid}).Description.Color, 19u);
}

}  // namespace
}  // namespace gliffo::raster
