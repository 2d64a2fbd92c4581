#include <gtest/gtest.h>

#include <climits>

#include "glyphs/bitmap.h"
#include "formats/bmp_file.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "tests/glyphs/bmp_bytes.h"

namespace gliffo {
namespace {

using testing::BmpBuilder;
using testing::Entry;
using raster::MakeColorRef;

raster::ColorRef At(const TBitmapImage& image, int x, int y) { return raster::GetPixel(image.Surface(), x, y); }

template <typename E>
void ExpectRefused(const std::vector<std::uint8_t>& bytes, const char* message) {
  try {
    bmp::Decode(bytes);
    ADD_FAILURE() << "accepted";
  } catch (const E& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

void ExpectNotValid(const BmpBuilder& b) { ExpectRefused<EInvalidGraphic>(b.Build(), texts::BitmapImageIsNotValid); }

// A 2 × 2 4-bit file with a 16-entry table whose entry i is (i, 2i, 3i).
BmpBuilder FourBit2x2() {
  BmpBuilder b;
  b.Width = 2;
  b.Height = 2;
  b.BitCount = 4;
  for (int i = 0; i < 16; ++i)
    b.Table.push_back(Entry(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(2 * i), static_cast<std::uint8_t>(3 * i)));
  b.Pixels = {0x12, 0, 0, 0, 0x34, 0, 0, 0};  // bottom row 1 2, top row 3 4
  return b;
}

raster::ColorRef FourBitColor(int i) { return MakeColorRef(i, 2 * i, 3 * i); }

TEST(BmpHeaders, RefusesWhatIsNotABitmapAndReportsShortHeadersAsReadErrors) {
  BmpBuilder good = FourBit2x2();
  std::vector<std::uint8_t> bytes = good.Build();
  bytes[0] = 'B';
  bytes[1] = 'A';
  ExpectRefused<EInvalidGraphic>(bytes, texts::BitmapImageIsNotValid);

  BmpBuilder planes = FourBit2x2();
  planes.Planes = 2;
  ExpectNotValid(planes);

  const std::vector<std::uint8_t> whole = good.Build();
  // Ends inside the file header, the info header and the table.
  for (std::size_t cut : {std::size_t{5}, std::size_t{14 + 20}, std::size_t{14 + 40 + 30}})
    ExpectRefused<EReadError>(std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)),
                              texts::StreamReadError);

  BmpBuilder masks;
  masks.BitCount = 16;
  masks.Compression = BI_BITFIELDS;
  masks.Masks = {0xF800, 0x07E0, 0x001F};
  masks.Pixels = {0, 0, 0, 0};
  const std::vector<std::uint8_t> m = masks.Build();
  ExpectRefused<EReadError>(std::vector<std::uint8_t>(m.begin(), m.begin() + 14 + 40 + 6), texts::StreamReadError);
}

TEST(BmpHeaders, RefusesFormsWeDoNotDecode) {
  BmpBuilder size66 = FourBit2x2();
  size66.HeaderSize = 66;
  ExpectNotValid(size66);
  for (std::uint16_t bits : {0, 2, 64, 30000}) {
    BmpBuilder b = FourBit2x2();
    b.BitCount = bits;
    ExpectNotValid(b);
  }
  for (std::uint32_t compression : {4u, 5u, 6u, 99u}) {
    BmpBuilder b = FourBit2x2();
    b.Compression = compression;
    ExpectNotValid(b);
  }
  BmpBuilder rleDepth = FourBit2x2();
  rleDepth.Compression = BI_RLE8;  // RLE8 needs 8 bits per pixel
  ExpectNotValid(rleDepth);
  BmpBuilder rleTopDown;
  rleTopDown.BitCount = 8;
  rleTopDown.Compression = BI_RLE8;
  rleTopDown.Height = -1;
  rleTopDown.Table = {Entry(0, 0, 0)};
  rleTopDown.ClrUsed = 1;
  rleTopDown.Pixels = {0, 1};
  ExpectNotValid(rleTopDown);
  BmpBuilder bigTable = FourBit2x2();
  bigTable.ClrUsed = 257;
  ExpectNotValid(bigTable);
  for (std::int32_t width : {0, -5}) {
    BmpBuilder b = FourBit2x2();
    b.Width = width;
    ExpectNotValid(b);
  }
  for (std::int32_t height : {0, INT_MIN}) {
    BmpBuilder b = FourBit2x2();
    b.Height = height;
    ExpectNotValid(b);
  }
}

TEST(BmpHeaders, RefusesMasksThatCannotBeExpanded) {
  const std::vector<std::vector<std::uint32_t>> bad = {
      {0, 0, 0},                 // nothing to show
      {0xF00F, 0x0F00, 0x00F0},  // red in two pieces
      {0xFC00, 0x07E0, 0x001F},  // red and green share a bit
      {0x1F0000, 0x07E0, 0x001F},  // red outside a 16-bit pixel
  };
  for (const auto& masks : bad) {
    BmpBuilder b;
    b.BitCount = 16;
    b.Compression = BI_BITFIELDS;
    b.Masks = masks;
    b.Pixels = {0, 0, 0, 0};
    ExpectNotValid(b);
  }
  BmpBuilder eightBit;
  eightBit.BitCount = 8;
  eightBit.Compression = BI_BITFIELDS;
  eightBit.Masks = {0xE0, 0x1C, 0x03};
  ExpectNotValid(eightBit);
}

TEST(BmpHeaders, HugeDimensionsRunOutOfResourcesInsteadOfAllocating) {
  BmpBuilder b;
  b.Width = 0x7FFFFFFF;
  b.Height = 0x7FFFFFFF;
  ExpectRefused<EOutOfResources>(b.Build(), texts::OutOfSystemResources);
  b.BitCount = 8;
  b.Compression = BI_RLE8;
  b.Table = {Entry(1, 2, 3)};
  b.ClrUsed = 1;
  ExpectRefused<EOutOfResources>(b.Build(), texts::OutOfSystemResources);
}

// An icon stores its images without the file header: the same parse, with the pixels counted
// from the info header.
TEST(BmpHeaders, ADibWithoutFileHeaderParsesAsTheFileDoes) {
  BmpBuilder b = FourBit2x2();
  const std::vector<std::uint8_t> file = b.Build();
  const std::span<const std::uint8_t> dib = std::span<const std::uint8_t>(file).subspan(14);
  const bmp::BmpHeader h = bmp::ParseDib(dib);
  const bmp::BmpHeader whole = bmp::ParseHeader(file);
  EXPECT_EQ(h.ColorTable, whole.ColorTable);
  EXPECT_EQ(h.PixelOffset + 14, whole.PixelOffset);
  EXPECT_EQ(h.PixelBytes, whole.PixelBytes);
  EXPECT_EQ(bmp::DecodePixels(h, dib.subspan(h.PixelOffset))->Bits, bmp::Decode(file)->Bits);
  EXPECT_THROW(bmp::ParseDib(dib.first(20)), EReadError);
}

TEST(BmpUncompressed, KeepsTheHeaderTableAndBytesAsRead) {
  BmpBuilder b = FourBit2x2();
  b.XPelsPerMeter = 2835;
  b.YPelsPerMeter = 1417;
  const auto image = bmp::Decode(b.Build());
  ASSERT_TRUE(image);
  EXPECT_FALSE(image->DeviceDependent);
  EXPECT_EQ(image->PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(image->Height, 2);
  EXPECT_EQ(image->ColorTable.size(), 16u);
  EXPECT_EQ(image->XPelsPerMeter, 2835);
  EXPECT_EQ(image->Bits, b.Pixels);
  EXPECT_EQ(At(*image, 0, 1), FourBitColor(1));
  EXPECT_EQ(At(*image, 1, 1), FourBitColor(2));
  EXPECT_EQ(At(*image, 0, 0), FourBitColor(3));
  EXPECT_EQ(At(*image, 1, 0), FourBitColor(4));
}

TEST(BmpUncompressed, TopDownStaysTopDownAndShortPixelDataReadsAsZero) {
  BmpBuilder b;
  b.Width = 2;
  b.Height = -2;
  b.Pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9};  // the last row ends three bytes early
  const auto image = bmp::Decode(b.Build());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Height, -2);
  ASSERT_EQ(image->Bits.size(), 16u);
  EXPECT_EQ(At(*image, 0, 0), MakeColorRef(3, 2, 1));  // the first row in the file is the top
  EXPECT_EQ(At(*image, 0, 1), MakeColorRef(9, 8, 7));
  EXPECT_EQ(At(*image, 1, 1), 0u);
  EXPECT_EQ(image->Bits[11], 0);
}

TEST(BmpUncompressed, ColoursUsedDecidesTheTableAndWherePixelsStart) {
  BmpBuilder b = FourBit2x2();
  b.Table.resize(2);
  b.ClrUsed = 2;
  b.Pixels = {0x10, 0, 0, 0, 0x01, 0, 0, 0};
  const std::vector<std::uint8_t> bytes = b.Build();
  const bmp::BmpHeader h = bmp::ParseHeader(bytes);
  EXPECT_EQ(h.ColorTable.size(), 2u);
  EXPECT_EQ(h.PixelOffset, 14u + 40 + 8);
  const auto image = bmp::Decode(bytes);
  EXPECT_EQ(At(*image, 0, 1), FourBitColor(1));
  EXPECT_EQ(At(*image, 1, 0), FourBitColor(1));
  EXPECT_EQ(At(*image, 1, 1), FourBitColor(0));
}

TEST(BmpUncompressed, PixelOffsetIsHonouredOnlyWhereItCanBeRight) {
  BmpBuilder gap = FourBit2x2();
  gap.Gap = 6;
  auto image = bmp::Decode(gap.Build());
  EXPECT_EQ(image->Bits, gap.Pixels);

  // An offset past the end of the file, or before the header's end, is ignored.
  for (std::uint32_t offset : {10000u, 20u}) {
    BmpBuilder wrong = FourBit2x2();
    wrong.OffBits = offset;
    image = bmp::Decode(wrong.Build());
    EXPECT_EQ(image->Bits, wrong.Pixels) << offset;
  }

  // A core file whose offset lands inside the full-size table has a shorter table.
  BmpBuilder partial;
  partial.HeaderSize = 12;
  partial.Width = 2;
  partial.Height = 1;
  partial.BitCount = 8;
  partial.Table = {Entry(10, 20, 30), Entry(40, 50, 60), Entry(70, 80, 90)};
  partial.Pixels = {2, 1, 0, 0};
  const bmp::BmpHeader h = bmp::ParseHeader(partial.Build());
  EXPECT_EQ(h.ColorTable.size(), 3u);
  image = bmp::Decode(partial.Build());
  EXPECT_EQ(At(*image, 0, 0), MakeColorRef(70, 80, 90));
  EXPECT_EQ(At(*image, 1, 0), MakeColorRef(40, 50, 60));

  // An offset inside the first entry leaves the table whole, so the image saves and reloads
  // with the same colours (found by the fuzzer: a 0-entry table came back as a full one).
  BmpBuilder inFirst;
  inFirst.Width = 9;
  inFirst.Height = 3;
  inFirst.BitCount = 1;
  inFirst.Table = {Entry(1, 2, 3), Entry(4, 5, 6)};
  inFirst.Pixels = {0x80, 0x00, 0, 0, 0x00, 0x80, 0, 0, 0xFF, 0x80, 0, 0};
  inFirst.OffBits = 14 + 40 + 3;
  image = bmp::Decode(inFirst.Build());
  EXPECT_EQ(image->ColorTable.size(), 2u);
  const auto again = bmp::Decode(bmp::Encode(*image));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 9; ++x) ASSERT_EQ(At(*again, x, y), At(*image, x, y)) << x << "," << y;
  EXPECT_EQ(At(*image, 0, 2), MakeColorRef(4, 5, 6));
}

TEST(BmpUncompressed, CoreHeaderReadsThreeByteEntriesAndRemembersItsOrigin) {
  BmpBuilder b;
  b.HeaderSize = 12;
  b.Width = 3;
  b.Height = 1;
  b.BitCount = 1;
  b.Table = {Entry(0x11, 0x22, 0x33), Entry(0x44, 0x55, 0x66)};
  b.Pixels = {0xA0, 0, 0, 0};
  const auto image = bmp::Decode(b.Build());
  EXPECT_TRUE(image->CoreHeader);
  EXPECT_EQ(image->PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(At(*image, 0, 0), MakeColorRef(0x44, 0x55, 0x66));
  EXPECT_EQ(At(*image, 1, 0), MakeColorRef(0x11, 0x22, 0x33));
  EXPECT_EQ(At(*image, 2, 0), MakeColorRef(0x44, 0x55, 0x66));
}

TEST(BmpUncompressed, BitFieldsAfterTheShortHeaderOrInsideTheLongOnes) {
  for (std::uint32_t headerSize : {40u, 52u, 56u, 108u, 124u}) {
    BmpBuilder b;
    b.HeaderSize = headerSize;
    b.BitCount = 16;
    b.Compression = BI_BITFIELDS;
    b.Masks = {0x000F, 0x00F0, 0x0F00};  // red lowest: a layout no default has
    b.Pixels = {0x3F, 0x0A, 0, 0};        // red 15, green 3, blue 10
    const auto image = bmp::Decode(b.Build());
    ASSERT_TRUE(image) << headerSize;
    EXPECT_EQ(image->RedMask, 0x000Fu);
    EXPECT_EQ(At(*image, 0, 0), MakeColorRef(255, 51, 170)) << headerSize;
  }
  // Without bit-field compression the longer headers' masks are not used: 5-5-5.
  BmpBuilder plain;
  plain.HeaderSize = 124;
  plain.BitCount = 16;
  plain.Masks = {0x000F, 0x00F0, 0x0F00};
  plain.Pixels = {0x1F, 0x7C, 0, 0};  // 0x7C1F: red 31, green 0, blue 31
  EXPECT_EQ(At(*bmp::Decode(plain.Build()), 0, 0), MakeColorRef(255, 0, 255));
}

// ---- Run-length data ---------------------------------------------------------------------------

BmpBuilder Rle8(int width, int height, std::vector<std::uint8_t> data) {
  BmpBuilder b;
  b.Width = width;
  b.Height = height;
  b.BitCount = 8;
  b.Compression = BI_RLE8;
  b.Table = {Entry(9, 9, 9), Entry(255, 0, 0), Entry(0, 255, 0), Entry(0, 0, 255)};
  b.ClrUsed = 4;
  b.Pixels = std::move(data);
  return b;
}

constexpr raster::ColorRef Fill = MakeColorRef(9, 9, 9);  // entry 0: pixels no command writes
constexpr raster::ColorRef Red = MakeColorRef(255, 0, 0);
constexpr raster::ColorRef Green = MakeColorRef(0, 255, 0);
constexpr raster::ColorRef Blue = MakeColorRef(0, 0, 255);

std::vector<raster::ColorRef> Row(const TBitmapImage& image, int y) {
  std::vector<raster::ColorRef> row;
  for (int x = 0; x < image.Width; ++x) row.push_back(At(image, x, y));
  return row;
}

TEST(BmpRle8, RunsAbsoluteRunsDeltasAndEndCodesIntoTheDeviceStore) {
  // Bottom row: 2 red, absolute (green blue green) with its pad byte, end of line.
  // Next row: delta right 1 and up 1 to the top row, 1 blue, end of bitmap.
  const auto image = bmp::Decode(Rle8(5, 3, {2, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 1, 1, 1, 3, 0, 1}).Build());
  ASSERT_TRUE(image);
  EXPECT_TRUE(image->DeviceDependent);
  EXPECT_EQ(image->Height, 3);
  EXPECT_EQ(image->Bits.size(), 5u * 3 * 4);
  EXPECT_EQ(Row(*image, 2), (std::vector<raster::ColorRef>{Red, Red, Green, Blue, Green}));
  EXPECT_EQ(Row(*image, 1), std::vector<raster::ColorRef>(5, Fill));
  EXPECT_EQ(Row(*image, 0), (std::vector<raster::ColorRef>{Fill, Blue, Fill, Fill, Fill}));
  for (std::size_t i = 3; i < image->Bits.size(); i += 4) ASSERT_EQ(image->Bits[i], 0);  // B, G, R, 0
}

TEST(BmpRle8, MalformedRunsStayInsideTheStore) {
  // A run longer than the row, a delta far past the right edge and the top, and an absolute
  // run cut short by the end of the data.
  auto image = bmp::Decode(Rle8(3, 2, {200, 1, 0, 2, 255, 0, 1, 2}).Build());
  EXPECT_EQ(Row(*image, 1), std::vector<raster::ColorRef>(3, Red));
  EXPECT_EQ(Row(*image, 0), std::vector<raster::ColorRef>(3, Fill));
  image = bmp::Decode(Rle8(3, 2, {0, 2, 1, 200, 1, 1}).Build());
  EXPECT_EQ(Row(*image, 0), std::vector<raster::ColorRef>(3, Fill));
  image = bmp::Decode(Rle8(4, 1, {0, 9, 3, 3}).Build());
  EXPECT_EQ(Row(*image, 0), (std::vector<raster::ColorRef>{Blue, Blue, Fill, Fill}));
  // Indexes beyond the table are black; a lone command byte is ignored.
  image = bmp::Decode(Rle8(2, 1, {1, 7, 1}).Build());
  EXPECT_EQ(Row(*image, 0), (std::vector<raster::ColorRef>{0, Fill}));
  // No data at all: every pixel is entry 0.
  image = bmp::Decode(Rle8(2, 2, {}).Build());
  EXPECT_EQ(Row(*image, 1), std::vector<raster::ColorRef>(2, Fill));
}

TEST(BmpRle8, PixelsAfterAShortRunInAWideRowAreLeftUnwritten) {
  // Wide rows take the block-writing path; what a block writes past a run must not survive.
  for (const raster::Rgb entry0 : {Entry(9, 9, 9), Entry(0, 0, 0)}) {
    BmpBuilder b = Rle8(40, 3, {3, 1, 0, 0, 5, 2, 0, 2, 2, 0, 1, 3, 20, 1, 0, 2, 0, 1, 2, 3, 0, 1});
    b.Table[0] = entry0;
    const raster::ColorRef fill = raster::ToColorRef(entry0);
    const auto image = bmp::Decode(b.Build());
    std::vector<raster::ColorRef> bottom(40, fill), middle(40, fill), top(40, fill);
    for (int x = 0; x < 3; ++x) bottom[static_cast<std::size_t>(x)] = Red;
    for (int x = 0; x < 5; ++x) middle[static_cast<std::size_t>(x)] = Green;
    middle[7] = Blue;
    for (int x = 8; x < 28; ++x) middle[static_cast<std::size_t>(x)] = Red;
    top[28] = Blue;  // a delta keeps the column
    top[29] = Blue;
    EXPECT_EQ(Row(*image, 2), bottom);
    EXPECT_EQ(Row(*image, 1), middle);
    EXPECT_EQ(Row(*image, 0), top);
  }
}

TEST(BmpRle4, NibblesAlternateAndOddAbsoluteRunsArePadded) {
  BmpBuilder b = Rle8(5, 2, {});
  b.BitCount = 4;
  b.Compression = BI_RLE4;
  // Bottom row: absolute 5 pixels (1 2 3 1 2) in three bytes and a pad byte, end of line.
  // Top row: a run of 3 alternating 1 2 1, end of bitmap.
  b.Pixels = {0, 5, 0x12, 0x31, 0x20, 0, 0, 0, 3, 0x12, 0, 1};
  const auto image = bmp::Decode(b.Build());
  EXPECT_EQ(Row(*image, 1), (std::vector<raster::ColorRef>{Red, Green, Blue, Red, Green}));
  EXPECT_EQ(Row(*image, 0), (std::vector<raster::ColorRef>{Red, Green, Red, Fill, Fill}));
}

TEST(BmpRle4, MalformedRunsStayInsideTheStore) {
  BmpBuilder b = Rle8(3, 1, {});
  b.BitCount = 4;
  b.Compression = BI_RLE4;
  b.Pixels = {255, 0x31, 0, 255, 0x11};  // run past the row, absolute run past the data
  const auto image = bmp::Decode(b.Build());
  EXPECT_EQ(Row(*image, 0), (std::vector<raster::ColorRef>{Blue, Red, Blue}));
}

TEST(BmpLoad, EmptyBytesMakeAnEmptyImageAndAFailedLoadChangesNothing) {
  EXPECT_EQ(bmp::Decode({}), nullptr);
  TBitmap image;
  image.SetPixelFormat(TPixelFormat::pf4bit);
  image.SetWidth(4);
  image.SetHeight(2);
  const auto before = image.SharedImage();
  BmpBuilder bad = FourBit2x2();
  bad.Planes = 2;
  EXPECT_THROW(image.LoadFromBytes(bad.Build()), EInvalidGraphic);
  std::vector<std::uint8_t> cut = FourBit2x2().Build();
  cut.resize(20);
  EXPECT_THROW(image.LoadFromBytes(cut), EReadError);
  EXPECT_EQ(image.SharedImage(), before);

  // A successful load replaces the 4-bit format set before.
  BmpBuilder rgb;
  rgb.Pixels = {1, 2, 3, 0};
  image.LoadFromBytes(rgb.Build());
  EXPECT_EQ(image.PixelFormat(), TPixelFormat::pf24bit);
  image.LoadFromBytes({});
  EXPECT_TRUE(image.Empty());
}

}  // namespace
}  // namespace gliffo
