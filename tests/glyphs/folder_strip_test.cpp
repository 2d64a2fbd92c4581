// GatherFolderStrip against the way it replaces: the folder load into the glyph list, Select
// All and Save Collection, compared byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "glyphs/bitmap.h"
#include "glyphs/collection_files.h"
#include "glyphs/folder_load.h"
#include "glyphs/glyph_list.h"
#include "tests/glyphs/bmp_bytes.h"
#include "tests/glyphs/glyph_fixtures.h"

namespace gliffo {
namespace {

using namespace testing;

class FolderStrip : public ::testing::Test {
 protected:
  void Painted(const std::string& name, TPixelFormat format, int width, int height, int seed) const {
    TBitmap image;
    Paint(image, format, width, height, [seed](int x, int y) { return TrueColor(x, y, seed); });
    image.SaveToFile(folder / name);
  }
  // A 4-bit file of noise in the given colours, by default the strip's own.
  std::vector<std::uint8_t> FourBit(int width, int height, std::vector<raster::Rgb> table = {}) const {
    BmpBuilder b = Plain(width, height, 4, static_cast<std::uint32_t>(width + height));
    b.Table = table.empty() ? std::vector<raster::Rgb>(SystemPalette16().begin(), SystemPalette16().end()) : table;
    b.ClrUsed = static_cast<std::uint32_t>(b.Table.size());
    return b.Build();
  }
  void Put(const std::string& name, const std::vector<std::uint8_t>& bytes) const { WriteBytes(folder.Path() / name, bytes); }

  // The gathered strip must be the saved one, with the same counts; what the strip held before
  // is replaced, by nothing when no glyph is found.
  void ExpectSameStrip(const std::vector<std::string>& names, int size) const {
    TGlyphCollection glyphs;
    glyphs.SetGlyphSize(size);
    const TFolderLoadResult loaded = LoadFolder(glyphs, folder.Path().string(), names);
    glyphs.SelectAll();
    const bool saved = SaveCollection(glyphs, out / "saved.bmp");
    TBitmap strip;
    Paint(strip, TPixelFormat::pf24bit, 5, 5, [](int x, int y) { return TrueColor(x, y, 9); });
    const TFolderLoadResult gathered = GatherFolderStrip(folder.Path().string(), names, size, {}, strip);
    auto counts = [](const TFolderLoadResult& r) { return std::vector{int{r.Ran}, r.FilesRead, r.FilesAccepted, r.GlyphsAdded}; };
    EXPECT_EQ(counts(gathered), counts(loaded)) << "size " << size;
    EXPECT_EQ(!strip.Empty(), saved) << "size " << size;
    if (saved) {
      EXPECT_EQ(strip.SaveToBytes(), ReadBytes(out / "saved.bmp")) << "size " << size;
    }
  }

  TempFolder folder, out;
};

TEST_F(FolderStrip, GivesTheStripSaveCollectionWritesForEveryKindOfFile) {
  std::vector<raster::Rgb> other = Plain(1, 1, 4, 7).Table, allButOne(SystemPalette16().begin(), SystemPalette16().end());
  other[12] = other[2];  // the strip takes the first of two equal entries
  allButOne[13] = Entry(10, 200, 30);
  const std::vector<raster::Rgb> six(other.begin(), other.begin() + 6);  // values 6 to 15 read black
  const int band = 1 << 20;  // what is read at a time
  for (const int size : {16, 15, 24}) {
    for (const auto& e : fs::directory_iterator(folder.Path())) fs::remove(e.path());
    TBitmap system;
    Paint(system, TPixelFormat::pf4bit, 3 * size, size, [](int x, int y) { return PaletteColor(x, y, 1); });
    system.SaveToFile(folder / "a-system.bmp");
    Put("b-system-noise.bmp", FourBit(2 * size, size));
    Put("c-system-top-down.bmp", FourBit(size, -size));
    Put("d-system-bands.bmp", FourBit(size * (2 * band / (size * size) + 2), size));
    Put("e-system-cut.bmp", Cut(FourBit(2 * size, size), 118 + static_cast<std::size_t>(raster::DibStride(2 * size, 4)) * 3 + 5));
    Put("f-other.bmp", FourBit(2 * size, size, other));
    Put("g-six.bmp", FourBit(size, -size, six));
    Put("g-system-but-one.bmp", FourBit(2 * size, size, allButOne));
    Painted("h-8bit.bmp", TPixelFormat::pf8bit, 2 * size, size, 2);
    Painted("i-1bit.bmp", TPixelFormat::pf1bit, 3 * size, size, 3);
    Painted("j-24bit-bands.bmp", TPixelFormat::pf24bit, size * (band / (3 * size * size) + 2), size, 11);
    Painted("k-32bit.bmp", TPixelFormat::pf32bit, size, size, 5);
    Painted("l-16bit.bmp", TPixelFormat::pf16bit, 2 * size, size, 6);
    Painted("m-15bit.bmp", TPixelFormat::pf15bit, size, size, 7);
    Put("n-rle8.bmp", RunLength(size, size, false).Build());
    Put("o-rle4.bmp", RunLength(size, size, true).Build());
    Painted("p-too-tall.bmp", TPixelFormat::pf24bit, size, size + 1, 8);
    Painted("q-not-whole.bmp", TPixelFormat::pf4bit, 2 * size + 1, size, 9);
    Put("r-empty.bmp", {});
    Painted("s-last.bmp", TPixelFormat::pf24bit, size, size, 10);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder.Path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    ExpectSameStrip(names, size);
  }
  ExpectSameStrip({"p-too-tall.bmp", "r-empty.bmp"}, 24);  // nothing to gather
  ExpectSameStrip({}, 24);
}

TEST_F(FolderStrip, AnUnreadableFileRaisesWhatTheFolderLoadRaisesAndKeepsTheStrip) {
  Painted("a.bmp", TPixelFormat::pf24bit, 32, 16, 1);
  Put("b.bmp", {'B', 'M', 7});
  for (const std::string bad : {"b.bmp", "missing.bmp"}) {
    const std::vector<std::string> names = {"a.bmp", bad, "a.bmp"};
    TGlyphCollection glyphs;
    const std::string expected = FailureOf([&] { LoadFolder(glyphs, folder.Path().string(), names); });
    EXPECT_NE(expected, "no error");
    TBitmap strip;
    Paint(strip, TPixelFormat::pf4bit, 16, 16, [](int x, int y) { return PaletteColor(x, y, 2); });
    const std::vector<std::uint8_t> before = strip.SaveToBytes();
    EXPECT_EQ(FailureOf([&] { GatherFolderStrip(folder.Path().string(), names, 16, {}, strip); }), expected) << bad;
    EXPECT_EQ(strip.SaveToBytes(), before) << bad;
  }
}

TEST_F(FolderStrip, ManyFilesAreGatheredInNameOrderAndTheFirstUnreadableOneStopsThem) {
  // Enough names that several threads read them, each a run of its own.
  Painted("a.bmp", TPixelFormat::pf24bit, 32, 16, 1);
  Painted("b.bmp", TPixelFormat::pf4bit, 16, 16, 2);
  Painted("c.bmp", TPixelFormat::pf24bit, 16, 15, 3);  // not taken
  Put("bad.bmp", {'B', 'M', 7});
  std::vector<std::string> names;
  for (int i = 0; i < 500; ++i) names.push_back(i % 3 == 0 ? "a.bmp" : i % 3 == 1 ? "b.bmp" : "c.bmp");
  ExpectSameStrip(names, 16);

  names[300] = "bad.bmp";
  names[450] = "missing.bmp";
  const auto failure = [&](const std::function<void()>& step) {
    try {
      step();
    } catch (const Exception& e) {
      return e.FileName() + ": " + e.Message();
    }
    return std::string("no error");
  };
  TGlyphCollection glyphs;
  const std::string expected = failure([&] { LoadFolder(glyphs, folder.Path().string(), names); });
  EXPECT_NE(expected.find("bad.bmp"), std::string::npos) << expected;
  TBitmap strip;
  EXPECT_EQ(failure([&] { GatherFolderStrip(folder.Path().string(), names, 16, {}, strip); }), expected);
  EXPECT_TRUE(strip.Empty());
}

}  // namespace
}  // namespace gliffo
