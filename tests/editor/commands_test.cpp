// The editor's File and Edit menus, and the glyph's way between the collection and the editor.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "editor/strings.h"
#include "glyphs/bitmap.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "tests/editor/editor_fixture.h"
#include "tests/scripted_dialogs.h"
#include "tests/temp_folder.h"

namespace gliffo::testing {
namespace {

std::vector<char> FileBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// A glyph of the given format with a diagonal of one colour on another, written as a file.
void WriteGlyph(const std::string& name, int size, TPixelFormat format, TColor ink, TColor ground) {
  TBitmap glyph;
  glyph.SetPixelFormat(format);
  glyph.SetWidth(size);
  glyph.SetHeight(size);
  glyph.Canvas().Brush().SetColor(ground);
  glyph.Canvas().FillRect(Rect(0, 0, size, size));
  glyph.Canvas().Brush().SetColor(ink);
  for (int i = 0; i < size; ++i) glyph.Canvas().FillRect(Rect(i, i, i + 1, i + 1));
  glyph.Canvas().FillRect(Rect(size - 3, 0, size, 2));
  glyph.SaveToFile(name);
}

class EditorCommandsTest : public EditorTest {
 protected:
  TScriptedDialogs dialogs;
  TempFolder folder;
};

TEST_F(EditorCommandsTest, OpenAndSaveAsAskForBmpFiles) {
  editor.Open1Click(dialogs);
  editor.SaveAs1Click(dialogs);
  ASSERT_EQ(dialogs.Log(), (std::vector<std::string>{"open", "save"}));
  EXPECT_EQ(dialogs.Calls[0].Open.Filter, "BMP Files|*.bmp|All Images|*.bmp;*.png;*.ico");
  EXPECT_EQ(dialogs.Calls[0].Open.DefaultExtension, "bmp");
  EXPECT_FALSE(dialogs.Calls[0].Open.MultiSelect);
  EXPECT_EQ(dialogs.Calls[1].Save.Filter, "BMP Files|*.bmp|PNG|*.png|32-bit BMP with alpha|*.bmp");
  EXPECT_EQ(dialogs.Calls[1].Save.DefaultExtension, "bmp");
}

TEST_F(EditorCommandsTest, OpenAndSaveAsRoundTripIndexedGlyphsByteForByte) {
  for (TPixelFormat format : {TPixelFormat::pf4bit, TPixelFormat::pf1bit}) {
    const std::string in = folder / "in.bmp", out = folder / "out.bmp";
    WriteGlyph(in, 16, format, clBlack, format == TPixelFormat::pf1bit ? clWhite : clTeal);
    dialogs.OpenAnswers.push_back(std::vector<std::string>{in});
    editor.Open1Click(dialogs);
    EXPECT_EQ(editor.Editor().PixelFormat(), format);
    EXPECT_EQ(At(0, 0), clBlack);
    EXPECT_EQ(At(20, 0), format == TPixelFormat::pf1bit ? clWhite : clTeal);
    EXPECT_EQ(At(255, 20), clBlack) << "each glyph pixel is a 16-pixel block on the surface";
    // A press and release that paint nothing reduce the surface into the glyph again.
    Stroke({{300, 300}});
    dialogs.SaveAnswers.push_back(out);
    editor.SaveAs1Click(dialogs);
    EXPECT_EQ(FileBytes(out), FileBytes(in));
  }
  // Chosen under the dialog's "32-bit BMP with alpha": 32 bits with a version 5 header, the
  // key colour (the bottom-left pixel's, the ground) at alpha 0, the diagonal's ink opaque;
  // read back as an alpha picture.
  const std::string alpha = folder / "alpha.bmp";
  dialogs.SaveAnswers.push_back(alpha);
  dialogs.SaveFilterAnswer = 3;
  editor.SaveAs1Click(dialogs);
  TBitmap written;
  written.LoadFromFile(alpha);
  EXPECT_EQ(FileBytes(alpha).size(), 14u + 124u + 16u * 16u * 4u);
  ASSERT_TRUE(written.HasAlpha());
  EXPECT_EQ(AlphaOf(OwnPixels(written.Image())[15 * 16]), 0);
  EXPECT_EQ(AlphaOf(OwnPixels(written.Image())[0]), 255);
}

TEST_F(EditorCommandsTest, AfterOpenReductionsMatchTheFilesColourTable) {
  const std::string in = folder / "in.bmp", out = folder / "out.bmp";
  WriteGlyph(in, 16, TPixelFormat::pf4bit, clNavy, clWhite);
  editor.OpenGlyphFile(in);
  editor.SetBackgroundIndex(9);
  editor.Block1Click();
  Stroke({{40, 40}});
  EXPECT_EQ(editor.Editor().PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(GlyphAt(2, 2), clRed);
  editor.SaveGlyphFile(out);
  TBitmap saved;
  saved.LoadFromFile(out);
  EXPECT_EQ(saved.PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(saved.Canvas().Pixel(2, 2), clRed);
  EXPECT_EQ(saved.Canvas().Pixel(5, 5), clNavy);
}

TEST_F(EditorCommandsTest, OpenLeavesTheSnapshotAndOtherSizesAlone) {
  const std::string sixteen = folder / "sixteen.bmp";
  WriteGlyph(sixteen, 16, TPixelFormat::pf24bit, clRed, clWhite);
  Stroke({{10, 10}, {100, 10}});
  const std::vector<TColor> stroked = SurfacePixels();
  Stroke({{10, 100}, {100, 100}});
  const int previews = view.PreviewChanges;

  Size(24);
  editor.Clear1Click();
  const std::vector<TColor> cleared = SurfacePixels();
  editor.OpenGlyphFile(sixteen);  // a 16 × 16 file at 24: dropped without a word
  EXPECT_EQ(SurfacePixels(), cleared);
  EXPECT_EQ(editor.Editor().PixelFormat(), TPixelFormat::pfDevice);

  Size(16);
  const int previewsBefore = view.PreviewChanges;
  editor.OpenGlyphFile(sixteen);
  EXPECT_EQ(At(0, 0), clRed);
  EXPECT_EQ(view.PreviewChanges, previewsBefore + 1);
  EXPECT_EQ(PreviewAt(0, 0), clRed) << "the preview shows the glyph opened";
  EXPECT_GE(previewsBefore, previews);
  editor.Undo1Click();
  EXPECT_EQ(SurfacePixels(), stroked) << "Open takes no snapshot: Undo goes back to before the last stroke";
  EXPECT_EQ(PreviewAt(0, 0), GlyphAt(0, 0)) << "and the preview follows the Undo";
}

TEST_F(EditorCommandsTest, AnUnreadableFileRaisesAndChangesNothing) {
  const std::string bad = folder / "bad.bmp";
  std::ofstream(bad) << "BMnot a bitmap at all";
  editor.SetBackgroundIndex(9);
  editor.Fill1Click();
  EXPECT_THROW(editor.OpenGlyphFile(bad), Exception);
  EXPECT_THROW(editor.OpenGlyphFile(folder / "missing.bmp"), Exception);
  EXPECT_EQ(CountColor(clRed), 256 * 256);
  EXPECT_EQ(GlyphAt(3, 3), clRed);
}

TEST_F(EditorCommandsTest, SaveAsWritesThirtyTwoBitsWhileDeviceDependent) {
  const std::string out = folder / "glyph.bmp";
  editor.SetBackgroundIndex(9);
  editor.Block1Click();
  Stroke({{0, 0}});
  editor.SaveGlyphFile(out);
  TBitmap saved;
  saved.LoadFromFile(out);
  EXPECT_EQ(saved.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(saved.Canvas().Pixel(0, 0), clRed);
  EXPECT_EQ(saved.Canvas().Pixel(1, 0), clWhite);

  // A folder that is not there: the writer's error, and no file.
  const std::string nowhere = folder / "missing/glyph.bmp";
  EXPECT_THROW(editor.SaveGlyphFile(nowhere), EFCreateError);
  EXPECT_FALSE(std::filesystem::exists(nowhere));
}

TEST_F(EditorCommandsTest, ClearAndFillCoverTheWholeGlyphWhateverTheBrush) {
  editor.SetForegroundIndex(4);
  editor.SetBackgroundIndex(11);
  editor.Clear2Click();  // "&Clear" in the Brush menu
  editor.Fill1Click();
  EXPECT_EQ(CountColor(clYellow), 256 * 256);
  EXPECT_EQ(GlyphPixels(), std::vector<TColor>(256, clYellow)) << "the reduction covers the foreground fill";
  EXPECT_EQ(editor.pic().Canvas().Brush().Style(), TBrushStyle::bsSolid);
  EXPECT_EQ(editor.Editor().Canvas().Brush().Color(), clNavy);
  EXPECT_EQ(PreviewAt(0, 0), clYellow);

  // The glyph's own brush fills what a resize adds.
  Size(24);
  EXPECT_EQ(GlyphAt(20, 20), clNavy);
  EXPECT_EQ(GlyphAt(3, 3), clYellow);

  editor.Clear1Click();
  EXPECT_EQ(CountColor(clWhite), 256 * 256);
  EXPECT_EQ(editor.pic().Canvas().Brush().Color(), clWhite) << "solid white until the palette changes";
  EXPECT_EQ(editor.Editor().Canvas().Brush().Color(), clWhite);
  EXPECT_EQ(GlyphPixels(), std::vector<TColor>(24 * 24, clWhite));
  EXPECT_EQ(editor.PreviewGlyph().Width(), 24) << "Clear copies to the preview at every size";
}

TEST_F(EditorCommandsTest, TextFontStartsFromTheDialogsLastFont) {
  TFontChoice chosen;
  chosen.Name = "DejaVu Sans";
  chosen.Size = 60;
  chosen.Bold = true;
  chosen.Color = clGreen;
  dialogs.FontAnswers.push_back(chosen);
  editor.Text2Click(dialogs);
  EXPECT_EQ(dialogs.LastInitialFont.Name, "arial");
  EXPECT_EQ(dialogs.LastInitialFont.Size, 144);
  const TFont& surface = editor.pic().Canvas().Font();
  EXPECT_EQ(surface.Name(), "DejaVu Sans");
  EXPECT_EQ(surface.Size(), 60);
  EXPECT_TRUE(surface.Style().contains(TFontStyle::fsBold));
  EXPECT_EQ(surface.Color(), clGreen);

  editor.Text2Click(dialogs);  // cancelled
  EXPECT_EQ(dialogs.LastInitialFont.Name, "DejaVu Sans");
  EXPECT_TRUE(dialogs.LastInitialFont.Bold);
  EXPECT_EQ(dialogs.LastInitialFont.Color, clGreen);
  EXPECT_EQ(surface.Size(), 60);
}

TEST_F(EditorCommandsTest, TextCaptionKeepsTheDefaultOnCancelAndTakesAnEmptyText) {
  editor.TextCaption1Click(dialogs);
  EXPECT_EQ(dialogs.Log(), std::vector<std::string>{"input:Enter Caption"});
  EXPECT_EQ(dialogs.LastInputCaption, "Gliffo Text");
  EXPECT_EQ(dialogs.LastInputDefault, "B");
  EXPECT_EQ(editor.CaptionText(), "B");
  dialogs.InputAnswers.push_back(std::string("OK"));
  editor.TextCaption1Click(dialogs);
  EXPECT_EQ(editor.CaptionText(), "OK");
  dialogs.InputAnswers.push_back(std::string());
  editor.TextCaption1Click(dialogs);
  EXPECT_EQ(editor.CaptionText(), "");
  editor.Text1Click();
  Stroke({{100, 100}});
  EXPECT_EQ(CountColor(clWhite), 256 * 256);
}

// A list of glyphs of one colour each, as opening a strip leaves it.
void FillList(TGlyphCollection& glyphs, int count) {
  TBitmap strip;
  strip.SetWidth(16 * count);
  strip.SetHeight(16);
  for (int k = 0; k < count; ++k) {
    strip.Canvas().Brush().SetColor(PaletteColors()[static_cast<std::size_t>(k % 16)]);
    strip.Canvas().FillRect(Rect(16 * k, 0, 16 * k + 16, 16));
  }
  glyphs.ImageList1.Add(strip);
  TUpdateBracket bracket(glyphs.Items);
  glyphs.RebuildNumberedItems();
}

TEST_F(EditorCommandsTest, AGlyphGoesIntoTheEditorAndBackIntoTheList) {
  FillList(glyphs, 5);
  editor.N31Click();
  editor.picMouseDown(1, 1);
  editor.picMouseUp(1, 1);
  editor.EditGlyph(glyphs.ImageList1, 2);
  EXPECT_EQ(view.Events, std::vector<std::string>{"show"});
  EXPECT_EQ(CountColor(clGreen), 256 * 256);
  EXPECT_EQ(GlyphPixels(), std::vector<TColor>(256, clGreen));
  EXPECT_EQ(PreviewAt(5, 5), clGreen);
  EXPECT_EQ(editor.pic().Canvas().Pen().Width(), 16);
  editor.Undo1Click();
  EXPECT_EQ(At(100, 100), clWhite) << "loading a glyph takes no snapshot";

  editor.EditGlyph(glyphs.ImageList1, 2);
  editor.SetBackgroundIndex(9);
  editor.Block1Click();
  Stroke({{37, 250}});

  // Nothing selected: the editor stays as it is.
  editor.UpdateCollectionItem1Click();
  EXPECT_EQ(view.Events, (std::vector<std::string>{"show", "show"}));

  glyphs.Items.Item(2).SetSelected(true);
  glyphs.Items.Item(4).SetSelected(true);
  editor.UpdateCollectionItem1Click();
  EXPECT_EQ(view.Events, (std::vector<std::string>{"show", "show", "hide"}));
  const std::uint32_t* cell = glyphs.ImageList1.CellPixels(2);
  EXPECT_EQ(cell[15 * 16 + 2] & 0xFFFFFF, 0xFF0000u) << "the red block, in the cell's blue-green-red order";
  EXPECT_EQ(cell[0] & 0xFFFFFF, 0x008000u);
  EXPECT_EQ(glyphs.ImageList1.CellPixels(4)[0] & 0xFFFFFF, 0x000080u) << "only the first selected item";
}

TEST_F(EditorCommandsTest, AddFromEditorOnAnEmptyListLocksTheModeMenu) {
  editor.SetBackgroundIndex(12);
  editor.Fill1Click();
  glyphs.AddfromEditor();
  ASSERT_EQ(glyphs.Items.Count(), 1);
  EXPECT_EQ(glyphs.Items.Item(0).Caption(), "0");
  EXPECT_TRUE(glyphs.ModeMenu.bmp16().Checked);
  EXPECT_FALSE(glyphs.ModeMenu.bmp24().Enabled);
  EXPECT_FALSE(glyphs.ModeMenu.bmp32().Enabled);
  EXPECT_EQ(glyphs.ImageList1.CellPixels(0)[0] & 0xFFFFFF, 0x0000FFu);
}

}  // namespace
}  // namespace gliffo::testing
