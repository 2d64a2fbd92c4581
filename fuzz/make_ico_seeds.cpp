// Writes the icon fuzzer's seed corpus into the folder named on the command line: icons the
// program writes (bitmap and PNG entries) and one with a 4-bit entry and its mask.
#include <cstdio>
#include <string>
#include <vector>

#include "glyphs/bitmap.h"
#include "formats/ico_codec.h"
#include "platform/raster/pixels.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Save(const std::string& folder, const std::string& name, const Bytes& bytes) {
  const std::string path = folder + "/" + name;
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

std::shared_ptr<gliffo::TBitmapImage> Picture(int n, gliffo::TPixelFormat format) {
  gliffo::TBitmap image;
  image.SetPixelFormat(format);
  image.SetWidth(n);
  image.SetHeight(n);
  const gliffo::raster::Surface s = image.WritableSurface();
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) gliffo::raster::WriteValue(s, x, y, static_cast<std::uint32_t>((x * 3 + y) % 16));
  return std::make_shared<gliffo::TBitmapImage>(image.Image());
}

// A 4-bit entry with its mask, as older writers store icons.
Bytes FourBitIcon() {
  const int n = 16;
  Bytes b(6 + 16 + 40 + 64 + n * 8 + n * 4, 0);
  b[2] = 1, b[4] = 1, b[6] = n, b[7] = n, b[10] = 1, b[12] = 4;
  const std::uint32_t size = static_cast<std::uint32_t>(b.size() - 22);
  b[14] = static_cast<std::uint8_t>(size), b[15] = static_cast<std::uint8_t>(size >> 8);
  b[18] = 22;
  Bytes::iterator d = b.begin() + 22;
  d[0] = 40, d[4] = n, d[8] = 2 * n, d[12] = 1, d[14] = 4;
  for (int i = 0; i < 16; ++i) d[40 + 4 * i] = static_cast<std::uint8_t>(i * 16), d[41 + 4 * i] = static_cast<std::uint8_t>(255 - i * 16);
  for (int i = 0; i < n * 8; ++i) d[104 + i] = static_cast<std::uint8_t>(i * 37);
  for (int i = 0; i < n * 4; i += 3) d[104 + n * 8 + i] = 0xF0;
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const auto a = Picture(16, gliffo::TPixelFormat::pf4bit), b = Picture(24, gliffo::TPixelFormat::pf24bit);
  const auto c = Picture(256, gliffo::TPixelFormat::pf8bit);
  const gliffo::TBitmapImage* two[] = {a.get(), b.get()};
  const gliffo::TBitmapImage* withPng[] = {a.get(), c.get()};
  Save(folder, "two.ico", gliffo::ico::Encode(two));
  Save(folder, "png.ico", gliffo::ico::Encode(withPng));
  Save(folder, "four_bit.ico", FourBitIcon());
  return 0;
}
