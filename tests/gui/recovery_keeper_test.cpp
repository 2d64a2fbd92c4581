// Work that is never lost: while the list or the editor holds unsaved changes a recovery copy
// is kept, a run that died leaves it for the next start to offer, and a proper end leaves none.
#include <QLabel>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/recovery_keeper.h"
#include "collection/set_view.h"
#include "collection/viewer.h"
#include "editor/qt/image_control.h"
#include "glyphs/recovery.h"
#include "glyphs/strings.h"
#include "gui_fixture.h"

namespace gliffo::testing {
namespace {

class RecoveryKeeperTest : public GuiTest {
 protected:
  std::string Root() const { return (dir_ / "state").string(); }
  void Open(const std::string& name) {
    dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path(name)});
    window_->OpenCollection1->trigger();
  }
  // Looks as the timer does, and waits for the copy to be on disk.
  void Keep(TRecoveryKeeper& keeper) {
    keeper.Tick();
    keeper.Wait();
  }
  void Stroke(QPoint from, QPoint to) {
    QTest::mousePress(editor_->pic, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), editor_->pic->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor_->pic, &move);
    QTest::mouseRelease(editor_->pic, Qt::LeftButton, {}, to);
  }
  std::uint32_t CellPixel(int cell, int x, int y) {
    return Glyphs().ImageList1.CellPixels(cell)[y * Glyphs().ImageList1.Width() + x] & 0xFFFFFF;
  }
};

TEST_F(RecoveryKeeperTest, ARunThatDiedIsOfferedAndYesBringsItsWorkBack) {
  WriteStrip(Path("four.gbc"), 16, 4);
  StartWithEditor();
  window_->AttachEditor(editor_.get(), editor_.get());
  window_->show();
  Open("four.gbc");
  {
    TRecoveryKeeper keeper(*window_, editor_->Model(), Root());
    Keep(keeper);
    EXPECT_EQ(keeper.CopiesWritten(), 0) << "a clean list needs no copy";
    // A glyph added from the editor, then a stroke in the editor on glyph 2.
    window_->AddfromEditor1->trigger();
    window_->viewer->setFocus();
    Glyphs().Items.Item(2).SetSelected(true);
    window_->Image1->trigger();
    editor_->Model().SetForegroundIndex(9);
    Stroke(QPoint(8, 8), QPoint(248, 248));
    ASSERT_TRUE(editor_->Model().GlyphModified());
    // Nothing is captured while a stroke is under way.
    QTest::mousePress(editor_->pic, Qt::LeftButton, {}, QPoint(100, 8));
    Keep(keeper);
    EXPECT_EQ(keeper.CopiesWritten(), 0);
    QTest::mouseRelease(editor_->pic, Qt::LeftButton, {}, QPoint(100, 8));
    Keep(keeper);
    EXPECT_EQ(keeper.CopiesWritten(), 1);
    Keep(keeper);
    EXPECT_EQ(keeper.CopiesWritten(), 1) << "nothing changed since";
  }  // the run dies here: no Finish
  Stop();

  StartWithEditor();
  window_->AttachEditor(editor_.get(), editor_.get());
  window_->show();
  dialogs_->ConfirmAnswers = {TDialogAnswer::Yes};
  ASSERT_TRUE(OfferLeftRecoveries(Root(), *window_, editor_->Model(), *dialogs_));
  ASSERT_EQ(dialogs_->Calls.size(), 1u);
  EXPECT_EQ(dialogs_->Calls[0].Kind, "confirm");
  EXPECT_NE(dialogs_->Calls[0].Text.find("the list of 5 glyphs from " + Path("four.gbc")), std::string::npos)
      << dialogs_->Calls[0].Text;
  EXPECT_NE(dialogs_->Calls[0].Text.find(texts::RecoveryEditorGlyph), std::string::npos);
  EXPECT_EQ(Glyphs().Items.Count(), 5);
  EXPECT_EQ(CellPixel(4, 3, 3), 0xFFFFFFu) << "the glyph added from the fresh (white) editor is back";
  EXPECT_EQ(CellPixel(1, 3, 3), GlyphColor(1));
  EXPECT_TRUE(Glyphs().Modified());
  EXPECT_EQ(window_->windowTitle().toStdString(), "Gliffo 2 - *four.gbc");
  EXPECT_TRUE(editor_->isVisible());
  EXPECT_TRUE(editor_->Model().GlyphModified());
  EXPECT_EQ(editor_->Model().Editor().Canvas().Pixel(8, 8), clRed);
  EXPECT_EQ(editor_->HeldGlyph1->text(), "Glyph 2 of four.gbc");
  // The copy was taken over: no second start offers it again.
  EXPECT_TRUE(FindLeftRecoveries(Root()).empty());
}

TEST_F(RecoveryKeeperTest, NoDiscardsTheCopyAndAProperEndOrASaveLeavesNone) {
  WriteStrip(Path("four.gbc"), 16, 4);
  StartWithEditor();
  Open("four.gbc");
  {
    TRecoveryKeeper keeper(*window_, editor_->Model(), Root());
    window_->AddfromEditor1->trigger();
    Keep(keeper);
    ASSERT_EQ(keeper.CopiesWritten(), 1);
    // Saved: the copy goes, the folder stays for the next change.
    Glyphs().SelectAll();
    dialogs_->SaveAnswers = {Path("all.gbc")};
    window_->SaveCollection->trigger();
    ASSERT_FALSE(Glyphs().Modified());
    Keep(keeper);
    EXPECT_TRUE(fs::exists(keeper.Folder()));
    EXPECT_FALSE(fs::exists(fs::path(keeper.Folder()) / "recovery.ini"));
    window_->AddfromEditor1->trigger();
    Keep(keeper);
    EXPECT_EQ(keeper.CopiesWritten(), 2);
  }
  dialogs_->Calls.clear();
  dialogs_->ConfirmAnswers = {TDialogAnswer::No};
  EXPECT_FALSE(OfferLeftRecoveries(Root(), *window_, editor_->Model(), *dialogs_));
  EXPECT_EQ(dialogs_->Calls.size(), 1u);
  EXPECT_TRUE(FindLeftRecoveries(Root()).empty()) << "No discards the copy";

  std::string folder;
  {
    TRecoveryKeeper keeper(*window_, editor_->Model(), Root());
    window_->AddfromEditor1->trigger();
    Keep(keeper);
    folder = keeper.Folder();
    keeper.Finish();
  }
  EXPECT_FALSE(fs::exists(folder)) << "a proper end leaves no copy";
}

// Only the editor unsaved, at 24 pixels with the list empty: the size comes back with it.
TEST_F(RecoveryKeeperTest, AnEditorGlyphOfAnotherSizeComesBackAtItsSize) {
  StartWithEditor();
  window_->bmp24->trigger();
  {
    TRecoveryKeeper keeper(*window_, editor_->Model(), Root());
    editor_->Model().SetForegroundIndex(9);
    Stroke(QPoint(5, 5), QPoint(200, 5));
    Keep(keeper);
    ASSERT_EQ(keeper.CopiesWritten(), 1);
  }
  Stop();
  StartWithEditor();
  dialogs_->ConfirmAnswers = {TDialogAnswer::Yes};
  ASSERT_TRUE(OfferLeftRecoveries(Root(), *window_, editor_->Model(), *dialogs_));
  EXPECT_EQ(window_->GlyphSize(), 24);
  EXPECT_TRUE(window_->bmp24->isChecked());
  EXPECT_EQ(editor_->Model().Editor().Width(), 24);
  EXPECT_EQ(editor_->Model().Editor().Canvas().Pixel(10, 0), clRed);
  EXPECT_TRUE(editor_->Model().GlyphModified());
  EXPECT_FALSE(Glyphs().Modified());
}

// An icon set shown in the window is kept whole: after the run died, Yes shows it again, still
// unsaved, and the editor's Update still writes into the cell it held.
TEST_F(RecoveryKeeperTest, AnOpenSetComesBackInTheWindow) {
  WriteStrip(Path("t16.bmp"), 16, 3);
  WriteStrip(Path("t32.bmp"), 32, 3);
  std::ofstream(Path("icons.glyphset")) << "sizes = [16, 32]\nicons = [\"a\", \"b\", \"c\"]\n"
                                           "[strips]\n\"16\" = \"t16.bmp\"\n\"32\" = \"t32.bmp\"\n";
  StartWithEditor();
  window_->AttachEditor(editor_.get(), editor_.get());
  window_->show();
  // Active, as a person's window is, so the set view's keys act.
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  Open("icons.glyphset");
  ASSERT_TRUE(window_->SetShown());
  TSetView* view = window_->SetView1;
  std::vector<TCellRef> before;
  {
    TRecoveryKeeper keeper(*window_, editor_->Model(), Root());
    Keep(keeper);
    EXPECT_EQ(keeper.CopiesWritten(), 0) << "a set just opened needs no copy";
    // Icon b deleted; c's 32-pixel cell drawn on and updated, then drawn on again.
    QTest::mouseClick(view, Qt::LeftButton, {}, view->NameRect(1).center());
    QTest::keyClick(view, Qt::Key_Delete);
    QTest::mouseDClick(view, Qt::LeftButton, {}, view->CellRect(1, 1).center());
    editor_->Model().SetForegroundIndex(9);
    Stroke(QPoint(4, 4), QPoint(252, 252));
    editor_->UpdateCollectionItem1->trigger();
    Stroke(QPoint(12, 244), QPoint(244, 12));
    Keep(keeper);
    EXPECT_EQ(keeper.CopiesWritten(), 1);
    const TIconSet& set = *window_->IconSet();
    for (int icon = 0; icon < set.IconCount(); ++icon)
      for (int column = 0; column < set.ColumnCount(); ++column) before.push_back(set.Cell(icon, column));
  }  // the run dies here
  Stop();

  StartWithEditor();
  window_->AttachEditor(editor_.get(), editor_.get());
  window_->show();
  dialogs_->ConfirmAnswers = {TDialogAnswer::Yes};
  ASSERT_TRUE(OfferLeftRecoveries(Root(), *window_, editor_->Model(), *dialogs_));
  ASSERT_EQ(dialogs_->Calls.size(), 1u);
  EXPECT_NE(dialogs_->Calls[0].Text.find("2 icons and 1 cell of the icon set " + Path("icons.glyphset")), std::string::npos)
      << dialogs_->Calls[0].Text;
  ASSERT_TRUE(window_->SetShown());
  const TIconSet& set = *window_->IconSet();
  EXPECT_EQ(set.Icons(), (std::vector<std::string>{"a", "c"}));
  ASSERT_EQ(set.IconCount() * set.ColumnCount(), static_cast<int>(before.size()));
  for (int icon = 0; icon < set.IconCount(); ++icon)
    for (int column = 0; column < set.ColumnCount(); ++column) {
      const TCellRef& was = before[static_cast<std::size_t>(icon * set.ColumnCount() + column)];
      ASSERT_EQ(set.Cell(icon, column) == nullptr, was == nullptr) << icon << "," << column;
      if (was) {
        EXPECT_EQ(set.Cell(icon, column)->Values, was->Values) << icon << "," << column;
      }
    }
  EXPECT_TRUE(set.Modified());
  EXPECT_EQ(window_->windowTitle().toStdString(), "Gliffo 2 - *icons.glyphset");
  // The second stroke, never written into the set, is in the editor; Update writes it there.
  EXPECT_TRUE(editor_->isVisible());
  EXPECT_TRUE(editor_->Model().GlyphModified());
  EXPECT_EQ(editor_->Model().Editor().Canvas().Pixel(2, 29), clRed);
  EXPECT_NE(raster::GetPixel(set.CellImage(1, 1)->Surface(), 2, 29), raster::ColorRef{clRed});
  editor_->UpdateCollectionItem1->trigger();
  EXPECT_EQ(raster::GetPixel(window_->IconSet()->CellImage(1, 1)->Surface(), 2, 29), raster::ColorRef{clRed});
  EXPECT_TRUE(FindLeftRecoveries(Root()).empty());
}

}  // namespace
}  // namespace gliffo::testing
