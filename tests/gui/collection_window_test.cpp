#include <QActionGroup>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <fstream>

#include "collection/help_window.h"
#include "collection/strings.h"
#include "collection/viewer.h"
#include "glyphs/bitmap.h"
#include "formats/image_formats.h"
#include "formats/png_codec.h"
#include "platform/files/file_io.h"
#include "platform/profile/profile.h"
#include "gui_fixture.h"

namespace gliffo::testing {
namespace {

// The menu as the user sees it: captions, "-" for separators.
std::vector<std::string> Captions(QMenu* menu) {
  std::vector<std::string> captions;
  for (QAction* action : menu->actions())
    captions.push_back(action->isSeparator() ? "-" : action->text().toStdString());
  return captions;
}

std::vector<int> SelectedRows(TGliffoF& window) {
  std::vector<int> rows;
  for (const QModelIndex& index : window.viewer->selectionModel()->selectedIndexes()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<int> SelectedItems(TGlyphCollection& glyphs) {
  std::vector<int> rows;
  for (int i = 0; i < glyphs.Items.Count(); ++i)
    if (glyphs.Items.Item(i).Selected()) rows.push_back(i);
  return rows;
}

std::vector<std::string> ItemCaptions(TGlyphCollection& glyphs) {
  std::vector<std::string> captions;
  for (int i = 0; i < glyphs.Items.Count(); ++i) captions.push_back(glyphs.Items.Item(i).Caption());
  return captions;
}

std::string ModeState(TGliffoF& window) {
  std::string state;
  for (QAction* item : {window.bmp16, window.bmp24, window.bmp32})
    state += std::string(item->isChecked() ? "x" : "-") + (item->isEnabled() ? "E" : "d") + " ";
  return state;
}

// A stand-in for the editor window, recording what the collection window asks of it.
class FakeEditor : public IGlyphEditorLink {
 public:
  void SetGlyphImageSize(int size) override {
    glyph.SetWidth(size);
    glyph.SetHeight(size);
    raster::Surface s = glyph.WritableSurface();
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) raster::WriteValue(s, x, y, 0x123456);
  }
  void SetSurfacePenWidth(int width) override { penWidth = width; }
  const TBitmap& GlyphBitmap() override { return glyph; }
  void EditGlyph(const TImageList&, int cellIndex) override { edited.push_back(cellIndex); }
  void ShowEditor() override { ++shown; }

  TBitmap glyph;
  int penWidth = 0;
  std::vector<int> edited;
  int shown = 0;
};

class CollectionWindowTest : public GuiTest {
 protected:
  // Opens a strip through the menu, as the user would.
  void OpenStrip(const std::string& fileName) {
    dialogs_->OpenAnswers.push_back(std::vector<std::string>{fileName});
    window_->OpenCollection1->trigger();
  }
  void SelectRows(std::initializer_list<int> rows) {
    QItemSelection selection;
    for (int row : rows) selection.select(window_->viewer->model()->index(row, 0), window_->viewer->model()->index(row, 0));
    window_->viewer->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  }
};

TEST_F(CollectionWindowTest, MenuCaptionsShortcutsAndStartStates) {
  Start();
  std::vector<std::string> bar;
  for (QAction* action : window_->MainMenu1->actions()) bar.push_back(action->text().toStdString());
  EXPECT_EQ(bar, (std::vector<std::string>{"&File", "&Edit", "&Tools", "&Set", "&Options", "&Icon Set", "&Window", "&Help"}));
  EXPECT_EQ(Captions(window_->File1),
            (std::vector<std::string>{"&Open Collection...", "&Save Collection As...", "&Combine Collections...", "-",
                                      "&Export Bitmap...", "-", "Close"}));
  EXPECT_EQ(Captions(window_->Edit1),
            (std::vector<std::string>{"&Image", "Add from Editor", "-", "Select &All", "In&vert Selection"}));
  EXPECT_EQ(Captions(window_->Tools1),
            (std::vector<std::string>{"BMP &Editor", "-", "16x16 mode", "24x24 mode", "32x32 mode"}));
  EXPECT_EQ(Captions(window_->Help1), (std::vector<std::string>{"&Contents", "-", "&About"}));

  // The classic items show the window's keys that act on them; the keys without a classic item
  // have a menu of their own.
  EXPECT_EQ(window_->SelectAll1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
  EXPECT_EQ(window_->Contents1->shortcut(), QKeySequence(Qt::Key_F1));
  EXPECT_EQ(window_->OpenCollection1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
  EXPECT_EQ(window_->SaveCollection->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
  int withShortcut = 0;
  for (QMenu* menu : {window_->File1, window_->Edit1, window_->Tools1, window_->Help1})
    for (QAction* action : menu->actions()) withShortcut += action->shortcut().isEmpty() ? 0 : 1;
  EXPECT_EQ(withShortcut, 4);
  EXPECT_EQ(Captions(window_->Window1), (std::vector<std::string>{"&Reload Folder", "-", "&Quit"}));
  EXPECT_EQ(window_->QuitKey->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

  // Radio items in one group, "16x16 mode" checked, all open; the editor's commands wait.
  EXPECT_EQ(ModeState(*window_), "xE -E -E ");
  EXPECT_TRUE(window_->bmp24->actionGroup() != nullptr && window_->bmp24->actionGroup()->isExclusive());
  EXPECT_FALSE(window_->Image1->isEnabled());
  EXPECT_FALSE(window_->AddfromEditor1->isEnabled());
  EXPECT_FALSE(window_->BMPEditor1->isEnabled());
  FakeEditor editor;
  window_->AttachEditor(&editor);
  EXPECT_TRUE(window_->Image1->isEnabled() && window_->AddfromEditor1->isEnabled() && window_->BMPEditor1->isEnabled());
  window_->AttachEditor(nullptr);
}

TEST_F(CollectionWindowTest, FrameAndParts) {
  Start();
  EXPECT_EQ(window_->windowTitle(), "Gliffo 2");
  EXPECT_EQ(window_->AppDir(), dir_.string() + "/");
  EXPECT_EQ(window_->GlyphSize(), 16);
  // The window may be resized and maximised, never so narrow that a menu title hides.
  EXPECT_NE(window_->minimumSize(), window_->maximumSize());
  EXPECT_EQ(window_->minimumWidth(), window_->MainMenu1->sizeHint().width());
  Qt::WindowFlags flags = window_->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowMaximizeButtonHint);
  // At first start: the classic width, widened only as far as the menus beyond the classic ones
  // need, so every menu title shows and none hides behind an overflow button.
  EXPECT_EQ(window_->width(), std::max(window_->Scaled(212), window_->MainMenu1->sizeHint().width()));
  EXPECT_LE(window_->MainMenu1->sizeHint().width(), window_->width());
  EXPECT_EQ(window_->height() - window_->MainMenu1->sizeHint().height(), window_->Scaled(448));
  EXPECT_EQ(window_->pos(), QPoint(184, 115));
  EXPECT_EQ(window_->StatusBar1->height(), window_->Scaled(19));
  EXPECT_TRUE(window_->StatusBar1->currentMessage().isEmpty());
  EXPECT_EQ(window_->TopPanel()->height(), window_->Scaled(41));
  EXPECT_EQ(window_->FolderListPlace()->height(), window_->Scaled(96));
  EXPECT_EQ(window_->viewer->viewMode(), QListView::IconMode);
  EXPECT_TRUE(window_->viewer->uniformItemSizes());
  EXPECT_EQ(window_->viewer->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(CollectionWindowTest, OpenCollectionFillsTheViewAndLocksTheMenu) {
  WriteStrip(Path("three.gbc"), 16, 3, 5);
  WriteStrip(Path("tall.gbc"), 24, 2);
  Start();
  OpenStrip(Path("three.gbc"));
  ASSERT_EQ(dialogs_->Calls.size(), 1u);
  EXPECT_EQ(dialogs_->Calls[0].Kind, "open");
  EXPECT_EQ(dialogs_->Calls[0].Open.Filter, "Bitmap Collection|*.gbc|All Images|*.gbc;*.bmp;*.png;*.ico|Icon Set|*.glyphset");
  EXPECT_FALSE(dialogs_->Calls[0].Open.MultiSelect);

  EXPECT_EQ(ItemCaptions(Glyphs()), (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_EQ(window_->viewer->model()->rowCount(), 3);
  EXPECT_EQ(ModeState(*window_), "xE -d -d ");
  QImage cell = window_->viewer->Model().CellImage(2);
  ASSERT_EQ(cell.size(), QSize(16, 16));
  EXPECT_EQ(cell.pixel(5, 5) & 0xFFFFFF, GlyphColor(2));
  EXPECT_EQ(window_->viewer->model()->index(1, 0).data().toString(), "1");

  OpenStrip(Path("tall.gbc"));
  EXPECT_EQ(window_->GlyphSize(), 24);
  EXPECT_EQ(ItemCaptions(Glyphs()), (std::vector<std::string>{"0", "1"}));
  EXPECT_EQ(ModeState(*window_), "-d xd -d ");  // locked twice: the check moves, nothing opens

  // Cancelling the dialog changes nothing.
  window_->OpenCollection1->trigger();
  EXPECT_EQ(Glyphs().Items.Count(), 2);
}

TEST_F(CollectionWindowTest, UnreadableCollectionShowsTheErrorBoxAndKeepsTheList) {
  WriteStrip(Path("good.gbc"), 16, 4);
  std::ofstream(Path("junk.gbc")) << "this is no picture";
  Start();
  OpenStrip(Path("good.gbc"));
  SelectRows({1});
  dialogs_->Calls.clear();

  OpenStrip(Path("junk.gbc"));
  OpenStrip(Path("missing.gbc"));
  ASSERT_EQ(dialogs_->Calls.size(), 4u);
  EXPECT_EQ(dialogs_->Calls[1].Kind, "error");
  EXPECT_EQ(dialogs_->Calls[1].Text, "Bitmap image is not valid.");
  EXPECT_EQ(dialogs_->Calls[3].Kind, "error");
  EXPECT_EQ(dialogs_->Calls[3].Text, "Cannot open file " + Path("missing.gbc") + ".");
  EXPECT_EQ(Glyphs().Items.Count(), 4);
  EXPECT_EQ(SelectedItems(Glyphs()), std::vector<int>{1});
  EXPECT_EQ(SelectedRows(*window_), std::vector<int>{1});

  // The program goes on: the next command works.
  window_->About1->trigger();
  EXPECT_EQ(dialogs_->Log().back(), "message:Gliffo 2 by the Gliffo developers");
}

TEST_F(CollectionWindowTest, SaveCollectionWritesTheSelectionInItemOrder) {
  WriteStrip(Path("four.gbc"), 16, 4);
  Start();
  OpenStrip(Path("four.gbc"));
  dialogs_->Calls.clear();

  window_->SaveCollection->trigger();  // nothing selected: no dialog, no message
  EXPECT_TRUE(dialogs_->Calls.empty());

  SelectRows({3, 1});
  EXPECT_EQ(SelectedItems(Glyphs()), (std::vector<int>{1, 3}));
  dialogs_->SaveAnswers.push_back(Path("out.gbc"));
  window_->SaveCollection->trigger();
  ASSERT_EQ(dialogs_->Calls.size(), 1u);
  EXPECT_EQ(dialogs_->Calls[0].Save.Filter, "Bitmap Collection|*.gbc|BMP Files|*.bmp|PNG|*.png|Icon|*.ico|32-bit BMP with alpha|*.bmp");
  EXPECT_EQ(dialogs_->Calls[0].Save.FilterIndex, 1);
  EXPECT_EQ(dialogs_->Calls[0].Save.DefaultExtension, "gbc");

  TBitmap saved;
  saved.LoadFromFile(Path("out.gbc"));
  EXPECT_EQ(saved.Width(), 32);
  EXPECT_EQ(saved.Height(), 16);
  EXPECT_EQ(saved.PixelFormat(), TPixelFormat::pf4bit);
}

TEST_F(CollectionWindowTest, ExportBitmapMessagesAndReplaceQuestion) {
  WriteStrip(Path("four.gbc"), 16, 4);
  Start();
  OpenStrip(Path("four.gbc"));
  dialogs_->Calls.clear();

  window_->ExportBitmap1->trigger();
  SelectRows({0, 2});
  window_->ExportBitmap1->trigger();
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{"message:No bitmap selected!", "message:Select only one bitmap!"}));

  SelectRows({2});
  dialogs_->Calls.clear();
  dialogs_->SaveAnswers.push_back(Path("one.bmp"));
  window_->ExportBitmap1->trigger();
  ASSERT_EQ(dialogs_->Calls.size(), 1u);
  EXPECT_EQ(dialogs_->Calls[0].Save.FilterIndex, 2);
  EXPECT_EQ(dialogs_->Calls[0].Save.DefaultExtension, "bmp");
  TBitmap exported;
  exported.LoadFromFile(Path("one.bmp"));
  EXPECT_EQ(exported.Width(), 16);
  EXPECT_EQ(exported.Height(), 16);

  // The file exists now: No keeps it, Yes replaces it.
  fs::resize_file(Path("one.bmp"), 10);
  dialogs_->SaveAnswers.push_back(Path("one.bmp"));
  dialogs_->ConfirmAnswers.push_back(TDialogAnswer::No);
  window_->ExportBitmap1->trigger();
  EXPECT_EQ(dialogs_->Log().back(), "confirm:Replace Existing File?");
  EXPECT_EQ(fs::file_size(Path("one.bmp")), 10u);
  dialogs_->SaveAnswers.push_back(Path("one.bmp"));
  dialogs_->ConfirmAnswers.push_back(TDialogAnswer::Yes);
  window_->ExportBitmap1->trigger();
  EXPECT_GT(fs::file_size(Path("one.bmp")), 10u);
}

TEST_F(CollectionWindowTest, CombineCollectionsNeedsTwoFilesAndLeavesTheListAlone) {
  WriteStrip(Path("a.bmp"), 16, 2);
  WriteStrip(Path("b.bmp"), 16, 3);
  Start();
  dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path("a.bmp")});
  window_->CombineCollections1->trigger();
  ASSERT_EQ(dialogs_->Log(), (std::vector<std::string>{"open", "message:Select 2 or more files!"}));
  EXPECT_TRUE(dialogs_->Calls[0].Open.MultiSelect);

  dialogs_->Calls.clear();
  dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path("a.bmp"), Path("b.bmp")});
  dialogs_->SaveAnswers.push_back(Path("ab.gbc"));
  window_->CombineCollections1->trigger();
  ASSERT_EQ(dialogs_->Log(), (std::vector<std::string>{"open", "save"}));
  EXPECT_EQ(dialogs_->Calls[1].Save.FilterIndex, 1);
  EXPECT_EQ(dialogs_->Calls[1].Save.DefaultExtension, "gbc");
  TBitmap combined;
  combined.LoadFromFile(Path("ab.gbc"));
  EXPECT_EQ(combined.Width(), 80);
  EXPECT_EQ(Glyphs().Items.Count(), 0);
}

TEST_F(CollectionWindowTest, CloseAsksAndClearsOnlyOnYes) {
  WriteStrip(Path("tall.gbc"), 32, 3);
  Start();
  window_->show();
  OpenStrip(Path("tall.gbc"));
  SelectRows({1});
  dialogs_->Calls.clear();

  dialogs_->ConfirmAnswers.push_back(TDialogAnswer::No);
  window_->Close1->trigger();
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{"confirm:Clear Viewer?"});
  EXPECT_EQ(Glyphs().Items.Count(), 3);
  EXPECT_EQ(window_->GlyphSize(), 32);
  EXPECT_EQ(ModeState(*window_), "-d -d xE ");
  EXPECT_EQ(SelectedRows(*window_), std::vector<int>{1});

  dialogs_->ConfirmAnswers.push_back(TDialogAnswer::Yes);
  window_->Close1->trigger();
  EXPECT_EQ(Glyphs().Items.Count(), 0);
  EXPECT_EQ(Glyphs().ImageList1.Count(), 0);
  EXPECT_EQ(window_->viewer->model()->rowCount(), 0);
  EXPECT_EQ(window_->GlyphSize(), 16);
  EXPECT_EQ(ModeState(*window_), "xE -E -E ");
  EXPECT_TRUE(window_->isVisible());  // "Close" empties the view, the window stays
}

TEST_F(CollectionWindowTest, SelectionFollowsInBothDirections) {
  WriteStrip(Path("five.gbc"), 16, 5);
  Start();
  window_->show();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  OpenStrip(Path("five.gbc"));

  // Model to view.
  Glyphs().Items.Item(3).SetSelected(true);
  EXPECT_EQ(SelectedRows(*window_), std::vector<int>{3});
  // Ctrl+A is the menu's Select All, even with the focus in the view.
  window_->viewer->setFocus();
  QTest::keyClick(window_->viewer, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(SelectedItems(Glyphs()), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(SelectedRows(*window_), (std::vector<int>{0, 1, 2, 3, 4}));
  window_->InvertSelection1->trigger();
  EXPECT_TRUE(SelectedItems(Glyphs()).empty());
  EXPECT_TRUE(SelectedRows(*window_).empty());

  // View to model: a click, then a Ctrl+click.
  QListView* view = window_->viewer;
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(1, 0)).center());
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    view->visualRect(view->model()->index(4, 0)).center());
  EXPECT_EQ(SelectedItems(Glyphs()), (std::vector<int>{1, 4}));
  EXPECT_EQ(Glyphs().Items.SelectedIndex(), 1);
  window_->InvertSelection1->trigger();
  EXPECT_EQ(SelectedRows(*window_), (std::vector<int>{0, 2, 3}));
}

TEST_F(CollectionWindowTest, ModeCommandsAndAddFromEditor) {
  Start();
  FakeEditor editor;
  window_->AttachEditor(&editor);
  window_->bmp24->trigger();
  EXPECT_EQ(window_->GlyphSize(), 24);
  EXPECT_EQ(ModeState(*window_), "-E xE -E ");
  EXPECT_EQ(editor.penWidth, 10);

  window_->AddfromEditor1->trigger();
  EXPECT_EQ(ItemCaptions(Glyphs()), std::vector<std::string>{"0"});
  EXPECT_EQ(Glyphs().ImageList1.Width(), 24);
  EXPECT_EQ(ModeState(*window_), "-d xE -d ");
  EXPECT_EQ(window_->viewer->Model().CellImage(0).pixel(3, 3) & 0xFFFFFF, 0x123456u);

  // A disabled item cannot be triggered, and the check mark stays.
  window_->bmp32->trigger();
  EXPECT_EQ(window_->GlyphSize(), 24);
  EXPECT_EQ(ModeState(*window_), "-d xE -d ");
  window_->AttachEditor(nullptr);
}

TEST_F(CollectionWindowTest, ImageAndBmpEditorReachTheEditor) {
  WriteStrip(Path("five.gbc"), 16, 5);
  Start();
  window_->show();
  FakeEditor editor;
  window_->AttachEditor(&editor);
  OpenStrip(Path("five.gbc"));

  window_->Image1->trigger();  // nothing selected: nothing
  EXPECT_TRUE(editor.edited.empty());
  QListView* view = window_->viewer;
  QPoint third = view->visualRect(view->model()->index(2, 0)).center();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, third);
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, third);
  EXPECT_EQ(editor.edited, std::vector<int>{2});
  SelectRows({4, 3});
  window_->Image1->trigger();
  EXPECT_EQ(editor.edited, (std::vector<int>{2, 3}));
  window_->BMPEditor1->trigger();
  EXPECT_EQ(editor.shown, 1);
  window_->AttachEditor(nullptr);
}

TEST_F(CollectionWindowTest, OneRepaintPerBracketAndOneItemOnReplace) {
  WriteStrip(Path("five.gbc"), 16, 5);
  Start();
  FakeEditor editor;
  window_->AttachEditor(&editor);
  editor.SetGlyphImageSize(16);
  TViewerModel& model = window_->viewer->Model();

  int whole = model.WholeRedraws();
  OpenStrip(Path("five.gbc"));
  EXPECT_EQ(model.WholeRedraws(), whole + 1);
  window_->SelectAll1->trigger();
  EXPECT_EQ(model.WholeRedraws(), whole + 2);

  SelectRows({3});
  int items = model.ItemRedraws();
  whole = model.WholeRedraws();
  ASSERT_TRUE(Glyphs().ReplaceSelected());
  EXPECT_EQ(model.ItemRedraws(), items + 1);
  EXPECT_EQ(model.WholeRedraws(), whole);
  EXPECT_EQ(model.CellImage(3).pixel(0, 0) & 0xFFFFFF, 0x123456u);
  window_->AttachEditor(nullptr);
}

// After Ctrl+A a plain click on one glyph selects it alone, at once: Del right after deletes
// that glyph only, and a pause after the click opens no edit box on its number.
TEST_F(CollectionWindowTest, OneClickSelectsOneGlyphAndNoCaptionEditorOpens) {
  WriteStrip(Path("five.gbc"), 16, 5);
  Start();
  window_->show();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  OpenStrip(Path("five.gbc"));
  QListView* view = window_->viewer;
  view->setFocus();
  QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
  ASSERT_EQ(SelectedItems(Glyphs()), (std::vector<int>{0, 1, 2, 3, 4}));

  const QPoint third = view->visualRect(view->model()->index(2, 0)).center();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, third);
  EXPECT_EQ(SelectedItems(Glyphs()), std::vector<int>{2});
  EXPECT_EQ(SelectedRows(*window_), std::vector<int>{2});
  QTest::qWait(QApplication::doubleClickInterval() + 200);
  EXPECT_EQ(QApplication::focusWidget(), view);
  EXPECT_EQ(view->findChild<QLineEdit*>(), nullptr);
  EXPECT_FALSE(view->model()->flags(view->model()->index(2, 0)) & Qt::ItemIsEditable);

  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_EQ(Glyphs().Items.Count(), 4);
  EXPECT_EQ(ItemCaptions(Glyphs()), (std::vector<std::string>{"0", "1", "2", "3"}));
}

// Painting asks for what is visible, however many glyphs the list holds.
TEST_F(CollectionWindowTest, TwentyThousandGlyphsPaintOnlyTheVisibleOnes) {
  WriteStrip(Path("many.gbc"), 16, 20000);
  Start();
  window_->show();
  OpenStrip(Path("many.gbc"));
  ASSERT_EQ(window_->viewer->model()->rowCount(), 20000);
  QCoreApplication::processEvents();  // the view lays the items out
  int before = window_->viewer->Model().ImageRequests();
  window_->viewer->scrollToBottom();
  window_->grab();
  window_->viewer->scrollTo(window_->viewer->model()->index(10000, 0));
  window_->grab();
  int asked = window_->viewer->Model().ImageRequests() - before;
  EXPECT_GT(asked, 0);
  EXPECT_LT(asked, 500);
}

// A bigger window gives the grid the room: a big set shows as many glyphs as fit.
TEST_F(CollectionWindowTest, TheGridFillsAResizedWindow) {
  WriteStrip(Path("many.gbc"), 16, 2000);
  Start();
  window_->show();
  OpenStrip(Path("many.gbc"));
  QListView* view = window_->viewer;
  auto shown = [&] {
    QCoreApplication::processEvents();
    int count = 0;
    for (int row = 0; row < view->model()->rowCount(); ++row)
      if (view->viewport()->rect().contains(view->visualRect(view->model()->index(row, 0)))) ++count;
    return count;
  };
  const int atDesignSize = shown();
  ASSERT_GT(atDesignSize, 0);
  window_->resize(window_->width() * 3, window_->height() * 2);
  EXPECT_GT(shown(), atDesignSize * 4);
  EXPECT_EQ(view->width(), window_->width());
}

// The selection stays drawn when the view loses the keyboard focus: commands act on it still.
TEST_F(CollectionWindowTest, SelectionShowsWithoutFocus) {
  WriteStrip(Path("three.gbc"), 16, 3);
  Start();
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  OpenStrip(Path("three.gbc"));
  QListView* view = window_->viewer;
  QRect caption = view->visualRect(view->model()->index(0, 0));

  auto captionImage = [&] { return view->viewport()->grab(caption).toImage(); };
  window_->activateWindow();
  view->setFocus();
  QImage plainWithFocus = captionImage();
  SelectRows({0});
  QImage selectedWithFocus = captionImage();
  window_->TopPanel()->setFocusPolicy(Qt::StrongFocus);
  window_->TopPanel()->setFocus();
  QImage selectedWithoutFocus = captionImage();
  if (!view->hasFocus() && QApplication::focusWidget() == window_->TopPanel()) {
    EXPECT_NE(selectedWithoutFocus, plainWithFocus);
    EXPECT_NE(selectedWithFocus, plainWithFocus);
  } else {
    GTEST_SKIP() << "this platform gives no keyboard focus to windows";
  }
}

TEST_F(CollectionWindowTest, AboutAndContents) {
  Start();
  window_->About1->trigger();
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{"message:Gliffo 2 by the Gliffo developers"});

  // No help file beside the program: a clear message, no jump.
  dialogs_->Calls.clear();
  window_->Contents1->trigger();
  EXPECT_EQ(app_->HelpFile(), Path("Gliffo.hlp"));
  EXPECT_EQ(dialogs_->Log(), std::vector<std::string>{"message:Cannot open the help file " + Path("Gliffo.hlp")});
  EXPECT_TRUE(app_->HelpWindow() == nullptr || !app_->HelpWindow()->isVisible());

  // With the file: the help window shows the topic "Gliffo".
  dialogs_->Calls.clear();
  fs::copy_file(GLIFFO_HELP_SOURCE, Path("Gliffo.hlp"));
  window_->Contents1->trigger();
  EXPECT_TRUE(dialogs_->Calls.empty());
  ASSERT_NE(app_->HelpWindow(), nullptr);
  EXPECT_TRUE(app_->HelpWindow()->isVisible());
  EXPECT_EQ(app_->HelpWindow()->CurrentTopic(), "Gliffo");
  EXPECT_FALSE(app_->HelpWindow()->RunMacro(Path("Gliffo.hlp"), "JumpID(\"\",\"NoSuchTopic\")"));
  EXPECT_EQ(dialogs_->Log().back(), "message:The help topic NoSuchTopic does not exist");
  app_->HelpWindow()->close();
}

// Installed, the program sits in bin/ and its guide in share/gliffo/.
TEST_F(CollectionWindowTest, ContentsFindsTheInstalledGuide) {
  fs::create_directories(dir_ / "bin");
  fs::create_directories(dir_ / "share" / "gliffo");
  fs::copy_file(GLIFFO_HELP_SOURCE, dir_ / "share" / "gliffo" / "Gliffo.hlp");
  exe_ = (dir_ / "bin" / "gliffo").string();
  Start();
  window_->Contents1->trigger();
  EXPECT_EQ(app_->HelpFile(), (dir_ / "share" / "gliffo" / "Gliffo.hlp").string());
  EXPECT_TRUE(dialogs_->Calls.empty()) << dialogs_->Log().front();
  ASSERT_NE(app_->HelpWindow(), nullptr);
  EXPECT_EQ(app_->HelpWindow()->CurrentTopic(), "Gliffo");
  app_->HelpWindow()->close();
}

// The guide covers every command of the collection window.
TEST(HelpFileTest, NamesEveryCommand) {
  QFile file(GLIFFO_HELP_SOURCE);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QString text = QString::fromUtf8(file.readAll());
  for (const char* caption :
       {texts::MenuOpenCollection, texts::MenuSaveCollection, texts::MenuCombineCollections, texts::MenuExportBitmap,
        texts::MenuClose, texts::MenuImage, texts::MenuAddFromEditor, texts::MenuSelectAll, texts::MenuInvertSelection,
        texts::MenuBmpEditor, texts::MenuContents, texts::MenuAbout, "Update Collection Item", "Undo", "Text Font...",
        "Text Caption...", "Freehand", "FloodFill", "Round Rectangle"}) {
    QString plain = QString::fromUtf8(caption).remove('&');
    EXPECT_TRUE(text.contains(plain)) << plain.toStdString();
  }
}

// A PNG strip in and out of the window: each saved glyph's own key colour (its bottom-left
// pixel's) is written transparent, also where it is another glyph's ink; unchecking
// "Transparent key colour" writes every pixel opaque, and both choices reach the settings file.
TEST_F(CollectionWindowTest, PngStripOpensAndSavesWithEachGlyphsKey) {
  const raster::ColorRef silver = raster::MakeColorRef(192, 192, 192), red = raster::MakeColorRef(255, 0, 0);
  const raster::ColorRef blue = raster::MakeColorRef(0, 0, 255);
  TBitmap strip;
  strip.SetPixelFormat(TPixelFormat::pf24bit);
  strip.SetWidth(48);
  strip.SetHeight(16);
  {
    const raster::Surface s = strip.WritableSurface();
    const raster::ColorRef grounds[3] = {silver, red, silver};
    const raster::ColorRef inks[3] = {red, silver, blue};
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 48; ++x)
        raster::WriteValue(s, x, y, raster::ColorToValue(s, (x % 16) == y ? inks[x / 16] : grounds[x / 16]));
  }
  strip.SaveToFile(Path("strip.png"), OpaqueEncodeOptions());
  Start();
  OpenStrip(Path("strip.png"));
  ASSERT_EQ(Glyphs().Items.Count(), 3);
  SelectRows({0, 1});

  const auto saveSelection = [&](const std::string& name) {
    dialogs_->SaveAnswers.push_back(Path(name));
    window_->SaveCollection->trigger();
    TDecodeOptions unusual;  // a key no glyph uses, to see which pixels were transparent
    unusual.Key = raster::MakeColorRef(1, 2, 3);
    const std::vector<std::uint8_t> bytes = files::ReadWholeFile(Path(name));
    return png::Decode(bytes, unusual);
  };
  std::shared_ptr<TBitmapImage> saved = saveSelection("out.png");
  ASSERT_TRUE(saved);
  ASSERT_EQ(saved->Width, 32);
  const raster::Surface s = saved->Surface();
  const raster::ColorRef clear = raster::MakeColorRef(1, 2, 3);
  EXPECT_EQ(raster::GetPixel(s, 1, 0), clear);   // glyph 0's ground
  EXPECT_EQ(raster::GetPixel(s, 0, 0), red);     // glyph 0's ink
  EXPECT_EQ(raster::GetPixel(s, 17, 0), clear);  // glyph 1's ground, red: glyph 0's ink
  EXPECT_EQ(raster::GetPixel(s, 16, 0), silver); // glyph 1's ink, silver: glyph 0's ground

  QAction* transparent = window_->findChild<QAction*>("TransparentKeyColour1");
  QAction* includePng = window_->findChild<QAction*>("IncludePngFiles1");
  ASSERT_TRUE(transparent && includePng);
  EXPECT_TRUE(transparent->isChecked());
  EXPECT_FALSE(includePng->isChecked());
  transparent->trigger();
  includePng->trigger();
  saved = saveSelection("opaque.png");
  ASSERT_TRUE(saved);
  EXPECT_EQ(raster::GetPixel(saved->Surface(), 1, 0), silver);
  EXPECT_EQ(raster::GetPixel(saved->Surface(), 17, 0), red);
  EXPECT_EQ(profile::GetPrivateProfileString("Options", "TransparentKeyColour", "", IniPath()), "0");
  EXPECT_EQ(profile::GetPrivateProfileString("Options", "IncludePngFiles", "", IniPath()), "1");
  transparent->trigger();  // the choice is the whole program's: leave it as found
}

}  // namespace
}  // namespace gliffo::testing
