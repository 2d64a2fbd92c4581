// The editor's start, its palette, its menus' radio groups and the glyph size's reach into it.
#include "editor/strings.h"
#include "tests/editor/editor_fixture.h"

namespace gliffo::testing {
namespace {

TEST_F(EditorTest, StartsWhiteWithAOneCellBlackPenAndTheDefaultTextTool) {
  EXPECT_EQ(editor.ToolName(), "freehand");
  EXPECT_FALSE(editor.Drawing());
  EXPECT_EQ(editor.StartPoint(), (TPoint{0, 0}));
  EXPECT_EQ(editor.LastPoint(), (TPoint{0, 0}));
  EXPECT_EQ(editor.CaptionText(), "B");
  EXPECT_TRUE(editor.UndoBitmap().Empty());
  EXPECT_EQ(editor.SymbolItem(), TSymbolItem::Free1);
  EXPECT_EQ(editor.PenItem(), TPenItem::N11);

  TCanvas& surface = editor.pic().Canvas();
  EXPECT_EQ(editor.pic().Width(), 256);
  EXPECT_EQ(editor.pic().Height(), 256);
  EXPECT_EQ(editor.pic().PixelFormat(), TPixelFormat::pfDevice);
  EXPECT_EQ(CountColor(clWhite), 256 * 256);
  EXPECT_EQ(surface.Pen().Width(), 16);
  EXPECT_EQ(surface.Pen().Color(), clBlack);
  EXPECT_EQ(surface.Pen().Mode(), TPenMode::pmCopy);
  EXPECT_EQ(surface.Brush().Color(), clWhite);
  EXPECT_EQ(surface.Brush().Style(), TBrushStyle::bsSolid);
  EXPECT_EQ(surface.Font().Name(), "arial");
  EXPECT_EQ(surface.Font().Size(), 144);
  EXPECT_EQ(editor.FontDialogFont().Name(), "arial");
  EXPECT_EQ(editor.FontDialogFont().Size(), 144);

  EXPECT_EQ(editor.Editor().Width(), 16);
  EXPECT_EQ(editor.Editor().Height(), 16);
  EXPECT_EQ(editor.EditorControlWidth(), 16);
  EXPECT_EQ(GlyphPixels(), std::vector<TColor>(256, clWhite));
  EXPECT_EQ(editor.ForegroundIndex(), 0);
  EXPECT_EQ(editor.BackgroundIndex(), 15);
}

TEST(EditorCreation, PlacementIsRestoredAfterTheToolAndBeforeTheFont) {
  TGlyphCollection glyphs;
  TGlyphEditor editor(glyphs);
  std::string toolThen, fontThen;
  int surfacePenThen = 0;
  editor.FormCreate([&] {
    toolThen = editor.ToolName();
    fontThen = editor.FontDialogFont().Name();
    surfacePenThen = editor.pic().Canvas().Pen().Width();
  });
  EXPECT_EQ(toolThen, "freehand");
  EXPECT_NE(fontThen, "arial");
  EXPECT_EQ(surfacePenThen, 16);

  bool undoGoneFirst = false;
  editor.picMouseDown(3, 3);
  ASSERT_FALSE(editor.UndoBitmap().Empty());
  editor.FormDestroy([&] { undoGoneFirst = editor.UndoBitmap().Empty(); });
  EXPECT_TRUE(undoGoneFirst);
}

TEST(EditorPalette, GridOrderSwapsSilverAndGrayAgainstTheSystemPalette) {
  const auto& colors = PaletteColors();
  const std::vector<TColor> expected = {clBlack, clMaroon, clGreen, clOlive, clNavy,    clPurple, clTeal, clSilver,
                                        clGray,  clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};
  EXPECT_EQ(std::vector<TColor>(colors.begin(), colors.end()), expected);

  // 8 columns by 2 rows; colour i at column i mod 8, row i div 8.
  EXPECT_EQ(PaletteCellAt(0, 0, 200, 40), 0);
  EXPECT_EQ(PaletteCellAt(199, 19, 200, 40), 7);
  EXPECT_EQ(PaletteCellAt(24, 20, 200, 40), 8);
  EXPECT_EQ(PaletteCellAt(25, 39, 200, 40), 9);
  EXPECT_EQ(PaletteCellAt(199, 39, 200, 40), 15);
  EXPECT_EQ(PaletteCellAt(200, 10, 200, 40), -1);
  EXPECT_EQ(PaletteCellAt(-1, 10, 200, 40), -1);
  EXPECT_EQ(PaletteCellAt(5, 5, 0, 0), -1);

  EXPECT_EQ(PaletteMark(0, 0, 15), "FG");
  EXPECT_EQ(PaletteMark(15, 0, 15), "BG");
  EXPECT_EQ(PaletteMark(4, 4, 4), "FB");
  EXPECT_EQ(PaletteMark(3, 0, 15), "");
}

TEST_F(EditorTest, PaletteChangesSetPenAndBrushOncePerChange) {
  TCanvas& surface = editor.pic().Canvas();
  editor.SetForegroundIndex(9);
  EXPECT_EQ(surface.Pen().Color(), clRed);
  EXPECT_EQ(view.PaletteChanges, 1);
  editor.SetForegroundIndex(9);  // the same cell again: no change, no event
  EXPECT_EQ(view.PaletteChanges, 1);
  editor.SetBackgroundIndex(7);
  EXPECT_EQ(surface.Brush().Color(), clSilver);
  EXPECT_EQ(view.PaletteChanges, 2);
  editor.SetBackgroundIndex(16);
  editor.SetForegroundIndex(-1);
  EXPECT_EQ(view.PaletteChanges, 2);
  EXPECT_EQ(editor.ForegroundIndex(), 9);

  // "&Clear" then "&Solid" leaves a solid white brush until the palette changes again.
  editor.Clear2Click();
  EXPECT_EQ(surface.Brush().Style(), TBrushStyle::bsClear);
  editor.Solid1Click();
  EXPECT_EQ(surface.Brush().Style(), TBrushStyle::bsSolid);
  EXPECT_EQ(surface.Brush().Color(), clWhite);
  editor.SetForegroundIndex(2);
  EXPECT_EQ(surface.Brush().Color(), clSilver) << "any palette change brings the background colour back";

  // Choosing a colour makes a clear brush solid.
  editor.Clear2Click();
  editor.SetBackgroundIndex(12);
  EXPECT_EQ(surface.Brush().Style(), TBrushStyle::bsSolid);
  EXPECT_EQ(surface.Brush().Color(), clBlue);
}

TEST_F(EditorTest, RadioGroupsAndPenWidthsInCells) {
  editor.N31Click();
  EXPECT_EQ(editor.PenItem(), TPenItem::N31);
  EXPECT_EQ(editor.pic().Canvas().Pen().Width(), 48);  // three glyph pixels at size 16
  editor.N21Click();
  EXPECT_EQ(editor.pic().Canvas().Pen().Width(), 32);

  const std::pair<void (TGlyphEditor::*)(), std::pair<const char*, TSymbolItem>> items[] = {
      {&TGlyphEditor::Block1Click, {"block", TSymbolItem::Block1}},
      {&TGlyphEditor::Line1Click, {"line", TSymbolItem::Line1}},
      {&TGlyphEditor::Ellipse1Click, {"ellipse", TSymbolItem::Ellipse1}},
      {&TGlyphEditor::Rectangle1Click, {"rectangle", TSymbolItem::Rectangle1}},
      {&TGlyphEditor::RoundRectangle1Click, {"roundrect", TSymbolItem::RoundRectangle1}},
      {&TGlyphEditor::Flood1Click, {"floodfill", TSymbolItem::Flood1}},
      {&TGlyphEditor::Text1Click, {"text", TSymbolItem::Text1}},
      {&TGlyphEditor::Free1Click, {"freehand", TSymbolItem::Free1}}};
  for (const auto& [handler, expected] : items) {
    (editor.*handler)();
    EXPECT_EQ(editor.ToolName(), expected.first);
    EXPECT_EQ(editor.SymbolItem(), expected.second);
  }
  EXPECT_EQ(view.MenuChanges, 2 + 8);

  // Each mode size: its cell, and pen widths in whole cells.
  for (auto [size, cell] : {std::pair{24, 10}, std::pair{32, 8}, std::pair{16, 16}}) {
    const TPenItem checked = editor.PenItem();
    Size(size);
    EXPECT_EQ(editor.CellScale(), cell);
    EXPECT_EQ(editor.Editor().Width(), size);
    EXPECT_EQ(editor.EditorControlHeight(), size);
    EXPECT_EQ(editor.pic().Canvas().Pen().Width(), cell) << "the glyph size resets the pen to one cell";
    EXPECT_EQ(editor.PenItem(), checked) << "without moving the check mark";
    editor.N31Click();
    EXPECT_EQ(editor.pic().Canvas().Pen().Width(), 3 * cell);
  }
}

TEST_F(EditorTest, ShowingTheEditorBringsThePenBackToOneCell) {
  editor.N31Click();
  editor.ShowEditor();
  EXPECT_EQ(editor.pic().Canvas().Pen().Width(), 16);
  EXPECT_EQ(editor.PenItem(), TPenItem::N31);
  EXPECT_EQ(view.Events, std::vector<std::string>{"show"});

  glyphs.ImageList1.Add(editor.Editor());
  editor.N31Click();
  editor.EditGlyph(glyphs.ImageList1, 0);
  EXPECT_EQ(editor.pic().Canvas().Pen().Width(), 16);
  EXPECT_EQ(view.Events, (std::vector<std::string>{"show", "show"}));
}

TEST_F(EditorTest, GlyphsLargerThanTheSurfaceGetOnePixelCells) {
  Size(300);
  EXPECT_EQ(editor.CellScale(), 1);
  EXPECT_EQ(editor.pic().Canvas().Pen().Width(), 1);
  EXPECT_EQ(editor.Editor().Width(), 300);
  editor.N31Click();
  EXPECT_EQ(editor.pic().Canvas().Pen().Width(), 3);
  editor.Block1Click();
  Stroke({{10, 11}});
  EXPECT_EQ(At(10, 11), clWhite) << "a block in the white brush";
  editor.SetBackgroundIndex(9);
  Stroke({{10, 11}});
  EXPECT_EQ(At(10, 11), clRed);
  EXPECT_EQ(CountOther(Rect(0, 0, 256, 256), clWhite), 1);
}

TEST_F(EditorTest, PreviewTakesTheGlyphOnlyAtSixteen) {
  editor.SetBackgroundIndex(9);
  editor.Fill1Click();
  ASSERT_EQ(view.PreviewChanges, 1);
  editor.testbtnClick();
  EXPECT_EQ(view.PreviewChanges, 2);
  EXPECT_EQ(editor.PreviewGlyph().Width(), 16);
  Size(24);
  editor.testbtnClick();
  EXPECT_EQ(view.PreviewChanges, 2);
  EXPECT_EQ(editor.PreviewGlyph().Width(), 16);
}

}  // namespace
}  // namespace gliffo::testing
