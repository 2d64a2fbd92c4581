// Writes the fuzzer's seed corpus into the folder named on the command line: one small file
// for each form the reader accepts (every depth, the core header, long headers with masks,
// run-length data with every escape code, top-down rows, a gap before the pixels) and files
// the writer makes.
#include <cstdio>
#include <string>
#include <vector>

#include "glyphs/bitmap.h"
#include "formats/bmp_file.h"
#include "platform/files/file_io.h"
#include "glyphs/canvas.h"
#include "tests/glyphs/bmp_bytes.h"

namespace {

using gliffo::testing::BmpBuilder;
using gliffo::testing::Entry;

std::vector<gliffo::raster::Rgb> Table(int count) {
  std::vector<gliffo::raster::Rgb> table;
  for (int i = 0; i < count; ++i)
    table.push_back(Entry(static_cast<std::uint8_t>(i * 17), static_cast<std::uint8_t>(255 - i * 9), static_cast<std::uint8_t>(i * 5)));
  return table;
}

std::vector<std::uint8_t> Bytes(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
  return bytes;
}

BmpBuilder Plain(int bits, int width, int height, int tableSize) {
  BmpBuilder b;
  b.Width = width;
  b.Height = height;
  b.BitCount = static_cast<std::uint16_t>(bits);
  b.Table = Table(tableSize);
  b.ClrUsed = static_cast<std::uint32_t>(tableSize);
  const std::size_t stride = static_cast<std::size_t>(((width * bits + 31) / 32) * 4);
  b.Pixels = Bytes(stride * static_cast<std::size_t>(height < 0 ? -height : height));
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bmp_fuzz_seeds FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  int written = 0;
  auto save = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
    gliffo::files::WriteWholeFile(folder + "/" + name + ".bmp", bytes);
    ++written;
  };

  save("pal1", Plain(1, 9, 3, 2).Build());
  save("pal4", Plain(4, 5, 3, 16).Build());
  save("pal4-2colours", Plain(4, 5, 2, 2).Build());
  save("pal8", Plain(8, 3, 3, 7).Build());
  save("rgb16", Plain(16, 3, 2, 0).Build());
  save("rgb24", Plain(24, 3, 2, 0).Build());
  save("rgb24-table", Plain(24, 2, 2, 3).Build());
  save("rgb32", Plain(32, 2, 2, 0).Build());
  save("topdown", Plain(8, 3, -2, 4).Build());
  BmpBuilder gap = Plain(8, 2, 2, 4);
  gap.Gap = 6;
  save("gap", gap.Build());
  BmpBuilder shortFile = Plain(24, 4, 4, 0);
  shortFile.Pixels.resize(10);
  save("short", shortFile.Build());

  BmpBuilder core = Plain(8, 3, 2, 5);
  core.HeaderSize = 12;
  core.OffBits = 14 + 12 + 15;
  save("core-partial-table", core.Build());
  BmpBuilder core4 = Plain(4, 3, 2, 16);
  core4.HeaderSize = 12;
  save("core4", core4.Build());

  for (std::uint32_t headerSize : {40u, 52u, 56u, 108u, 124u}) {
    BmpBuilder b = Plain(16, 3, 2, 0);
    b.HeaderSize = headerSize;
    b.Compression = gliffo::BI_BITFIELDS;
    b.Masks = {0xF800, 0x07E0, 0x001F};
    save("bitfields16-h" + std::to_string(headerSize), b.Build());
  }
  BmpBuilder wide = Plain(32, 2, 2, 0);
  wide.HeaderSize = 124;
  wide.Compression = gliffo::BI_BITFIELDS;
  wide.Masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
  save("bitfields32-1010102", wide.Build());

  BmpBuilder rle8 = Plain(8, 6, 4, 4);
  rle8.Compression = gliffo::BI_RLE8;
  rle8.Pixels = {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 2, 1, 2, 3, 0, 0, 6, 2, 0, 1};
  save("rle8", rle8.Build());
  BmpBuilder rle4 = Plain(4, 7, 3, 16);
  rle4.Compression = gliffo::BI_RLE4;
  rle4.Pixels = {5, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 0, 2, 1, 1, 2, 0x9A, 0, 1};
  save("rle4", rle4.Build());

  // Headers the limits are about: a 1-bit row of 2^31 - 1 pixels in 62 bytes, and a few bytes
  // of run-length data for a picture of 4 Mi pixels (every escape code once).
  BmpBuilder wideRow = Plain(1, 1, 1, 2);
  wideRow.Width = 0x7FFFFFFF;
  wideRow.Pixels.clear();
  save("wide-1bit", wideRow.Build());
  BmpBuilder bomb = Plain(8, 2048, 2048, 4);
  bomb.Compression = gliffo::BI_RLE8;
  bomb.Pixels = {255, 1, 0, 2, 200, 100, 0, 3, 1, 2, 3, 0, 0, 0, 0, 0, 1};
  save("rle8-bomb", bomb.Build());

  gliffo::TBitmap strip;
  strip.SetPixelFormat(gliffo::TPixelFormat::pf4bit);
  strip.SetWidth(32);
  strip.SetHeight(16);
  strip.Canvas().Brush().SetColor(gliffo::clRed);
  strip.Canvas().FillRect(gliffo::Rect(2, 2, 20, 9));
  save("strip4", strip.SaveToBytes());
  gliffo::TBitmap device;
  device.SetWidth(5);
  device.SetHeight(3);
  device.Canvas().Brush().SetColor(gliffo::clTeal);
  device.Canvas().FillRect(gliffo::Rect(1, 1, 4, 2));
  save("device32", device.SaveToBytes());

  std::printf("%d seed files in %s\n", written, folder.c_str());
  return 0;
}
