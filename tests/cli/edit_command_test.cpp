// gliffo-tool edit as a process: sessions whose pixels follow from the tools' rules, the script
// errors with their lines and statuses, and that a failed session writes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "glyphs/bitmap.h"
#include "glyphs/canvas.h"
#include "glyphs/colors.h"
#include "tests/cli/run_tool.h"
#include "tests/temp_folder.h"

namespace gliffo {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// Palette cells 9, 12 and 10.
constexpr TColor Red = clRed;
constexpr TColor Blue = clBlue;
constexpr TColor Lime = clLime;
constexpr TColor StripColors[3] = {clOlive, clTeal, clPurple};

class EditCommand : public ::testing::Test {
 protected:
  std::string Script(const std::string& text, const std::string& name = "s.txt") {
    const std::string path = folder / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  ToolResult Edit(const std::string& text, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"edit", Script(text), folder / "out.bmp"};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunTool(args, folder.Path());
  }
  // The glyph written, as text rows: '#' for `ink`, '.' for white, '?' for anything else.
  std::vector<std::string> Rows(const std::string& file, TColor ink) {
    TBitmap image;
    image.LoadFromFile(file);
    std::vector<std::string> rows;
    for (int y = 0; y < image.Height(); ++y) {
      std::string row;
      for (int x = 0; x < image.Width(); ++x) {
        const TColor c = image.Canvas().Pixel(x, y);
        row += c == ink ? '#' : c == clWhite ? '.' : '?';
      }
      rows.push_back(row);
    }
    return rows;
  }
  TempFolder folder;
};

TEST_F(EditCommand, StrokesGiveTheCellsTheirToolsPaint) {
  // A one-cell line along the middle of the first row of cells paints that glyph row alone.
  ToolResult r = Edit("fg 9\ndown 0 8\nmove 255 8\nup 255 8\n");
  ASSERT_EQ(r.Status, 0) << r.Err;
  std::vector<std::string> rows = Rows(folder / "out.bmp", Red);
  ASSERT_EQ(rows.size(), 16u);
  EXPECT_EQ(rows[0], std::string(16, '#'));
  for (int y = 1; y < 16; ++y) EXPECT_EQ(rows[y], std::string(16, '.')) << "row " << y;

  // A rectangle through the centres of the corner cells: their frame, the inside left white.
  r = Edit("# frame\n\ntool rectangle\nfg 12\ndown 8 8\nmove 100 100\nup 248 248\n");
  ASSERT_EQ(r.Status, 0) << r.Err;
  rows = Rows(folder / "out.bmp", Blue);
  for (int y = 0; y < 16; ++y) {
    const std::string expected = y == 0 || y == 15 ? std::string(16, '#') : "#" + std::string(14, '.') + "#";
    EXPECT_EQ(rows[y], expected) << "row " << y;
  }

  // A block where the button comes up fills that one cell in the brush (the background
  // colour); flood fill takes the whole white field around it and leaves the block alone.
  r = Edit("tool block\nbg 9\ndown 0 0\nup 37 70\ntool floodfill\nbg 10\ndown 200 200\nup 200 200\n");
  ASSERT_EQ(r.Status, 0) << r.Err;
  TBitmap glyph;
  glyph.LoadFromFile(folder / "out.bmp");
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      EXPECT_EQ(glyph.Canvas().Pixel(x, y), x == 2 && y == 4 ? Red : Lime) << x << "," << y;

  // Undo takes back the last stroke only; the glyph follows the surface.
  r = Edit("tool block\nbg 0\ndown 8 8\nup 8 8\ndown 24 8\nup 24 8\nundo\n");
  ASSERT_EQ(r.Status, 0) << r.Err;
  rows = Rows(folder / "out.bmp", clBlack);
  EXPECT_EQ(rows[0], "#" + std::string(15, '.'));
}

TEST_F(EditCommand, SizeAndSurfaceOptions) {
  // A 32-pixel glyph has cells of 8 surface pixels; the surface file shows the 256 × 256
  // drawing at 32 bits.
  ToolResult r = Edit("fg 9\nfill\ntool block\nbg 12\ndown 0 0\nup 9 250\n",
                      {"--size", "32", "--surface", folder / "surface.bmp"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  TBitmap glyph, surface;
  glyph.LoadFromFile(folder / "out.bmp");
  ASSERT_EQ(glyph.Width(), 32);
  ASSERT_EQ(glyph.Height(), 32);
  EXPECT_EQ(glyph.Canvas().Pixel(1, 31), Blue);
  EXPECT_EQ(glyph.Canvas().Pixel(0, 31), clWhite) << "fill leaves the surface in the background colour";
  surface.LoadFromFile(folder / "surface.bmp");
  EXPECT_EQ(surface.Width(), 256);
  EXPECT_EQ(surface.Height(), 256);
  EXPECT_EQ(surface.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(surface.Canvas().Pixel(8, 248), Blue);
  EXPECT_EQ(surface.Canvas().Pixel(15, 255), Blue);
  EXPECT_EQ(surface.Canvas().Pixel(16, 255), clWhite);
  EXPECT_EQ(surface.Canvas().Pixel(7, 248), clWhite);

  fs::remove(folder / "out.bmp");
  for (const char* size : {"0", "-3", "100000"}) {
    r = Edit("fill\n", {"--size", size});
    EXPECT_EQ(r.Status, 2) << size;
    EXPECT_FALSE(fs::exists(folder / "out.bmp")) << size;
  }
}

TEST_F(EditCommand, LinesThatCannotBeReadStopBeforeAnythingRuns) {
  const std::string script = folder / "s.txt";
  struct Case {
    std::string Text;
    std::string Error;  // after "gliffo-tool: SCRIPT:"
  };
  const std::vector<Case> cases = {
      {"fg 1\nsave " + (folder / "early.bmp") + "\npaint 1 2\n", "3: unknown command \"paint\""},
      {"\n\ndown 1\n", "3: down needs X and Y"},
      {"fg 16\n", "1: the palette index must be from 0 to 15, not \"16\""},
      {"move 1 99999999999999999999999\n", "1: Y must be from -32768 to 32767, not \"99999999999999999999999\""},
      {"pen 4\n", "1: the pen width must be from 1 to 3, not \"4\""},
      {"size 20\n", "1: the size must be 16, 24 or 32, not \"20\""},
      {"tool spray\n", "1: unknown tool \"spray\" (freehand, block, line, ellipse, rectangle, roundrect, floodfill, text, picker)"},
      {"font arial\n", "1: font needs a face name and a size"},
      {"font arial 12 colour red\n", "1: colour must be six hex digits RRGGBB, not \"red\""},
      {"undo now\n", "1: undo needs nothing after it"},
      {"flip d\n", "1: cannot flip \"d\""},
      {"rotate\n", "1: rotate needs right or left"},
      {"glyph strip.gbc x\n", "1: the glyph index must be a whole number, not \"x\""},
      {"fg 1\r\nfg\t\x01\n", "2: line holds a control character"},
      {"fg 1\n" + std::string(5000, 'a') + "\n", "2: line is longer than 4096 characters"},
  };
  std::ofstream(folder / "out.bmp", std::ios::binary) << "previous";
  for (const Case& c : cases) {
    const ToolResult r = Edit(c.Text);
    EXPECT_EQ(r.Status, 2) << c.Text;
    EXPECT_EQ(r.Err, "gliffo-tool: " + script + ":" + c.Error + "\n");
    EXPECT_FALSE(fs::exists(folder / "early.bmp")) << "nothing runs before the whole script is read";
  }
  std::ifstream in(folder / "out.bmp", std::ios::binary);
  std::string kept((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(kept, "previous");

  // Binary garbage gets a line and a message, not a crash.
  std::string garbage;
  for (int i = 0; i < 20000; ++i) garbage.push_back(static_cast<char>((i * 7919 + 13) % 256));
  const ToolResult r = Edit(garbage);
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err.rfind("gliffo-tool: " + script + ":", 0), 0u) << r.Err;
}

TEST_F(EditCommand, AFailingCommandStopsTheSessionAtItsLine) {
  const std::string script = folder / "s.txt";
  // An unreadable file: the program's message, the line named, OUT not written. What a save
  // line wrote before it stays, as the user asked for it.
  ToolResult r = Edit("fill\nsave " + (folder / "early.bmp") + "\nopen " + (folder / "missing.bmp") + "\nclear\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err.rfind("gliffo-tool: " + script + ":3: ", 0), 0u) << r.Err;
  EXPECT_NE(r.Err.find("missing.bmp"), std::string::npos) << r.Err;
  EXPECT_FALSE(fs::exists(folder / "out.bmp"));
  EXPECT_TRUE(fs::exists(folder / "early.bmp"));

  // A strip of two glyphs has no glyph 2.
  TBitmap strip;
  strip.SetWidth(32);
  strip.SetHeight(16);
  strip.Canvas().Brush().SetColor(clWhite);
  strip.Canvas().FillRect(Rect(0, 0, 32, 16));
  strip.SaveToFile(folder / "two.gbc");
  r = Edit("glyph " + (folder / "two.gbc") + " 1\n\nglyph " + (folder / "two.gbc") + " 2\n",
           {"--surface", folder / "surface.bmp"});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "gliffo-tool: " + script + ":3: \"" + (folder / "two.gbc") + "\" holds 2 glyphs; there is no glyph 2\n");
  EXPECT_FALSE(fs::exists(folder / "out.bmp"));
  EXPECT_FALSE(fs::exists(folder / "surface.bmp"));

  r = RunTool({"edit", folder / "no-script.txt", folder / "out.bmp"}, folder.Path());
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("no-script.txt"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder / "out.bmp"));
}

TEST_F(EditCommand, GlyphOfAStripIsTheOneEdited) {
  // A 4-bit strip of three 24-pixel glyphs, each in a colour of its own.
  TBitmap strip;
  strip.SetPixelFormat(TPixelFormat::pf4bit);
  strip.SetWidth(72);
  strip.SetHeight(24);
  for (int k = 0; k < 3; ++k) {
    strip.Canvas().Brush().SetColor(StripColors[k]);
    strip.Canvas().FillRect(Rect(24 * k, 0, 24 * k + 24, 24));
  }
  strip.SaveToFile(folder / "three.gbc");
  const ToolResult r = Edit("glyph " + (folder / "three.gbc") + " 1\ntool block\nbg 0\ndown 0 0\nup 0 0\n");
  ASSERT_EQ(r.Status, 0) << r.Err;
  TBitmap glyph;
  glyph.LoadFromFile(folder / "out.bmp");
  ASSERT_EQ(glyph.Width(), 24);
  EXPECT_EQ(glyph.Canvas().Pixel(0, 0), clBlack);
  EXPECT_EQ(glyph.Canvas().Pixel(5, 5), StripColors[1]);
  EXPECT_EQ(glyph.Canvas().Pixel(23, 23), StripColors[1]);
}

TEST_F(EditCommand, TransformLinesMoveTheGlyphByWholePixels) {
  // A block in glyph pixel (0, 0) at 24, then the Transform menu's lines.
  ToolResult r = Edit("bg 9\ntool block\ndown 3 3\nup 3 3\nrotate right\nshift down\nflip h\n", {"--size", "24"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  std::vector<std::string> rows = Rows(folder / "out.bmp", Red);
  ASSERT_EQ(rows.size(), 24u);
  // Turned right: (23, 0); down one: (23, 1); mirrored: (0, 1).
  std::vector<std::string> expected(24, std::string(24, '.'));
  expected[1][0] = '#';
  EXPECT_EQ(rows, expected);

  // Four turns, two flips and a shift there and back give the same file as none at all.
  ASSERT_EQ(Edit("bg 12\ntool block\ndown 40 3\nup 40 3\n").Status, 0);
  std::ifstream plain(folder / "out.bmp", std::ios::binary);
  const std::string once((std::istreambuf_iterator<char>(plain)), {});
  ASSERT_EQ(Edit("bg 12\ntool block\ndown 40 3\nup 40 3\nrotate left\nrotate left\nrotate left\nrotate left\n"
                 "flip v\nflip v\nshift right\nshift left\nshift up\nundo\n")
                .Status,
            0);
  std::ifstream back(folder / "out.bmp", std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(back)), {}), once);
}

TEST_F(EditCommand, HelpListsEveryCommand) {
  const ToolResult r = RunTool({"edit", "--help"}, folder.Path());
  EXPECT_EQ(r.Status, 0);
  for (const char* word : {"tool NAME", "pen 1|2|3", "brush clear|solid", "fg I", "bg I", "down X Y", "move X Y",
                           "up X Y", "undo", "clear", "fill", "caption TEXT", "font FACE SIZE", "open FILE",
                           "save FILE", "glyph STRIP INDEX", "size 16|24|32", "flip h|v", "rotate right|left",
                           "shift left|right|up|down", "--surface"})
    EXPECT_NE(r.Out.find(word), std::string::npos) << word;
}

TEST_F(EditCommand, ScriptWithAByteOrderMarkAndAFolderAsScript) {
  ToolResult r = Edit("\xEF\xBB\xBF" "fg 9\ndown 0 8\nmove 255 8\nup 255 8\n");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Rows(folder / "out.bmp", Red)[0], std::string(16, '#'));
  fs::create_directory(folder.Path() / "dir");
  r = RunTool({"edit", folder / "dir", folder / "out2.bmp"}, folder.Path());
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "gliffo-tool: " + (folder / "dir") + ": cannot open the script: Is a directory\n");
}

}  // namespace
}  // namespace gliffo
