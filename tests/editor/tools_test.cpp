// The drawing tools, pixel by pixel on the surface, and the glyph that follows them.
#include <random>

#include "editor/tools.h"
#include "glyphs/bitmap.h"
#include "tests/editor/editor_fixture.h"
#include "tests/scripted_dialogs.h"

namespace gliffo::testing {
namespace {

bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

TEST_F(EditorTest, FreehandWithPenOneIsOneGlyphPixelWide) {
  Stroke({{40, 100}, {120, 100}, {200, 100}});
  int column = 0;
  for (int y = 0; y < SurfaceSize; ++y) column += At(120, y) == clBlack;
  EXPECT_EQ(column, 16);
  EXPECT_EQ(At(120, 100), clBlack);
  // The glyph shows one row of black pixels.
  int blackInGlyph = 0;
  for (TColor c : GlyphPixels()) blackInGlyph += c == clBlack;
  EXPECT_GE(blackInGlyph, 10);
  EXPECT_EQ(GlyphPixels(), ReductionOfSurface());
}

TEST_F(EditorTest, BlockFillsTheCellWhereTheButtonComesUp) {
  editor.SetBackgroundIndex(9);  // red brush
  editor.Block1Click();
  editor.picMouseDown(3, 3);
  editor.picMouseMove(100, 100);
  EXPECT_EQ(CountColor(clRed), 0) << "a block waits for the release";
  editor.picMouseUp(37, 250);
  EXPECT_EQ(CountColor(clRed), 16 * 16);
  EXPECT_EQ(CountOther(Rect(32, 240, 48, 256), clRed), 0);
  EXPECT_EQ(GlyphAt(2, 15), clRed);

  // At 24 the cells are 10 pixels; the pen plays no part.
  Size(24);
  editor.N31Click();
  editor.SetBackgroundIndex(12);
  Stroke({{255, 9}});
  EXPECT_EQ(CountColor(clBlue), 60) << "the last cell of a row is cut by the surface's edge";
  EXPECT_EQ(CountOther(Rect(250, 0, 256, 10), clBlue), 0);
}

TEST_F(EditorTest, TextIsPlacedBySeventhsAndFifthsInTheFontColourOnATransparentGround) {
  editor.SetBackgroundIndex(9);
  // A dark surface, so that an opaque text cell would show.
  editor.Fill1Click();
  ASSERT_EQ(CountColor(clRed), 256 * 256);
  editor.Text1Click();
  Stroke({{128, 120}});

  // The same letter drawn alone at the origin, then moved to where the tool put its cell.
  TBitmap alone;
  alone.SetWidth(SurfaceSize);
  alone.SetHeight(SurfaceSize);
  TCanvas& c = alone.Canvas();
  c.Font().Assign(editor.pic().Canvas().Font());
  const int w = c.TextWidth("B"), h = c.TextHeight("B");
  ASSERT_GT(w, 50);
  c.Brush().SetStyle(TBrushStyle::bsClear);
  c.TextOut(0, 0, "B");
  const int left = 128 - w / 7, top = 120 - h / 5;
  int letter = 0;
  for (int y = 0; y < SurfaceSize; ++y)
    for (int x = 0; x < SurfaceSize; ++x) {
      const bool ink = alone.Canvas().Pixel(x - left, y - top) == clBlack;
      letter += ink;
      ASSERT_EQ(At(x, y), ink ? clBlack : clRed) << x << "," << y;
    }
  EXPECT_GT(letter, 1000);

  // The brush is white after a text stroke, and solid again.
  EXPECT_EQ(editor.pic().Canvas().Brush().Color(), clWhite);
  EXPECT_EQ(editor.pic().Canvas().Brush().Style(), TBrushStyle::bsSolid);
  EXPECT_EQ(GlyphPixels(), ReductionOfSurface());
}

TEST_F(EditorTest, TextTakesTheFontColourNotThePalette) {
  TFontChoice font = FontChoiceOf(editor.FontDialogFont());
  font.Color = clBlue;
  font.Size = 40;
  TScriptedDialogs dialogs;
  dialogs.FontAnswers.push_back(font);
  editor.Text2Click(dialogs);
  editor.SetForegroundIndex(9);
  editor.Text1Click();
  Stroke({{100, 100}});
  EXPECT_GT(CountColor(clBlue), 50);
  EXPECT_EQ(CountColor(clRed), 0);
}

TEST_F(EditorTest, FloodFillRepaintsTheOneColouredAreaUnderThePoint) {
  editor.Rectangle1Click();
  editor.Clear2Click();
  Stroke({{40, 40}, {200, 200}});
  editor.Flood1Click();
  // The brush colour is white already: nothing changes.
  const std::vector<TColor> before = SurfacePixels();
  Stroke({{120, 120}});
  EXPECT_EQ(SurfacePixels(), before);

  editor.SetBackgroundIndex(10);
  Stroke({{120, 120}});
  EXPECT_EQ(At(120, 120), clLime);
  EXPECT_EQ(At(10, 10), clWhite) << "the outline holds the fill";
  EXPECT_EQ(At(40, 120), clBlack);
  EXPECT_EQ(GlyphAt(7, 7), clLime);
}

TEST_F(EditorTest, ClearBrushDrawsOutlinesOnlyAndFillsNothing) {
  editor.SetBackgroundIndex(9);
  editor.Clear2Click();
  for (void (TGlyphEditor::*tool)() :
       {&TGlyphEditor::Rectangle1Click, &TGlyphEditor::RoundRectangle1Click, &TGlyphEditor::Ellipse1Click}) {
    editor.Clear1Click();
    editor.Clear2Click();
    (editor.*tool)();
    Stroke({{40, 40}, {120, 150}, {200, 200}});
    EXPECT_EQ(At(120, 120), clWhite);
    EXPECT_GT(CountColor(clBlack), 1000);
    EXPECT_EQ(CountColor(clRed), 0);
  }
  const std::vector<TColor> before = SurfacePixels();
  editor.Flood1Click();
  Stroke({{120, 120}});
  editor.Block1Click();
  Stroke({{120, 120}});
  EXPECT_EQ(SurfacePixels(), before);

  // With a solid brush the same figure is filled.
  editor.SetBackgroundIndex(10);
  editor.SetBackgroundIndex(9);
  editor.Rectangle1Click();
  Stroke({{40, 40}, {200, 200}});
  EXPECT_EQ(At(120, 120), clRed);
}

TEST_F(EditorTest, RubberBandsThatWanderEndAsOnesThatWentStraight) {
  editor.SetBackgroundIndex(11);
  editor.N31Click();
  for (void (TGlyphEditor::*tool)() : {&TGlyphEditor::Line1Click, &TGlyphEditor::Rectangle1Click,
                                       &TGlyphEditor::RoundRectangle1Click, &TGlyphEditor::Ellipse1Click}) {
    // Clear leaves a white brush; choosing another cell and back brings yellow again.
    editor.Clear1Click();
    editor.SetBackgroundIndex(10);
    editor.SetBackgroundIndex(11);
    (editor.*tool)();
    Stroke({{50, 60}, {100, 120}, {30, 250}, {180, 90}, {200, 210}});
    const std::vector<TColor> wandered = SurfacePixels();
    editor.Clear1Click();
    editor.SetBackgroundIndex(10);
    editor.SetBackgroundIndex(11);
    Stroke({{50, 60}, {200, 210}});
    EXPECT_EQ(SurfacePixels(), wandered) << editor.ToolName();
    EXPECT_EQ(editor.pic().Canvas().Pen().Mode(), TPenMode::pmCopy);
  }
}

TEST_F(EditorTest, AReleaseAwayFromTheLastMoveTakesTheLastBandBack) {
  editor.Rectangle1Click();
  editor.picMouseDown(50, 60);
  editor.picMouseMove(200, 210);
  EXPECT_EQ(editor.pic().Canvas().Pen().Mode(), TPenMode::pmNotXor);
  EXPECT_EQ(editor.LastPoint(), (TPoint{200, 210}));
  editor.picMouseUp(100, 100);
  EXPECT_EQ(At(200, 150), clWhite) << "the last band's right edge is gone";
  EXPECT_EQ(At(75, 80), clWhite);
  EXPECT_EQ(At(100, 80), clBlack) << "the final rectangle's right edge";

  // The first move draws the degenerate line from the press point to itself, a round dot of
  // the pen, and it stays: under the band's round start it inverts the press point back.
  editor.Clear1Click();
  editor.Line1Click();
  editor.picMouseDown(30, 30);
  editor.picMouseMove(200, 30);
  EXPECT_EQ(At(30, 30), clWhite);
  EXPECT_EQ(At(100, 30), clBlack);
  editor.picMouseMove(30, 200);
  EXPECT_EQ(At(30, 30), clWhite);
  EXPECT_EQ(At(100, 30), clWhite) << "the previous band is taken back";
  EXPECT_EQ(At(30, 100), clBlack);
}

TEST_F(EditorTest, TheGlyphFollowsEveryMoveAndTheAreasCoverEveryChange) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coordinate(-40, 300);
  editor.SetForegroundIndex(4);
  editor.SetBackgroundIndex(13);
  for (int size : {16, 24, 32}) {
    Size(size);
    editor.N31Click();
    for (void (TGlyphEditor::*tool)() :
         {&TGlyphEditor::Free1Click, &TGlyphEditor::Line1Click, &TGlyphEditor::Rectangle1Click,
          &TGlyphEditor::RoundRectangle1Click, &TGlyphEditor::Ellipse1Click, &TGlyphEditor::Block1Click,
          &TGlyphEditor::Flood1Click}) {
      (editor.*tool)();
      std::vector<TColor> before = SurfacePixels();
      auto check = [&] {
        const std::vector<TColor> after = SurfacePixels();
        for (int i = 0; i < SurfaceSize * SurfaceSize; ++i) {
          if (after[static_cast<std::size_t>(i)] == before[static_cast<std::size_t>(i)]) continue;
          const int x = i % SurfaceSize, y = i / SurfaceSize;
          bool covered = false;
          for (const TRect& r : view.SurfaceAreas) covered = covered || Inside(r, x, y);
          ASSERT_TRUE(covered) << editor.ToolName() << " changed " << x << "," << y << " unreported";
        }
        ASSERT_EQ(GlyphPixels(), ReductionOfSurface()) << editor.ToolName();
        view.SurfaceAreas.clear();
        before = after;
      };
      view.SurfaceAreas.clear();
      // A press changes nothing the window shows (a size change before it left the glyph alone).
      editor.picMouseDown(coordinate(random), coordinate(random));
      ASSERT_EQ(SurfacePixels(), before);
      for (int step = 0; step < 4; ++step) {
        editor.picMouseMove(coordinate(random), coordinate(random));
        check();
      }
      editor.picMouseUp(coordinate(random), coordinate(random));
      check();
    }
  }
}

TEST_F(EditorTest, AReleaseWhileIdleOnlyResetsTheModeAndRefreshes) {
  editor.Line1Click();
  editor.pic().Canvas().Pen().SetMode(TPenMode::pmNotXor);
  const int glyph = view.GlyphChanges, preview = view.PreviewChanges;
  editor.picMouseUp(100, 100);
  EXPECT_EQ(editor.pic().Canvas().Pen().Mode(), TPenMode::pmCopy);
  EXPECT_EQ(CountColor(clWhite), 256 * 256);
  EXPECT_GT(view.GlyphChanges, glyph);
  EXPECT_EQ(view.PreviewChanges, preview + 1);
  EXPECT_TRUE(view.SurfaceAreas.empty() || view.SurfaceAreas.size() == 1);
  // A move while idle does nothing at all.
  editor.picMouseMove(120, 120);
  EXPECT_EQ(view.GlyphChanges, glyph + 1);
  EXPECT_TRUE(editor.UndoBitmap().Empty());

  // At other sizes the release leaves the preview alone.
  Size(32);
  editor.picMouseUp(1, 1);
  EXPECT_EQ(view.PreviewChanges, preview + 1);
}

TEST(EditorTools, LookedUpByTheirExactIdentifier) {
  for (const char* name : {"freehand", "line", "rectangle", "roundrect", "ellipse", "block", "floodfill", "text"})
    EXPECT_NE(FindTool(name), nullptr) << name;
  EXPECT_NE(FindTool("line"), FindTool("rectangle"));
  for (const char* name : {"Line", "LINE", "line ", "", "round rectangle", "flood"}) EXPECT_EQ(FindTool(name), nullptr) << name;
}

TEST_F(EditorTest, EveryPressTakesTheUndoSnapshot) {
  editor.Rectangle1Click();
  Stroke({{20, 20}, {100, 100}});
  const std::vector<TColor> first = SurfacePixels();
  Stroke({{120, 120}, {240, 200}});
  ASSERT_NE(SurfacePixels(), first);
  editor.Undo1Click();
  EXPECT_EQ(SurfacePixels(), first);
  EXPECT_EQ(GlyphPixels(), ReductionOfSurface());
  editor.Undo1Click();
  EXPECT_EQ(SurfacePixels(), first) << "one level deep: a second Undo gives the same picture";

  // Clear and Fill take no snapshot: Undo after them goes back to before the last stroke.
  editor.Clear1Click();
  editor.Undo1Click();
  EXPECT_EQ(SurfacePixels(), first);
}

TEST_F(EditorTest, UndoBeforeAnyPressChangesNothing) {
  editor.SetBackgroundIndex(9);
  editor.Fill1Click();
  editor.Undo1Click();
  EXPECT_EQ(CountColor(clRed), 256 * 256);
  EXPECT_EQ(editor.pic().Width(), 256);
}

}  // namespace
}  // namespace gliffo::testing
