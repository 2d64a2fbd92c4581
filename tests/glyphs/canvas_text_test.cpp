#include <gtest/gtest.h>

#include <string>

#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"
#include "tests/glyphs/canvas_fixtures.h"
#include "platform/text/font.h"

namespace gliffo {
namespace {

using testing::MakeImage;

TEST(CanvasFont, SizeBecomesTheEmInPixelsAtTheFontsResolution) {
  TBitmap b;
  MakeImage(b, 4, 4, clWhite);
  TFont& font = b.Canvas().Font();
  font.SetName("Arial");
  font.SetPixelsPerInch(96);
  font.SetSize(144);
  EXPECT_EQ(font.Height(), -192);
  text::FontRequest request;
  request.FaceName = "Arial";
  request.Height = -192;
  EXPECT_EQ(text::GetFont(request)->EmPixels(), 192);
  EXPECT_EQ(b.Canvas().TextHeight("x"), text::GetFont(request)->CellHeight());

  font.SetPixelsPerInch(120);
  font.SetSize(144);
  EXPECT_EQ(font.Height(), -240);
  request.Height = -240;
  EXPECT_EQ(b.Canvas().TextHeight("x"), text::GetFont(request)->CellHeight());
  EXPECT_GT(b.Canvas().TextWidth("Glyph"), 0);
}

TEST(CanvasTextOut, SolidBrushPaintsTheWholeCellAndThePenMovesOnByTheWidth) {
  TBitmap b;
  MakeImage(b, 80, 40, clLime);
  TCanvas& c = b.Canvas();
  c.Font().SetHeight(-16);
  c.Font().SetColor(clRed);
  c.Brush().SetColor(clBlue);
  c.MoveTo(1, 1);
  const int w = c.TextWidth("Hey");
  const int h = c.TextHeight("Hey");
  c.TextOut(6, 3, "Hey");
  EXPECT_EQ(c.PenPos(), (TPoint{6 + w, 3}));
  int red = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) {
      const TColor p = c.Pixel(x, y);
      if (x >= 6 && x < 6 + w && y >= 3 && y < 3 + h) {
        ASSERT_TRUE(p == clRed || p == clBlue) << x << "," << y;
        red += p == clRed;
      } else {
        ASSERT_EQ(p, clLime) << x << "," << y;
      }
    }
  EXPECT_GT(red, 10);
}

TEST(CanvasTextOut, ClearBrushLeavesEverythingButTheLettersAndIgnoresThePenMode) {
  TBitmap b;
  MakeImage(b, 60, 30, clYellow);
  TCanvas& c = b.Canvas();
  c.Font().SetHeight(-14);
  c.Font().SetColor(clNavy);
  c.Brush().SetStyle(TBrushStyle::bsClear);
  c.Pen().SetMode(TPenMode::pmNotXor);
  c.TextOut(2, 2, "Text");
  c.TextOut(2, 2, "Text");  // text takes the font colour as it is: a second pass changes nothing
  int navy = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) {
      const TColor p = c.Pixel(x, y);
      ASSERT_TRUE(p == clNavy || p == clYellow) << x << "," << y;
      navy += p == clNavy;
    }
  EXPECT_GT(navy, 10);
  EXPECT_EQ(c.PenPos(), (TPoint{2 + c.TextWidth("Text"), 2}));
}

TEST(CanvasTextOut, DefaultIsDrawnInMsSansSerif) {
  TBitmap a, d;
  MakeImage(a, 50, 20, clWhite);
  MakeImage(d, 50, 20, clWhite);
  a.Canvas().Font().SetName("MS Sans Serif");
  d.Canvas().Font().SetName("DEFAULT");
  a.Canvas().TextOut(1, 1, "Abc");
  d.Canvas().TextOut(1, 1, "Abc");
  EXPECT_EQ(a.Image().Bits, d.Image().Bits);
}

TEST(CanvasTextOut, MatchesColoursOnAFourBitImage) {
  TBitmap b;
  MakeImage(b, 40, 20, clWhite, TPixelFormat::pf4bit);
  TCanvas& c = b.Canvas();
  c.Font().SetHeight(-14);
  c.Font().SetColor(0x0000F0);  // near red
  c.Brush().SetColor(0x7F7F7F);  // near gray
  c.TextOut(0, 0, "W");
  int red = 0, gray = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const TColor p = c.Pixel(x, y);
      ASSERT_TRUE(p == clRed || p == clGray || p == clWhite) << x << "," << y;
      red += p == clRed;
      gray += p == clGray;
    }
  EXPECT_GT(red, 0);
  EXPECT_GT(gray, 0);
}

TEST(CanvasTextOut, DrawsOnAPrivateCopyAndRaisesOneChange) {
  TBitmap original;
  MakeImage(original, 30, 20, clWhite);
  TBitmap copy;
  copy.Assign(&original);
  int changes = 0;
  copy.OnChange = [&] { ++changes; };
  copy.Canvas().Font().SetColor(clBlack);
  copy.Canvas().TextExtent("Hi");
  copy.Canvas().TextWidth("Hi");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(copy.SharedImage(), original.SharedImage()) << "measuring keeps the store shared";
  copy.Canvas().TextOut(0, 0, "Hi");
  EXPECT_EQ(changes, 1);
  EXPECT_NE(copy.SharedImage(), original.SharedImage());
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(original.Canvas().Pixel(x, y), clWhite);
}

TEST(CanvasTextOut, RepeatedTextWithTheSameFontMakesNothingNew) {
  TBitmap b;
  MakeImage(b, 64, 64, clWhite);
  TCanvas& c = b.Canvas();
  c.Font().SetHeight(-21);
  c.TextOut(0, 0, "abc");
  const text::TextStatistics before = text::Statistics();
  for (int i = 0; i < 20; ++i) {
    c.Font().SetColor(i % 2 ? clRed : clBlack);  // the colour is not part of the font
    c.TextOut(i, i, "cab");
    c.TextWidth("bca");
  }
  const text::TextStatistics after = text::Statistics();
  EXPECT_EQ(after.FaceMatches, before.FaceMatches);
  EXPECT_EQ(after.FontsCreated, before.FontsCreated);
  EXPECT_EQ(after.FacesCreated, before.FacesCreated);
  EXPECT_EQ(after.GlyphsRendered, before.GlyphsRendered);
}

TEST(CanvasTextOut, EmptyImageAndEmptyTextPaintNothing) {
  TBitmap empty;
  EXPECT_NO_THROW(empty.Canvas().TextOut(3, 4, "x"));
  EXPECT_EQ(empty.Canvas().PenPos().Y, 4);

  TBitmap b;
  MakeImage(b, 10, 10, clWhite);
  b.Canvas().Brush().SetColor(clRed);
  b.Canvas().TextOut(2, 2, "");
  EXPECT_EQ(b.Canvas().PenPos(), (TPoint{2, 2}));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(b.Canvas().Pixel(x, y), clWhite);
}

}  // namespace
}  // namespace gliffo
