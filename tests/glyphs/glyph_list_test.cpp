#include <gtest/gtest.h>

#include "glyphs/bitmap.h"
#include "glyphs/collection_files.h"
#include "glyphs/glyph_list.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "tests/glyphs/glyph_fixtures.h"
#include "tests/scripted_dialogs.h"

namespace gliffo {
namespace {

using namespace testing;

class GlyphList : public ::testing::Test {
 protected:
  void SetUp() override {
    glyphs.SetEditor(&editor);
    glyphs.Items.AddListener(&counter);
  }
  // Puts n glyphs of the current size in the list, numbered, as a folder load leaves them.
  void Load(int n, int seed = 0) {
    TBitmap strip;
    const int size = glyphs.GlyphSize();
    Paint(strip, TPixelFormat::pf24bit, size * n, size, [seed](int x, int y) { return TrueColor(x, y, seed); });
    glyphs.ImageList1.Clear();
    TUpdateBracket bracket(glyphs.Items);
    glyphs.Items.Clear();
    glyphs.ApplyGlyphSize();
    glyphs.ImageList1.Add(strip);
    glyphs.RebuildNumberedItems();
  }
  std::string Saved(const std::string& name) {
    SaveCollection(glyphs, folder / name);
    return folder / name;
  }

  TGlyphCollection glyphs;
  TEditorStandIn editor;
  TItemsCounter counter;
  TScriptedDialogs dialogs;
  TempFolder folder;
};

TEST_F(GlyphList, StartsAtSixteenWithTheMenuOpen) {
  EXPECT_EQ(glyphs.GlyphSize(), 16);
  EXPECT_EQ(glyphs.CellScale(), 16);
  EXPECT_EQ(glyphs.ImageList1.Width(), 16);
  EXPECT_EQ(glyphs.ImageList1.AllocBy(), 4);
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "C+ -+ -+");
  glyphs.SetGlyphSize(24);
  EXPECT_EQ(glyphs.CellScale(), 10);
  glyphs.SetGlyphSize(32);
  EXPECT_EQ(glyphs.CellScale(), 8);
  EXPECT_THROW(glyphs.SetGlyphSize(0), EInvalidOperation);
}

TEST_F(GlyphList, RebuildNumbersEveryCellAndSelectsNothing) {
  Load(3);
  glyphs.Items.Item(1).SetSelected(true);
  counter = TItemsCounter();
  Load(12);
  ASSERT_EQ(glyphs.Items.Count(), 12);
  for (int k = 0; k < 12; ++k) {
    EXPECT_EQ(glyphs.Items.Item(k).Caption(), std::to_string(k));
    EXPECT_EQ(glyphs.Items.Item(k).ImageIndex(), k);
  }
  EXPECT_EQ(glyphs.Items.Item(11).Caption(), "11");
  EXPECT_EQ(glyphs.Items.SelCount(), 0);
  EXPECT_EQ(counter.Changed, 1);  // one repaint for the whole rebuild
}

TEST_F(GlyphList, SelectAllAndInvertSelection) {
  glyphs.SelectAll();
  glyphs.InvertSelection();
  EXPECT_EQ(counter.Changed, 0);  // empty view: nothing happens

  Load(6);
  glyphs.Items.Item(1).SetSelected(true);
  glyphs.Items.Item(4).SetSelected(true);
  glyphs.InvertSelection();
  EXPECT_EQ(glyphs.Items.SelCount(), 4);
  EXPECT_EQ(glyphs.Items.SelectedIndex(), 0);
  EXPECT_FALSE(glyphs.Items.Item(4).Selected());
  glyphs.InvertSelection();
  EXPECT_EQ(glyphs.Items.SelCount(), 2);
  EXPECT_TRUE(glyphs.Items.Item(1).Selected());
  EXPECT_TRUE(glyphs.Items.Item(4).Selected());

  glyphs.SelectAll();
  EXPECT_EQ(glyphs.Items.SelCount(), 6);
  glyphs.InvertSelection();
  EXPECT_EQ(glyphs.Items.SelCount(), 0);
  EXPECT_EQ(glyphs.Items.Selected(), nullptr);
}

TEST_F(GlyphList, AddFromEditorAfterAModeCommandLocksTheMenu) {
  EXPECT_TRUE(glyphs.Mode(24, dialogs));
  EXPECT_EQ(glyphs.GlyphSize(), 24);
  EXPECT_EQ(editor.ImageSize, 24);
  EXPECT_EQ(editor.PenWidth, 10);
  EXPECT_EQ(glyphs.ImageList1.Width(), 16);  // cells follow only at ApplyGlyphSize
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "-+ C+ -+");

  editor.Fill(3);
  glyphs.AddfromEditor();
  ASSERT_EQ(glyphs.ImageList1.Count(), 1);
  EXPECT_EQ(glyphs.ImageList1.Width(), 24);
  EXPECT_EQ(glyphs.ImageList1.Height(), 24);
  EXPECT_EQ(glyphs.Items.Item(0).Caption(), "0");
  EXPECT_EQ(CellPixel(glyphs.ImageList1, 0, 23, 23), TrueColor(23, 23, 3));
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "-- C+ --");
  EXPECT_TRUE(dialogs.Calls.empty());
}

TEST_F(GlyphList, AddFromEditorAppendsTheNextNumber) {
  Load(5);
  editor.Fill(8);
  glyphs.AddfromEditor();
  ASSERT_EQ(glyphs.Items.Count(), 6);
  EXPECT_EQ(glyphs.Items.Item(5).Caption(), "5");
  EXPECT_EQ(glyphs.Items.Item(5).ImageIndex(), 5);
  EXPECT_EQ(CellPixel(glyphs.ImageList1, 5, 0, 0), TrueColor(0, 0, 8));
  EXPECT_EQ(glyphs.Items.UpdateCount(), 0);
}

TEST_F(GlyphList, ReplaceSelectedWritesTheCellAndRedrawsOnlyThatItem) {
  Load(4, 1);
  editor.Fill(6);
  EXPECT_FALSE(glyphs.ReplaceSelected());  // nothing selected: nothing happens
  EXPECT_EQ(CellPixel(glyphs.ImageList1, 0, 1, 1), TrueColor(1, 1, 1));

  glyphs.Items.Item(3).SetSelected(true);
  glyphs.Items.Item(2).SetSelected(true);
  counter = TItemsCounter();
  EXPECT_TRUE(glyphs.ReplaceSelected());
  EXPECT_EQ(CellPixel(glyphs.ImageList1, 2, 1, 1), TrueColor(1, 1, 6));
  EXPECT_EQ(CellPixel(glyphs.ImageList1, 3, 1, 1), TrueColor(49, 1, 1));
  ASSERT_EQ(counter.Redraws.size(), 1u);
  EXPECT_EQ(counter.Redraws[0], std::make_pair(2, 2));
  EXPECT_EQ(counter.Changed, 0);
}

TEST_F(GlyphList, ApplyGlyphSizeOfAnOddSizeLeavesTheMenuAlone) {
  glyphs.SetGlyphSize(20);
  glyphs.ApplyGlyphSize();
  EXPECT_EQ(glyphs.ImageList1.Width(), 20);
  EXPECT_EQ(glyphs.ImageList1.Height(), 20);
  EXPECT_EQ(editor.ImageSize, 20);
  EXPECT_EQ(editor.Glyph.Width(), 20);
  EXPECT_EQ(editor.PenWidth, 12);
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "C+ -+ -+");
}

TEST_F(GlyphList, ASixteenHighStripAfterLockingAtTwentyFourDisablesEveryItem) {
  glyphs.Mode(24, dialogs);
  Load(2);
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "-- C+ --");
  TBitmap strip;
  Paint(strip, TPixelFormat::pf24bit, 32, 16, [](int x, int y) { return TrueColor(x, y, 0); });
  strip.SaveToFile(folder / "s16.bmp");
  OpenCollection(glyphs, folder / "s16.bmp");
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "C- -- --");
  glyphs.ClearGlyphList();
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "C+ -+ -+");
}

TEST_F(GlyphList, ClearingAfterWorkingAtThirtyTwoStartsOver) {
  glyphs.Mode(32, dialogs);
  Load(3);
  glyphs.Items.Item(0).SetSelected(true);
  counter = TItemsCounter();
  glyphs.ClearGlyphList();
  EXPECT_EQ(glyphs.ImageList1.Count(), 0);
  EXPECT_EQ(glyphs.Items.Count(), 0);
  EXPECT_EQ(glyphs.Items.SelCount(), 0);
  EXPECT_EQ(glyphs.ImageList1.Width(), 16);
  EXPECT_EQ(glyphs.GlyphSize(), 16);
  EXPECT_EQ(editor.ImageSize, 16);
  EXPECT_EQ(editor.PenWidth, 16);
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "C+ -+ -+");
  EXPECT_EQ(counter.Changed, 1);
}

TEST_F(GlyphList, MenuChangesAreReportedForTheWindowToMirror) {
  int changes = 0;
  glyphs.ModeMenu.OnChange = [&] { ++changes; };
  glyphs.ApplyGlyphSize();  // 16: checked already, two items disabled
  EXPECT_EQ(changes, 2);
  glyphs.ApplyGlyphSize();
  EXPECT_EQ(changes, 2);
}

// A strip whose height is not 16, 24 or 32 leaves the menu open with glyphs in the list. A
// mode command then asks before the glyphs would go.
TEST_F(GlyphList, ModeCommandAsksBeforeDroppingGlyphsOfAnotherSize) {
  TBitmap strip;
  Paint(strip, TPixelFormat::pf24bit, 60, 20, [](int x, int y) { return TrueColor(x, y, 2); });
  strip.SaveToFile(folder / "s20.bmp");
  OpenCollection(glyphs, folder / "s20.bmp");
  glyphs.Items.Item(1).SetSelected(true);
  ASSERT_EQ(MenuText(glyphs.ModeMenu), "C+ -+ -+");
  const std::string before = Saved("before.gbc");
  int menuChanges = 0;
  glyphs.ModeMenu.OnChange = [&] { ++menuChanges; };

  dialogs.ConfirmAnswers = {TDialogAnswer::No};
  EXPECT_FALSE(glyphs.Mode(24, dialogs));
  EXPECT_EQ(dialogs.Log(), std::vector<std::string>{"confirm:Clear Viewer?"});
  EXPECT_EQ(glyphs.GlyphSize(), 20);
  EXPECT_EQ(glyphs.ImageList1.Count(), 3);
  EXPECT_EQ(glyphs.Items.SelectedIndex(), 1);
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "C+ -+ -+");
  EXPECT_GE(menuChanges, 1);  // the window puts its radio item back
  EXPECT_EQ(ReadBytes(Saved("after.gbc")), ReadBytes(before));

  // The glyphs can still be added to, saved and exported at their own size.
  editor.Fill(1);
  glyphs.AddfromEditor();
  EXPECT_EQ(glyphs.ImageList1.Count(), 4);

  dialogs.ConfirmAnswers = {TDialogAnswer::Yes};
  EXPECT_TRUE(glyphs.Mode(24, dialogs));
  EXPECT_EQ(glyphs.ImageList1.Count(), 0);
  EXPECT_EQ(glyphs.Items.Count(), 0);
  EXPECT_EQ(glyphs.GlyphSize(), 24);
  EXPECT_EQ(editor.ImageSize, 24);
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "-+ C+ -+");
}

TEST_F(GlyphList, ModeCommandOnAnEmptyListOrTheSameSizeAsksNothing) {
  EXPECT_TRUE(glyphs.Mode(32, dialogs));
  EXPECT_TRUE(glyphs.Mode(16, dialogs));
  Load(2);
  EXPECT_TRUE(glyphs.Mode(16, dialogs));
  EXPECT_EQ(glyphs.ImageList1.Count(), 2);
  EXPECT_FALSE(glyphs.Mode(20, dialogs));  // not a menu size
  EXPECT_TRUE(dialogs.Calls.empty());
}

}  // namespace
}  // namespace gliffo
