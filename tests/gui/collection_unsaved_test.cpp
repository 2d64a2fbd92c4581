// What the collection window keeps and asks: a modified glyph list is never discarded without
// a question, Save Collection As never replaces a file unasked, and the keys and the command
// line reach what the menus reach.
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <fstream>

#include "collection/folder_browser.h"
#include "collection/viewer.h"
#include "glyphs/strings.h"
#include "gui_fixture.h"

namespace gliffo::testing {
namespace {

// An editor that hands out one solid glyph.
class SolidEditor : public IGlyphEditorLink {
 public:
  void SetGlyphImageSize(int size) override {
    glyph.SetWidth(size);
    glyph.SetHeight(size);
    raster::Surface s = glyph.WritableSurface();
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) raster::WriteValue(s, x, y, 0x00FF00);
  }
  void SetSurfacePenWidth(int) override {}
  const TBitmap& GlyphBitmap() override { return glyph; }
  void EditGlyph(const TImageList&, int cellIndex) override { edited.push_back(cellIndex); }
  void ShowEditor() override {}
  TBitmap glyph;
  std::vector<int> edited;
};

class UnsavedTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    saved_ = fs::current_path();
    fs::create_directories(dir_ / "icons");
    WriteStrip(Path("icons/a.bmp"), 16, 2);
    WriteStrip(Path("four.gbc"), 16, 4);
    fs::current_path(dir_);
  }
  void TearDown() override {
    if (window_) window_->AttachEditor(nullptr);
    fs::current_path(saved_);
    GuiTest::TearDown();
  }
  void StartWithSolidEditor() {
    Start();
    window_->AttachEditor(&solid_);
  }
  void Open(const std::string& name) {
    dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path(name)});
    window_->OpenCollection1->trigger();
  }
  void SelectRows(std::initializer_list<int> rows) {
    QItemSelection selection;
    for (int row : rows) selection.select(window_->viewer->model()->index(row, 0), window_->viewer->model()->index(row, 0));
    window_->viewer->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  }
  int GlyphsIn(const std::string& name) {
    TBitmap strip;
    strip.LoadFromFile(Path(name));
    return strip.Width() / strip.Height();
  }
  std::string Title() { return window_->windowTitle().toStdString(); }

  fs::path saved_;
  SolidEditor solid_;
};

// Every command that would throw the list away asks while it is modified, and only then;
// Cancel keeps list and window, No goes on, Yes saves every glyph first.
TEST_F(UnsavedTest, DiscardingCommandsAskWhileTheListIsModified) {
  StartWithSolidEditor();
  window_->show();
  QSignalSpy closed(window_.get(), &TGliffoF::Closed);
  Open("four.gbc");
  EXPECT_EQ(Title(), "Gliffo 2 - four.gbc");
  window_->AddfromEditor1->trigger();
  EXPECT_TRUE(Glyphs().Modified());
  EXPECT_EQ(Title(), "Gliffo 2 - *four.gbc");
  dialogs_->Calls.clear();

  // Cancel (an empty script answers Cancel): nothing changes, whatever asked.
  window_->Close1->trigger();
  window_->OpenCollection1->trigger();
  window_->Browser()->RzDirectoryListBox1->ChangeDirectory(Path("icons"));
  window_->ReloadFolder();  // the start folder holds no BMP file: nothing to ask
  EXPECT_FALSE(window_->close());
  const std::string ask = "ask:Save changes to the glyph list?";
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{ask, ask, ask, ask}));
  EXPECT_EQ(Glyphs().Items.Count(), 5);
  EXPECT_TRUE(Glyphs().Modified());
  EXPECT_EQ(window_->Browser()->RzDirectoryListBox1->Directory(), fs::canonical(dir_).string());
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(closed.count(), 0);

  // Yes: the save dialog starts at the list's file, replacing it is asked, and every glyph is
  // written though only the new one is selected. Cancelling the replace question keeps all.
  SelectRows({4});
  dialogs_->Calls.clear();
  dialogs_->ConfirmAnswers = {TDialogAnswer::Yes, TDialogAnswer::No};
  dialogs_->SaveAnswers.push_back(Path("four.gbc"));
  window_->Close1->trigger();
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{ask, "save", "confirm:Replace Existing File?"}));
  EXPECT_EQ(dialogs_->Calls[1].Save.InitialName, Path("four.gbc"));
  EXPECT_EQ(GlyphsIn("four.gbc"), 4);
  EXPECT_EQ(Glyphs().Items.Count(), 5);

  dialogs_->ConfirmAnswers = {TDialogAnswer::Yes, TDialogAnswer::Yes};
  dialogs_->SaveAnswers.push_back(Path("four.gbc"));
  window_->Close1->trigger();
  EXPECT_EQ(GlyphsIn("four.gbc"), 5);
  EXPECT_EQ(Glyphs().Items.Count(), 0);  // saved, then cleared without a second question
  EXPECT_FALSE(Glyphs().Modified());
  EXPECT_EQ(Title(), "Gliffo 2");

  // No discards: browsing into a folder of glyphs loads it.
  window_->AddfromEditor1->trigger();
  EXPECT_EQ(Title(), "Gliffo 2 - *Untitled");
  dialogs_->Calls.clear();
  dialogs_->ConfirmAnswers = {TDialogAnswer::No};
  window_->Browser()->RzDirectoryListBox1->ChangeDirectory(Path("icons"));
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{ask});
  EXPECT_EQ(Glyphs().Items.Count(), 2);
  EXPECT_EQ(Title(), "Gliffo 2 - icons");

  // A clean list goes without a word, and so does the program.
  dialogs_->Calls.clear();
  EXPECT_TRUE(window_->close());
  EXPECT_TRUE(dialogs_->Calls.empty());
  EXPECT_EQ(closed.count(), 1);
}

TEST_F(UnsavedTest, SaveCollectionAsAsksBeforeReplacingAFile) {
  StartWithSolidEditor();
  Open("four.gbc");
  SelectRows({2});
  window_->AddfromEditor1->trigger();  // modified; the selection is still one glyph
  dialogs_->Calls.clear();

  dialogs_->SaveAnswers.push_back(Path("four.gbc"));
  dialogs_->ConfirmAnswers.push_back(TDialogAnswer::No);
  window_->SaveCollection->trigger();
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{"save", "confirm:Replace Existing File?"}));
  EXPECT_EQ(dialogs_->Calls[0].Save.InitialName, Path("four.gbc"));
  EXPECT_EQ(GlyphsIn("four.gbc"), 4);

  // Saving a part keeps the list modified; saving every glyph makes it clean, from that file.
  dialogs_->SaveAnswers.push_back(Path("part.gbc"));
  window_->SaveCollection->trigger();
  EXPECT_EQ(GlyphsIn("part.gbc"), 1);
  EXPECT_TRUE(Glyphs().Modified());
  window_->SelectAll1->trigger();
  dialogs_->SaveAnswers.push_back(Path("all.gbc"));
  window_->SaveCollection->trigger();
  EXPECT_EQ(GlyphsIn("all.gbc"), 5);
  EXPECT_FALSE(Glyphs().Modified());
  EXPECT_EQ(Title(), "Gliffo 2 - all.gbc");
}

// The editor says which glyph it took, and while it is open the grid frames the glyph that
// Update would replace: the selected one, which may since have changed.
TEST_F(UnsavedTest, UpdateTargetIsMarkedAndTheEditorNamesItsGlyph) {
  WriteStrip(Path("five.gbc"), 16, 5);
  StartWithEditor();
  window_->AttachEditor(editor_.get(), editor_.get());
  window_->show();
  Open("five.gbc");
  EXPECT_FALSE(window_->viewer->TargetMarked());
  SelectRows({0});
  window_->Image1->trigger();
  ASSERT_TRUE(editor_->isVisible());
  EXPECT_EQ(editor_->HeldGlyph1->text(), "Glyph 0 of five.gbc");
  EXPECT_EQ(editor_->windowTitle(), "BMP Editor");
  EXPECT_EQ(window_->viewer->TargetRow(), 0);
  SelectRows({3});
  EXPECT_EQ(window_->viewer->TargetRow(), 3);
  QListView* view = window_->viewer;
  const QRect cell = view->visualRect(view->model()->index(3, 0));
  const QImage marked = view->viewport()->grab(cell).toImage();
  editor_->close();  // closing only hides it; the frame goes with it
  EXPECT_FALSE(window_->viewer->TargetMarked());
  EXPECT_NE(view->viewport()->grab(cell).toImage(), marked);

  window_->BMPEditor1->trigger();
  EXPECT_EQ(window_->viewer->TargetRow(), 3);
  editor_->UpdateCollectionItem1->trigger();
  EXPECT_FALSE(editor_->isVisible());
  EXPECT_FALSE(window_->viewer->TargetMarked());
  EXPECT_TRUE(Glyphs().Modified());
}

// The line under the editor's surface follows the glyph it took through the list's changes.
TEST_F(UnsavedTest, TheEditorsGlyphLineFollowsTheList) {
  WriteStrip(Path("five.gbc"), 16, 5);
  StartWithEditor();
  window_->AttachEditor(editor_.get(), editor_.get());
  window_->show();
  Open("five.gbc");
  SelectRows({3});
  window_->Image1->trigger();
  ASSERT_EQ(editor_->HeldGlyph1->text(), "Glyph 3 of five.gbc");
  // A glyph before it deleted: it is glyph 2 now; undone, glyph 3 again.
  SelectRows({1});
  window_->viewer->setFocus();
  QTest::keyClick(window_->viewer, Qt::Key_Delete);
  EXPECT_EQ(editor_->HeldGlyph1->text(), "Glyph 2 of five.gbc");
  window_->Undo1->trigger();
  EXPECT_EQ(editor_->HeldGlyph1->text(), "Glyph 3 of five.gbc");
  // Deleted itself, or the list closed: the line says the glyph is gone.
  SelectRows({3});
  window_->Delete1->trigger();
  EXPECT_EQ(editor_->HeldGlyph1->text(), texts::GlyphNotInList);
  window_->Undo1->trigger();
  EXPECT_EQ(editor_->HeldGlyph1->text(), "Glyph 3 of five.gbc");
  // Undone back to what was loaded, the list is clean: Close asks only "Clear Viewer?".
  EXPECT_FALSE(Glyphs().Modified());
  dialogs_->Calls.clear();
  dialogs_->ConfirmAnswers = {TDialogAnswer::Yes};
  window_->Close1->trigger();
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{"confirm:Clear Viewer?"});
  ASSERT_EQ(Glyphs().Items.Count(), 0);
  EXPECT_EQ(editor_->HeldGlyph1->text(), texts::GlyphNotInList);
  // The same strip opened again holds other glyphs than the one taken.
  Open("five.gbc");
  EXPECT_EQ(editor_->HeldGlyph1->text(), texts::GlyphNotInList);
}

TEST_F(UnsavedTest, KeysReachTheCommands) {
  StartWithSolidEditor();
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  window_->activateWindow();
  Open("four.gbc");
  TViewer* view = window_->viewer;
  view->setFocus();
  SelectRows({1});

  QTest::keyClick(view, Qt::Key_Return);
  EXPECT_EQ(solid_.edited, std::vector<int>{1});

  if (view->hasFocus()) {
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_FALSE(view->hasFocus());
    EXPECT_EQ(Glyphs().Items.SelectedIndex(), 1);
  }

  // F5 loads the folder shown, at start too, and again after it changed.
  window_->Browser()->RzDirectoryListBox1->ChangeDirectory(Path("icons"));
  ASSERT_EQ(Glyphs().Items.Count(), 2);
  WriteStrip(Path("icons/b.bmp"), 16, 3);
  window_->ReloadKey->trigger();
  EXPECT_EQ(Glyphs().Items.Count(), 5);

  // Each key shows in a menu: Ctrl+O and Ctrl+S on their classic items, F5 and Ctrl+Q in the
  // Window menu.
  EXPECT_EQ(window_->OpenKey, window_->OpenCollection1);
  EXPECT_EQ(window_->SaveKey, window_->SaveCollection);
  EXPECT_TRUE(window_->Window1->actions().contains(window_->QuitKey));
  EXPECT_TRUE(window_->Window1->actions().contains(window_->ReloadKey));
  EXPECT_EQ(window_->ReloadKey->shortcut(), QKeySequence(Qt::Key_F5));
  EXPECT_EQ(window_->OpenKey->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
  EXPECT_EQ(window_->SaveKey->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
  EXPECT_EQ(window_->QuitKey->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  dialogs_->Calls.clear();
  window_->OpenKey->trigger();
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{"open"});
}

TEST_F(UnsavedTest, AFileOrFolderNamedAtStartOpens) {
  Start();
  EXPECT_TRUE(window_->OpenPath(Path("four.gbc")));
  EXPECT_EQ(Glyphs().Items.Count(), 4);
  EXPECT_EQ(Title(), "Gliffo 2 - four.gbc");
  EXPECT_TRUE(window_->OpenPath(Path("icons")));
  EXPECT_EQ(Glyphs().Items.Count(), 2);
  EXPECT_EQ(window_->Browser()->RzDirectoryListBox1->Directory(), fs::canonical(dir_ / "icons").string());
  // The folder already shown is loaded all the same.
  Glyphs().ClearGlyphList();
  EXPECT_TRUE(window_->OpenPath(Path("icons")));
  EXPECT_EQ(Glyphs().Items.Count(), 2);
  EXPECT_FALSE(window_->OpenPath(Path("missing.gbc")));
  EXPECT_EQ(dialogs_->Log().back(), "error:Cannot open file " + Path("missing.gbc") + ".");
}

}  // namespace
}  // namespace gliffo::testing
