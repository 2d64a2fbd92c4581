#include <gtest/gtest.h>

#include <cstdio>

#include "glyphs/bitmap.h"
#include "glyphs/folder_load.h"
#include "glyphs/glyph_list.h"
#include "formats/png_codec.h"
#include "platform/errors.h"
#include "tests/glyphs/bmp_bytes.h"
#include "tests/glyphs/glyph_fixtures.h"
#include "tests/scripted_dialogs.h"

namespace gliffo {
namespace {

using namespace testing;

class FolderLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    glyphs.SetEditor(&editor);
    glyphs.Items.AddListener(&counter);
    Image("a.bmp", 48, 16, 1);
    Image("B.bmp", 16, 16, 2);
    Image("c.bmp", 32, 32, 3);
    Image("d.bmp", 40, 16, 4);
  }
  void Image(const std::string& name, int width, int height, int seed) {
    TBitmap image;
    Paint(image, TPixelFormat::pf24bit, width, height, [seed](int x, int y) { return TrueColor(x, y, seed); });
    image.SaveToFile(folder / name);
  }
  TFolderLoadResult Load(const std::vector<std::string>& names) {
    return LoadFolder(glyphs, folder.Path().string(), names);
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (int i = 0; i < glyphs.Items.Count(); ++i) captions.push_back(glyphs.Items.Item(i).Caption());
    return captions;
  }

  TGlyphCollection glyphs;
  TEditorStandIn editor;
  TItemsCounter counter;
  TScriptedDialogs dialogs;
  TempFolder folder;
  const std::vector<std::string> all = {"a.bmp", "B.bmp", "c.bmp", "d.bmp"};
};

TEST_F(FolderLoad, KeepsWholeGlyphsOfTheCurrentSizeInListOrder) {
  const TFolderLoadResult result = Load(all);
  EXPECT_EQ(result.FilesRead, 4);
  EXPECT_EQ(result.FilesAccepted, 2);
  ASSERT_EQ(glyphs.ImageList1.Count(), 4);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"0", "1", "2", "3"}));
  EXPECT_EQ(CellPixel(glyphs.ImageList1, 2, 15, 15), TrueColor(47, 15, 1));
  EXPECT_EQ(CellPixel(glyphs.ImageList1, 3, 15, 15), TrueColor(15, 15, 2));
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "C+ -- --");
  EXPECT_EQ(counter.Changed, 1);  // one repaint for the whole load

  glyphs.ClearGlyphList();
  glyphs.Mode(32, dialogs);
  Load(all);
  ASSERT_EQ(glyphs.ImageList1.Count(), 1);
  EXPECT_EQ(glyphs.ImageList1.Width(), 32);
  EXPECT_EQ(CellPixel(glyphs.ImageList1, 0, 31, 31), TrueColor(31, 31, 3));
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "-- -- C+");
}

TEST_F(FolderLoad, AFolderWithoutFilesKeepsWhatIsShown) {
  Load(all);
  glyphs.Items.Item(3).SetSelected(true);
  counter = TItemsCounter();
  EXPECT_FALSE(Load({}).Ran);
  EXPECT_EQ(glyphs.ImageList1.Count(), 4);
  EXPECT_EQ(glyphs.Items.SelectedIndex(), 3);
  EXPECT_EQ(counter.Changed, 0);
}

TEST_F(FolderLoad, AllFilesRefusedEmptiesTheListAndStillLocksTheMenu) {
  Load(all);
  glyphs.Items.Item(0).SetSelected(true);
  EXPECT_TRUE(Load({"c.bmp", "d.bmp"}).Ran);
  EXPECT_EQ(glyphs.ImageList1.Count(), 0);
  EXPECT_EQ(glyphs.Items.Count(), 0);
  EXPECT_EQ(glyphs.Items.SelCount(), 0);
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "C+ -- --");
}

// The load stops at an unreadable file; the view then shows, numbered, what was accepted
// before it, and can be used and repainted as after any load.
TEST_F(FolderLoad, AnUnreadableFileStopsTheLoadWithTheViewTruthful) {
  WriteBytes(folder.Path() / "b2.bmp", {'B', 'M', 0, 0});
  Load({"B.bmp"});
  glyphs.Items.Item(0).SetSelected(true);
  counter = TItemsCounter();
  EXPECT_THROW(Load({"a.bmp", "b2.bmp", "B.bmp"}), EStreamError);
  ASSERT_EQ(glyphs.ImageList1.Count(), 3);  // a.bmp only: B.bmp is never taken
  EXPECT_EQ(Captions(), (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_EQ(glyphs.Items.SelCount(), 0);
  EXPECT_EQ(glyphs.Items.UpdateCount(), 0);
  EXPECT_EQ(counter.Changed, 1);
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "C+ -- --");

  EXPECT_THROW(Load({"missing.bmp"}), EFOpenError);
  EXPECT_EQ(glyphs.ImageList1.Count(), 0);
  EXPECT_EQ(glyphs.Items.Count(), 0);
}

// Files read ahead on several threads and in batches are taken in name order, and the first
// unreadable file stops the load where one reader would have stopped.
TEST_F(FolderLoad, ManyFilesReadAheadAreTakenInOrderUpToTheFirstUnreadable) {
  std::vector<std::string> names;
  for (int k = 0; k < 1100; ++k) {
    char name[16];
    std::snprintf(name, sizeof name, "g%04d.bmp", k);
    names.push_back(name);
    if (k == 1060) {
      WriteBytes(folder.Path() / name, {'B', 'M', 0, 0});
    } else {
      Image(name, k % 7 == 3 ? 32 : 16, 16, k);  // every seventh file holds two glyphs
    }
  }
  EXPECT_THROW(Load(names), EStreamError);
  // Each glyph the files before g1060 hold, in order: its file's seed and its left edge there.
  std::vector<std::pair<int, int>> glyphsBefore;
  for (int k = 0; k < 1060; ++k)
    for (int g = 0; g < (k % 7 == 3 ? 2 : 1); ++g) glyphsBefore.push_back({k, 16 * g});
  ASSERT_EQ(glyphs.ImageList1.Count(), static_cast<int>(glyphsBefore.size()));
  for (std::size_t i = 0; i < glyphsBefore.size(); i += 37) {
    const auto [seed, left] = glyphsBefore[i];
    EXPECT_EQ(CellPixel(glyphs.ImageList1, static_cast<int>(i), 15, 15), TrueColor(left + 15, 15, seed)) << i;
  }
  EXPECT_EQ(CellPixel(glyphs.ImageList1, static_cast<int>(glyphsBefore.size()) - 1, 15, 15), TrueColor(15, 15, 1059));
  names.erase(names.begin() + 1060);
  EXPECT_EQ(Load(names).FilesRead, 1099);
  EXPECT_EQ(glyphs.ImageList1.Count(), static_cast<int>(glyphsBefore.size()) + 44);
}

TEST_F(FolderLoad, AFolderPathEndingInTheSeparatorStillWorks) {
  EXPECT_EQ(FolderEntryPath("/", "a.bmp"), "//a.bmp");
  EXPECT_EQ(FolderEntryPath("/x", "a.bmp"), "/x/a.bmp");
  LoadFolder(glyphs, folder.Path().string() + "/", {"B.bmp"});
  EXPECT_EQ(glyphs.ImageList1.Count(), 1);
}

// A picture of another height is none of the load's business, however large its header says
// it is (a run-length BMP or a PNG that small on disk could say anything): it is passed over,
// by the window's load and by gather alike. One of the glyph height past the picture limit
// still stops both.
TEST_F(FolderLoad, PicturesOfAnotherHeightArePassedOverWhateverTheirSize) {
  BmpBuilder huge;
  huge.Width = huge.Height = 16384;
  huge.BitCount = 8;
  huge.Compression = BI_RLE8;
  huge.Table = {Entry(0, 0, 0), Entry(255, 255, 255)};
  huge.Pixels = {0, 1};  // end of the bitmap
  WriteBytes(folder.Path() / "huge.bmp", huge.Build());
  TBitmap small;
  Paint(small, TPixelFormat::pf24bit, 16, 20, [](int x, int y) { return TrueColor(x, y, 9); });
  std::vector<std::uint8_t> png = png::Encode(small.Image());
  png[17] = 0x10, png[22] = 0x10;  // IHDR, big-endian: 1,048,592 wide, 4,116 high
  WriteBytes(folder.Path() / "huge.png", png);
  const std::vector<std::string> names = {"a.bmp", "huge.bmp", "huge.png", "B.bmp"};

  const TFolderLoadResult loaded = Load(names);
  EXPECT_EQ(loaded.FilesRead, 4);
  EXPECT_EQ(loaded.FilesAccepted, 2);
  EXPECT_EQ(glyphs.ImageList1.Count(), 4);
  TBitmap strip;
  const TFolderLoadResult gathered = GatherFolderStrip(folder.Path().string(), names, 16, {}, strip);
  EXPECT_EQ(gathered.FilesRead, 4);
  EXPECT_EQ(gathered.GlyphsAdded, 4);
  EXPECT_EQ(strip.Width(), 64);

  huge.Height = 16;
  huge.Width = 1 << 23;
  WriteBytes(folder.Path() / "wide.bmp", huge.Build());
  const std::vector<std::string> wide = {"a.bmp", "huge.png", "wide.bmp", "B.bmp"};
  EXPECT_THROW(Load(wide), EOutOfResources);
  EXPECT_EQ(glyphs.ImageList1.Count(), 3);
  EXPECT_THROW(GatherFolderStrip(folder.Path().string(), wide, 16, {}, strip), EOutOfResources);
}

}  // namespace
}  // namespace gliffo
