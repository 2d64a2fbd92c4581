// Flips, turns and shifts of the glyph, with Undo, at every mode size and in an indexed format.
#include <filesystem>

#include "glyphs/bitmap.h"
#include "tests/editor/editor_fixture.h"
#include "tests/temp_folder.h"

namespace gliffo::testing {
namespace {

class TransformTest : public EditorTest {
 protected:
  // An asymmetric glyph: a red pixel in the top-left cell, a blue one to its right, a green
  // column one in from the left edge.
  void PaintAsymmetric() {
    const int cell = editor.CellScale();
    editor.Block1Click();
    editor.SetBackgroundIndex(9);
    Stroke({{0, 0}});
    editor.SetBackgroundIndex(12);
    Stroke({{cell, 0}});
    editor.SetBackgroundIndex(10);
    for (int y = 2; y < glyphs.GlyphSize(); ++y) Stroke({{cell, y * cell}});
  }
  std::vector<std::uint8_t> GlyphBytes() { return editor.Editor().Image().Bits; }
};

TEST_F(TransformTest, FlipsAndTurnsComeBackAndShiftsWrapAtEverySize) {
  for (int size : {16, 24, 32}) {
    Size(size);
    editor.Clear1Click();
    PaintAsymmetric();
    const int n = size;
    ASSERT_EQ(GlyphAt(0, 0), clRed) << size;
    const std::vector<std::uint8_t> original = GlyphBytes();

    editor.TransformGlyph(TTransform::FlipHorizontal);
    EXPECT_EQ(GlyphAt(n - 1, 0), clRed);
    EXPECT_EQ(GlyphAt(n - 2, 0), clBlue);
    EXPECT_EQ(GlyphAt(n - 2, 5), clLime);
    EXPECT_EQ(GlyphPixels(), ReductionOfSurface()) << "the surface holds the glyph, cell-aligned";
    editor.TransformGlyph(TTransform::FlipHorizontal);
    EXPECT_EQ(GlyphBytes(), original);

    editor.TransformGlyph(TTransform::FlipVertical);
    EXPECT_EQ(GlyphAt(0, n - 1), clRed);
    editor.TransformGlyph(TTransform::FlipVertical);
    EXPECT_EQ(GlyphBytes(), original);

    editor.TransformGlyph(TTransform::RotateRight);  // clockwise: the top row becomes the right column
    EXPECT_EQ(GlyphAt(n - 1, 0), clRed);
    EXPECT_EQ(GlyphAt(n - 1, 1), clBlue);
    for (int i = 0; i < 3; ++i) editor.TransformGlyph(TTransform::RotateRight);
    EXPECT_EQ(GlyphBytes(), original);
    editor.TransformGlyph(TTransform::RotateLeft);
    EXPECT_EQ(GlyphAt(0, n - 1), clRed);
    EXPECT_EQ(GlyphAt(0, n - 2), clBlue);
    editor.TransformGlyph(TTransform::RotateRight);
    EXPECT_EQ(GlyphBytes(), original);

    editor.TransformGlyph(TTransform::ShiftLeft);  // the left column wraps to the right edge
    EXPECT_EQ(GlyphAt(n - 1, 0), clRed);
    EXPECT_EQ(GlyphAt(0, 0), clBlue);
    EXPECT_EQ(GlyphAt(0, 7), clLime);
    editor.TransformGlyph(TTransform::ShiftRight);
    EXPECT_EQ(GlyphBytes(), original);
    editor.TransformGlyph(TTransform::ShiftUp);
    EXPECT_EQ(GlyphAt(0, n - 1), clRed);
    editor.TransformGlyph(TTransform::ShiftDown);
    EXPECT_EQ(GlyphBytes(), original);
    EXPECT_EQ(PreviewAt(0, 0), clRed) << "the preview follows at every size";
  }
}

TEST_F(TransformTest, UndoTakesBackExactlyOneTransform) {
  PaintAsymmetric();
  editor.TransformGlyph(TTransform::RotateRight);
  const std::vector<TColor> rotated = SurfacePixels();
  const std::vector<TColor> rotatedGlyph = GlyphPixels();
  editor.TransformGlyph(TTransform::ShiftDown);
  ASSERT_NE(SurfacePixels(), rotated);
  editor.Undo1Click();
  EXPECT_EQ(SurfacePixels(), rotated) << "only the shift is taken back";
  EXPECT_EQ(GlyphPixels(), rotatedGlyph);
  for (TTransform t : {TTransform::FlipHorizontal, TTransform::FlipVertical, TTransform::RotateLeft,
                       TTransform::ShiftLeft, TTransform::ShiftRight, TTransform::ShiftUp}) {
    editor.Clear1Click();
    PaintAsymmetric();
    const std::vector<TColor> before = SurfacePixels();
    editor.TransformGlyph(t);
    ASSERT_NE(SurfacePixels(), before);
    editor.Undo1Click();
    EXPECT_EQ(SurfacePixels(), before);
  }
}

TEST_F(TransformTest, AnIndexedGlyphKeepsItsFormatTableAndIndices) {
  TempFolder folder;
  TBitmap four;
  four.SetPixelFormat(TPixelFormat::pf4bit);
  four.SetWidth(16);
  four.SetHeight(16);
  four.Canvas().Brush().SetColor(clTeal);
  four.Canvas().FillRect(Rect(0, 0, 16, 16));
  four.Canvas().Brush().SetColor(clMaroon);
  four.Canvas().FillRect(Rect(0, 0, 3, 1));
  four.SaveToFile(folder / "four.bmp");
  editor.OpenGlyphFile(folder / "four.bmp");
  const std::vector<raster::Rgb> table = editor.Editor().Image().ColorTable;
  editor.TransformGlyph(TTransform::RotateRight);
  EXPECT_EQ(editor.Editor().PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(editor.Editor().Image().ColorTable, table);
  EXPECT_EQ(GlyphAt(15, 2), clMaroon);
  EXPECT_EQ(GlyphAt(14, 0), clTeal);
  EXPECT_EQ(At(255, 40), clMaroon);
  editor.SaveGlyphFile(folder / "turned.bmp");
  TBitmap back;
  back.LoadFromFile(folder / "turned.bmp");
  EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(back.Canvas().Pixel(15, 1), clMaroon);
}

TEST(GlyphTransforms, NonSquareImagesAreNotTurnedAndEmptyOnesStayEmpty) {
  TBitmap wide;
  wide.SetWidth(3);
  wide.SetHeight(2);
  wide.Canvas().Brush().SetColor(clRed);
  wide.Canvas().FillRect(Rect(0, 0, 1, 1));
  TransformImage(wide, TTransform::RotateRight);
  EXPECT_EQ(wide.Canvas().Pixel(0, 0), clRed);
  TransformImage(wide, TTransform::ShiftLeft);
  EXPECT_EQ(wide.Canvas().Pixel(2, 0), clRed);
  TBitmap empty;
  TransformImage(empty, TTransform::FlipVertical);
  EXPECT_TRUE(empty.Empty());
}

}  // namespace
}  // namespace gliffo::testing
