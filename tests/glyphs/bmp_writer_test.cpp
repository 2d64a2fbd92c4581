#include <gtest/gtest.h>

#include "glyphs/bitmap.h"
#include "formats/bmp_file.h"
#include "glyphs/canvas.h"
#include "tests/glyphs/bmp_bytes.h"

namespace gliffo {
namespace {

using testing::BmpBuilder;
using testing::Entry;
using testing::Get16;
using testing::Get32;

TEST(BmpWriter, FourBitStripHasTheFixedHeaderTheSystemPaletteAndWhiteRows) {
  TBitmap strip;
  strip.SetPixelFormat(TPixelFormat::pf4bit);
  strip.SetWidth(48);
  strip.SetHeight(16);
  const std::vector<std::uint8_t> f = strip.SaveToBytes();
  ASSERT_EQ(f.size(), 502u);
  EXPECT_EQ(f[0], 'B');
  EXPECT_EQ(f[1], 'M');
  EXPECT_EQ(Get32(f, 2), 502u);
  EXPECT_EQ(Get32(f, 6), 0u);
  EXPECT_EQ(Get32(f, 10), 118u);
  EXPECT_EQ(Get32(f, 14), 40u);
  EXPECT_EQ(Get32(f, 18), 48u);
  EXPECT_EQ(Get32(f, 22), 16u);
  EXPECT_EQ(Get16(f, 26), 1);
  EXPECT_EQ(Get16(f, 28), 4);
  EXPECT_EQ(Get32(f, 30), 0u);
  EXPECT_EQ(Get32(f, 34), 384u);
  EXPECT_EQ(Get32(f, 38), 0u);
  EXPECT_EQ(Get32(f, 42), 0u);
  EXPECT_EQ(Get32(f, 46), 16u);
  EXPECT_EQ(Get32(f, 50), 0u);
  for (int i = 0; i < 16; ++i) {
    const raster::Rgb& e = SystemPalette16()[static_cast<std::size_t>(i)];
    const std::size_t at = 54 + 4 * static_cast<std::size_t>(i);
    EXPECT_EQ(f[at], e.Blue);
    EXPECT_EQ(f[at + 1], e.Green);
    EXPECT_EQ(f[at + 2], e.Red);
    EXPECT_EQ(f[at + 3], 0);
  }
  EXPECT_EQ(Get32(f, 58), 0x00800000u);  // entry 1, maroon: 00 00 80 00
  for (std::size_t i = 118; i < f.size(); ++i) ASSERT_EQ(f[i], 0xFF);
}

TEST(BmpWriter, RowsArePaddedWithZeroAndWrittenBottomRowFirst) {
  TBitmap glyph;
  glyph.SetPixelFormat(TPixelFormat::pf4bit);
  glyph.SetWidth(20);
  glyph.SetHeight(20);
  glyph.Canvas().Brush().SetColor(clRed);
  glyph.Canvas().FillRect(Rect(0, 0, 20, 1));  // the top row
  const std::vector<std::uint8_t> f = glyph.SaveToBytes();
  ASSERT_EQ(f.size(), 118u + 12 * 20);
  for (int row = 0; row < 20; ++row) {
    const std::size_t at = 118 + 12 * static_cast<std::size_t>(row);
    const std::uint8_t expected = row == 19 ? 0x99 : 0xFF;  // red is index 9
    for (int i = 0; i < 10; ++i) ASSERT_EQ(f[at + static_cast<std::size_t>(i)], expected) << row;
    EXPECT_EQ(f[at + 10], 0);
    EXPECT_EQ(f[at + 11], 0);
  }
}

TEST(BmpWriter, EmptyImageWritesNoBytes) {
  TBitmap empty;
  EXPECT_TRUE(empty.SaveToBytes().empty());
  empty.SetPixelFormat(TPixelFormat::pf4bit);
  empty.SetWidth(16);
  EXPECT_TRUE(empty.SaveToBytes().empty());
}

TEST(BmpWriter, DeviceImageIsWrittenAt32BitsBottomRowFirst) {
  TBitmap image;
  image.SetWidth(2);
  image.SetHeight(2);
  image.Canvas().Brush().SetColor(raster::MakeColorRef(0x10, 0x20, 0x30));
  image.Canvas().FillRect(Rect(0, 0, 2, 1));
  const std::vector<std::uint8_t> f = image.SaveToBytes();
  ASSERT_EQ(f.size(), 54u + 16);
  EXPECT_EQ(Get32(f, 10), 54u);
  EXPECT_EQ(Get32(f, 22), 2u);
  EXPECT_EQ(Get16(f, 28), 32);
  EXPECT_EQ(Get32(f, 30), 0u);
  EXPECT_EQ(Get32(f, 34), 16u);
  EXPECT_EQ(Get32(f, 46), 0u);
  EXPECT_EQ(Get32(f, 54), 0x00FFFFFFu);  // bottom row: white
  EXPECT_EQ(Get32(f, 62), 0x00102030u);  // top row: blue 30, green 20, red 10
}

TEST(BmpWriter, CoreFilesAreWrittenBackInTheCoreFormatWithAFullTable) {
  BmpBuilder b;
  b.HeaderSize = 12;
  b.Width = 3;
  b.Height = 2;
  b.BitCount = 4;
  b.Table = {Entry(1, 2, 3), Entry(4, 5, 6), Entry(7, 8, 9)};
  b.OffBits = 14 + 12 + 9;  // a partial table
  b.Pixels = {0x01, 0x20, 0, 0, 0x21, 0x00, 0, 0};
  TBitmap image;
  image.LoadFromBytes(b.Build());
  const std::vector<std::uint8_t> f = image.SaveToBytes();
  ASSERT_EQ(f.size(), 14u + 12 + 16 * 3 + 8);
  EXPECT_EQ(Get32(f, 10), 14u + 12 + 48);
  EXPECT_EQ(Get32(f, 2), f.size());
  EXPECT_EQ(Get32(f, 14), 12u);
  EXPECT_EQ(Get16(f, 18), 3);
  EXPECT_EQ(Get16(f, 20), 2);
  EXPECT_EQ(Get16(f, 22), 1);
  EXPECT_EQ(Get16(f, 24), 4);
  const std::vector<std::uint8_t> table(f.begin() + 26, f.begin() + 26 + 9);
  EXPECT_EQ(table, (std::vector<std::uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7}));
  for (std::size_t i = 26 + 9; i < 26 + 48; ++i) EXPECT_EQ(f[i], 0);
  EXPECT_EQ(std::vector<std::uint8_t>(f.end() - 8, f.end()), b.Pixels);

  // Reading the rewrite gives the same picture.
  TBitmap again;
  again.LoadFromBytes(f);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(again.Canvas().Pixel(x, y), image.Canvas().Pixel(x, y));
}

TEST(BmpWriter, TopDownFilesStayTopDownUntilTheirHeightIsSet) {
  BmpBuilder b;
  b.Width = 1;
  b.Height = -2;
  b.BitCount = 8;
  b.Table = {Entry(0, 0, 0), Entry(255, 255, 255)};
  b.ClrUsed = 2;
  b.SizeImage = 8;
  b.Pixels = {1, 0, 0, 0, 0, 0, 0, 0};  // top white, bottom black
  TBitmap image;
  image.LoadFromBytes(b.Build());
  std::vector<std::uint8_t> f = image.SaveToBytes();
  EXPECT_EQ(static_cast<std::int32_t>(Get32(f, 22)), -2);
  EXPECT_EQ(f, b.Build());  // everything the writer decides matches what was read

  image.SetHeight(3);
  f = image.SaveToBytes();
  EXPECT_EQ(Get32(f, 22), 3u);
  TBitmap again;
  again.LoadFromBytes(f);
  EXPECT_EQ(again.Canvas().Pixel(0, 0), clWhite);
  EXPECT_EQ(again.Canvas().Pixel(0, 1), clBlack);
}

TEST(BmpWriter, RunLengthFilesAreWrittenUncompressedAtTheDeviceDepth) {
  BmpBuilder b;
  b.Width = 3;
  b.Height = 1;
  b.BitCount = 8;
  b.Compression = BI_RLE8;
  b.Table = {Entry(1, 2, 3), Entry(4, 5, 6)};
  b.ClrUsed = 2;
  b.Pixels = {2, 1, 0, 1};
  TBitmap image;
  image.LoadFromBytes(b.Build());
  EXPECT_EQ(image.PixelFormat(), TPixelFormat::pfDevice);
  const std::vector<std::uint8_t> f = image.SaveToBytes();
  ASSERT_EQ(f.size(), 54u + 12);
  EXPECT_EQ(Get16(f, 28), 32);
  EXPECT_EQ(Get32(f, 30), 0u);
  EXPECT_EQ(Get32(f, 54), 0x00040506u);
  EXPECT_EQ(Get32(f, 58), 0x00040506u);
  EXPECT_EQ(Get32(f, 62), 0x00010203u);  // not written: entry 0
}

TEST(BmpWriter, DeepStoresKeepTheirMasksTableAndResolution) {
  BmpBuilder b;
  b.HeaderSize = 108;
  b.Width = 1;
  b.BitCount = 32;
  b.Compression = BI_BITFIELDS;
  b.Masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
  b.XPelsPerMeter = 3780;
  b.YPelsPerMeter = 3780;
  b.Pixels = {0, 1, 2, 3};
  TBitmap image;
  image.LoadFromBytes(b.Build());
  std::vector<std::uint8_t> f = image.SaveToBytes();
  ASSERT_EQ(f.size(), 14u + 40 + 12 + 4);
  EXPECT_EQ(Get32(f, 10), 66u);
  EXPECT_EQ(Get32(f, 14), 40u);
  EXPECT_EQ(Get32(f, 30), BI_BITFIELDS);
  EXPECT_EQ(Get32(f, 38), 3780u);
  EXPECT_EQ(Get32(f, 54), 0xFF000000u);
  EXPECT_EQ(Get32(f, 58), 0x00FF0000u);
  EXPECT_EQ(Get32(f, 62), 0x0000FF00u);
  EXPECT_EQ(Get32(f, 66), 0x03020100u);

  BmpBuilder withTable;
  withTable.ClrUsed = 2;
  withTable.SizeImage = 4;
  withTable.Table = {Entry(1, 2, 3), Entry(4, 5, 6)};
  withTable.Pixels = {7, 8, 9, 0};
  image.LoadFromBytes(withTable.Build());
  f = image.SaveToBytes();
  EXPECT_EQ(f, withTable.Build());
}

}  // namespace
}  // namespace gliffo
