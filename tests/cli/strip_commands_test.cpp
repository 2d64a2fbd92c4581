#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "glyphs/bitmap.h"
#include "glyphs/button_looks.h"
#include "tests/cli/run_tool.h"
#include "glyphs/collection_files.h"
#include "glyphs/folder_load.h"
#include "glyphs/glyph_list.h"
#include "formats/ico_codec.h"
#include "formats/image_formats.h"
#include "formats/png_codec.h"
#include "platform/drives/folder_listing.h"
#include "tests/glyphs/bmp_bytes.h"
#include "tests/glyphs/glyph_fixtures.h"

namespace gliffo {
namespace {

using namespace testing;

using testing::ToolResult;

ToolResult Tool(const std::vector<std::string>& args, const fs::path& dir) { return RunTool(args, dir); }

class StripCommands : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(folder.Path() / "in"); }
  std::string Image(const std::string& name, int width, int height, int seed,
                    TPixelFormat format = TPixelFormat::pf24bit) {
    TBitmap image;
    Paint(image, format, width, height, [seed](int x, int y) { return TrueColor(x, y, seed); });
    const std::string path = (folder.Path() / "in" / name).string();
    image.SaveToFile(path);
    return path;
  }
  TempFolder folder;
};

TEST_F(StripCommands, GatherWritesWhatTheFolderLoadAndSaveCollectionWrite) {
  Image("b.bmp", 32, 16, 1, TPixelFormat::pf4bit);
  Image("A.bmp", 16, 16, 2);
  Image("c.BMP", 48, 16, 3);
  Image("skip.bmp", 20, 16, 4);
  Image(".hidden.bmp", 16, 16, 5);
  const std::string in = (folder.Path() / "in").string(), out = folder / "out.gbc";
  const ToolResult r = Tool({"gather", in, out, "--size", "16"}, folder.Path());
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("glyphs: 6"), std::string::npos) << r.Out;

  TGlyphCollection glyphs;
  LoadFolder(glyphs, in, drives::ListFolderFiles(in));
  glyphs.SelectAll();
  SaveCollection(glyphs, folder / "expected.gbc");
  EXPECT_EQ(ReadBytes(out), ReadBytes(folder / "expected.gbc"));
  TBitmap strip;
  strip.LoadFromFile(out);
  EXPECT_EQ(strip.Width(), 96);
  EXPECT_EQ(strip.PixelFormat(), TPixelFormat::pf4bit);
}

TEST_F(StripCommands, GatherStopsAtAnUnreadableBmpAndWritesNothing) {
  Image("a.bmp", 16, 16, 1);
  WriteBytes(folder.Path() / "in" / "b.bmp", {'B', 'M', 7});
  const std::string out = folder / "out.gbc";
  const std::string in = (folder.Path() / "in").string();
  const ToolResult r = Tool({"gather", in, out}, folder.Path());
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "gliffo-tool: " + in + "/b.bmp: Stream read error\n");  // the file that stopped the job
  EXPECT_FALSE(fs::exists(out));

  fs::remove(folder.Path() / "in" / "b.bmp");
  const ToolResult none = Tool({"gather", in, out, "--size", "24"}, folder.Path());
  EXPECT_EQ(none.Status, 1);
  EXPECT_EQ(none.Err, "gliffo-tool: " + in + ": no 24x24 glyphs; nothing written\n");
  const ToolResult missing = Tool({"gather", (folder.Path() / "nope").string(), out}, folder.Path());
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Err, "gliffo-tool: " + (folder.Path() / "nope").string() + ": File not found\n");
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(StripCommands, CombineWritesWhatCombineCollectionsBuilds) {
  // The last is larger than the combine keeps decoded, so it is read again when drawn.
  const std::vector<std::string> inputs = {Image("s1.bmp", 32, 16, 1, TPixelFormat::pf4bit), Image("s2.bmp", 48, 16, 2),
                                           Image("s3.bmp", 16, 24, 3), Image("s4.bmp", 1100, 256, 4)};
  const std::string out = folder / "out.bmp";
  WriteBytes(out, {1});
  const ToolResult r = Tool({"combine", out, inputs[0], inputs[1], inputs[2], inputs[3]}, folder.Path());
  ASSERT_EQ(r.Status, 0) << r.Err;
  TBitmap expected;
  BuildCombinedStrip(inputs, expected, {});
  EXPECT_EQ(ReadBytes(out), expected.SaveToBytes());

  EXPECT_EQ(Tool({"combine", out, inputs[0]}, folder.Path()).Status, 2);
  const ToolResult bad = Tool({"combine", folder / "new.bmp", inputs[0], folder / "missing.bmp"}, folder.Path());
  EXPECT_EQ(bad.Status, 1);
  EXPECT_EQ(bad.Err.rfind("gliffo-tool: " + (folder / "missing.bmp") + ": ", 0), 0u) << bad.Err;
  EXPECT_FALSE(fs::exists(folder.Path() / "new.bmp"));
  // The first input that cannot be read is the one named, whatever is wrong with later ones.
  WriteBytes(folder / "cut.bmp", {'B', 'M'});
  const ToolResult first = Tool({"combine", folder / "new.bmp", inputs[0], folder / "cut.bmp", folder / "missing.bmp"}, folder.Path());
  EXPECT_EQ(first.Err.rfind("gliffo-tool: " + (folder / "cut.bmp") + ": ", 0), 0u) << first.Err;
}

TEST_F(StripCommands, SplitExportsEachGlyphAndListCountsThem) {
  const std::string strip = Image("icons.gbc", 56, 16, 6);
  const ToolResult list = Tool({"list", strip}, folder.Path());
  ASSERT_EQ(list.Status, 0) << list.Err;
  EXPECT_NE(list.Out.find("glyphs: 3\n"), std::string::npos) << list.Out;
  EXPECT_NE(list.Out.find("glyph-size: 16\n"), std::string::npos);
  EXPECT_NE(list.Out.find("unused-columns: 8\n"), std::string::npos);
  const ToolResult list8 = Tool({"list", strip, "--size", "8"}, folder.Path());
  EXPECT_NE(list8.Out.find("glyphs: 7\n"), std::string::npos) << list8.Out;

  const fs::path outDir = folder.Path() / "split";
  const ToolResult r = Tool({"split", strip, outDir.string()}, folder.Path());
  ASSERT_EQ(r.Status, 0) << r.Err;
  TGlyphCollection glyphs;
  OpenCollection(glyphs, strip);
  for (int i = 0; i < 3; ++i) {
    TBitmap glyph;
    MakeGlyphImage(glyphs, i, glyph);
    EXPECT_EQ(ReadBytes(outDir / ("icons_00" + std::to_string(i) + ".bmp")), glyph.SaveToBytes()) << i;
  }
  EXPECT_FALSE(fs::exists(outDir / "icons_003.bmp"));
  EXPECT_EQ(Tool({"split", strip, outDir.string(), "--size", "32"}, folder.Path()).Status, 1);
}

// PNG through the jobs: gather --png takes *.png files in the same name order as the window's
// folder load with PNG files included, split --format png writes each glyph's key transparent,
// copy writes every pixel opaque, --key names the colour transparent pixels read as, and a
// broken PNG is refused with the reader's message and nothing written.
TEST_F(StripCommands, PngJobsReadWriteAndRefuse) {
  Image("b.bmp", 32, 16, 1, TPixelFormat::pf4bit);
  Image("A.png", 16, 16, 2);
  Image("c.PNG", 16, 16, 3);
  Image("skip.png", 20, 16, 4);
  const std::string in = (folder.Path() / "in").string(), out = folder / "out.gbc";
  ToolResult r = Tool({"gather", in, out}, folder.Path());
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("glyphs: 2\n"), std::string::npos) << r.Out;
  r = Tool({"gather", in, out, "--png"}, folder.Path());
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("glyphs: 4\n"), std::string::npos) << r.Out;
  TGlyphCollection glyphs;
  LoadFolder(glyphs, in, drives::ListFolderFiles(in, "*.bmp;*.png"));
  glyphs.SelectAll();
  SaveCollection(glyphs, folder / "expected.gbc");
  EXPECT_EQ(ReadBytes(out), ReadBytes(folder / "expected.gbc"));

  const fs::path outDir = folder.Path() / "split";
  r = Tool({"split", out, outDir.string(), "--format", "png"}, folder.Path());
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_FALSE(fs::exists(outDir / "out_000.bmp"));
  TDecodeOptions unusual;
  unusual.Key = raster::MakeColorRef(1, 2, 3);
  for (int i = 0; i < 4; ++i) {
    const auto glyph = png::Decode(ReadBytes(outDir / ("out_00" + std::to_string(i) + ".png")), unusual);
    ASSERT_TRUE(glyph) << i;
    EXPECT_EQ(raster::GetPixel(glyph->Surface(), 0, 15), unusual.Key) << i;
  }

  r = Tool({"copy", outDir / "out_001.png", folder / "copy.png"}, folder.Path());
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(png::ParseHeader(ReadBytes(folder / "copy.png")).TransparencyEntries, 0);

  // The key of a split glyph read back: magenta by default, the colour --key names otherwise.
  r = Tool({"decode", outDir / "out_001.png", folder / "k.ppm", "--key", "00ff00"}, folder.Path());
  ASSERT_EQ(r.Status, 0) << r.Err;
  const std::vector<std::uint8_t> ppm = ReadBytes(folder / "k.ppm");
  ASSERT_GE(ppm.size(), 16u * 16 * 3);
  const std::size_t bottomLeft = ppm.size() - 16 * 3;
  EXPECT_EQ((std::vector<std::uint8_t>(ppm.begin() + bottomLeft, ppm.begin() + bottomLeft + 3)),
            (std::vector<std::uint8_t>{0, 255, 0}));

  std::vector<std::uint8_t> broken = ReadBytes(outDir / "out_000.png");
  broken[broken.size() - 20] ^= 0x55;  // inside the last chunks: a checksum fails
  WriteBytes(folder / "broken.png", broken);
  r = Tool({"copy", folder / "broken.png", folder / "never.bmp"}, folder.Path());
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err.rfind("gliffo-tool: " + (folder / "broken.png") + ": PNG image is not valid", 0), 0u) << r.Err;
  EXPECT_FALSE(fs::exists(folder / "never.bmp"));
}

}  // namespace
}  // namespace gliffo

namespace gliffo {
namespace {

TEST_F(StripCommands, DisableWritesTheDisabledLooksOfEveryGlyph) {
  const std::string in = Image("icons.bmp", 24 * 3, 24, 6), out = folder / "icons-off.bmp";
  const ToolResult r = Tool({"disable", in, out}, folder.Path());
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("glyphs: 3"), std::string::npos) << r.Out;
  TBitmap strip, expected, written;
  strip.LoadFromFile(in);
  MakeDisabledStrip(strip, 24, expected);
  written.LoadFromFile(out);
  EXPECT_EQ(written.SaveToBytes(), expected.SaveToBytes());
  EXPECT_EQ(written.PixelFormat(), TPixelFormat::pf4bit);

  // A size that is not the strip's height is refused with the program's message; no file.
  const ToolResult wrong = Tool({"disable", in, folder / "no.bmp", "--size", "16"}, folder.Path());
  EXPECT_EQ(wrong.Status, 1);
  EXPECT_NE(wrong.Err.find("Invalid image size"), std::string::npos) << wrong.Err;
  EXPECT_FALSE(fs::exists(folder.Path() / "no.bmp"));
  EXPECT_EQ(Tool({"disable", in}, folder.Path()).Status, 2);
}

// A job's pictures stay within the limit of one picture, however many inputs say otherwise:
// refused as soon as the headers say so, before their pixels are read.
TEST_F(StripCommands, BombsAreRefusedBeforeTheirPixelsAreHeld) {
  const auto header = [&](const std::string& name, int width, int height, int bits) {
    BmpBuilder b;
    b.Width = width;
    b.Height = height;
    b.BitCount = static_cast<std::uint16_t>(bits);
    if (bits == 1) b.Table = {Entry(0, 0, 0), Entry(255, 255, 255)};
    const std::string path = (folder.Path() / "in" / name).string();
    const std::vector<std::uint8_t> bytes = b.Build();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  };
  // Each at the limit of 64 Mi pixels; two of them would pass it.
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) header(name, 1 << 22, 16, 1);
  const std::string out = folder / "out.gbc";
  std::ofstream(out) << "old";
  ToolResult r = Tool({"gather", (folder.Path() / "in").string(), out}, folder.Path());
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("b.bmp: Out of system resources"), std::string::npos) << r.Err;
  const std::vector<std::string> wide{header("w1.bmp", 8192, 8192, 24), header("w2.bmp", 8192, 8192, 24)};
  r = Tool({"combine", out, wide[0], wide[1]}, folder.Path());
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("w2.bmp: Out of system resources"), std::string::npos) << r.Err;

  // An empty first strip gives an empty result, which is not written.
  const std::string empty = (folder.Path() / "empty.bmp").string();
  std::ofstream{empty};
  r = Tool({"combine", out, empty, Image("g.bmp", 16, 16, 1)}, folder.Path());
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("empty.bmp: the file is empty"), std::string::npos) << r.Err;
  std::ifstream kept(out);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old");
}

// Every strip job that writes PNG or ICO keeps an alpha picture's own pixels: each of them
// here has an alpha of its own, and a colour that differs from its neighbours'.
TEST_F(StripCommands, AlphaStripsKeepEveryPixelThroughTheJobs) {
  const auto pixel = [](int x, int y) { return MakeAlphaPixel(7 * x + 3, 11 * y, 255 - 5 * x, (x * 16 + y * 3 + 1) & 0xFF); };
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) {
      const std::uint32_t p = pixel(x, y);
      rgba.insert(rgba.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p),
                               static_cast<std::uint8_t>(p >> 24)});
    }
  fs::create_directory(folder.Path() / "glyphs");
  const std::string in = folder / "glyphs/a.png";
  WriteBytes(in, png::EncodeRgba(32, 16, rgba));
  const std::string key = (folder.Path() / "glyphs" / "b.bmp").string();
  TBitmap keyGlyph;
  Paint(keyGlyph, TPixelFormat::pf24bit, 16, 16, [](int x, int y) { return x < 4 && y > 11 ? 0x00FF00 : TrueColor(x, y, 4); });
  keyGlyph.SaveToFile(key);
  const auto own = [](const std::string& file) {
    const auto image = DecodeImage(ReadBytes(file), {});
    return image ? OwnPixels(*image) : std::vector<std::uint32_t>{};
  };
  // The pixels of columns [left, left + 16) of the alpha strip, as a glyph.
  const auto glyph = [&](int left) {
    std::vector<std::uint32_t> g;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) g.push_back(pixel(left + x, y));
    return g;
  };
  const auto run = [&](const std::vector<std::string>& args) {
    const ToolResult r = Tool(args, folder.Path());
    ASSERT_EQ(r.Status, 0) << args[0] << ": " << r.Err;
  };

  run({"pick", in, folder / "picked.png", "1", "0", "1"});
  std::vector<std::uint32_t> picked;
  for (int y = 0; y < 16; ++y)
    for (int left : {16, 0, 16})
      for (int x = 0; x < 16; ++x) picked.push_back(pixel(left + x, y));
  EXPECT_EQ(own(folder / "picked.png"), picked);

  run({"split", in, folder / "split", "--format", "png"});
  EXPECT_EQ(own(folder / "split/a_000.png"), glyph(0));
  EXPECT_EQ(own(folder / "split/a_001.png"), glyph(16));

  run({"scale", in, folder / "near.png", "--by", "2", "--method", "nearest"});
  const std::vector<std::uint32_t> near = own(folder / "near.png");
  ASSERT_EQ(near.size(), 64u * 32u);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) ASSERT_EQ(near[static_cast<std::size_t>(y) * 64 + x], pixel(x / 2, y / 2)) << x << "," << y;

  run({"ico", folder / "a.ico", folder / "split/a_001.png"});
  EXPECT_EQ(ico::Decode(ReadBytes(folder / "a.ico"))->AlphaPixels, glyph(16));

  run({"disable", in, folder / "disabled.png"});
  std::vector<std::uint32_t> looks;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) looks.push_back(DisabledAlphaPixel(pixel(x, y)));
  EXPECT_EQ(own(folder / "disabled.png"), looks);

  // Joined with a key-colour glyph, and gathered with it: an alpha strip whose key-colour
  // glyph has its key (its bottom-left colour, green here) at alpha 0.
  const auto keyed = [](const std::vector<std::uint32_t>& strip, int left, int width) {
    const std::uint32_t bottomLeft = strip[static_cast<std::size_t>(15) * width + left] & 0xFFFFFF;
    int clear = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const std::uint32_t p = strip[static_cast<std::size_t>(y) * width + left + x];
        const bool isKey = (p & 0xFFFFFF) == bottomLeft;
        if (AlphaOf(p) != (isKey ? 0 : 255)) return false;
        clear += isKey;
      }
    return bottomLeft == 0x00FF00 && clear >= 10;
  };
  run({"combine", folder / "joined.png", in, key});
  const std::vector<std::uint32_t> joined = own(folder / "joined.png");
  ASSERT_EQ(joined.size(), 48u * 16u);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(joined[static_cast<std::size_t>(y) * 48 + x], pixel(x, y));
  EXPECT_TRUE(keyed(joined, 32, 48));
  run({"gather", (folder.Path() / "glyphs").string(), folder / "gathered.png", "--png"});
  const std::vector<std::uint32_t> gathered = own(folder / "gathered.png");
  ASSERT_EQ(gathered.size(), 48u * 16u);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(gathered[static_cast<std::size_t>(y) * 48 + x], pixel(x, y));
  EXPECT_TRUE(keyed(gathered, 32, 48));
}

// Scale2x tells pixels apart by colour and alpha together: a diagonal of opaque pixels in a
// glyph of one colour is smoothed as a diagonal of another colour would be.
TEST_F(StripCommands, Scale2xComparesAlphaAsWellAsColour) {
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) rgba.insert(rgba.end(), {40, 90, 200, static_cast<std::uint8_t>(x == y ? 255 : 0)});
  WriteBytes(folder / "diagonal.png", png::EncodeRgba(16, 16, rgba));
  const ToolResult r = Tool({"scale", folder / "diagonal.png", folder / "x2.png", "--by", "2"}, folder.Path());
  ASSERT_EQ(r.Status, 0) << r.Err;
  const auto scaled = png::Decode(ReadBytes(folder / "x2.png"));
  // Nearest keeps each pixel's alpha in its 2 x 2 block; Scale2x moves the corners along the
  // diagonal, which it sees only when it compares alpha.
  int differentFromNearest = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      differentFromNearest += AlphaOf(scaled->AlphaPixels[static_cast<std::size_t>(y) * 32 + x]) != (x / 2 == y / 2 ? 255 : 0);
  EXPECT_GT(differentFromNearest, 0);
}

}  // namespace
}  // namespace gliffo
