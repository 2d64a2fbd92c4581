// The disabled look of glyphs and strips, pixel by pixel on small glyphs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "glyphs/bitmap.h"
#include "glyphs/button_looks.h"
#include "glyphs/canvas.h"
#include "platform/errors.h"

namespace gliffo {
namespace {

// A glyph drawn from rows of letters: '.' the ground colour, other letters colours by the key.
void Draw(TBitmap& b, const std::vector<std::string>& rows, TColor ground, int left = 0) {
  for (int y = 0; y < static_cast<int>(rows.size()); ++y)
    for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
      const char c = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      b.Canvas().Brush().SetColor(c == '.' ? ground : c == 'r' ? clRed : c == 'b' ? clBlue : c == 'w' ? clWhite : clBlack);
      b.Canvas().FillRect(Rect(left + x, y, left + x + 1, y + 1));
    }
}

void Make(TBitmap& b, int w, int h) {
  b.SetWidth(w);
  b.SetHeight(h);
}

// The look as letters: '.' ground g, 'H' highlight (white), 'S' shadow (gray), '?' anything else.
std::vector<std::string> Letters(TBitmap& b, TColor ground, int left = 0, int width = -1) {
  if (width < 0) width = b.Width();
  std::vector<std::string> rows;
  for (int y = 0; y < b.Height(); ++y) {
    std::string row;
    for (int x = left; x < left + width; ++x) {
      const TColor c = b.Canvas().Pixel(x, y);
      row += c == ground ? '.' : c == clWhite ? 'H' : c == clGray ? 'S' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(DisabledLook, ShapeInShadowOverItsHighlightOnePixelDownAndRight) {
  TBitmap glyph, look;
  Make(glyph, 5, 4);
  Draw(glyph, {".....", ".rb..", "..w..", "....k"}, clTeal);
  MakeDisabledGlyph(glyph, look);
  EXPECT_EQ(look.PixelFormat(), TPixelFormat::pfDevice);
  EXPECT_EQ(Letters(look, clTeal), (std::vector<std::string>{".....", ".SS..", "..SH.", "...HS"}))
      << "every colour but the ground is shape, white included; the highlight leaves the glyph at the edge";
}

TEST(DisabledLook, AGroundOfTheHighlightOrShadowColourBecomesTheButtonFace) {
  TBitmap glyph, look;
  Make(glyph, 4, 4);
  Draw(glyph, {"....", ".r..", "....", "...."}, clWhite);
  MakeDisabledGlyph(glyph, look);
  EXPECT_EQ(Letters(look, clSilver), (std::vector<std::string>{"....", ".S..", "..H.", "...."}));

  Draw(glyph, {"....", ".r..", "....", "...."}, clGray);
  MakeDisabledGlyph(glyph, look);
  EXPECT_EQ(Letters(look, clSilver), (std::vector<std::string>{"....", ".S..", "..H.", "...."}));
}

TEST(DisabledLook, AGlyphOfOneColourIsAllGround) {
  TBitmap glyph, look;
  Make(glyph, 3, 3);
  Draw(glyph, {"...", "...", "..."}, clNavy);
  MakeDisabledGlyph(glyph, look);
  EXPECT_EQ(Letters(look, clNavy), (std::vector<std::string>{"...", "...", "..."}));
  TBitmap empty;
  MakeDisabledGlyph(empty, look);
  EXPECT_TRUE(look.Empty());
}

TEST(DisabledStrip, EveryGlyphWithItsOwnGroundAtEveryModeSize) {
  for (int size : {16, 24, 32}) {
    TBitmap strip, looks;
    Make(strip, 3 * size + 5, size);  // five columns beyond the last whole glyph
    const TColor grounds[] = {clYellow, clWhite, static_cast<TColor>(0xC8C8C8)};
    for (int k = 0; k < 3; ++k) {
      strip.Canvas().Brush().SetColor(grounds[k]);
      strip.Canvas().FillRect(Rect(k * size, 0, k * size + size, size));
      strip.Canvas().Brush().SetColor(clBlue);
      strip.Canvas().FillRect(Rect(k * size + 2, 3, k * size + 4, 4));
    }
    MakeDisabledStrip(strip, size, looks);
    ASSERT_EQ(looks.Width(), 3 * size);
    ASSERT_EQ(looks.Height(), size);
    EXPECT_EQ(looks.PixelFormat(), TPixelFormat::pf4bit);
    // Yellow stays yellow; white gives way to silver; a grey near silver is matched to silver.
    const TColor expectedGround[] = {clYellow, clSilver, clSilver};
    for (int k = 0; k < 3; ++k) {
      std::vector<std::string> rows = Letters(looks, expectedGround[k], k * size, size);
      std::vector<std::string> expected(static_cast<std::size_t>(size), std::string(static_cast<std::size_t>(size), '.'));
      expected[3][2] = expected[3][3] = 'S';
      expected[4][3] = expected[4][4] = 'H';
      EXPECT_EQ(rows, expected) << "size " << size << " glyph " << k;
      EXPECT_EQ(looks.Canvas().Pixel(k * size, size - 1), expectedGround[k]) << "the bottom-left pixel is the ground";
    }
  }
}

TEST(DisabledStrip, StripsOfTheWrongHeightOrTooNarrowAreRefused) {
  TBitmap strip, looks;
  Make(strip, 32, 16);
  EXPECT_THROW(MakeDisabledStrip(strip, 24, looks), EInvalidOperation);
  Make(strip, 10, 16);
  EXPECT_THROW(MakeDisabledStrip(strip, 16, looks), EInvalidOperation);
  TBitmap empty;
  EXPECT_THROW(MakeDisabledStrip(empty, 16, looks), EInvalidOperation);
  EXPECT_TRUE(looks.Empty());
}

}  // namespace
}  // namespace gliffo
