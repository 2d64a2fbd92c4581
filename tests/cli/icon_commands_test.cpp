#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "glyphs/bitmap.h"
#include "formats/ico_codec.h"
#include "tests/cli/run_tool.h"
#include "tests/glyphs/glyph_fixtures.h"

namespace gliffo {
namespace {

using namespace testing;

class IconCommands : public ::testing::Test {
 protected:
  // A strip of `glyphs` glyphs, each pixel's value telling glyph and place apart.
  std::string Strip(const std::string& name, TPixelFormat format, int size, int glyphs) {
    TBitmap image;
    Paint(image, format, size * glyphs, size, [size, format](int x, int y) {
      return format == TPixelFormat::pf24bit ? TrueColor(x, y, 0) : PaletteColor(x, y, x / size);
    });
    const std::string path = folder / name;
    image.SaveToFile(path);
    return path;
  }
  TempFolder folder;
};

TEST_F(IconCommands, PickKeepsFormatTableAndEachGlyphsValues) {
  for (const TPixelFormat format : {TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf24bit})
    for (const int size : {16, 24, 32}) {
      SCOPED_TRACE(std::to_string(size) + " pixels, format " + std::to_string(static_cast<int>(format)));
      const std::string in = Strip("in.bmp", format, size, 8), out = folder / "out.bmp";
      const ToolResult r = RunTool({"pick", in, out, "3", "0", "5-7", "2-1", "3"}, folder.Path());
      ASSERT_EQ(r.Status, 0) << r.Err;
      TBitmap from, picked;
      from.LoadFromFile(in);
      picked.LoadFromFile(out);
      const std::vector<int> order{3, 0, 5, 6, 7, 2, 1, 3};
      ASSERT_EQ(picked.Width(), size * 8);
      ASSERT_EQ(picked.Height(), size);
      EXPECT_EQ(picked.PixelFormat(), format);
      EXPECT_EQ(picked.Image().ColorTable, from.Image().ColorTable);
      const raster::Surface a = from.Image().Surface(), b = picked.Image().Surface();
      for (std::size_t k = 0; k < order.size(); ++k)
        for (int y = 0; y < size; ++y)
          for (int x = 0; x < size; ++x)
            ASSERT_EQ(raster::ReadValue(b, static_cast<int>(k) * size + x, y), raster::ReadValue(a, order[k] * size + x, y))
                << "glyph " << k << " at " << x << "," << y;
    }
}

TEST_F(IconCommands, UsageErrorsNameTheWordAndWriteNothing) {
  const std::string in = Strip("in.bmp", TPixelFormat::pf4bit, 16, 4), out = folder / "out.bmp";
  struct Case {
    std::vector<std::string> Args;
    const char* Named;
  } cases[] = {
      {{"pick", in, out, "1", "4"}, "'4'"},
      {{"pick", in, out, "2-x"}, "'2-x'"},
      {{"pick", in, out, "1-"}, "'1-'"},
      {{"pick", in, out, "0-9"}, "'0-9'"},
      {{"pick", in, out}, "no glyph"},
      {{"scale", in, out, "--by", "5"}, "5"},
      {{"scale", in, out, "--by", "2", "--method", "scale3x"}, "scale3x"},
      {{"scale", in, out, "--by", "1.5", "--size", "16", "--method", "scale2x"}, "scale2x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Args[3 < c.Args.size() ? 3 : c.Args.size() - 1]);
    const ToolResult r = RunTool(c.Args, folder.Path());
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find(c.Named), std::string::npos) << r.Err;
    EXPECT_FALSE(fs::exists(out));
  }
}

TEST_F(IconCommands, VariantsWriteEveryNameAndSizeOrNothing) {
  const std::string in = Strip("in.bmp", TPixelFormat::pf4bit, 16, 2), names = folder / "names.txt";
  std::ofstream(names) << "open\r\nsave\n";
  const std::string qt = folder / "qt", percent = folder / "percent";
  ASSERT_EQ(RunTool({"variants", in, qt, "--names", names, "--scheme", "qt"}, folder.Path()).Status, 0);
  const std::string x15 = folder / "x15.bmp";
  ASSERT_EQ(RunTool({"scale", in, x15, "--by", "1.5"}, folder.Path()).Status, 0);
  ASSERT_EQ(RunTool({"variants", in, percent, "--names", names, "--scheme", "percent", "--x15", x15}, folder.Path()).Status, 0);
  std::vector<std::string> written;
  for (const auto& dir : {qt, percent})
    for (const auto& e : fs::directory_iterator(dir)) written.push_back(e.path().parent_path().filename().string() + "/" + e.path().filename().string());
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{"percent/open.png", "percent/open_150.png", "percent/open_200.png", "percent/save.png",
                                               "percent/save_150.png", "percent/save_200.png", "qt/open.png", "qt/open@2x.png",
                                               "qt/save.png", "qt/save@2x.png"}));
  // One name short: refused, and the folder is not even made.
  std::ofstream(names) << "open\n";
  EXPECT_EQ(RunTool({"variants", in, folder / "none", "--names", names, "--scheme", "qt"}, folder.Path()).Status, 1);
  EXPECT_FALSE(fs::exists(folder / "none"));
}

// Jobs refuse what they could not make well before they write or load anything: a picture past
// the 2^26-pixel limit (or past int), icon files that would be over 256 entries, names whose
// files would replace each other, a names file past its bound.
TEST_F(IconCommands, LimitsAndCollisionsAreRefusedBeforeAnythingIsWritten) {
  const std::string wide = Strip("wide.bmp", TPixelFormat::pf4bit, 16, 1000), out = folder / "out.bmp";
  std::vector<std::string> args{"pick", wide, out};
  for (int i = 0; i < 300; ++i) args.push_back("0-999");  // 300,000 glyphs: 4,800,000 x 16
  ToolResult r = RunTool(args, folder.Path());
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("Out of system resources"), std::string::npos) << r.Err;
  EXPECT_FALSE(fs::exists(out));

  std::vector<std::string> many{"ico", folder / "many.ico"};
  for (int i = 0; i < 257; ++i) many.push_back(folder / ("missing" + std::to_string(i) + ".png"));
  r = RunTool(many, folder.Path());
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("257 pictures"), std::string::npos) << r.Err;  // counted, not loaded

  const std::string in = Strip("in.bmp", TPixelFormat::pf4bit, 16, 2), names = folder / "names.txt";
  for (const auto& [scheme, pair] : {std::pair{"qt", "a\na@2x\n"}, std::pair{"percent", "a_200\na\n"}}) {
    std::ofstream(names) << pair;
    r = RunTool({"variants", in, folder / "v", "--names", names, "--scheme", scheme}, folder.Path());
    EXPECT_EQ(r.Status, 1) << scheme;
    EXPECT_NE(r.Err.find("would both write"), std::string::npos) << r.Err;
    EXPECT_FALSE(fs::exists(folder / "v"));
  }
  // Two good names, then blank lines past the bound: refused on its length, not read whole.
  std::ofstream(names) << "a\nb\n" << std::string((std::size_t{4} << 20) + 10, '\n');
  r = RunTool({"variants", in, folder / "v", "--names", names, "--scheme", "qt"}, folder.Path());
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("names.txt: the names file is longer than 4 MiB"), std::string::npos) << r.Err;
  EXPECT_FALSE(fs::exists(folder / "v"));
}

TEST_F(IconCommands, IcoWritesOneEntryPerPictureInOrder) {
  const std::string a = Strip("a.bmp", TPixelFormat::pf4bit, 32, 1), b = Strip("b.bmp", TPixelFormat::pf24bit, 16, 1);
  const std::string out = folder / "out.ico";
  const ToolResult r = RunTool({"ico", out, a, b}, folder.Path());
  ASSERT_EQ(r.Status, 0) << r.Err;
  const std::vector<ico::IcoEntry> entries = ico::ParseDirectory(ReadBytes(out));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Width, 32);
  EXPECT_EQ(entries[1].Width, 16);
  const ToolResult info = RunTool({"info", out}, folder.Path());
  EXPECT_NE(info.Out.find("entry 1: 16x16, 32 bits per pixel, BMP"), std::string::npos) << info.Out;
  // Every job reads an icon as it reads any picture: its largest entry.
  const ToolResult list = RunTool({"list", out}, folder.Path());
  EXPECT_NE(list.Out.find("width: 32\nheight: 32"), std::string::npos) << list.Out << list.Err;
  EXPECT_EQ(RunTool({"to4bit", out, folder / "from-icon.bmp"}, folder.Path()).Status, 0);
  // A strip is no icon picture: refused, the icon already there kept.
  const std::string strip = Strip("strip.bmp", TPixelFormat::pf4bit, 16, 3);
  EXPECT_EQ(RunTool({"ico", out, a, strip}, folder.Path()).Status, 1);
  EXPECT_EQ(ico::ParseDirectory(ReadBytes(out)).size(), 2u);
}

}  // namespace
}  // namespace gliffo
