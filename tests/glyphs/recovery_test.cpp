// The recovery copy: what a program writes while work is unsaved comes back whole after it died,
// only copies no running program holds are offered, and a clean end leaves nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/image_formats.h"
#include "glyphs/bitmap.h"
#include "glyphs/recovery.h"
#include "glyphs/strings.h"
#include "platform/files/file_io.h"
#include "tests/glyphs/glyph_fixtures.h"

namespace gliffo {
namespace {

using namespace testing;

// A list of `count` glyphs, glyph k filled with colour k (0x00RRGGBB as cells hold them) and
// coming from place k of a.bmp.
TRecoveryCopy ListCopy(int count) {
  TRecoveryCopy copy;
  copy.Time = 1700000000;
  copy.Source = {TListSourceKind::Folder, "/home/me/icons"};
  copy.ListModified = true;
  copy.List.GlyphSize = 16;
  copy.List.Count = count;
  for (int k = 0; k < count; ++k) {
    copy.List.Pixels.insert(copy.List.Pixels.end(), 256, 0x102030u * static_cast<std::uint32_t>(k + 1));
    copy.List.Origins.push_back(k == 1 ? TGlyphOrigin{} : TGlyphOrigin{"/home/me/icons/a.bmp", k});
  }
  copy.LoadedOrigins = {{"/home/me/icons/a.bmp", 0}, {"/home/me/icons/a.bmp", 2}, {"/home/me/icons/a.bmp", 1}};
  return copy;
}

TEST(Recovery, ACopyLeftBehindComesBackWholeAndOnlyOnce) {
  TempFolder root;
  TRecoveryCopy written = ListCopy(3);
  written.EditorModified = true;
  written.EditorKeptFile = "/home/me/arrow.bmp";
  written.EditorKeptCell = 2;
  written.EditorGlyph = std::make_shared<TBitmap>();
  Paint(*written.EditorGlyph, TPixelFormat::pf4bit, 16, 16, [](int x, int y) { return PaletteColor(x, y, 3); });
  std::string folder;
  {
    TRecoveryFolder mine(root.Path().string());
    folder = mine.Path();
    mine.Write(written);
    // A running program's copy is its own: no other start offers it.
    EXPECT_TRUE(FindLeftRecoveries(root.Path().string()).empty());
  }  // the program dies without removing it

  std::vector<TFoundRecovery> found = FindLeftRecoveries(root.Path().string());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].Folder, folder);
  const TRecoveryCopy& copy = found[0].Copy;
  EXPECT_EQ(copy.Time, written.Time);
  EXPECT_EQ(copy.Source, written.Source);
  EXPECT_TRUE(copy.ListModified);
  EXPECT_EQ(copy.List.GlyphSize, 16);
  EXPECT_EQ(copy.List.Count, 3);
  EXPECT_EQ(copy.List.Pixels, written.List.Pixels);
  EXPECT_EQ(copy.List.Origins, written.List.Origins);
  EXPECT_EQ(copy.LoadedOrigins, written.LoadedOrigins);
  EXPECT_TRUE(copy.EditorModified);
  EXPECT_EQ(copy.EditorKeptFile, written.EditorKeptFile);
  EXPECT_EQ(copy.EditorKeptCell, 2);
  ASSERT_TRUE(copy.EditorGlyph);
  EXPECT_EQ(copy.EditorGlyph->PixelFormat(), TPixelFormat::pf4bit);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(PixelOf(*copy.EditorGlyph, x, y), PaletteColor(x, y, 3)) << x << "," << y;
  // While one start holds it, a second one does not offer it too.
  EXPECT_TRUE(FindLeftRecoveries(root.Path().string()).empty());

  const std::string text = DescribeRecovery(copy);
  EXPECT_NE(text.find("the list of 3 glyphs from /home/me/icons"), std::string::npos) << text;
  EXPECT_NE(text.find("the glyph in the editor, from /home/me/arrow.bmp"), std::string::npos) << text;

  DiscardRecovery(found[0].Folder);
  found.clear();
  EXPECT_FALSE(fs::exists(folder));
}

TEST(Recovery, NothingUnsavedLeavesNothingToOffer) {
  TempFolder root;
  std::string cleared, removed, clean;
  {
    TRecoveryFolder first(root.Path().string());
    first.Write(ListCopy(2));
    first.Clear();  // everything was saved after all
    cleared = first.Path();
  }
  {
    TRecoveryFolder second(root.Path().string());
    second.Write(ListCopy(2));
    second.Remove();  // the program ended properly
    removed = second.Path();
  }
  {
    TRecoveryFolder third(root.Path().string());
    TRecoveryCopy copy = ListCopy(2);
    copy.ListModified = false;
    third.Write(copy);
    clean = third.Path();
  }
  EXPECT_FALSE(fs::exists(removed));
  EXPECT_TRUE(FindLeftRecoveries(root.Path().string()).empty());
  EXPECT_FALSE(fs::exists(cleared)) << "a folder with nothing to bring back goes";
  EXPECT_FALSE(fs::exists(clean));
}

// Two programs keep two copies; a later write replaces the earlier one whole.
TEST(Recovery, EachProgramKeepsItsOwnCopyAndTheNewestComesFirst) {
  TempFolder root;
  {
    TRecoveryFolder older(root.Path().string());
    TRecoveryFolder newer(root.Path().string());
    ASSERT_NE(older.Path(), newer.Path());
    older.Write(ListCopy(5));
    TRecoveryCopy copy = ListCopy(4);
    copy.Time += 60;
    newer.Write(copy);
    copy = ListCopy(1);
    copy.Time += 120;
    newer.Write(copy);
  }
  const std::vector<TFoundRecovery> found = FindLeftRecoveries(root.Path().string());
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].Copy.List.Count, 1);
  EXPECT_EQ(found[1].Copy.List.Count, 5);
  EXPECT_NE(DescribeRecovery(found[0].Copy).find("the list of 1 glyph from"), std::string::npos);
}

// An icon set open with unsaved changes: the copy holds it whole, and it comes back at its own
// file with every name and cell as it was, still unsaved, and saves where it always saved.
TEST(Recovery, AnOpenSetComesBackWholeAndStillUnsaved) {
  TempFolder root, work;
  const std::string setFile = work / "icons.glyphset";
  TBitmap strip16, strip32, drawn;
  Paint(strip16, TPixelFormat::pf4bit, 16 * 3, 16, [](int x, int y) { return PaletteColor(x, y, x / 16); });
  strip16.SaveToFile(work / "t16.bmp");
  Paint(strip32, TPixelFormat::pf24bit, 32 * 3, 32, [](int x, int y) { return TrueColor(x, y, x / 32); });
  SaveImageFile(strip32.Image(), work / "t32.png", {});
  const std::string text = "# mine\nsizes = [16, 32]\nicons = [\"a\", \"b\", \"c\"]\n[strips]\n\"16\" = \"t16.bmp\"\n\"32\" = \"t32.png\"\n";
  WriteBytes(setFile, std::vector<std::uint8_t>(text.begin(), text.end()));
  TIconSet set = TIconSet::Open(setFile, {});
  set.Rename(1, "bee");
  set.Move(0, 2);  // bee c a
  set.Add("new", 3);
  Paint(drawn, TPixelFormat::pf24bit, 16, 16, [](int x, int y) { return TrueColor(x, y, 9); });
  set.SetCell(3, 0, drawn.Image());
  ASSERT_EQ(set.FillFromSize(0, 1), 1);
  set.Remove(1);  // bee a new
  ASSERT_TRUE(set.Cell(2, 1)->Derived);
  // A soft glyph keeps its alpha through the copy, though its strip's store cannot hold it.
  TBitmapImage soft = drawn.Image();
  for (int k = 0; k < 256; ++k) soft.AlphaPixels.push_back(MakeAlphaPixel(k, 255 - k, 40, k));
  set.SetCell(1, 0, soft);
  ASSERT_FALSE(set.Cell(1, 0)->Alpha.empty());

  std::string folder;
  {
    TRecoveryFolder mine(root.Path().string());
    folder = mine.Path();
    TRecoveryCopy copy;
    copy.Time = 1700000000;
    copy.HasSet = true;
    copy.Set = set.Snapshot();
    copy.EditorSetIcon = "new";
    copy.EditorSetColumn = "32";
    mine.Write(copy);
    // Only the editor changed since: the set's folder is named again, not written.
    copy.Set.reset();
    copy.SetAsBefore = true;
    copy.Time += 1;
    mine.Write(copy);
  }
  std::vector<TFoundRecovery> found = FindLeftRecoveries(root.Path().string());
  ASSERT_EQ(found.size(), 1u);
  const TRecoveryCopy& copy = found[0].Copy;
  ASSERT_TRUE(copy.HasSet);
  EXPECT_EQ(copy.Time, 1700000001);
  EXPECT_EQ(copy.EditorSetIcon, "new");
  EXPECT_EQ(copy.EditorSetColumn, "32");
  const std::string question = DescribeRecovery(copy);
  EXPECT_NE(question.find("3 icons and 6 cells of the icon set " + setFile), std::string::npos) << question;

  TIconSet back = TIconSet::Recover(copy.SetFolder, copy.SetInfo, {});
  EXPECT_EQ(back.FileName(), setFile);
  EXPECT_EQ(back.Icons(), set.Icons());
  ASSERT_EQ(back.ColumnCount(), 2);
  for (int icon = 0; icon < 3; ++icon)
    for (int column = 0; column < 2; ++column) {
      ASSERT_EQ(back.CellEmpty(icon, column), set.CellEmpty(icon, column)) << icon << "," << column;
      ASSERT_EQ(back.Cell(icon, column)->Values, set.Cell(icon, column)->Values) << icon << "," << column;
      EXPECT_EQ(back.Cell(icon, column)->Derived, set.Cell(icon, column)->Derived) << icon << "," << column;
      EXPECT_EQ(back.Cell(icon, column)->Alpha, set.Cell(icon, column)->Alpha) << icon << "," << column;
    }
  EXPECT_TRUE(back.Modified());
  EXPECT_EQ(back.ChangedColumns(), set.ChangedColumns());

  // Saved, the files are the set as it was, in their formats, the person's comment kept (a
  // PNG strip gives its transparent colour back as the key, so the BMP strip is compared).
  back.Save();
  EXPECT_FALSE(back.Modified());
  const TIconSet saved = TIconSet::Open(setFile, {});
  EXPECT_EQ(saved.Icons(), set.Icons());
  for (int icon = 0; icon < 3; ++icon) EXPECT_EQ(saved.Cell(icon, 0)->Values, set.Cell(icon, 0)->Values) << icon;
  EXPECT_EQ(LoadImageFile(work / "t16.bmp", {})->BitCount, 4);
  EXPECT_EQ(files::ReadWholeFile(setFile)[0], '#');

  // A description whose set folder points elsewhere is no copy to offer.
  found.clear();
  const std::string ini = (fs::path(folder) / "recovery.ini").string();
  const std::vector<std::uint8_t> bytes = files::ReadWholeFile(ini);
  std::string description(bytes.begin(), bytes.end());
  description.replace(description.find("Folder=set-"), std::string("Folder=set-").size(), "Folder=../set-");
  WriteBytes(ini, std::vector<std::uint8_t>(description.begin(), description.end()));
  EXPECT_TRUE(FindLeftRecoveries(root.Path().string()).empty());
  EXPECT_TRUE(fs::exists(ini)) << "a copy that cannot be read stays for a person to look at";
}

}  // namespace
}  // namespace gliffo
