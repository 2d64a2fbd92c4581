#include <gtest/gtest.h>

#include "glyphs/bitmap.h"
#include "glyphs/button_looks.h"
#include "glyphs/canvas.h"
#include "glyphs/collection_files.h"
#include "glyphs/glyph_list.h"
#include "glyphs/strings.h"
#include "formats/png_codec.h"
#include "platform/errors.h"
#include "tests/glyphs/bmp_bytes.h"
#include "tests/glyphs/glyph_fixtures.h"
#include "tests/scripted_dialogs.h"

namespace gliffo {
namespace {

using namespace testing;

class CollectionFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    glyphs.SetEditor(&editor);
    glyphs.Items.AddListener(&counter);
  }
  // A strip file of n glyphs at the size, each pixel a system colour; returns its path.
  std::string StripFile(const std::string& name, int n, int size, int seed = 0,
                        TPixelFormat format = TPixelFormat::pf24bit) {
    TBitmap strip;
    Paint(strip, format, n * size, size, [seed](int x, int y) { return PaletteColor(x, y, seed); });
    strip.SaveToFile(folder / name);
    return folder / name;
  }
  std::string TrueColorFile(const std::string& name, int width, int height, int seed) {
    TBitmap strip;
    Paint(strip, TPixelFormat::pf24bit, width, height, [seed](int x, int y) { return TrueColor(x, y, seed); });
    strip.SaveToFile(folder / name);
    return folder / name;
  }
  std::string Garbage(const std::string& name) {
    WriteBytes(folder / name, {'B', 'M', 1, 2, 3});
    return folder / name;
  }
  static std::vector<std::uint8_t> BytesOf(const TBitmap& image) { return image.SaveToBytes(); }

  TGlyphCollection glyphs;
  TEditorStandIn editor;
  TItemsCounter counter;
  TScriptedDialogs dialogs;
  TempFolder folder;
};

TEST_F(CollectionFiles, OpenTakesTheStripHeightAsGlyphSizeAndIgnoresTheRemainder) {
  OpenCollection(glyphs, TrueColorFile("s.gbc", 70, 20, 1));
  EXPECT_EQ(glyphs.GlyphSize(), 20);
  EXPECT_EQ(glyphs.ImageList1.Width(), 20);
  ASSERT_EQ(glyphs.ImageList1.Count(), 3);
  ASSERT_EQ(glyphs.Items.Count(), 3);
  EXPECT_EQ(glyphs.Items.Item(2).Caption(), "2");
  EXPECT_EQ(CellPixel(glyphs.ImageList1, 2, 19, 19), TrueColor(59, 19, 1));
  EXPECT_EQ(editor.ImageSize, 20);
  EXPECT_EQ(editor.PenWidth, 12);
  EXPECT_EQ(MenuText(glyphs.ModeMenu), "C+ -+ -+");  // 20 is not a menu size
  EXPECT_EQ(glyphs.Items.UpdateCount(), 0);
  EXPECT_EQ(counter.Changed, 1);
}

// A file that cannot be used must not cost the user the glyphs on show.
TEST_F(CollectionFiles, OpenOfABadFileLeavesEverythingAsItWas) {
  glyphs.Mode(24, dialogs);
  OpenCollection(glyphs, StripFile("good.gbc", 4, 24, 3));
  glyphs.Items.Item(2).SetSelected(true);
  const std::string menu = MenuText(glyphs.ModeMenu);
  ASSERT_EQ(menu, "-- C+ --");
  TBitmap narrow;
  Paint(narrow, TPixelFormat::pf24bit, 10, 16, [](int, int) { return 0u; });
  narrow.SaveToFile(folder / "narrow.gbc");
  WriteBytes(folder / "empty.gbc", {});
  counter = TItemsCounter();
  editor.ImageSize = 0;

  EXPECT_THROW(OpenCollection(glyphs, folder / "missing.gbc"), EFOpenError);
  EXPECT_THROW(OpenCollection(glyphs, Garbage("bad.gbc")), EStreamError);
  try {
    OpenCollection(glyphs, folder / "narrow.gbc");
    ADD_FAILURE() << "a strip narrower than its height was opened";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), texts::InvalidImageSize);
  }
  EXPECT_THROW(OpenCollection(glyphs, folder / "empty.gbc"), EInvalidOperation);

  EXPECT_EQ(glyphs.ImageList1.Count(), 4);
  EXPECT_EQ(glyphs.Items.Count(), 4);
  EXPECT_EQ(glyphs.Items.SelectedIndex(), 2);
  EXPECT_EQ(glyphs.Items.SelCount(), 1);
  EXPECT_EQ(glyphs.GlyphSize(), 24);
  EXPECT_EQ(MenuText(glyphs.ModeMenu), menu);
  EXPECT_EQ(CellPixel(glyphs.ImageList1, 3, 0, 0), PaletteColor(72, 0, 3));
  EXPECT_EQ(counter.Changed, 0);
  EXPECT_EQ(editor.ImageSize, 0);
}

TEST_F(CollectionFiles, SaveWritesTheSelectedGlyphsInItemOrderAsAFourBitStrip) {
  glyphs.Mode(24, dialogs);
  OpenCollection(glyphs, StripFile("five.gbc", 5, 24, 2));
  // Selected out of order: the file follows the items.
  glyphs.Items.Item(4).SetSelected(true);
  glyphs.Items.Item(0).SetSelected(true);
  glyphs.Items.Item(3).SetSelected(true);
  ASSERT_TRUE(SaveCollection(glyphs, folder / "three.gbc"));

  TBitmap saved;
  saved.LoadFromFile(folder / "three.gbc");
  EXPECT_EQ(saved.Width(), 72);
  EXPECT_EQ(saved.Height(), 24);
  EXPECT_EQ(saved.PixelFormat(), TPixelFormat::pf4bit);
  ASSERT_EQ(saved.Image().ColorTable.size(), 16u);
  EXPECT_TRUE(std::equal(SystemPalette16().begin(), SystemPalette16().end(), saved.Image().ColorTable.begin()));
  const int source[] = {0, 3, 4};
  for (int k = 0; k < 3; ++k)
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x)
        ASSERT_EQ(PixelOf(saved, k * 24 + x, y), PaletteColor(source[k] * 24 + x, y, 2)) << k << " " << x << "," << y;

  // Opening what was saved gives back the same glyphs.
  TGlyphCollection other;
  OpenCollection(other, folder / "three.gbc");
  ASSERT_EQ(other.ImageList1.Count(), 3);
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(CellPixel(other.ImageList1, k, 23, 23), CellPixel(glyphs.ImageList1, source[k], 23, 23));
}

TEST_F(CollectionFiles, SavedColoursAreMatchedToTheSystemPalette) {
  editor.Glyph.Canvas().Brush().SetColor(static_cast<TColor>(raster::MakeColorRef(250, 6, 2)));
  editor.Glyph.Canvas().FillRect(Rect(0, 0, 16, 16));
  editor.Glyph.Canvas().Brush().SetColor(static_cast<TColor>(raster::MakeColorRef(200, 190, 185)));
  editor.Glyph.Canvas().FillRect(Rect(8, 0, 16, 16));
  glyphs.AddfromEditor();
  glyphs.SelectAll();
  TBitmap strip;
  ASSERT_TRUE(MakeSelectionStrip(glyphs, strip));
  EXPECT_EQ(PixelOf(strip, 0, 0), raster::MakeColorRef(255, 0, 0));
  EXPECT_EQ(PixelOf(strip, 15, 15), raster::MakeColorRef(192, 192, 192));
}

TEST_F(CollectionFiles, TheStripHoldsWhatDrawingEachGlyphWouldPaint) {
  for (int size : {16, 15}) {  // an odd size puts every other glyph off a byte boundary
    OpenCollection(glyphs, TrueColorFile("many.bmp", size * 40, size, 11));
    glyphs.SelectAll();
    glyphs.Items.Item(7).SetSelected(false);
    TBitmap strip, drawn;
    ASSERT_TRUE(MakeSelectionStrip(glyphs, strip));
    drawn.SetPixelFormat(TPixelFormat::pf4bit);
    drawn.SetWidth(39 * size);
    drawn.SetHeight(size);
    for (int i = 0, k = 0; i < 40; ++i)
      if (i != 7) glyphs.ImageList1.Draw(drawn.Canvas(), size * k++, 0, i);
    EXPECT_EQ(BytesOf(strip), BytesOf(drawn)) << size;
  }
}

TEST_F(CollectionFiles, NothingSelectedSavesNothingAndShowsNothing) {
  OpenCollection(glyphs, StripFile("two.gbc", 2, 16));
  EXPECT_FALSE(SaveCollection(glyphs, folder / "out.gbc"));
  SaveCollectionCommand(glyphs, dialogs);
  EXPECT_TRUE(dialogs.Calls.empty());
  EXPECT_FALSE(fs::exists(folder.Path() / "out.gbc"));

  glyphs.Items.Item(1).SetSelected(true);
  dialogs.SaveAnswers = {folder / "out.gbc"};
  SaveCollectionCommand(glyphs, dialogs);
  ASSERT_EQ(dialogs.Calls.size(), 1u);
  EXPECT_EQ(dialogs.Calls[0].Save.FilterIndex, 1);
  EXPECT_EQ(dialogs.Calls[0].Save.DefaultExtension, "gbc");
  EXPECT_EQ(dialogs.Calls[0].Save.Filter, "Bitmap Collection|*.gbc|BMP Files|*.bmp|PNG|*.png|Icon|*.ico|32-bit BMP with alpha|*.bmp");
  TBitmap saved;
  saved.LoadFromFile(folder / "out.gbc");
  EXPECT_EQ(saved.Width(), 16);
}

TEST_F(CollectionFiles, TheDisabledStripOfTheSelectionIsAskedForLikeTheStrip) {
  OpenCollection(glyphs, StripFile("three.gbc", 3, 24, 5));
  SaveDisabledStripCommand(glyphs, dialogs);
  EXPECT_TRUE(dialogs.Calls.empty()) << "nothing selected: nothing asked";

  glyphs.Items.Item(2).SetSelected(true);
  glyphs.Items.Item(0).SetSelected(true);
  dialogs.SaveAnswers = {folder / "off.gbc"};
  SaveDisabledStripCommand(glyphs, dialogs);
  ASSERT_EQ(dialogs.Calls.size(), 1u);
  EXPECT_EQ(dialogs.Calls[0].Save.FilterIndex, 1);
  EXPECT_EQ(dialogs.Calls[0].Save.DefaultExtension, "gbc");
  TBitmap saved, strip, expected;
  saved.LoadFromFile(folder / "off.gbc");
  ASSERT_TRUE(MakeSelectionStrip(glyphs, strip));
  MakeDisabledStrip(strip, 24, expected);
  EXPECT_EQ(saved.SaveToBytes(), expected.SaveToBytes()) << "glyphs 0 and 2 in item order, disabled";
  EXPECT_EQ(saved.Width(), 48);
  EXPECT_EQ(saved.PixelFormat(), TPixelFormat::pf4bit);
}

TEST_F(CollectionFiles, ExportNeedsExactlyOneSelectedGlyph) {
  ExportBitmapCommand(glyphs, dialogs);
  OpenCollection(glyphs, StripFile("three.gbc", 3, 32, 5));
  ExportBitmapCommand(glyphs, dialogs);
  glyphs.Items.Item(0).SetSelected(true);
  glyphs.Items.Item(2).SetSelected(true);
  ExportBitmapCommand(glyphs, dialogs);
  EXPECT_EQ(dialogs.Log(), (std::vector<std::string>{"message:No bitmap selected!", "message:No bitmap selected!",
                                                     "message:Select only one bitmap!"}));

  glyphs.Items.Item(0).SetSelected(false);
  dialogs.Calls.clear();
  dialogs.SaveAnswers = {folder / "one.bmp"};
  ExportBitmapCommand(glyphs, dialogs);
  ASSERT_EQ(dialogs.Log(), std::vector<std::string>{"save"});
  EXPECT_EQ(dialogs.Calls[0].Save.FilterIndex, 2);
  EXPECT_EQ(dialogs.Calls[0].Save.DefaultExtension, "bmp");
  TBitmap exported;
  exported.LoadFromFile(folder / "one.bmp");
  EXPECT_EQ(exported.Width(), 32);
  EXPECT_EQ(exported.Height(), 32);
  EXPECT_EQ(exported.PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(PixelOf(exported, 31, 31), PaletteColor(64 + 31, 31, 5));
}

TEST_F(CollectionFiles, ExportAsksBeforeReplacingAFile) {
  OpenCollection(glyphs, StripFile("two.gbc", 2, 16, 1));
  glyphs.Items.Item(1).SetSelected(true);
  const std::string target = folder / "old.bmp";
  WriteBytes(target, {1, 2, 3});

  dialogs.ConfirmAnswers = {TDialogAnswer::No};
  EXPECT_FALSE(ExportBitmap(glyphs, target, dialogs));
  EXPECT_EQ(ReadBytes(target), (std::vector<std::uint8_t>{1, 2, 3}));
  dialogs.ConfirmAnswers = {TDialogAnswer::Yes};
  EXPECT_TRUE(ExportBitmap(glyphs, target, dialogs));
  EXPECT_EQ(dialogs.Log(), (std::vector<std::string>{"confirm:Replace Existing File?", "confirm:Replace Existing File?"}));
  TBitmap glyph;
  MakeGlyphImage(glyphs, 1, glyph);
  EXPECT_EQ(ReadBytes(target), BytesOf(glyph));
  EXPECT_TRUE(ExportBitmap(glyphs, folder / "new.bmp", dialogs));  // no file: no question
  EXPECT_EQ(dialogs.Calls.size(), 2u);
}

TEST_F(CollectionFiles, CombinePutsTheStripsSideBySideAtTheFirstHeight) {
  TBitmap combined;
  BuildCombinedStrip({TrueColorFile("a.bmp", 32, 16, 1), TrueColorFile("b.bmp", 48, 16, 2)}, combined, {});
  EXPECT_EQ(combined.Width(), 80);
  EXPECT_EQ(combined.Height(), 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 80; ++x)
      ASSERT_EQ(PixelOf(combined, x, y), x < 32 ? TrueColor(x, y, 1) : TrueColor(x - 32, y, 2)) << x << "," << y;

  TBitmap mixed;
  BuildCombinedStrip({TrueColorFile("c.bmp", 16, 16, 3), TrueColorFile("tall.bmp", 24, 24, 4),
                      TrueColorFile("low.bmp", 8, 8, 5)},
                     mixed, {});
  EXPECT_EQ(mixed.Width(), 48);
  EXPECT_EQ(mixed.Height(), 16);
  EXPECT_EQ(PixelOf(mixed, 16 + 23, 15), TrueColor(23, 15, 4));  // the taller one is cut
  EXPECT_EQ(PixelOf(mixed, 40 + 7, 7), TrueColor(7, 7, 5));
  EXPECT_EQ(PixelOf(mixed, 40 + 7, 8), raster::MakeColorRef(255, 255, 255));  // below the lower one
}

// The one-by-one way: the first image widened once per further file. Combining must write the
// same bytes in linear time.
std::vector<std::uint8_t> CombinedOneByOne(const std::vector<std::string>& names) {
  TBitmap a, b;
  a.SetPixelFormat(TPixelFormat::pf4bit);
  b.SetPixelFormat(TPixelFormat::pf4bit);
  a.LoadFromFile(names[0]);
  for (std::size_t i = 1; i < names.size(); ++i) {
    b.LoadFromFile(names[i]);
    const int w = a.Width();
    a.SetWidth(w + b.Width());
    a.Canvas().Draw(w, 0, &b);
  }
  return a.SaveToBytes();
}

TEST_F(CollectionFiles, CombineWritesTheSameBytesAsWideningOneByOne) {
  BmpBuilder mono;  // 1-bit with a red and blue table: the canvas resets it on later widenings
  mono.Width = 40;
  mono.Height = 16;
  mono.BitCount = 1;
  mono.Table = {Entry(255, 0, 0), Entry(0, 0, 255)};
  mono.ClrUsed = 2;
  mono.Pixels.assign(8 * 16, 0xA5);
  WriteBytes(folder / "mono.bmp", mono.Build());
  BmpBuilder twins;  // 8-bit whose table holds white twice
  twins.Width = 16;
  twins.Height = 16;
  twins.BitCount = 8;
  twins.Table = {Entry(0, 0, 0), Entry(255, 255, 255), Entry(255, 255, 255), Entry(255, 0, 0)};
  twins.ClrUsed = 4;
  for (int i = 0; i < 256; ++i) twins.Pixels.push_back(static_cast<std::uint8_t>(i % 4));
  WriteBytes(folder / "twins.bmp", twins.Build());
  const std::string four = StripFile("four.bmp", 2, 16, 7, TPixelFormat::pf4bit);
  const std::string deep = TrueColorFile("deep.bmp", 48, 16, 8);
  const std::string tall = TrueColorFile("tall.bmp", 20, 30, 9);
  const std::string odd = TrueColorFile("odd.bmp", 13, 16, 10);  // later strips start off a byte
  BmpBuilder turned;  // 4-bit, odd width, its table the reverse of another's: every value moves
  turned.Width = 13;
  turned.Height = 16;
  turned.BitCount = 4;
  for (int i = 0; i < 16; ++i) turned.Table.push_back(Entry(i * 17, 255 - i * 17, (i * 85) % 256));
  turned.ClrUsed = 16;
  for (int i = 0; i < 8 * 16; ++i) turned.Pixels.push_back(static_cast<std::uint8_t>(i * 37));
  WriteBytes(folder / "turned.bmp", turned.Build());
  // Beyond what the combine keeps decoded: loaded again when it is drawn.
  const std::string large = TrueColorFile("large.bmp", 1100, 256, 11);
  const std::string mono1 = folder / "mono.bmp", twins1 = folder / "twins.bmp", turned1 = folder / "turned.bmp";

  const std::vector<std::vector<std::string>> cases = {
      {deep, four}, {deep, four, mono1, twins1, tall}, {four, deep, tall, mono1}, {mono1, deep, four},
      {mono1, deep, four, twins1, deep}, {twins1, deep, twins1, four}, {tall, deep, deep, deep},
      {four, odd, deep, odd, twins1}, {mono1, odd, deep, four}, {twins1, odd, odd, tall},
      {four, turned1, four, turned1, four}, {turned1, four, four, large, turned1}, {deep, large, four, large}};
  for (const auto& names : cases) {
    TBitmap combined;
    BuildCombinedStrip(names, combined, {});
    EXPECT_EQ(BytesOf(combined), CombinedOneByOne(names)) << names.size() << " files, first " << names[0];
  }
}

TEST_F(CollectionFiles, CombineCommandNeedsTwoFilesAndReadsAllBeforeWriting) {
  const std::string a = StripFile("a.gbc", 2, 16, 1), b = StripFile("b.gbc", 1, 16, 2);
  dialogs.OpenAnswers = {std::vector<std::string>{a}};
  CombineCollectionsCommand(dialogs, {});
  EXPECT_EQ(dialogs.Log(), (std::vector<std::string>{"open", "message:Select 2 or more files!"}));
  EXPECT_TRUE(dialogs.Calls[0].Open.MultiSelect);

  dialogs.Calls.clear();
  dialogs.OpenAnswers = {std::vector<std::string>{a, Garbage("bad.gbc"), b}};
  dialogs.SaveAnswers = {folder / "out.gbc"};
  EXPECT_THROW(CombineCollectionsCommand(dialogs, {}), EStreamError);
  EXPECT_EQ(dialogs.Log(), std::vector<std::string>{"open"});
  EXPECT_FALSE(fs::exists(folder.Path() / "out.gbc"));

  dialogs.Calls.clear();
  WriteBytes(folder / "out.gbc", {9});
  dialogs.OpenAnswers = {std::vector<std::string>{a, b}};
  dialogs.ConfirmAnswers = {TDialogAnswer::Yes};
  CombineCollectionsCommand(dialogs, {});
  EXPECT_EQ(dialogs.Log(), (std::vector<std::string>{"open", "save", "confirm:Replace Existing File?"}));
  EXPECT_EQ(dialogs.Calls[1].Save.FilterIndex, 1);
  EXPECT_EQ(dialogs.Calls[1].Save.DefaultExtension, "gbc");
  EXPECT_EQ(ReadBytes(folder / "out.gbc"), CombinedOneByOne({a, b}));
}

TEST_F(CollectionFiles, OpenCommandCancelledChangesNothing) {
  OpenCollection(glyphs, StripFile("two.gbc", 2, 16));
  OpenCollectionCommand(glyphs, dialogs);
  EXPECT_EQ(glyphs.ImageList1.Count(), 2);
  EXPECT_FALSE(dialogs.Calls.at(0).Open.MultiSelect);
  EXPECT_EQ(dialogs.Calls.at(0).Open.Filter, "Bitmap Collection|*.gbc|All Images|*.gbc;*.bmp;*.png;*.ico");
  dialogs.OpenAnswers = {std::vector<std::string>{StripFile("five.gbc", 5, 32)}};
  OpenCollectionCommand(glyphs, dialogs);
  EXPECT_EQ(glyphs.ImageList1.Count(), 5);
  EXPECT_EQ(glyphs.GlyphSize(), 32);
}

// An alpha strip opened as a collection keeps its own pixels in the list: through a move of a
// glyph, the PNG Save Collection writes, and the 4-bit strip, which stays the key-colour one.
TEST_F(CollectionFiles, AnAlphaStripKeepsItsAlphaThroughTheListAndItsSaves) {
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
      rgba.insert(rgba.end(), {static_cast<std::uint8_t>(8 * x), static_cast<std::uint8_t>(16 * y), 99,
                               static_cast<std::uint8_t>((x * 16 + y) & 0xFF)});
  WriteBytes(folder / "soft.png", png::EncodeRgba(32, 16, rgba));
  OpenCollection(glyphs, folder / "soft.png");
  ASSERT_NE(glyphs.ImageList1.CellAlphaPixels(1), nullptr);
  glyphs.Items.Item(1).SetSelected(true);
  ASSERT_TRUE(glyphs.MoveSelected(-1));  // glyph 1 first now
  glyphs.SelectAll();
  ASSERT_TRUE(SaveCollection(glyphs, folder / "moved.png"));
  const auto saved = png::Decode(ReadBytes(folder / "moved.png"));
  ASSERT_TRUE(saved->HasAlpha());
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) {
      const int from = (x + 16) % 32;  // the two glyphs swapped
      ASSERT_EQ(saved->AlphaPixels[static_cast<std::size_t>(y) * 32 + x],
                MakeAlphaPixel(8 * from, 16 * y, 99, (from * 16 + y) & 0xFF)) << x << "," << y;
    }
  // The classic strip is the 4-bit one it always was.
  ASSERT_TRUE(SaveCollection(glyphs, folder / "moved.gbc"));
  TBitmap strip;
  strip.LoadFromFile(folder / "moved.gbc");
  EXPECT_FALSE(strip.HasAlpha());
  EXPECT_EQ(strip.PixelFormat(), TPixelFormat::pf4bit);
}

}  // namespace
}  // namespace gliffo
