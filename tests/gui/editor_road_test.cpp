// The program's main road through both windows: a glyph opened from the grid, painted,
// written back and saved in a strip; and the editor's own commands through its menus.
#include <QLabel>
#include <QListView>
#include <QTest>
#include <fstream>

#include "collection/viewer.h"
#include "editor/qt/color_grid.h"
#include "editor/qt/image_control.h"
#include "editor/strings.h"
#include "glyphs/strings.h"
#include "gui_fixture.h"

namespace gliffo::testing {
namespace {

class EditorRoadTest : public GuiTest {
 protected:
  TGlyphEditor& Model() { return editor_->Model(); }
  void OpenStrip(const std::string& fileName) {
    dialogs_->OpenAnswers.push_back(std::vector<std::string>{fileName});
    window_->OpenCollection1->trigger();
  }
  void DoubleClickItem(int row) {
    QListView* view = window_->viewer;
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
  }
  void ClickSurface(int x, int y) {
    QTest::mousePress(editor_->pic, Qt::LeftButton, {}, QPoint(x, y));
    QTest::mouseRelease(editor_->pic, Qt::LeftButton, {}, QPoint(x, y));
  }
  void PickBackground(int index) {
    QTest::mouseClick(editor_->ColorGrid1, Qt::RightButton, {}, editor_->ColorGrid1->CellRect(index).center());
  }
  std::uint32_t CellPixel(int cell, int x, int y) {
    return Glyphs().ImageList1.CellPixels(cell)[y * Glyphs().ImageList1.Width() + x] & 0xFFFFFF;
  }
};

TEST_F(EditorRoadTest, DoubleClickPaintUpdateAndSaveTheStrip) {
  WriteStrip(Path("five.gbc"), 16, 5);
  StartWithEditor();
  window_->show();
  OpenStrip(Path("five.gbc"));

  window_->Image1->trigger();  // nothing selected: nothing happens
  EXPECT_FALSE(editor_->isVisible());

  DoubleClickItem(2);
  ASSERT_TRUE(editor_->isVisible());
  EXPECT_EQ(Model().Editor().Canvas().Pixel(5, 5), static_cast<TColor>(ColorToRGB(Model().pic().Canvas().Pixel(100, 100))));
  EXPECT_EQ(CellPixel(2, 5, 5), GlyphColor(2));
  const raster::ColorRef glyphColour = raster::MakeColorRef((GlyphColor(2) >> 16) & 0xFF, (GlyphColor(2) >> 8) & 0xFF, GlyphColor(2) & 0xFF);
  EXPECT_EQ(static_cast<raster::ColorRef>(Model().pic().Canvas().Pixel(255, 255)), glyphColour);

  PickBackground(9);
  editor_->Block1->trigger();
  ClickSurface(37, 250);
  EXPECT_EQ(Model().Editor().Canvas().Pixel(2, 15), clRed);

  TViewerModel& viewerModel = window_->viewer->Model();
  const int whole = viewerModel.WholeRedraws(), items = viewerModel.ItemRedraws();
  editor_->UpdateCollectionItem1->trigger();
  EXPECT_FALSE(editor_->isVisible());
  EXPECT_EQ(viewerModel.ItemRedraws(), items + 1);
  EXPECT_EQ(viewerModel.WholeRedraws(), whole);
  EXPECT_EQ(CellPixel(2, 2, 15), 0xFF0000u);
  EXPECT_EQ(CellPixel(2, 5, 5), GlyphColor(2));
  EXPECT_EQ(viewerModel.CellImage(2).pixel(2, 15) & 0xFFFFFF, 0xFF0000u);

  // Glyphs 1 and 2 saved as a strip and read back.
  window_->SelectAll1->trigger();
  window_->InvertSelection1->trigger();
  QItemSelection selection;
  for (int row : {1, 2}) selection.select(window_->viewer->model()->index(row, 0), window_->viewer->model()->index(row, 0));
  window_->viewer->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  dialogs_->SaveAnswers.push_back(Path("two.gbc"));
  window_->SaveCollection->trigger();
  TBitmap strip;
  strip.LoadFromFile(Path("two.gbc"));
  ASSERT_EQ(strip.Width(), 32);
  EXPECT_EQ(strip.PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(strip.Canvas().Pixel(16 + 2, 15), clRed);
  EXPECT_NE(strip.Canvas().Pixel(2, 15), clRed);
  EXPECT_TRUE(dialogs_->Log() == std::vector<std::string>({"open", "save"})) << dialogs_->Log().size();
}

TEST_F(EditorRoadTest, AddFromEditorOnAnEmptyListAndTheBmpEditorCommand) {
  StartWithEditor();
  PickBackground(12);
  editor_->Fill1->trigger();
  window_->AddfromEditor1->trigger();
  ASSERT_EQ(window_->viewer->model()->rowCount(), 1);
  EXPECT_EQ(window_->viewer->model()->index(0, 0).data().toString(), "0");
  EXPECT_TRUE(window_->bmp16->isChecked());
  EXPECT_FALSE(window_->bmp24->isEnabled());
  EXPECT_FALSE(window_->bmp32->isEnabled());
  EXPECT_EQ(CellPixel(0, 0, 0), 0x0000FFu);

  // "BMP &Editor" shows whatever the editor held, with a one-cell pen.
  editor_->N31->trigger();
  window_->BMPEditor1->trigger();
  EXPECT_TRUE(editor_->isVisible());
  EXPECT_EQ(Model().pic().Canvas().Pixel(128, 128), clBlue);
  EXPECT_EQ(Model().pic().Canvas().Pen().Width(), 16);
  EXPECT_TRUE(editor_->N31->isChecked());
}

// Strokes that were neither saved nor put into the list are asked about before anything
// replaces them: another glyph taken from the grid, a size change, quitting, a file opened.
TEST_F(EditorRoadTest, TheEditorAsksBeforeItsChangedGlyphIsReplaced) {
  WriteStrip(Path("five.gbc"), 16, 5);
  StartWithEditor();
  window_->AttachEditor(editor_.get(), editor_.get());
  window_->show();
  OpenStrip(Path("five.gbc"));
  DoubleClickItem(1);
  ASSERT_EQ(editor_->HeldGlyph1->text(), "Glyph 1 of five.gbc");
  PickBackground(9);
  editor_->Block1->trigger();
  ClickSurface(40, 40);  // glyph pixel (2, 2) red
  ASSERT_TRUE(Model().GlyphModified());
  const std::string putBack = std::string("ask:") + FormatMessage(texts::PutGlyphBack, 1);

  // Cancel: the editor keeps its glyph and its stroke.
  dialogs_->Calls.clear();
  DoubleClickItem(3);
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{putBack});
  EXPECT_EQ(editor_->HeldGlyph1->text(), "Glyph 1 of five.gbc");
  EXPECT_EQ(Model().Editor().Canvas().Pixel(2, 2), clRed);
  // Yes: the stroke goes back into glyph 1, and glyph 3 comes into the editor.
  dialogs_->ConfirmAnswers = {TDialogAnswer::Yes};
  DoubleClickItem(3);
  EXPECT_EQ(CellPixel(1, 2, 2), 0xFF0000u);
  EXPECT_TRUE(Glyphs().Modified());
  EXPECT_EQ(editor_->HeldGlyph1->text(), "Glyph 3 of five.gbc");
  EXPECT_FALSE(Model().GlyphModified());

  // A stroke stepped back out again leaves nothing to ask about.
  ClickSurface(40, 40);
  editor_->StepBackward1->trigger();
  dialogs_->Calls.clear();
  DoubleClickItem(4);
  EXPECT_TRUE(dialogs_->Calls.empty());

  // Quitting asks about the editor's glyph first, then about the list it may have changed;
  // Cancel in either keeps the program.
  ClickSurface(40, 40);
  dialogs_->ConfirmAnswers = {TDialogAnswer::No};
  EXPECT_FALSE(window_->close());
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{std::string("ask:") + FormatMessage(texts::PutGlyphBack, 4),
                                                       std::string("ask:") + texts::SaveChanges}));
  EXPECT_TRUE(window_->isVisible());

  // A size change (open once the list is closed) gives the editor a new glyph: asked first,
  // Cancel keeps the size.
  dialogs_->ConfirmAnswers = {TDialogAnswer::No};
  window_->Close1->trigger();
  ASSERT_EQ(Glyphs().Items.Count(), 0);
  dialogs_->Calls.clear();
  window_->bmp24->trigger();
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{std::string("ask:") + texts::AddGlyphToList});
  EXPECT_EQ(window_->GlyphSize(), 16);
  EXPECT_TRUE(window_->bmp16->isChecked());

  // A glyph from a file is saved back to that file on Yes.
  dialogs_->ConfirmAnswers = {TDialogAnswer::No};
  dialogs_->SaveAnswers = {Path("one.bmp")};
  editor_->SaveAs1->trigger();
  ClickSurface(200, 200);
  dialogs_->Calls.clear();
  dialogs_->ConfirmAnswers = {TDialogAnswer::Yes};
  dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path("one.bmp")});
  editor_->Open1->trigger();
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{
                                 std::string("ask:") + FormatMessage(texts::SaveGlyphToFile, Path("one.bmp")), "open"}));
  TBitmap saved;
  saved.LoadFromFile(Path("one.bmp"));
  EXPECT_EQ(saved.Canvas().Pixel(12, 12), clRed);
  EXPECT_EQ(editor_->HeldGlyph1->text(), "one.bmp");
}

TEST_F(EditorRoadTest, FileAndEditMenusThroughTheDialogsAndTheGuard) {
  StartWithEditor();
  window_->BMPEditor1->trigger();

  // An unreadable file: the reader's message in the error box; the editor as it was.
  PickBackground(10);
  editor_->Fill1->trigger();
  std::ofstream(Path("bad.bmp"), std::ios::binary) << "BM";
  dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path("bad.bmp")});
  dialogs_->ConfirmAnswers.push_back(TDialogAnswer::No);  // the filled glyph need not be kept
  editor_->Open1->trigger();
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{std::string("ask:") + texts::AddGlyphToList, "open",
                                                       "error:Stream read error."}));
  EXPECT_EQ(Model().pic().Canvas().Pixel(7, 7), clLime);
  EXPECT_TRUE(editor_->isVisible());

  // Save As, then Open of what was saved at another size is dropped silently.
  dialogs_->Calls.clear();
  dialogs_->SaveAnswers.push_back(Path("lime.bmp"));
  editor_->SaveAs1->trigger();
  EXPECT_EQ(dialogs_->Calls.at(0).Save.Filter, "BMP Files|*.bmp|PNG|*.png|32-bit BMP with alpha|*.bmp");
  TBitmap saved;
  saved.LoadFromFile(Path("lime.bmp"));
  EXPECT_EQ(saved.Canvas().Pixel(0, 0), clLime);
  window_->bmp24->trigger();
  dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path("lime.bmp")});
  editor_->Open1->trigger();
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{"save", "open"}));

  // A stroke, Undo from the menu, Text Caption and Text Font through the dialogs.
  window_->bmp16->trigger();
  editor_->Clear1->trigger();
  editor_->Free1->trigger();
  QTest::mousePress(editor_->pic, Qt::LeftButton, {}, QPoint(20, 20));
  QTest::mouseRelease(editor_->pic, Qt::LeftButton, {}, QPoint(20, 20));
  QTest::mousePress(editor_->pic, Qt::LeftButton, {}, QPoint(100, 100));
  QMouseEvent move(QEvent::MouseMove, QPointF(150, 100), editor_->pic->mapToGlobal(QPointF(150, 100)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(editor_->pic, &move);
  QTest::mouseRelease(editor_->pic, Qt::LeftButton, {}, QPoint(150, 100));
  ASSERT_EQ(Model().pic().Canvas().Pixel(120, 100), clBlack);
  editor_->Undo1->trigger();
  EXPECT_EQ(Model().pic().Canvas().Pixel(120, 100), clWhite);
  EXPECT_EQ(Model().Editor().Canvas().Pixel(7, 6), clWhite);

  dialogs_->InputAnswers.push_back(std::string("Q"));
  editor_->TextCaption1->trigger();
  EXPECT_EQ(Model().CaptionText(), "Q");
  EXPECT_EQ(dialogs_->LastInputCaption, "Gliffo Text");
  TFontChoice font;
  font.Name = "DejaVu Sans";
  font.Size = 30;
  dialogs_->FontAnswers.push_back(font);
  editor_->Text2->trigger();
  EXPECT_EQ(dialogs_->LastInitialFont.Name, "arial");
  EXPECT_EQ(Model().pic().Canvas().Font().Name(), "DejaVu Sans");
}

}  // namespace
}  // namespace gliffo::testing
