// Feeds arbitrary bytes to the PNG decoder. Beyond "no crash, no leak, no sanitizer report",
// every file it accepts must survive an encode and a decode with the same pixels, and the
// header reader must agree with the decoder on the size.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "glyphs/bitmap.h"
#include "formats/png_codec.h"
#include "platform/errors.h"

namespace {

// Larger pictures are still decoded, up to the limit, for the size computations of the store
// and its rows (the seeds hold some at the limit); only their round trip, which would slow the
// search down, is left out.
constexpr std::int64_t MaxFuzzPixels = 64 << 10;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace gliffo;
  const std::span<const std::uint8_t> bytes(data, size);
  try {
    const png::PngHeader h = png::ParseHeader(bytes);
    // The header reader has refused anything past the limit.
    Check(static_cast<std::int64_t>(h.Width) * h.Height <= png::MaxPixels);
    const auto image = png::Decode(bytes);
    Check(image != nullptr && image->HasPixels());
    Check(image->Width == static_cast<int>(h.Width) && image->AbsHeight() == static_cast<int>(h.Height));
    if (static_cast<std::int64_t>(h.Width) * h.Height > MaxFuzzPixels) return 0;

    TEncodeOptions opaque;
    opaque.Opaque = true;
    const auto again = png::Decode(png::Encode(*image, opaque));
    Check(again->Width == image->Width && again->AbsHeight() == image->AbsHeight());
    const raster::Surface s = image->Surface(), t = again->Surface();
    for (int y = 0; y < s.Height; ++y)
      for (int x = 0; x < s.Width; ++x) Check(raster::GetPixel(s, x, y) == raster::GetPixel(t, x, y));

    // The keyed form must be readable too.
    TEncodeOptions keyed;
    keyed.GlyphSize = 3;
    Check(png::Decode(png::Encode(*image, keyed))->Width == image->Width);
  } catch (const gliffo::Exception&) {
    // Refusals are fine; they just have to be the program's own errors.
  }
  return 0;
}
