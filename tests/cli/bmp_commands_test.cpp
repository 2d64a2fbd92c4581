#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "glyphs/bitmap.h"
#include "tests/cli/run_tool.h"
#include "formats/bmp_file.h"
#include "glyphs/canvas.h"
#include "platform/files/file_io.h"
#include "platform/raster/pixels.h"
#include "tests/glyphs/bmp_bytes.h"
#include "tests/temp_folder.h"

namespace gliffo {
namespace {

namespace fs = std::filesystem;
using testing::BmpBuilder;
using testing::Entry;

using Result = testing::ToolResult;
using testing::RunTool;

class BmpCommands : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                         static_cast<std::streamsize>(bytes.size()));
  }
  Result Run(const std::vector<std::string>& args) const { return RunTool(args, dir_); }

  testing::TempFolder folder_;
  const fs::path dir_ = folder_.Path();
};

// A 2 × 2 top-down 8-bit file: red, green / blue, index 7 (beyond its 3-entry table).
BmpBuilder Small() {
  BmpBuilder b;
  b.Width = 2;
  b.Height = -2;
  b.BitCount = 8;
  b.Table = {Entry(255, 0, 0), Entry(0, 255, 0), Entry(0, 0, 255)};
  b.ClrUsed = 3;
  b.Pixels = {0, 1, 0, 0, 2, 7, 0, 0};
  return b;
}

TEST_F(BmpCommands, InfoPrintsTheHeaderAsKeyValueLines) {
  Write("s.bmp", Small().Build());
  Result r = Run({"info", PathOf("s.bmp")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out,
            "header size: 40\nwidth: 2\nheight: -2\nbits per pixel: 8\ncompression: BI_RGB\n"
            "colour-table entries: 3\npixel format: 8-bit\ntop-down: yes\n");
  BmpBuilder rle = Small();
  rle.Height = 2;
  rle.Compression = BI_RLE8;
  rle.Pixels = {0, 1};
  Write("r.bmp", rle.Build());
  r = Run({"info", PathOf("r.bmp")});
  EXPECT_NE(r.Out.find("compression: BI_RLE8\n"), std::string::npos);
  EXPECT_NE(r.Out.find("pixel format: device-dependent\n"), std::string::npos);
}

TEST_F(BmpCommands, DecodeWritesTheDisplayedColoursAsBinaryPpm) {
  Write("s.bmp", Small().Build());
  const Result r = Run({"decode", PathOf("s.bmp"), PathOf("s.ppm")});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const std::vector<std::uint8_t> ppm = files::ReadWholeFile(PathOf("s.ppm"));
  const std::string head = "P6\n2 2\n255\n";
  ASSERT_EQ(ppm.size(), head.size() + 12);
  EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + static_cast<std::ptrdiff_t>(head.size())), head);
  const std::vector<std::uint8_t> rgb(ppm.begin() + static_cast<std::ptrdiff_t>(head.size()), ppm.end());
  EXPECT_EQ(rgb, (std::vector<std::uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0}));
}

TEST_F(BmpCommands, CopyAndTo4BitWriteWhatTheEditorWould) {
  Write("s.bmp", Small().Build());
  ASSERT_EQ(Run({"copy", PathOf("s.bmp"), PathOf("c.bmp")}).Status, 0);
  TBitmap source;
  source.LoadFromFile(PathOf("s.bmp"));
  EXPECT_EQ(files::ReadWholeFile(PathOf("c.bmp")), source.SaveToBytes());

  const Result r = Run({"to4bit", PathOf("s.bmp"), PathOf("f.bmp")});
  ASSERT_EQ(r.Status, 0) << r.Err;
  TBitmap four;
  four.LoadFromFile(PathOf("f.bmp"));
  EXPECT_EQ(four.PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(four.Image().ColorTable.size(), 16u);
  EXPECT_EQ(four.Canvas().Pixel(0, 0), clRed);
  EXPECT_EQ(four.Canvas().Pixel(1, 0), clLime);
  EXPECT_EQ(four.Canvas().Pixel(0, 1), clBlue);
  EXPECT_EQ(four.Canvas().Pixel(1, 1), clBlack);
  EXPECT_EQ(files::ReadWholeFile(PathOf("f.bmp")).size(), 118u + 4 * 2);
}

TEST_F(BmpCommands, ErrorsExitOneWithTheMessageAndWrongUsageExitsTwo) {
  Result r = Run({"decode", PathOf("missing.bmp"), PathOf("o.ppm")});
  EXPECT_EQ(r.Status, 1);
  // The file first, then the program's own message.
  EXPECT_EQ(r.Err, "gliffo-tool: " + PathOf("missing.bmp") + ": Cannot open file " + PathOf("missing.bmp") + "\n");
  EXPECT_FALSE(fs::exists(PathOf("o.ppm")));
  BmpBuilder bad = Small();
  bad.Planes = 3;
  Write("bad.bmp", bad.Build());
  r = Run({"copy", PathOf("bad.bmp"), PathOf("o.bmp")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "gliffo-tool: " + PathOf("bad.bmp") + ": Bitmap image is not valid\n");
  r = Run({"info", PathOf("bad.bmp")});
  EXPECT_EQ(r.Err, "gliffo-tool: " + PathOf("bad.bmp") + ": Bitmap image is not valid\n");
  Write("s.bmp", Small().Build());
  r = Run({"decode", PathOf("s.bmp"), PathOf("no/such/folder/o.ppm")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err.rfind("gliffo-tool: " + PathOf("no/such/folder/o.ppm") + ": ", 0), 0u) << r.Err;
  r = Run({"to4bit", PathOf("s.bmp"), PathOf("no/such/folder/o.bmp")});
  EXPECT_EQ(r.Err.rfind("gliffo-tool: " + PathOf("no/such/folder/o.bmp") + ": ", 0), 0u) << r.Err;

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"info"}, {"decode", "a.bmp"}, {"copy", "a", "b", "c"}, {"to4bit", "--bogus", "a", "b"}}) {
    r = Run(args);
    EXPECT_EQ(r.Status, 2) << args[0];
    EXPECT_NE(r.Err.find("usage: gliffo-tool " + args[0]), std::string::npos);
  }
  for (const char* command : {"info", "decode", "copy", "to4bit"}) {
    r = Run({command, "--help"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out.rfind(std::string("usage: gliffo-tool ") + command, 0), 0u) << command;
  }
}

// Pictures of more than the megabyte decode and to4bit read at a time: a 24-bit file bottom row
// first, read in two bands, and a run-length one, decoded whole and written out in pieces. They
// must give the loaded image's colours, and its drawing onto a 4-bit image.
TEST_F(BmpCommands, DecodeAndTo4BitOfPicturesLargerThanABandMatchTheLoadedImage) {
  BmpBuilder deep = testing::Plain(700, 520, 24, 1), rle = testing::Plain(700, 520, 8, 2);
  for (std::size_t row = 1; row < 520; row += 2)  // rows repeating the one below, as glyph rows do
    std::copy_n(deep.Pixels.begin() + static_cast<std::ptrdiff_t>((row - 1) * 2100), 2100,
                deep.Pixels.begin() + static_cast<std::ptrdiff_t>(row * 2100));
  rle.Compression = BI_RLE8;
  rle.Pixels.clear();
  for (int y = 0; y < 520; ++y) {
    for (int k = 0; k < 7; ++k) rle.Pixels.insert(rle.Pixels.end(), {100, static_cast<std::uint8_t>(y + k * 30)});
    rle.Pixels.insert(rle.Pixels.end(), {0, 0});
  }
  for (const auto& [name, builder] : {std::pair{"deep.bmp", &deep}, std::pair{"rle.bmp", &rle}}) {
    Write(name, builder->Build());
    ASSERT_EQ(Run({"decode", PathOf(name), PathOf("o.ppm")}).Status, 0) << name;
    ASSERT_EQ(Run({"to4bit", PathOf(name), PathOf("o.bmp")}).Status, 0) << name;
    TBitmap source, target;
    source.LoadFromFile(PathOf(name));
    const std::string head = "P6\n700 520\n255\n";
    std::vector<std::uint8_t> ppm(head.begin(), head.end());
    for (int y = 0; y < 520; ++y)
      for (int x = 0; x < 700; ++x) {
        const raster::ColorRef c = raster::GetPixel(source.Image().Surface(), x, y);
        ppm.insert(ppm.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16)});
      }
    EXPECT_EQ(files::ReadWholeFile(PathOf("o.ppm")), ppm) << name;
    target.SetPixelFormat(TPixelFormat::pf4bit);
    target.SetWidth(source.Width());
    target.SetHeight(source.Height());
    source.Draw(target.Canvas(), 0, 0);
    EXPECT_EQ(files::ReadWholeFile(PathOf("o.bmp")), target.SaveToBytes()) << name;
  }
}

// Hostile and unlucky inputs: each refused with a clear message before anything is allocated or
// waited on, and the output left as it was.
TEST_F(BmpCommands, HostileInputsAreRefusedAndLeaveTheOutputAlone) {
  const std::vector<std::uint8_t> old{'o', 'l', 'd'};
  const auto outputKept = [&] { return files::ReadWholeFile(PathOf("t.bmp")) == old; };
  BmpBuilder wide;  // 62 bytes claiming a 1-bit row of 2^31 - 1 pixels
  wide.Width = 0x7FFFFFFF;
  wide.Height = 1;
  wide.BitCount = 1;
  wide.Table = {Entry(0, 0, 0), Entry(255, 255, 255)};
  Write("wide.bmp", wide.Build());
  BmpBuilder bomb = Small();  // 2 bytes of run-length data for 16384 x 16384 pixels
  bomb.Width = bomb.Height = 16384;
  bomb.Compression = BI_RLE8;
  bomb.Pixels = {0, 1};
  Write("bomb.bmp", bomb.Build());
  Write("empty.bmp", {});
  // A named FIFO is read as a pipe now (it waits for its writer); a device never is.
  fs::create_symlink("/dev/zero", PathOf("zero.bmp"));
  for (const std::string command : {"copy", "to4bit", "decode"}) {
    Write("t.bmp", old);
    for (const auto& [input, message] : {std::pair{"wide.bmp", "Out of system resources"}, std::pair{"bomb.bmp", "Out of system resources"},
                                        std::pair{"empty.bmp", "the file is empty"}, std::pair{"zero.bmp", "Cannot open file "}}) {
      const Result r = Run({command, PathOf(input), PathOf("t.bmp")});
      EXPECT_EQ(r.Status, 1) << command << " " << input;
      EXPECT_EQ(r.Err.rfind("gliffo-tool: " + PathOf(input) + ": " + message, 0), 0u) << command << " " << r.Err;
      EXPECT_TRUE(outputKept()) << command << " " << input;
    }
  }
  for (const std::string input : {"empty.bmp", "zero.bmp"}) {
    const Result r = Run({"info", PathOf(input)});
    EXPECT_EQ(r.Status, 1) << input;
    EXPECT_TRUE(r.Out.empty()) << r.Out;
  }

  // A file shorter than its header says loads, its missing pixels zero, and the tool says so.
  BmpBuilder cut = Small();
  cut.Pixels.resize(4);
  Write("cut.bmp", cut.Build());
  const Result r = Run({"copy", PathOf("cut.bmp"), PathOf("t.bmp")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Err.find(PathOf("cut.bmp") + ": warning: "), std::string::npos) << r.Err;
}

}  // namespace
}  // namespace gliffo
