#include <gtest/gtest.h>

#include "glyphs/bitmap.h"
#include "glyphs/folder_load.h"
#include "glyphs/glyph_list.h"
#include "glyphs/save_back.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "tests/glyphs/glyph_fixtures.h"

namespace gliffo {
namespace {

using namespace testing;

// Glyph k of a loaded strip is filled with one colour, k + 1, so its order can be read back.
class ListEdits : public ::testing::Test {
 protected:
  void Load(int n) {
    TBitmap strip;
    Paint(strip, TPixelFormat::pf24bit, 16 * n, 16, [](int x, int) { return raster::MakeColorRef(x / 16 + 1, 0, 0); });
    strip.SaveToFile(folder / "set.bmp");
    LoadFolder(glyphs, folder.Path().string(), {"set.bmp"});
  }
  void Select(std::initializer_list<int> rows) {
    for (int k = 0; k < glyphs.Items.Count(); ++k) glyphs.Items.Item(k).SetSelected(false);
    for (int row : rows) glyphs.Items.Item(row).SetSelected(true);
  }
  // The glyphs in shown order by their colour, after checking that item k shows cell k.
  std::string Order() {
    std::string order;
    EXPECT_EQ(glyphs.Items.Count(), glyphs.ImageList1.Count());
    for (int k = 0; k < glyphs.Items.Count(); ++k) {
      EXPECT_EQ(glyphs.Items.Item(k).ImageIndex(), k);
      EXPECT_EQ(glyphs.Items.Item(k).Caption(), std::to_string(k));
      order += std::to_string(raster::ToRgb(CellPixel(glyphs.ImageList1, k, 0, 0)).Red);
    }
    return order;
  }
  std::string Selection() {
    std::string rows;
    for (int k = 0; k < glyphs.Items.Count(); ++k)
      if (glyphs.Items.Item(k).Selected()) rows += std::to_string(k);
    return rows;
  }

  TGlyphCollection glyphs;
  TempFolder folder;
};

TEST_F(ListEdits, CommandsReorderTheCellsWithTheItemsAndCanBeTakenBack) {
  Load(5);
  ASSERT_FALSE(glyphs.Modified());
  Select({1, 3});
  ASSERT_TRUE(glyphs.DeleteSelected());
  EXPECT_EQ(Order(), "135");
  EXPECT_EQ(Selection(), "1");
  EXPECT_TRUE(glyphs.Modified());

  ASSERT_TRUE(glyphs.Undo());
  EXPECT_EQ(Order(), "12345");
  EXPECT_EQ(Selection(), "13");
  ASSERT_TRUE(glyphs.Redo());
  EXPECT_EQ(Order(), "135");
  ASSERT_TRUE(glyphs.Undo());

  // A block at the left end stays, the other selected glyph still moves.
  Select({0, 3});
  ASSERT_TRUE(glyphs.MoveSelected(-1));
  EXPECT_EQ(Order(), "12435");
  Select({0, 1});
  ASSERT_TRUE(glyphs.MoveSelected(+1));
  EXPECT_EQ(Order(), "41235");
  EXPECT_EQ(Selection(), "12");
  // Dragged to the end, and then before the first glyph.
  ASSERT_TRUE(glyphs.MoveSelectedTo(5));
  EXPECT_EQ(Order(), "43512");
  ASSERT_TRUE(glyphs.MoveSelectedTo(0));
  EXPECT_EQ(Order(), "12435");
  EXPECT_FALSE(glyphs.MoveSelectedTo(1));  // already there

  Select({0, 2});
  ASSERT_TRUE(glyphs.DuplicateSelected());
  EXPECT_EQ(Order(), "1124435");
  EXPECT_EQ(Selection(), "14");
  EXPECT_EQ(glyphs.Origin(0).Position, 0);
  EXPECT_FALSE(glyphs.Origin(1).HasFile());
  EXPECT_EQ(glyphs.Origin(3).Position, 3);
  EXPECT_FALSE(glyphs.Origin(4).HasFile());

  for (int k = 0; k < 5; ++k) ASSERT_TRUE(glyphs.Undo());
  EXPECT_EQ(Order(), "12345");
  EXPECT_EQ(glyphs.Origin(4).Position, 4);
}

TEST_F(ListEdits, InsertedStripsMustHaveTheGlyphHeight) {
  Load(2);
  TBitmap strip;
  Paint(strip, TPixelFormat::pf24bit, 96, 48, [](int, int) { return raster::MakeColorRef(9, 0, 0); });
  try {
    glyphs.InsertStrip(strip, 1);
    ADD_FAILURE() << "a 48-pixel strip was taken into a 16-pixel list";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), FormatMessage(FormatMessage(texts::WrongStripHeight, 48), 16));
  }
  EXPECT_EQ(Order(), "12");
  EXPECT_FALSE(glyphs.Modified());

  Paint(strip, TPixelFormat::pf24bit, 32, 16, [](int x, int) { return raster::MakeColorRef(x < 16 ? 8 : 9, 0, 0); });
  Select({0});
  EXPECT_EQ(glyphs.InsertStrip(strip, glyphs.InsertionPoint()), 2);
  EXPECT_EQ(Order(), "1892");
  EXPECT_EQ(Selection(), "12");
}

// The list's history knows where it was loaded or saved: undo and redo back to there make it
// clean; a change after undoing past it never leads back.
TEST_F(ListEdits, UndoingBackToTheSavedListMakesItClean) {
  Load(4);
  Select({1});
  ASSERT_TRUE(glyphs.DeleteSelected());
  ASSERT_TRUE(glyphs.MoveSelected(+1));
  EXPECT_TRUE(glyphs.Modified());
  ASSERT_TRUE(glyphs.Undo());
  EXPECT_TRUE(glyphs.Modified());
  ASSERT_TRUE(glyphs.Undo());
  EXPECT_FALSE(glyphs.Modified());
  ASSERT_TRUE(glyphs.Redo());
  EXPECT_TRUE(glyphs.Modified());

  // Saved in the middle of the history: undo leaves it modified, redo makes it clean again.
  glyphs.SetModified(false);
  ASSERT_TRUE(glyphs.Undo());
  EXPECT_TRUE(glyphs.Modified());
  ASSERT_TRUE(glyphs.Redo());
  EXPECT_FALSE(glyphs.Modified());
  // Undone past the save, then changed: nothing in the history is the saved list any more.
  ASSERT_TRUE(glyphs.Undo());
  Select({0});
  ASSERT_TRUE(glyphs.DuplicateSelected());
  while (glyphs.CanUndo()) {
    ASSERT_TRUE(glyphs.Undo());
    EXPECT_TRUE(glyphs.Modified());
  }
}

TEST_F(ListEdits, SaveBackWritesOnlyChangedGlyphsInTheirFilesOwnFormat) {
  TBitmap four, keep;
  Paint(four, TPixelFormat::pf4bit, 32, 16, [](int x, int y) { return PaletteColor(x, y, 1); });
  four.SaveToFile(folder / "a.bmp");
  Paint(keep, TPixelFormat::pf24bit, 16, 16, [](int x, int y) { return TrueColor(x, y, 2); });
  keep.SaveToFile(folder / "b.bmp");
  const auto keptBytes = ReadBytes(folder / "b.bmp");
  LoadFolder(glyphs, folder.Path().string(), {"a.bmp", "b.bmp"});
  ASSERT_EQ(glyphs.ImageList1.Count(), 3);

  // Glyph 1 of a.bmp turns into a colour of its table; the glyphs are moved around first.
  TBitmap red;
  Paint(red, TPixelFormat::pf24bit, 16, 16, [](int, int) { return raster::MakeColorRef(255, 0, 0); });
  Select({1});
  ASSERT_TRUE(glyphs.MoveSelected(+1));
  glyphs.ImageList1.Replace(2, red);
  glyphs.SetModified(true);

  const TSaveBackResult result = SaveBackToFiles(glyphs);
  EXPECT_EQ(result.FilesWritten, 1);
  EXPECT_EQ(result.GlyphsWritten, 1);
  // The files keep their own order, so the move is not saved: the list stays modified.
  EXPECT_TRUE(result.OrderLost);
  EXPECT_TRUE(glyphs.Modified());
  EXPECT_EQ(ReadBytes(folder / "b.bmp"), keptBytes);
  TBitmap back;
  back.LoadFromFile(folder / "a.bmp");
  EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf4bit);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
      ASSERT_EQ(PixelOf(back, x, y), x < 16 ? PaletteColor(x, y, 1) : raster::MakeColorRef(255, 0, 0)) << x << "," << y;

  // Moved back into the files' order, everything the list holds is in the files.
  Select({2});
  ASSERT_TRUE(glyphs.MoveSelected(-1));
  const TSaveBackResult again = SaveBackToFiles(glyphs);
  EXPECT_EQ(again.FilesWritten, 0);
  EXPECT_FALSE(again.OrderLost);
  EXPECT_FALSE(glyphs.Modified());
  // So is a deletion.
  Select({1});
  ASSERT_TRUE(glyphs.DeleteSelected());
  EXPECT_TRUE(SaveBackToFiles(glyphs).OrderLost);
  EXPECT_TRUE(glyphs.Modified());
  ASSERT_TRUE(glyphs.Undo());

  // A copy belongs to no file: it is counted, and the list stays modified so it is not lost.
  Select({0});
  ASSERT_TRUE(glyphs.DuplicateSelected());
  EXPECT_EQ(SaveBackToFiles(glyphs).GlyphsWithoutFile, 1);
  EXPECT_TRUE(glyphs.Modified());
}

}  // namespace
}  // namespace gliffo
