#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"
#include "tests/glyphs/canvas_fixtures.h"
#include "glyphs/strings.h"
#include "platform/errors.h"

namespace gliffo {
namespace {

using testing::MakeImage;

std::vector<TColor> Pixels(TBitmap& b) {
  std::vector<TColor> out;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) out.push_back(b.Canvas().Pixel(x, y));
  return out;
}

TEST(CanvasAttributes, BrushCouplingAndPenWidthRules) {
  TBrush brush;
  EXPECT_EQ(brush.Color(), clWhite);
  EXPECT_EQ(brush.Style(), TBrushStyle::bsSolid);
  brush.SetStyle(TBrushStyle::bsClear);
  brush.SetColor(clRed);
  EXPECT_EQ(brush.Style(), TBrushStyle::bsSolid);
  EXPECT_EQ(brush.Color(), clRed);
  brush.SetStyle(TBrushStyle::bsClear);
  EXPECT_EQ(brush.Color(), clWhite);
  brush.SetStyle(TBrushStyle::bsSolid);
  EXPECT_EQ(brush.Color(), clWhite);
  brush.SetColor(clBlue);
  brush.SetStyle(TBrushStyle::bsCross);
  EXPECT_EQ(brush.Color(), clBlue) << "only the clear style resets the colour";

  TPen pen;
  EXPECT_EQ(pen.Color(), clBlack);
  EXPECT_EQ(pen.Mode(), TPenMode::pmCopy);
  pen.SetWidth(5);
  pen.SetWidth(-3);
  EXPECT_EQ(pen.Width(), 5);
  pen.SetWidth(0);
  EXPECT_EQ(pen.Width(), 0);
}

TEST(CanvasFont, SizeAndHeightFollowThePixelsPerInch) {
  const int saved = ScreenPixelsPerInch();
  SetScreenPixelsPerInch(96);
  TFont at96;
  at96.SetSize(144);
  EXPECT_EQ(at96.Height(), -192);
  EXPECT_EQ(at96.Size(), 144);
  at96.SetSize(9);
  EXPECT_EQ(at96.Height(), -12);
  at96.SetHeight(-13);  // 9.75 points
  EXPECT_EQ(at96.Size(), 10);
  at96.SetHeight(-11);  // 8.25 points
  EXPECT_EQ(at96.Size(), 8);
  SetScreenPixelsPerInch(120);
  TFont at120;
  at120.SetSize(144);
  EXPECT_EQ(at120.Height(), -240);
  EXPECT_EQ(at120.Size(), 144);
  // Between resolutions the size in points carries over.
  at96.SetSize(144);
  at120.SetColor(clRed);
  at120.Assign(at96);
  EXPECT_EQ(at120.Height(), -240);
  EXPECT_EQ(at120.PixelsPerInch(), 120);
  TFont also120;
  also120.SetHeight(-7);
  at120.Assign(also120);
  EXPECT_EQ(at120.Height(), -7);
  SetScreenPixelsPerInch(saved);
  EXPECT_EQ(MulDiv(-5, 72, 96), -4);  // -3.75 rounds to -4
  EXPECT_EQ(MulDiv(3, 1, 2), 2);      // halves away from zero
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

TEST(CanvasLines, TheEndPointIsLeftOutAndTheNextLineStartsThere) {
  TBitmap b;
  MakeImage(b, 8, 3, clWhite);
  TCanvas& c = b.Canvas();
  c.MoveTo(1, 1);
  c.LineTo(5, 1);
  EXPECT_EQ(c.PenPos(), (TPoint{5, 1}));
  EXPECT_EQ(c.Pixel(4, 1), clBlack);
  EXPECT_EQ(c.Pixel(5, 1), clWhite);
  EXPECT_EQ(c.Pixel(0, 1), clWhite);
  c.Pen().SetColor(clRed);
  c.LineTo(7, 1);
  EXPECT_EQ(c.Pixel(5, 1), clRed);
  EXPECT_EQ(c.Pixel(6, 1), clRed);
  EXPECT_EQ(c.Pixel(7, 1), clWhite);
}

TEST(CanvasRules, DrawingMakesTheStorePrivateAndRaisesOneChangeReadingDoesNot) {
  TBitmap original;
  MakeImage(original, 16, 16, clWhite);
  TBitmap copy;
  int changes = 0;
  copy.OnChange = [&] { ++changes; };
  auto fresh = [&] {
    copy.Assign(&original);
    changes = 0;
  };
  std::vector<std::pair<const char*, std::function<void(TCanvas&)>>> operations = {
      {"line", [](TCanvas& c) { c.LineTo(9, 9); }},
      {"rectangle", [](TCanvas& c) { c.Rectangle(1, 1, 9, 9); }},
      {"round", [](TCanvas& c) { c.RoundRect(1, 1, 9, 9, 4, 4); }},
      {"ellipse", [](TCanvas& c) { c.Ellipse(1, 1, 9, 9); }},
      {"fill", [](TCanvas& c) { c.FillRect(Rect(0, 0, 3, 3)); }},
      {"flood", [](TCanvas& c) { c.FloodFill(2, 2, clWhite, TFillStyle::fsSurface); }},
      {"stretch", [&](TCanvas& c) { c.StretchDraw(Rect(0, 0, 4, 4), &original); }},
  };
  copy.Canvas().Brush().SetColor(clBlue);
  for (auto& [name, op] : operations) {
    fresh();
    op(copy.Canvas());
    EXPECT_EQ(changes, 1) << name;
    EXPECT_NE(copy.SharedImage(), original.SharedImage()) << name;
    for (TColor p : Pixels(original)) ASSERT_EQ(p, clWhite) << name;
  }
  fresh();
  copy.Canvas().MoveTo(3, 3);
  copy.Canvas().Pixel(3, 3);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(copy.SharedImage(), original.SharedImage());
  EXPECT_EQ(copy.Canvas().Pixel(16, 0), static_cast<TColor>(0xFFFFFFFF));
  EXPECT_EQ(copy.Canvas().Pixel(0, -1), static_cast<TColor>(0xFFFFFFFF));
}

TEST(CanvasRules, ACanvasWithoutAnImageRefusesToDrawAndAnEmptyImageIsHarmless) {
  TCanvas bare;
  bare.MoveTo(2, 2);
  EXPECT_EQ(bare.Pixel(0, 0), static_cast<TColor>(0xFFFFFFFF));
  try {
    bare.Rectangle(0, 0, 4, 4);
    FAIL() << "drawing without an image must fail";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), texts::CanvasDoesNotAllowDrawing);
  }
  EXPECT_THROW(bare.LineTo(5, 5), EInvalidOperation);
  EXPECT_EQ(bare.PenPos(), (TPoint{2, 2})) << "a refused line leaves the pen where it was";
  EXPECT_THROW(bare.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);

  TBitmap empty;
  TCanvas& c = empty.Canvas();
  c.Pen().SetWidth(48);
  c.Rectangle(-5, -5, 50, 50);
  c.Ellipse(0, 0, 9, 9);
  c.LineTo(20, 20);
  c.FloodFill(0, 0, clWhite, TFillStyle::fsSurface);
  c.FillRect(Rect(0, 0, 5, 5));
  EXPECT_TRUE(empty.Empty());
  EXPECT_EQ(c.PenPos(), (TPoint{20, 20}));
}

TEST(CanvasRules, PenPositionAndAttributesSurviveEveryChangeOfTheStore) {
  TBitmap b;
  MakeImage(b, 8, 8, clWhite);
  TCanvas& c = b.Canvas();
  c.MoveTo(3, 4);
  c.Pen().SetColor(clRed);
  c.Pen().SetWidth(7);
  c.Brush().SetColor(clLime);
  c.Font().SetSize(20);
  TBitmap other;
  MakeImage(other, 4, 4, clBlue);
  b.SetWidth(20);
  b.Assign(&other);
  b.SetPixelFormat(TPixelFormat::pf4bit);
  b.LoadFromBytes(other.SaveToBytes());
  EXPECT_EQ(&b.Canvas(), &c);
  EXPECT_EQ(c.PenPos(), (TPoint{3, 4}));
  EXPECT_EQ(c.Pen().Color(), clRed);
  EXPECT_EQ(c.Pen().Width(), 7);
  EXPECT_EQ(c.Brush().Color(), clLime);
  EXPECT_EQ(c.Font().Size(), 20);
  c.LineTo(3, 0);
  EXPECT_EQ(c.Pixel(3, 2), clRed);
}

TEST(CanvasRules, ARunOfStrokesWithUnchangedAttributesMakesNothingNew) {
  TBitmap b;
  MakeImage(b, 64, 64, clWhite);
  TCanvas& c = b.Canvas();
  c.Pen().SetWidth(48);
  c.Pen().SetMode(TPenMode::pmNotXor);
  c.Rectangle(0, 0, 10, 10);
  const long long made = c.Objects().Created();
  for (int i = 0; i < 50; ++i) {
    c.Rectangle(0, 0, 10 + i, 10 + i);
    c.Rectangle(0, 0, 10 + i, 10 + i);
    c.LineTo(i, 2 * i);
  }
  EXPECT_EQ(c.Objects().Created(), made);
  c.Pen().SetColor(clRed);
  c.LineTo(0, 0);
  c.LineTo(5, 0);
  EXPECT_EQ(c.Objects().Created(), made + 1);
}

TEST(CanvasNotXor, BlackPenInvertsWhiteBrushKeepsAndEveryFigureTwiceRestores) {
  TBitmap b;
  MakeImage(b, 40, 40, clWhite);
  TCanvas& c = b.Canvas();
  std::mt19937 rng(5);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      c.Brush().SetColor(static_cast<TColor>(rng() & 0xFFFFFF));
      c.FillRect(Rect(x, y, x + 1, y + 1));
    }
  const std::vector<TColor> before = Pixels(b);
  c.Pen().SetMode(TPenMode::pmNotXor);
  c.Brush().SetColor(clWhite);
  c.Rectangle(5, 5, 30, 30);
  // Outline inverted, interior unchanged.
  EXPECT_EQ(c.Pixel(5, 10), static_cast<TColor>(~before[10 * 40 + 5] & 0xFFFFFF));
  EXPECT_EQ(c.Pixel(15, 15), before[15 * 40 + 15]);
  c.Rectangle(30, 30, 5, 5);
  EXPECT_EQ(Pixels(b), before);

  for (int w = 1; w <= 48; ++w)
    for (TBrushStyle style : {TBrushStyle::bsSolid, TBrushStyle::bsClear}) {
      c.Pen().SetWidth(w);
      c.Pen().SetColor(clNavy);
      c.Brush().SetStyle(style);
      if (style == TBrushStyle::bsSolid) c.Brush().SetColor(clOlive);
      c.Rectangle(3, 36, 33, 4);
      c.Rectangle(3, 36, 33, 4);
      c.RoundRect(35, 2, 8, 30, 10, 10);
      c.RoundRect(8, 30, 35, 2, 10, 10);
      c.Ellipse(2, 2, 37, 25);
      c.Ellipse(37, 25, 2, 2);
      c.MoveTo(4, 30);
      c.LineTo(33, 6);
      c.MoveTo(4, 30);
      c.LineTo(33, 6);
      ASSERT_EQ(Pixels(b), before) << "width " << w;
    }
  // Fill rectangle paints the plain brush colour whatever the pen mode.
  c.Brush().SetColor(clMaroon);
  c.FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(c.Pixel(1, 1), clMaroon);
}

TEST(CanvasNotXor, IndexedImagesMixTableIndexes) {
  TBitmap b;
  MakeImage(b, 4, 1, clWhite, TPixelFormat::pf4bit);
  TCanvas& c = b.Canvas();
  const TColor colours[4] = {clWhite, clMaroon, clTeal, clSilver};
  for (int x = 0; x < 4; ++x) {
    c.Brush().SetColor(colours[x]);
    c.FillRect(Rect(x, 0, x + 1, 1));
  }
  c.Pen().SetMode(TPenMode::pmNotXor);
  c.MoveTo(0, 0);
  c.LineTo(4, 0);
  // A black pen turns index i into 15 - i: the palette's opposite colour.
  EXPECT_EQ(c.Pixel(0, 0), clBlack);
  EXPECT_EQ(c.Pixel(1, 0), clAqua);
  EXPECT_EQ(c.Pixel(2, 0), clRed);
  EXPECT_EQ(c.Pixel(3, 0), clGray);
  c.Pen().SetMode(TPenMode::pmCopy);
  c.Pen().SetColor(0x0000F8);  // nearest entry: red
  c.MoveTo(0, 0);
  c.LineTo(1, 0);
  EXPECT_EQ(c.Pixel(0, 0), clRed);
}

TEST(CanvasFigures, CornersInAnyOrderGiveTheSameFigure) {
  std::vector<TColor> first;
  const int corners[4][4] = {{2, 3, 17, 12}, {17, 3, 2, 12}, {2, 12, 17, 3}, {17, 12, 2, 3}};
  for (auto figure : {0, 1, 2})
    for (int width : {1, 4, 7})
      for (int i = 0; i < 4; ++i) {
        TBitmap b;
        MakeImage(b, 20, 16, clWhite);
        TCanvas& c = b.Canvas();
        c.Pen().SetWidth(width);
        c.Brush().SetColor(clYellow);
        const int* k = corners[i];
        if (figure == 0) c.Rectangle(k[0], k[1], k[2], k[3]);
        if (figure == 1) c.RoundRect(k[0], k[1], k[2], k[3], 6, 6);
        if (figure == 2) c.Ellipse(k[0], k[1], k[2], k[3]);
        if (i == 0) first = Pixels(b);
        ASSERT_EQ(Pixels(b), first) << figure << " " << width << " " << i;
      }
}

TEST(CanvasFigures, RectangleOutlineAndInteriorPixelByPixel) {
  TBitmap b;
  MakeImage(b, 6, 5, clWhite);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clRed);
  c.Rectangle(1, 1, 5, 4);
  const char* expected[5] = {"......", ".####.", ".#rr#.", ".####.", "......"};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      const char e = expected[y][x];
      EXPECT_EQ(c.Pixel(x, y), e == '#' ? clBlack : e == 'r' ? clRed : clWhite) << x << "," << y;
    }
  // A hatched brush paints its lines and leaves the rest of the interior.
  c.Brush().SetStyle(TBrushStyle::bsHorizontal);
  c.Brush().SetColor(clBlue);
  c.FillRect(Rect(0, 0, 6, 5));
  EXPECT_EQ(c.Pixel(3, 0), clBlue);
  EXPECT_EQ(c.Pixel(3, 2), clRed);
}

TEST(CanvasFloodFill, RepaintsTheAreaUnderThePointAndRespectsItsLimits) {
  TBitmap b;
  MakeImage(b, 256, 256, clWhite);
  TCanvas& c = b.Canvas();
  c.Rectangle(10, 10, 30, 30);  // black outline, white inside
  c.Brush().SetColor(clGreen);
  c.FloodFill(20, 20, c.Pixel(20, 20), TFillStyle::fsSurface);
  EXPECT_EQ(c.Pixel(20, 20), clGreen);
  EXPECT_EQ(c.Pixel(11, 11), clGreen);
  EXPECT_EQ(c.Pixel(10, 10), clBlack);
  EXPECT_EQ(c.Pixel(5, 5), clWhite);
  const std::vector<TColor> before = Pixels(b);
  c.Brush().SetStyle(TBrushStyle::bsClear);
  c.FloodFill(5, 5, c.Pixel(5, 5), TFillStyle::fsSurface);
  c.Brush().SetColor(clRed);
  c.FloodFill(-1, 5, c.Pixel(-1, 5), TFillStyle::fsSurface);
  c.FloodFill(5, 5, clBtnFace, TFillStyle::fsSurface);  // a system colour is passed unresolved
  EXPECT_EQ(Pixels(b), before);
  c.FloodFill(5, 5, c.Pixel(5, 5), TFillStyle::fsSurface);
  EXPECT_EQ(c.Pixel(255, 255), clRed);
  EXPECT_EQ(c.Pixel(20, 20), clGreen);
}

// Enlarging any glyph onto the surface and reducing it again gives the glyph back.
TEST(CanvasStretch, EverySizeFromOneTo256RoundTripsThroughTheSurface) {
  TBitmap surface;
  MakeImage(surface, 256, 256, clWhite);
  for (int n = 1; n <= 256; ++n) {
    const int m = n % 7 == 0 ? (n * 3) % 256 + 1 : n;  // some glyphs are not square
    TBitmap glyph;
    glyph.SetWidth(n);
    glyph.SetHeight(m);
    // Every pixel its own colour.
    const raster::Surface g = glyph.WritableSurface();
    for (int y = 0; y < m; ++y)
      for (int x = 0; x < n; ++x) raster::WriteValue(g, x, y, raster::ColorToValue(g, static_cast<raster::ColorRef>(x | (y << 8) | 0x5A0000)));
    surface.Canvas().StretchDraw(Rect(0, 0, 256, 256), &glyph);
    TBitmap back;
    back.SetWidth(n);
    back.SetHeight(m);
    back.Canvas().StretchDraw(Rect(0, 0, n, m), &surface);
    ASSERT_EQ(back.Image().Bits, glyph.Image().Bits) << n << "x" << m;
  }
}

TEST(CanvasStretch, OneColouredCellsYieldTheirColourAlsoInFourBitImages) {
  TBitmap surface;
  MakeImage(surface, 256, 256, clWhite);
  const std::vector<TColor> palette = {clBlack, clMaroon, clGreen,  clOlive, clNavy, clPurple, clTeal,    clGray,
                                       clSilver, clRed,   clLime,   clYellow, clBlue, clFuchsia, clAqua, clWhite};
  for (int cy = 0; cy < 16; ++cy)
    for (int cx = 0; cx < 16; ++cx) {
      surface.Canvas().Brush().SetColor(palette[static_cast<std::size_t>((cx + 3 * cy) % 16)]);
      surface.Canvas().FillRect(Rect(cx * 16, cy * 16, cx * 16 + 16, cy * 16 + 16));
    }
  TBitmap glyph;
  glyph.SetPixelFormat(TPixelFormat::pf4bit);
  glyph.SetWidth(16);
  glyph.SetHeight(16);
  glyph.Canvas().StretchDraw(Rect(0, 0, 16, 16), &surface);
  for (int cy = 0; cy < 16; ++cy)
    for (int cx = 0; cx < 16; ++cx)
      ASSERT_EQ(glyph.Canvas().Pixel(cx, cy), palette[static_cast<std::size_t>((cx + 3 * cy) % 16)]);
  // Near colours are matched to the table.
  surface.Canvas().Brush().SetColor(0x0101F0);
  surface.Canvas().FillRect(Rect(0, 0, 256, 256));
  glyph.Canvas().StretchDraw(Rect(0, 0, 16, 16), &surface);
  EXPECT_EQ(glyph.Canvas().Pixel(7, 7), clRed);
  // Enlarging the glyph again gives the cells back.
  TBitmap again;
  MakeImage(again, 256, 256, clWhite);
  again.Canvas().StretchDraw(Rect(0, 0, 256, 256), &glyph);
  EXPECT_EQ(again.Canvas().Pixel(255, 255), clRed);
  TBitmap none;
  const std::vector<TColor> before = Pixels(again);
  again.Canvas().StretchDraw(Rect(0, 0, 256, 256), &none);
  again.Canvas().StretchDraw(Rect(0, 0, 256, 256), nullptr);
  EXPECT_EQ(Pixels(again), before);
}

}  // namespace
}  // namespace gliffo
