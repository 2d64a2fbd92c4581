// An icon set in the collection window, driven by mouse and key events on the set view: names
// and cells shown, renames, moves and deletes carried into every strip, Fill from Size, Make
// Dark Theme and Compare With, Check Set, the editor's Update written into a cell, and the
// unsaved-changes question.
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollArea>
#include <QStatusBar>
#include <QTest>
#include <fstream>

#include "collection/set_check_list.h"
#include "collection/set_view.h"
#include "collection/strings.h"
#include "collection/viewer.h"
#include "glyphs/dark_theme.h"
#include "gui_fixture.h"

namespace gliffo::testing {
namespace {

class SetWindowTest : public GuiTest {
 protected:
  // Glyph k of each strip in GlyphColor(k) but for its bottom-left pixel, the key colour: a
  // glyph of one colour throughout would be all transparent, an empty cell.
  static void WriteGlyphs(const std::string& fileName, int size, int count) {
    TBitmap strip;
    strip.SetWidth(size * count);
    strip.SetHeight(size);
    raster::Surface surface = strip.WritableSurface();
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < strip.Width(); ++x)
        raster::WriteValue(surface, x, y, x % size == 0 && y == size - 1 ? 0xFF00FFu : GlyphColor(x / size));
    strip.SaveToFile(fileName);
  }
  // The dark 32-pixel strip holds two glyphs only, so icons 2 and 3 are empty there.
  void WriteSet() {
    fs::create_directories(dir_ / "dark");
    WriteGlyphs(Path("t16.bmp"), 16, 4);
    WriteGlyphs(Path("t32.bmp"), 32, 4);
    WriteGlyphs(Path("dark/t16.bmp"), 16, 4);
    WriteGlyphs(Path("dark/t32.bmp"), 32, 2);
    std::ofstream(Path("icons.glyphset")) << "# test set\nsizes = [16, 32]\nthemes = [\"light\", \"dark\"]\n"
                                             "icons = [\"a\", \"b\", \"c\", \"d\"]\n[strips]\n\"16\" = \"t16.bmp\"\n"
                                             "\"32\" = \"t32.bmp\"\n\"16-dark\" = \"dark/t16.bmp\"\n\"32-dark\" = \"dark/t32.bmp\"\n";
  }
  // The window shown and active, as a person's is, then File > Open Collection... on the set;
  // the set view has the focus, so its keys act.
  void OpenSet() {
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path("icons.glyphset")});
    window_->OpenCollection1->trigger();
    ASSERT_TRUE(window_->SetShown()) << ::testing::PrintToString(dialogs_->Log());
    EXPECT_EQ(QApplication::focusWidget(), window_->SetView1);
  }
  TSetView* View() { return window_->SetView1; }
  const TIconSet& Set() { return *window_->IconSet(); }
  // Which glyph of the strips as written each cell shows ("0".."3"), "-" for an empty one.
  static std::string Column(const TIconSet& set, int column) {
    std::string out;
    for (int icon = 0; icon < set.IconCount(); ++icon) {
      if (set.CellEmpty(icon, column)) {
        out += '-';
        continue;
      }
      const raster::ColorRef c = raster::GetPixel(set.CellImage(icon, column)->Surface(), 3, 3);
      char found = '?';
      for (int k = 0; k < 4; ++k)
        if (c == (((GlyphColor(k) >> 16) & 0xFF) | (GlyphColor(k) & 0xFF00) | ((GlyphColor(k) & 0xFF) << 16)))
          found = static_cast<char>('0' + k);
      out += found;
    }
    return out;
  }
  std::string Names(const TIconSet& set) {
    std::string out;
    for (const std::string& name : set.Icons()) out += (out.empty() ? "" : " ") + name;
    return out;
  }
  void Click(QPoint at) { QTest::mouseClick(View(), Qt::LeftButton, {}, at); }
  // The Icon Set menu opened with a click on the menu bar, then a click on one of its items.
  void ChooseFromIconSetMenu(QAction* item) {
    QMenuBar* bar = window_->MainMenu1;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(window_->IconSet1->menuAction()).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->IconSet1->isVisible(); }));
    QTest::mouseClick(window_->IconSet1, Qt::LeftButton, {}, window_->IconSet1->actionGeometry(item).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->IconSet1->isVisible(); }));
  }
  // Whether the view paints the changed-cell frame around a cell.
  bool FramePainted(int icon, int column) {
    const QImage shot = View()->grab().toImage();
    const QRect cell = View()->CellRect(icon, column);
    // Its left side, clear of the frames of the cells around it.
    for (int y = cell.top(); y <= cell.bottom(); ++y)
      for (int x = cell.left() - 3; x < cell.left(); ++x)
        if (shot.pixelColor(x, y) == QColor(0xF0, 0x80, 0x00)) return true;
    return false;
  }
  // A press, a move with the button held, a release: a drag within the view.
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(View(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), View()->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(View(), &move);
    QTest::mouseRelease(View(), Qt::LeftButton, {}, to);
  }
};

TEST_F(SetWindowTest, RenameMoveAndDeleteChangeEveryStrip) {
  WriteSet();
  Start();
  OpenSet();
  EXPECT_TRUE(window_->SetArea1->isVisible());
  EXPECT_FALSE(window_->viewer->isVisible());
  EXPECT_EQ(window_->windowTitle().toStdString(), "Gliffo 2 - icons.glyphset");
  EXPECT_EQ(Names(Set()), "a b c d");
  ASSERT_EQ(Set().ColumnCount(), 4);
  EXPECT_EQ(Column(Set(), 3), "01--");
  // The cells are shown at their real size, the window wide enough for every column.
  EXPECT_EQ(View()->CellRect(0, 1).size(), QSize(32, 32));
  EXPECT_GE(window_->SetArea1->viewport()->width(), View()->width());

  // Double-click on a name renames it; F2 renames the current icon.
  dialogs_->InputAnswers.push_back(std::string("bee"));
  QTest::mouseDClick(View(), Qt::LeftButton, {}, View()->NameRect(1).center());
  EXPECT_EQ(Names(Set()), "a bee c d");
  Click(View()->CellRect(2, 0).center());
  EXPECT_EQ(View()->CurrentIcon(), 2);
  dialogs_->InputAnswers.push_back(std::string("Not Valid"));
  QTest::keyClick(View(), Qt::Key_F2);
  EXPECT_EQ(dialogs_->Log().back(), "error:" + FormatMessage(texts::InvalidIconName, "Not Valid") + ".");
  EXPECT_EQ(Names(Set()), "a bee c d");

  // A name dragged onto the last row goes there; Ctrl+Up brings it back up one.
  Drag(View()->NameRect(0).center(), View()->NameRect(3).center());
  EXPECT_EQ(Names(Set()), "bee c d a");
  QTest::keyClick(View(), Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(Names(Set()), "bee c a d");
  // Delete removes the current icon from every strip.
  Click(View()->NameRect(1).center());
  QTest::keyClick(View(), Qt::Key_Delete);
  EXPECT_EQ(Names(Set()), "bee a d");
  EXPECT_EQ(window_->windowTitle().toStdString(), "Gliffo 2 - *icons.glyphset");
  // Undo and redo, as the list edits have them.
  QTest::keyClick(View(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Names(Set()), "bee c a d");
  QTest::keyClick(View(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Names(Set()), "bee a d");

  // Ctrl+S saves the set while one is shown.
  QTest::keyClick(View(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(window_->windowTitle().toStdString(), "Gliffo 2 - icons.glyphset");
  const TIconSet saved = TIconSet::Open(Path("icons.glyphset"), {});
  EXPECT_EQ(Names(saved), "bee a d");
  for (int c = 0; c < 3; ++c) EXPECT_EQ(Column(saved, c), "103") << c;
  EXPECT_EQ(Column(saved, 3), "10-");
}

// Fill from Size derives the empty cells of the current column from the size asked for and
// leaves the drawn ones; undo takes the fill back.
TEST_F(SetWindowTest, FillFromSizeFillsOnlyEmptyCells) {
  WriteSet();
  Start();
  OpenSet();
  Click(View()->CellRect(0, 3).center());
  ASSERT_EQ(View()->CurrentColumn(), 3);
  dialogs_->InputAnswers.push_back(std::string("16-dark"));
  window_->FillFromSize1->trigger();
  EXPECT_EQ(Column(Set(), 3), "0123");
  EXPECT_FALSE(Set().Cell(0, 3)->Derived);
  EXPECT_TRUE(Set().Cell(2, 3)->Derived);
  EXPECT_EQ(Column(Set(), 1), "0123");  // the light theme untouched
  QTest::keyClick(View(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Column(Set(), 3), "01--");

  // Closing with changes asks about the set; Cancel keeps the window and the set.
  QTest::keyClick(View(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  dialogs_->Calls.clear();
  EXPECT_FALSE(window_->close());
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{std::string("ask:") + texts::SaveSetChanges}));
  EXPECT_TRUE(window_->SetShown());
  // Yes saves the set: the 32-pixel dark strip now holds four glyphs.
  dialogs_->ConfirmAnswers.push_back(TDialogAnswer::Yes);
  window_->CloseSet1->trigger();
  EXPECT_FALSE(window_->SetShown());
  EXPECT_TRUE(window_->viewer->isVisible());
  EXPECT_FALSE(window_->DeleteIcon1->isEnabled());
  EXPECT_EQ(Column(TIconSet::Open(Path("icons.glyphset"), {}), 3), "0123");
}

// Check Set lists the set's problems; a click on one selects its cell, also after the set's
// icons moved since the check.
TEST_F(SetWindowTest, CheckSetClickSelectsTheCell) {
  WriteSet();
  Start();
  OpenSet();
  window_->CheckSet1->trigger();
  ASSERT_NE(window_->CheckList1, nullptr);
  ASSERT_TRUE(window_->CheckList1->isVisible());
  QListWidget* list = window_->CheckList1->List();
  int emptyD = -1;
  for (int row = 0; row < list->count(); ++row)
    if (list->item(row)->text() == "d 32 dark: empty cell") emptyD = row;
  ASSERT_GE(emptyD, 0);
  // d moves to the top before the click: its cell is found by its name.
  Click(View()->NameRect(3).center());
  QTest::keyClick(View(), Qt::Key_Up, Qt::ControlModifier);
  QTest::keyClick(View(), Qt::Key_Up, Qt::ControlModifier);
  QTest::keyClick(View(), Qt::Key_Up, Qt::ControlModifier);
  ASSERT_EQ(Names(Set()), "d a b c");
  Click(View()->CellRect(1, 0).center());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(emptyD)).center());
  EXPECT_EQ(View()->CurrentIcon(), 0);
  EXPECT_EQ(View()->CurrentColumn(), Set().ColumnOf("32-dark"));
}

// A cell opens in the editor at its size; Update writes the editor's glyph into that cell.
TEST_F(SetWindowTest, EditorUpdateWritesTheCell) {
  WriteSet();
  StartWithEditor();
  OpenSet();
  QTest::mouseDClick(View(), Qt::LeftButton, {}, View()->CellRect(2, 1).center());
  EXPECT_TRUE(editor_->isVisible());
  EXPECT_EQ(Glyphs().GlyphSize(), 32);
  editor_->Model().SetBackgroundIndex(0);
  editor_->Model().Fill1Click();
  editor_->UpdateCollectionItem1->trigger();
  // Black throughout: written, and (one colour throughout) an empty cell now.
  EXPECT_EQ(Column(Set(), 1), "01-3");
  EXPECT_EQ(raster::GetPixel(Set().CellImage(2, 1)->Surface(), 5, 5), raster::MakeColorRef(0, 0, 0));
  EXPECT_EQ(Column(Set(), 0), "0123");
  EXPECT_TRUE(Set().Modified());

  // Copy and paste work on cells: the current one, at its own size.
  Click(View()->CellRect(0, 1).center());
  QTest::keyClick(View(), Qt::Key_C, Qt::ControlModifier);
  Click(View()->CellRect(3, 1).center());
  QTest::keyClick(View(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Column(Set(), 1), "01-0");
  Click(View()->CellRect(3, 0).center());
  dialogs_->Calls.clear();
  QTest::keyClick(View(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(dialogs_->Log(), (std::vector<std::string>{"message:The clipboard image is 32 pixels high; the cell is 16."}));
}

// Make Dark Theme fills the empty dark cells from the light ones, marked derived; Compare With
// the set as saved then frames exactly the cells it made and says what differs.
TEST_F(SetWindowTest, MakeDarkThemeThenCompareWithTheSavedSet) {
  WriteSet();
  Start();
  OpenSet();
  ChooseFromIconSetMenu(window_->MakeDarkTheme1);
  EXPECT_EQ(Column(Set(), 3).substr(0, 2), "01");  // drawn cells left alone
  for (int icon = 0; icon < 4; ++icon) EXPECT_EQ(Set().Cell(icon, 3)->Derived, icon >= 2) << icon;
  const raster::ColorRef light = raster::GetPixel(Set().CellImage(2, 1)->Surface(), 3, 3);
  EXPECT_EQ(raster::GetPixel(Set().CellImage(2, 3)->Surface(), 3, 3), DarkColor(light));
  EXPECT_EQ(window_->windowTitle().toStdString(), "Gliffo 2 - *icons.glyphset");

  dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path("icons.glyphset")});
  ChooseFromIconSetMenu(window_->CompareWith1);
  EXPECT_EQ(window_->StatusBar1->currentMessage().toStdString(),
            "Against icons.glyphset: 2 changed, 0 added, 0 removed, 0 moved");
  for (int icon = 0; icon < 4; ++icon)
    for (int column = 0; column < 4; ++column) {
      const bool made = column == 3 && icon >= 2;
      EXPECT_EQ(View()->Marked(icon, column), made) << icon << " " << column;
      EXPECT_EQ(FramePainted(icon, column), made) << icon << " " << column;
    }
}

// A set naming a file outside its folder is refused with the path named; the window stays as
// it was.
TEST_F(SetWindowTest, RefusedSetChangesNothing) {
  std::ofstream(Path("bad.glyphset")) << "sizes = [16]\nicons = [\"a\"]\n[strips]\n\"16\" = \"../outside.bmp\"\n";
  Start();
  window_->show();
  dialogs_->OpenAnswers.push_back(std::vector<std::string>{Path("bad.glyphset")});
  window_->OpenCollection1->trigger();
  EXPECT_FALSE(window_->SetShown());
  EXPECT_TRUE(window_->viewer->isVisible());
  ASSERT_FALSE(dialogs_->Log().empty());
  EXPECT_EQ(dialogs_->Log().back(), "error:" + FormatMessage(texts::SetPathOutside, "../outside.bmp") + ".");
}

}  // namespace
}  // namespace gliffo::testing
