#include "glyphs/bitmap.h"

#include <gtest/gtest.h>

#include "glyphs/canvas.h"
#include "glyphs/strings.h"
#include "platform/errors.h"

namespace gliffo {
namespace {

TColor PixelOf(TBitmap& b, int x, int y) { return b.Canvas().Pixel(x, y); }

TEST(BitmapStorage, WidthAloneLeavesTheImageEmptyAndHeightThenCreatesWhiteStorage) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf4bit);
  b.SetWidth(48);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Width(), 48);
  b.SetHeight(16);
  ASSERT_FALSE(b.Empty());
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(b.Image().ColorTable.size(), 16u);
  EXPECT_EQ(b.Image().Height, 16);  // stored positive: bottom row first
  for (std::uint8_t byte : b.Image().Bits) ASSERT_EQ(byte, 0xFF);
}

TEST(BitmapStorage, WideningFillsWhiteBeforeTheCanvasIsUsedAndWithTheBrushAfter) {
  TBitmap fresh;
  fresh.SetWidth(2);
  fresh.SetHeight(2);
  TBitmap used;
  used.SetWidth(2);
  used.SetHeight(2);
  used.Canvas().Brush().SetColor(clRed);
  used.Canvas().FillRect(Rect(0, 0, 2, 2));
  used.Canvas().Brush().SetColor(0x3366AA);
  fresh.SetWidth(4);
  used.SetWidth(4);
  EXPECT_EQ(PixelOf(fresh, 3, 1), clWhite);
  EXPECT_EQ(PixelOf(used, 1, 1), clRed);      // old content kept at the top left
  EXPECT_EQ(PixelOf(used, 3, 1), 0x3366AA);   // new columns take the brush

  TBitmap indexed;
  indexed.SetPixelFormat(TPixelFormat::pf4bit);
  indexed.SetWidth(2);
  indexed.SetHeight(2);
  indexed.Canvas().Brush().SetColor(0x0000F0);  // nearest table colour: red
  indexed.SetWidth(3);
  EXPECT_EQ(PixelOf(indexed, 2, 0), clRed);
  EXPECT_EQ(PixelOf(indexed, 0, 0), clWhite);
}

TEST(BitmapSharing, AssignSharesUntilOneSideDraws) {
  TBitmap a;
  a.SetWidth(4);
  a.SetHeight(4);
  TBitmap b;
  b.Assign(&a);
  EXPECT_EQ(a.SharedImage(), b.SharedImage());
  b.Canvas().Brush().SetColor(clBlue);
  b.Canvas().FillRect(Rect(0, 0, 4, 4));
  EXPECT_NE(a.SharedImage(), b.SharedImage());
  EXPECT_EQ(PixelOf(a, 1, 1), clWhite);
  EXPECT_EQ(PixelOf(b, 1, 1), clBlue);
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
}

TEST(BitmapFormat, FourBitConversionMatchesColoursAndCustomIsRefused) {
  TBitmap b;
  b.SetWidth(3);
  b.SetHeight(1);
  b.Canvas().Brush().SetColor(0x00FE01);  // close to lime
  b.Canvas().FillRect(Rect(0, 0, 1, 1));
  b.Canvas().Brush().SetColor(clSilver);
  b.Canvas().FillRect(Rect(1, 0, 2, 1));
  b.SetPixelFormat(TPixelFormat::pf4bit);
  EXPECT_EQ(PixelOf(b, 0, 0), clLime);
  EXPECT_EQ(PixelOf(b, 1, 0), clSilver);
  EXPECT_EQ(PixelOf(b, 2, 0), clWhite);
  b.SetPixelFormat(TPixelFormat::pfDevice);
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pfDevice);
  EXPECT_EQ(PixelOf(b, 0, 0), clLime);
  try {
    b.SetPixelFormat(TPixelFormat::pfCustom);
    FAIL() << "custom format accepted";
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), texts::InvalidPixelFormat);
  }
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pfDevice);
}

TEST(BitmapStorage, HugeOrOverflowingSizesRaiseOutOfResourcesAndKeepTheImage) {
  TBitmap b;
  b.SetWidth(2);
  b.SetHeight(2);
  const auto before = b.SharedImage();
  EXPECT_THROW(b.SetWidth(0x7FFFFFFF), EOutOfResources);
  EXPECT_EQ(b.SharedImage(), before);
  EXPECT_EQ(b.Width(), 2);
  b.SetPixelFormat(TPixelFormat::pf1bit);
  EXPECT_THROW(b.SetHeight(0x7FFFFFFF), EOutOfResources);
  EXPECT_EQ(b.Height(), 2);
}

TEST(BitmapDraw, DrawCopiesAtOwnSizeClippedAndIgnoresEmptyImages) {
  TBitmap src;
  src.SetWidth(2);
  src.SetHeight(2);
  src.Canvas().Brush().SetColor(clNavy);
  src.Canvas().FillRect(Rect(0, 0, 2, 2));
  TBitmap dst;
  dst.SetPixelFormat(TPixelFormat::pf4bit);
  dst.SetWidth(3);
  dst.SetHeight(3);
  src.Draw(dst.Canvas(), 2, 2);
  EXPECT_EQ(PixelOf(dst, 2, 2), clNavy);
  EXPECT_EQ(PixelOf(dst, 1, 1), clWhite);
  TBitmap empty;
  empty.Draw(dst.Canvas(), 0, 0);
  dst.Canvas().Draw(0, 0, &empty);
  dst.Canvas().Draw(0, 0, nullptr);
  EXPECT_EQ(PixelOf(dst, 0, 0), clWhite);
}

}  // namespace
}  // namespace gliffo
