// Feeds arbitrary bytes to the BMP decoder. Beyond "no crash, no sanitizer report", every file
// it accepts must survive a save and a reload with the same pixels.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "glyphs/bitmap.h"
#include "formats/bmp_file.h"
#include "platform/errors.h"
#include "platform/raster/pixels.h"

namespace {

// Larger stores are legal but only slow the search down; the unit tests cover the size limits.
// Run-length data gets more room: a few bytes that claim a large picture (a bomb) are what it
// has to survive.
constexpr std::int64_t MaxFuzzStoreBytes = 256 << 10;
constexpr std::int64_t MaxFuzzRunLengthStoreBytes = 16 << 20;

bool IsRunLength(const gliffo::bmp::BmpHeader& h) { return h.Compression == 1 || h.Compression == 2; }

bool WorthDecoding(const gliffo::bmp::BmpHeader& h) {
  const std::int64_t stride = gliffo::raster::DibStride(h.Width, IsRunLength(h) ? 32 : h.BitCount);
  const std::int64_t height = h.AbsHeight();
  const std::int64_t limit = IsRunLength(h) ? MaxFuzzRunLengthStoreBytes : MaxFuzzStoreBytes;
  // Divided, not multiplied: a hostile width times height overflows 64 bits.
  return stride >= 0 && height > 0 && stride <= limit / height;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace gliffo;
  const std::span<const std::uint8_t> bytes(data, size);
  try {
    if (size == 0) {
      Check(bmp::Decode(bytes) == nullptr);
      return 0;
    }
    // Any header, however wide (up to 2^31 - 1 pixels a row), is parsed; one past the picture
    // limit must be refused here, before a store is sized.
    const bmp::BmpHeader header = bmp::ParseHeader(bytes);
    Check(!raster::TooManyPixels(header.Width, header.AbsHeight()));
    if (!WorthDecoding(header)) return 0;
    const auto image = bmp::Decode(bytes);
    Check(image != nullptr && image->HasPixels());
    const raster::Surface s = image->Surface();
    std::uint32_t sum = 0;
    for (int y = 0; y < s.Height; ++y)
      for (int x = 0; x < s.Width; ++x) sum += raster::GetPixel(s, x, y);

    const auto again = bmp::Decode(bmp::Encode(*image));
    Check(again != nullptr && again->Width == image->Width && again->AbsHeight() == image->AbsHeight());
    const raster::Surface t = again->Surface();
    std::uint32_t sumAgain = 0;
    for (int y = 0; y < t.Height; ++y)
      for (int x = 0; x < t.Width; ++x) sumAgain += raster::GetPixel(t, x, y);
    Check(sum == sumAgain);
  } catch (const gliffo::Exception&) {
    // Refusals are fine; they just have to be the program's own errors.
  }
  return 0;
}
