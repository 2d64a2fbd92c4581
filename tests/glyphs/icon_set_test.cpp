#include "glyphs/icon_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "formats/image_formats.h"
#include "formats/png_codec.h"
#include "glyphs/scaling.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"
#include "tests/temp_folder.h"

namespace gliffo {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

constexpr raster::ColorRef Key = raster::MakeColorRef(0xFF, 0x00, 0xFF);

// The colour that tells glyph k of a strip apart: drawn in the middle of the glyph.
raster::ColorRef Mark(int strip, int glyph) { return raster::MakeColorRef(10 + strip * 20, 30 + glyph * 40, 200); }

// A strip of `count` glyphs on the key colour, glyph k marked with Mark(id, k).
void WriteStrip(const std::string& file, int size, int count, int id) {
  TBitmapImage d;
  d.DeviceDependent = false;
  d.BitCount = 24;
  d.Width = size * count;
  d.Height = size;
  const std::shared_ptr<TBitmapImage> image = NewStore(d);
  const raster::Surface s = image->Surface();
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < d.Width; ++x) raster::WriteValue(s, x, y, raster::ColorToValue(s, Key));
  for (int k = 0; k < count; ++k)
    for (int y = size / 2 - 1; y <= size / 2; ++y)
      for (int x = k * size + size / 2 - 1; x <= k * size + size / 2; ++x)
        raster::WriteValue(s, x, y, raster::ColorToValue(s, Mark(id, k)));
  TEncodeOptions glyphs;
  glyphs.GlyphSize = size;
  SaveImageFile(*image, file, glyphs);
}

void WriteText(const std::string& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

std::string ReadText(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// What a cell shows: the mark in its middle, or Key for an empty one.
raster::ColorRef MiddleOf(const TIconSet& set, int icon, int column) {
  const int size = set.Column(column).Size;
  return raster::GetPixel(set.CellImage(icon, column)->Surface(), size / 2, size / 2);
}

// Three sizes, two themes: the light strips hold four glyphs, the dark 16 three (a short
// strip), the dark 24 and 32 have no file.
class IconSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(folder.Path() / "dark");
    WriteStrip(folder / "t16.bmp", 16, 4, 0);
    WriteStrip(folder / "t24.png", 24, 4, 1);
    WriteStrip(folder / "t32.png", 32, 4, 2);
    WriteStrip(folder / "dark/t16.png", 16, 3, 3);
    WriteText(setFile, SetText);
  }

  std::map<std::string, std::vector<std::uint8_t>> Files() const {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path()))
      if (entry.is_regular_file()) files[entry.path().string()] = files::ReadWholeFile(entry.path().string());
    return files;
  }

  static constexpr const char* SetText = R"(# Toolbar icons of MyApp
name = "myapp-toolbar"
sizes = [16, 24, 32]
themes = ["light", "dark"]  # the dark theme is drawn later
icons = [
  "document-open",  # File menu
  "document-save",
  # Edit menu
  "edit-copy",
  "edit-paste"
]
owner = "art team"  # a key Gliffo does not know

[strips]  # SIZE for the first theme
"16" = "t16.bmp"
"24" = "t24.png"
"32" = "t32.png"
"16-dark" = "dark/t16.png"
)";

  TempFolder folder;
  std::string setFile = folder / "icons.glyphset";
};

TEST_F(IconSetTest, OpensNamesColumnsAndEmptyCells) {
  const TIconSet set = TIconSet::Open(setFile, {});
  ASSERT_EQ(set.Icons(), (std::vector<std::string>{"document-open", "document-save", "edit-copy", "edit-paste"}));
  ASSERT_EQ(set.ColumnCount(), 6);
  EXPECT_EQ(set.Column(3).Key, "16-dark");
  EXPECT_EQ(set.ColumnOf("16-dark"), 3);
  EXPECT_EQ(set.ColumnOf("24-light"), 1);
  for (int icon = 0; icon < 4; ++icon) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(MiddleOf(set, icon, c), Mark(c, icon)) << icon << " " << c;
    EXPECT_EQ(set.CellEmpty(icon, 3), icon == 3);  // the short strip
    EXPECT_TRUE(set.CellEmpty(icon, 4));           // no file
  }
  EXPECT_FALSE(set.Modified());
}

// Every strip changes in step; the files say the same after a save and a new open.
TEST_F(IconSetTest, OperationsKeepEveryStripInStep) {
  TIconSet set = TIconSet::Open(setFile, {});
  set.Add("zoom-in", 1);
  set.Rename(set.IndexOf("document-save"), "save");
  set.Move(set.IndexOf("edit-paste"), 0);
  set.Remove(set.IndexOf("edit-copy"));
  EXPECT_THROW(set.Add("save", 0), EInvalidOperation);
  EXPECT_THROW(set.Rename(0, "Bad Name"), EInvalidOperation);
  set.Save();
  EXPECT_FALSE(set.Modified());
  EXPECT_FALSE(fs::exists(folder.Path() / "myapp-toolbar-24-dark.png"));  // nothing to write there

  const TIconSet again = TIconSet::Open(setFile, {});
  ASSERT_EQ(again.Icons(), (std::vector<std::string>{"edit-paste", "document-open", "zoom-in", "save"}));
  const int was[] = {3, 0, -1, 1};
  for (int icon = 0; icon < 4; ++icon) {
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(again.CellEmpty(icon, c) ? Key : MiddleOf(again, icon, c), was[icon] < 0 ? Key : Mark(c, was[icon]));
    // The dark strip had no glyph 3: edit-paste stays empty there.
    const bool dark = was[icon] >= 0 && was[icon] < 3;
    EXPECT_EQ(again.CellEmpty(icon, 3), !dark) << icon;
    if (dark) {
      EXPECT_EQ(MiddleOf(again, icon, 3), Mark(3, was[icon]));
    }
  }
}

// The comments, the blank lines, the unknown key and the order stay; only values change, and
// each icon keeps its comment lines wherever it goes.
TEST_F(IconSetTest, SaveKeepsCommentsAndUnknownKeys) {
  TIconSet set = TIconSet::Open(setFile, {});
  set.Move(set.IndexOf("edit-copy"), 0);
  set.Rename(set.IndexOf("document-open"), "open");
  set.Add("zoom-in", set.IconCount());
  set.Remove(set.IndexOf("document-save"));
  set.SetCell(0, set.ColumnOf("24-dark"), *set.CellImage(0, 1));
  set.Save();
  EXPECT_EQ(ReadText(setFile), R"(# Toolbar icons of MyApp
name = "myapp-toolbar"
sizes = [16, 24, 32]
themes = ["light", "dark"]  # the dark theme is drawn later
icons = [
  # Edit menu
  "edit-copy",
  "open",  # File menu
  "edit-paste",
  "zoom-in",
]
owner = "art team"  # a key Gliffo does not know

[strips]  # SIZE for the first theme
"16" = "t16.bmp"
"24" = "t24.png"
"32" = "t32.png"
"16-dark" = "dark/t16.png"
"24-dark" = "myapp-toolbar-24-dark.png"
)");
  const TIconSet again = TIconSet::Open(setFile, {});
  EXPECT_EQ(MiddleOf(again, 0, again.ColumnOf("24-dark")), Mark(1, 2));

  // A file that names no set keeps naming none; a new strip takes the file's own name.
  std::string text = SetText;
  text.erase(text.find("name = "), std::string("name = \"myapp-toolbar\"\n").size());
  WriteText(setFile, text);
  TIconSet unnamed = TIconSet::Open(setFile, {});
  EXPECT_EQ(unnamed.Name(), "icons");
  unnamed.SetCell(0, unnamed.ColumnOf("32-dark"), *unnamed.CellImage(0, 2));
  unnamed.Save();
  EXPECT_EQ(ReadText(setFile), text + "\"32-dark\" = \"icons-32-dark.png\"\n");

  // A name that is a path makes no path: its strips stay beside the set file.
  text.replace(text.find("sizes"), 0, "name = \"../up/My Set\"\n");
  WriteText(setFile, text);
  TIconSet pathlike = TIconSet::Open(setFile, {});
  pathlike.SetCell(0, pathlike.ColumnOf("24-dark"), *pathlike.CellImage(0, 1));
  pathlike.Save();
  EXPECT_TRUE(fs::exists(folder.Path() / "---up-My-Set-24-dark.png"));
}

// A save writes only what changed: a rename touches no strip, an icon added at the end none
// either (a strip shorter than the names is whole), and moving back and forth none.
TEST_F(IconSetTest, UntouchedStripsKeepTheirBytes) {
  const auto before = Files();
  TIconSet set = TIconSet::Open(setFile, {});
  set.Rename(0, "open");
  set.Add("zoom-in", set.IconCount());
  set.Move(0, 2);
  set.Move(2, 0);
  EXPECT_TRUE(set.ChangedColumns().empty());
  set.Save();
  auto after = Files();
  EXPECT_NE(after[setFile], before.at(setFile));
  after[setFile] = before.at(setFile);
  EXPECT_EQ(after, before);
}

// A save that fails on its last file leaves all of them as they were, and the set can be
// saved once the cause is gone.
TEST_F(IconSetTest, FailedSaveLeavesEveryFile) {
  TIconSet set = TIconSet::Open(setFile, {});
  set.Add("zoom-in", 0);
  const auto before = Files();
  fs::rename(folder.Path() / "dark", folder.Path() / "gone");
  EXPECT_THROW(set.Save(), EFCreateError);
  fs::rename(folder.Path() / "gone", folder.Path() / "dark");
  EXPECT_EQ(Files(), before);
  EXPECT_TRUE(set.Modified());
  set.Save();
  EXPECT_EQ(TIconSet::Open(setFile, {}).Icons().front(), "zoom-in");
}

// A set received from someone else cannot name a file outside its folder; the path is named
// and nothing is read or written.
TEST_F(IconSetTest, RefusesPathsOutsideItsFolder) {
  fs::create_directory(folder.Path() / "sub");
  fs::create_directory_symlink("/tmp", folder.Path() / "sub/out");
  fs::create_symlink("../../outside.png", folder.Path() / "dark/up.png");
  const auto before = Files();
  const std::pair<const char*, const char*> cases[] = {
      {"\"32\" = \"/tmp/x.png\"", "/tmp/x.png"},
      {"\"32\" = \"../outside.png\"", "../outside.png"},
      {"\"32\" = \"dark/../t32.png\"", "dark/../t32.png"},
      {"\"32\" = \"sub/out/x.png\"", "sub/out/x.png"},
      {"\"32\" = \"dark/up.png\"", "dark/up.png"},
  };
  for (const auto& [line, path] : cases) {
    SCOPED_TRACE(line);
    std::string text = SetText;
    text.replace(text.find("\"32\" = \"t32.png\""), 16, line);
    WriteText(setFile, text);
    try {
      TIconSet::Open(setFile, {});
      ADD_FAILURE() << "opened";
    } catch (const EInvalidOperation& e) {
      EXPECT_EQ(e.Message(), FormatMessage(texts::SetPathOutside, path));
      EXPECT_EQ(e.FileName(), setFile);
    }
    EXPECT_THROW(TIconSet::StripFile(setFile, "16"), EInvalidOperation);
  }
  WriteText(setFile, SetText);
  EXPECT_EQ(Files(), before);
  // Two keys naming one strip, even by another spelling, would write it twice.
  std::string twice = SetText;
  twice.replace(twice.find("\"32\" = \"t32.png\""), 16, "\"32\" = \"./t16.bmp\"");
  WriteText(setFile, twice);
  EXPECT_THROW(TIconSet::Open(setFile, {}), EInvalidOperation);
  twice = SetText;
  twice.replace(twice.find("\"16\" = \"t16.bmp\""), 16, "\"16-light\" = \"t16.bmp\"\n\"16\" = \"t16.bmp\"");
  WriteText(setFile, twice);
  EXPECT_THROW(TIconSet::Open(setFile, {}), EInvalidOperation);
}

TEST_F(IconSetTest, RefusesMalformedFilesNamingTheLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"sizes = [16, 24, 32", "line "},
      {"sizes = [16, 0]", "line 3"},
      {"sizes = [16, 16]", "line 3"},
      {"sizes = \"16\"", "line 3"},
  };
  for (const auto& [line, where] : cases) {
    std::string text = SetText;
    text.replace(text.find("sizes = [16, 24, 32]"), 20, line);
    WriteText(setFile, text);
    try {
      TIconSet::Open(setFile, {});
      ADD_FAILURE() << line;
    } catch (const EInvalidOperation& e) {
      EXPECT_NE(e.Message().find(where), std::string::npos) << e.Message();
    }
  }
  std::string text = SetText;
  text.replace(text.find("\"edit-copy\""), 11, "\"Edit-Copy\"");
  WriteText(setFile, text);
  EXPECT_THROW(TIconSet::Open(setFile, {}), EInvalidOperation);
  text = SetText;
  text.replace(text.find("\"32\" = "), 4, "\"48\"");
  WriteText(setFile, text);
  EXPECT_THROW(TIconSet::Open(setFile, {}), EInvalidOperation);
}

// Fill from Size derives only the empty cells, by the rule of gliffo-tool scale, and undo
// takes the whole fill back.
TEST_F(IconSetTest, FillFromSizeFillsOnlyEmptyCells) {
  TIconSet set = TIconSet::Open(setFile, {});
  const int dark16 = set.ColumnOf("16-dark"), dark32 = set.ColumnOf("32-dark"), dark24 = set.ColumnOf("24-dark");
  set.SetCell(1, dark32, *set.CellImage(1, set.ColumnOf("32")));
  EXPECT_EQ(set.FillFromSize(dark16, dark32), 2);  // icons 0 and 2; 1 is drawn, 3 empty at 16
  EXPECT_TRUE(set.Cell(0, dark32)->Derived);
  EXPECT_FALSE(set.Cell(1, dark32)->Derived);
  EXPECT_EQ(MiddleOf(set, 1, dark32), Mark(2, 1));
  EXPECT_TRUE(set.CellEmpty(3, dark32));
  const auto cell = set.CellImage(0, dark32);
  const auto scaled = ScaleStrip(*set.CellImage(0, dark16), 16, TScaleFactor::By2, TScaleMethod::Scale2x);
  int marked = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      EXPECT_EQ(raster::GetPixel(cell->Surface(), x, y), raster::GetPixel(scaled->Surface(), x, y));
      marked += raster::GetPixel(cell->Surface(), x, y) == Mark(3, 0);
    }
  EXPECT_GT(marked, 4);
  EXPECT_EQ(set.FillFromSize(dark16, dark24), 3);
  EXPECT_THROW(set.FillFromSize(set.ColumnOf("24"), set.ColumnOf("32")), EInvalidOperation);
  ASSERT_TRUE(set.Undo());
  EXPECT_TRUE(set.CellEmpty(0, dark24));
  ASSERT_TRUE(set.Undo());
  EXPECT_TRUE(set.CellEmpty(0, dark32));
  EXPECT_TRUE(set.Redo());
  EXPECT_FALSE(set.CellEmpty(0, dark32));
}

}  // namespace
}  // namespace gliffo

namespace gliffo {
namespace {

// Whatever shape a person gave the file, the text a save writes reads back as exactly what was
// saved: icons added, moved, renamed and removed, a strip added, a theme added, in files with
// inline and dotted strip tables, Windows line ends, no final line end, and lists laid out in
// every way TOML allows.
// Soft edges survive the set: a strip with alpha is read with every pixel's alpha, a move
// rewrites it with them, and a picture with alpha put into a key-colour strip makes it one.
TEST_F(IconSetTest, AlphaCellsKeepTheirAlphaThroughEditsAndSaves) {
  // t24.png: glyph k's pixel (x, y) has alpha (x + y * 24 + k) % 256, colour from k.
  const auto soft = [](int k, int x, int y) {
    return MakeAlphaPixel(40 * k, x * 10, y * 10, (x + y * 24 + k) % 256);
  };
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 96; ++x) {
      const std::uint32_t p = soft(x / 24, x % 24, y);
      rgba.insert(rgba.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                               static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 24)});
    }
  files::WriteWholeFile(folder / "t24.png", png::EncodeRgba(96, 24, rgba));
  TIconSet set = TIconSet::Open(setFile, {});
  set.Move(3, 0);
  // A faint 32-pixel picture into the key-colour t32 strip, for document-save (now icon 1).
  std::shared_ptr<TBitmapImage> faint = set.CellImage(1, 2);
  faint->AlphaPixels.assign(32 * 32, MakeAlphaPixel(0, 0, 0, 0));
  faint->AlphaPixels[5] = MakeAlphaPixel(1, 2, 3, 4);
  set.SetCell(1, 2, *faint);
  EXPECT_FALSE(set.CellEmpty(1, 2)) << "one faint pixel is a drawing";
  faint->AlphaPixels[5] = MakeAlphaPixel(1, 2, 3, 0);
  TIconSet other = TIconSet::Open(setFile, {});
  other.SetCell(0, 2, *faint);
  EXPECT_TRUE(other.CellEmpty(0, 2)) << "alpha 0 throughout shows nothing";
  set.Save();

  const TIconSet back = TIconSet::Open(setFile, {});
  const int order[] = {3, 0, 1, 2};
  for (int icon = 0; icon < 4; ++icon) {
    const std::vector<std::uint32_t> own = OwnPixels(*back.CellImage(icon, 1));
    ASSERT_EQ(own.size(), 24u * 24u);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x)
        ASSERT_EQ(own[static_cast<std::size_t>(y * 24 + x)], soft(order[icon], x, y)) << icon << " " << x << "," << y;
  }
  const std::vector<std::uint32_t> saved = OwnPixels(*back.CellImage(1, 2));
  ASSERT_EQ(saved.size(), 32u * 32u);
  EXPECT_EQ(saved[5], MakeAlphaPixel(1, 2, 3, 4));
  EXPECT_EQ(AlphaOf(saved[0]), 0);
  // The other cells of that strip were key-colour glyphs: their key is transparent, their mark not.
  const std::vector<std::uint32_t> keyed = OwnPixels(*back.CellImage(0, 2));
  EXPECT_EQ(AlphaOf(keyed[0]), 0);
  EXPECT_EQ(keyed[16 * 32 + 16], AlphaPixelOf(Mark(2, 3), 255));
}

TEST(SetFileText, RenderedTextReadsBackAsTheNewContents) {
  const char* texts[] = {
      "sizes = [16]\nicons = [\"a\", \"b\", \"c\"]\n[strips]\n\"16\" = \"s.bmp\"\n",
      "sizes = [16, 24]\r\nicons = [\r\n  \"a\", # one\r\n  \"b\"\r\n  ,\"c\"\r\n]\r\n[strips]\r\n\"16\" = 's.bmp'\r\n",
      "# no strips, no final line end\nsizes=[16,24]\nicons=[\n\"a\",\n\"b\",\n\"c\"\n]",
      "sizes = [16, 24]\nstrips = { \"16\" = \"s.bmp\" }\nicons = [\"a\", \"b\", \"c\"]\n",
      "sizes = [16, 24]\nicons = [\"a\", \"b\", \"c\"]\nstrips.\"16\" = \"s.bmp\"\n[other]\nx = 1\n",
      "sizes = [16, 24]\n\n[strips]\n\"16\" = \"s.bmp\"\n\n[other]\nicons = 3\n",
      "sizes = [16, 24]\nicons = [\"a\", \"b\", \"c\"]\n[strips]\n\"16\" = \"s.bmp\"  # no final line end",
      "sizes = [16]\nicons = [\n]  # none yet\n",
      "icons = [  # the list\n  \"a\",  # first\n\n  # a group\n  \"b\",\n  \"c\",  # last\n]\nsizes = [16, 24]\n",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    const TSetFileText file(text, "t.glyphset");
    TSetFileData data = file.Data();
    std::vector<int> origins;
    for (std::size_t k = 0; k < data.Icons.size(); ++k) origins.push_back(static_cast<int>(k));
    // c to the front, b renamed, a removed, d added; a strip and a theme added.
    if (!data.Icons.empty()) {
      std::rotate(data.Icons.begin(), data.Icons.end() - 1, data.Icons.end());
      std::rotate(origins.begin(), origins.end() - 1, origins.end());
      data.Icons.erase(data.Icons.begin() + 1);
      origins.erase(origins.begin() + 1);
      data.Icons[1] = "b.renamed";
    }
    data.Icons.push_back("d");
    origins.push_back(-1);
    data.Themes.push_back("dark");
    data.Strips.emplace_back("24-dark", "dark/s \"24\".png");
    data.Name = "named";
    const std::string rendered = file.Render(data, origins);
    SCOPED_TRACE(rendered);
    try {
      const TSetFileText again(rendered, "t.glyphset");
      EXPECT_EQ(again.Data(), data);
    } catch (const Exception& e) {
      ADD_FAILURE() << e.Message();
    }
  }
}

}  // namespace
}  // namespace gliffo
